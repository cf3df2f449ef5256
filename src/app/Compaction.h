// Compaction of the default database file at exit.
#pragma once

#include "app/Environment.h"
#include "app/Log.h"

#include <functional>

namespace app {

// Compacts folder/fileName into folder/"Copy_" + fileName, then puts the copy in
// place of the original in one rename, so that one complete database file exists
// at every moment. A failure (no such file, a stale copy already there, a full
// disk) shows "Error compacting <fileName>", logs " G_CompactDB" and leaves the
// original as it was. beforeReplace runs between the two steps (tests use it
// to interrupt there). Returns true when the compacted file is in place.
bool CompactDB(const QString& folder, const QString& fileName, Prompter& prompter, const Log& log,
               const std::function<void()>& beforeReplace = {});

} // namespace app
