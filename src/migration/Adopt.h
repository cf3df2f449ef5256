// The second step of bringing an earlier version's file across: a SQLite copy
// whose tables are those of our schema (as the copy step leaves it, Jet's
// types and all) made a database of this program's current schema version.
#pragma once

#include "migration/Copy.h"
#include "store/Database.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace migration {

// Where rows and columns that could not take their place are kept: nothing of
// the user's is lost. One row per source row; Data is a JSON object of the
// row's values (or of its extra columns alone).
inline const QString SetAsideTable = QStringLiteral("ConversionSetAside");

struct AdoptedTable {
    QString from; // the copy's name
    QString to;   // ours
    qint64 read = 0;
    qint64 written = 0;
};

struct AdoptReport {
    std::vector<AdoptedTable> tables;
    // What was filled in, kept aside or left out, one sentence each.
    QStringList notes;
    qint64 setAside = 0; // rows of SetAsideTable
    qint64 dropped = 0;  // rows that did not become rows of ours
    qint64 changed = 0;  // values changed or emptied on the way
};

// One line per row dropped or value changed: "table, key: what (why)".
using FindingSink = std::function<void(const QString& line)>;

// Builds a database of the current schema version at target (which must not
// exist; it appears complete or not at all) from the copy at copyPath:
// Sensors, Configuration, Prefs, NetworkConfig and each sensor's reading
// table, found by name with letter case ignored. Missing optional columns
// take their defaults; extra columns are kept in SetAsideTable; a reading
// whose key is taken already or whose date cannot be read is kept there too.
// origin names the file converted in the audit trail, whose entry is by the
// actor. Throws store::Error: a copy without Sensors is a database of another
// program.
AdoptReport adoptCopy(const QString& copyPath, const QString& target, const QString& origin,
                      const Progress& progress = {}, const FindingSink& findings = {},
                      const store::Actor& by = {});

} // namespace migration
