// The first step of bringing an earlier version's Jet file across: every user
// table copied as it is into a new SQLite file, columns typed as Jet's are.
#pragma once

#include "migration/JetFile.h"

#include <QString>

#include <functional>
#include <vector>

namespace migration {

// What a step is doing, for a progress display: the table, and the rows done
// of the rows there are in all. Returning false cancels the step (it throws
// store::Error and leaves nothing written).
using Progress = std::function<bool(const QString& table, qint64 done, qint64 total)>;

struct CopiedTable {
    QString name;
    qint64 recorded = 0; // the row count the Jet table's definition records
    qint64 rows = 0;     // the rows read and written
};

// The declared type a Jet column gets in the copy: Jet's own type name, chosen
// so that SQLite keeps the values as they are read (DATETIME text stays text,
// LONGTEXT is text, DOUBLE and FLOAT are real).
QString copyColumnType(const JetColumn& column);

// Copies every user table of jet into a new SQLite file at out (which must
// not exist), in one transaction; the file appears complete or not at all.
// Dates become "yyyy-MM-dd HH:mm:ss" text (a number that is no date stays a
// number), Yes/No 0 or 1, Money exact decimal text, singles their 7 digits.
std::vector<CopiedTable> copyJetFile(JetFile& jet, const QString& out,
                                     const Progress& progress = {});

} // namespace migration
