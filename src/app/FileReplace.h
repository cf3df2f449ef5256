// Files that must exist complete or not at all: written aside, made durable,
// then put in place of the old one in one rename.
#pragma once

#include <QString>

namespace app {

// Forces the file's content to disk. Throws store::Error.
void flushToDisk(const QString& path);

// Flushes finished and renames it over target (which may exist). At every
// moment target is either the old file or the new one. Throws store::Error;
// finished then stays where it was, for the caller to remove.
void replaceFile(const QString& finished, const QString& target);

// Removes a database file together with the rollback journal the engine may
// have left beside it.
void removeDatabaseFile(const QString& path);

} // namespace app
