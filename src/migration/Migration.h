// An earlier version's Jet file brought across whole: the copy, the adopt
// step, the check, and the migration report beside the converted file. The
// original file is only ever read.
#pragma once

#include "migration/Adopt.h"
#include "migration/Copy.h"

#include <QString>
#include <QStringList>

namespace migration {

// "<folder>/<name>-converted.mdb" beside the Jet file.
QString convertedPath(const QString& jetPath);
// "<folder>/<converted name>-migration-report.txt" beside the converted file.
QString reportPath(const QString& convertedFile);

// Refuses (store::Error, nothing written) a file that is not a Jet file of an
// earlier version: missing, a folder, empty, damaged, protected by a
// password, or a database of another program (no Sensors table; the tables
// found are named).
void checkJetFile(JetFile& jet);

struct Migration {
    QString converted; // the new database
    QString report;    // the report's path
    QString text;      // the report itself
    AdoptReport adopted;
};

// Converts jetPath into to (default: convertedPath), which must not exist.
// progress hears the table being copied, then the one being converted; its
// false cancels. All or nothing: a failure leaves no file behind.
// by stamps the report and the audit trail's entry (the program's clock).
Migration migrate(const QString& jetPath, const QString& to = {}, const Progress& progress = {},
                  const store::Actor& by = {});

} // namespace migration
