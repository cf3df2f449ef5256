// A whole database of this program (or an earlier version's Jet file) copied
// into a database on a server: the way a team moves its file onto a server.
#pragma once

#include "store/Database.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace operations {

struct CopiedTable {
    QString table;
    qint64 rows = 0;
};

struct ServerCopy {
    QString source;                  // the file copied, as given
    bool initialised = false;        // the target was empty and got the tables first
    bool converted = false;          // the source was an earlier version's Jet file
    int sourceVersion = 0;           // its schema version before it was brought up to date
    std::vector<CopiedTable> tables; // in the order copied
    qint64 rows = 0;                 // all of them
    // Tables of the source that this version's schema does not know, with
    // their rows ("Name (12 rows)"): left out of the copy.
    QStringList notCopied;
};

// What the copy is doing: the table and its rows done of all; false cancels.
using CopyProgress = std::function<bool(const QString& table, qint64 done, qint64 total)>;

// Copies the database file at source into target, a database on a server that
// is empty (it gets the tables a new database has) or holds no more than a new
// database holds. The source is only read: a temporary copy of it is brought
// to the current schema version first (a Jet file through the conversion).
// Every table the schema knows and every sensor's reading table is copied with
// its values as stored, in one transaction; every table's rows are counted on
// both sides and must agree, the counters of the numbered tables go on above
// the copied numbers, and one audit entry "database copied" names the source
// and the counts. Throws store::Error with the reason; nothing of the copy is
// left in target then (tables made for it are removed again).
ServerCopy copyIntoServer(store::Database& target, const QString& source,
                          const CopyProgress& progress = {});

} // namespace operations
