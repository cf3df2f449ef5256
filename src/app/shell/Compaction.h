// Compaction of the database in use at exit.
#pragma once

#include "app/Environment.h"
#include "app/Log.h"

#include <functional>

namespace store {
class Database;
}

namespace app {

// A file is compacted once at least one page in this many is free.
inline constexpr qint64 FreeShareToCompact = 10;
// True when enough of the file is free pages for compaction to give it back.
bool worthCompacting(store::Database& db);

// Compacts the database file into "Copy_" + its name beside it, then puts the
// copy in place of the original in one rename, so that one complete database
// file exists at every moment. Only the holder of the database's lock may call
// it: a copy already there is then a leftover of an interrupted exit, and is
// removed first. A failure (no such file, a full disk) shows
// "Error compacting <file name>", logs " G_CompactDB" and leaves the original as
// it was. beforeReplace runs between the two steps (tests use it to interrupt
// there). A file less than a tenth of whose pages are free is left as it is:
// it is compact enough. Returns true when the file is compact.
bool CompactDB(const QString& database, Prompter& prompter, const Log& log,
               const std::function<void()>& beforeReplace = {});

// Before the compaction: removes from the recycle area what was deleted more
// than its keep days (the file's setting) before today, with one audit entry
// stamped by clock. A failure is logged (" G_PurgeRecycleArea") and leaves the
// area as it was. Returns how many rows went.
qint64 PurgeRecycleArea(const QString& database, const Clock& clock, const Log& log);

} // namespace app
