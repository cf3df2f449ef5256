// Dated backups of the database in use in the data folder's backup folder, the
// list of that folder, and restore from one of its files.
#pragma once

#include "app/Environment.h"
#include "app/Log.h"
#include "store/Database.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

namespace maintenance {

// "MPBXbackup_yyyy-mm-dd.mdb" for the default database TolvaneMPBX.mdb; for
// another, its own base name in place of "MPBX" ("Mine Bbackup_yyyy-mm-dd.mdb"
// for "Mine B.mdb"). One backup a day; a later one replaces it. A tag names a
// backup kept for a reason beside the day's ("MPBXbackup_yyyy-mm-dd_<tag>.mdb").
QString backupFileName(const QString& database, const QDate& day, const QString& tag = {});
// <data folder>/MPBXbackup
QString backupFolder(const QString& dataFolder);

// The lines of the backup list: the heading, then every file of the backup
// folder by name. Empty when the folder is missing or holds no file.
QStringList listBackups(const QString& dataFolder);

// How far the engine checks a file: every page and its structure (its quick
// check, for a copy just made of the file in use), or that and every index
// against its table (its integrity check, for a file from anywhere).
enum class Check { Pages, Full };

// Throws store::Error unless path is a database of ours that passes the
// engine's check: it opens read-only and holds the fixed tables and the
// reading-table template. Changes nothing.
void checkOurDatabase(const QString& path, Check depth = Check::Full);

// Runs after the new file is written and checked, before it takes its place
// (tests interrupt there).
using BeforeReplace = std::function<void()>;

// Copies the database file into the data folder's backup folder (made when
// missing) under today's name: into a temporary file, checked, then renamed
// over any backup of the same day. A database another program may be writing
// (shared) is copied through the engine, which reads one consistent state of
// it. Shows "Backup was successful" only for a copy that passed; otherwise the
// error message and " G_BackupDB" in the log, with no temporary file left and
// an earlier backup of the day kept.
// The backup itself, asking nothing: returns the backup's path. Throws
// store::Error, leaving no temporary file and an earlier backup of the day.
QString makeBackup(const QString& dataFolder, const QString& database, const QDate& today,
                   const BeforeReplace& beforeReplace = {}, bool shared = false,
                   const QString& tag = {});
bool BackupDB(const QString& dataFolder, const QString& database, const QDate& today,
              app::Prompter& prompter, const app::Log& log, const BeforeReplace& beforeReplace = {},
              bool shared = false);

// Copies the backup folder's backupName beside the database file, checks the
// copy and renames it over the database, so that one complete database exists
// at every moment. The database must not be open, and its lock must be ours. Shows "Restore was
// successful", or the error message with " G_RestoreDB" in the log and the
// database left as it was.
// The restore itself from a file anywhere, asking nothing. The restored file
// holds the restore's audit entry, by the actor. Throws store::Error, leaving
// the database as it was.
void restoreFrom(const QString& source, const QString& database,
                 const BeforeReplace& beforeReplace = {}, const store::Actor& by = {});
bool RestoreDB(const QString& dataFolder, const QString& database, const QString& backupName,
               app::Prompter& prompter, const app::Log& log,
               const BeforeReplace& beforeReplace = {}, const store::Actor& by = {});

} // namespace maintenance
