// Backups of a database on a PostgreSQL server: a pg_dump archive in the
// backup folder, made and checked by the PostgreSQL client programs, and the
// refusal a restore gets (a server's restore is its administrator's business).
#pragma once

#include "store/ServerAddress.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace maintenance {

// Where the client programs are looked for: PATH's folders in order, then the
// /usr/lib/postgresql/<version>/bin folders, newest version first (where
// Debian keeps them).
QStringList clientProgramFolders();

// The first pg_dump and pg_restore in folders; empty when there is none.
QString findPgDump(const QStringList& folders = clientProgramFolders());
QString findPgRestore(const QStringList& folders = clientProgramFolders());

// "<database>backup_yyyy-mm-dd.dump", after the file backups'
// "<base name>backup_yyyy-mm-dd.mdb"; characters a file system refuses in the
// database's name become "_". One backup a day; a later one replaces it.
QString serverBackupFileName(const store::ServerAddress& address, const QDate& day);

struct ServerDumpSettings {
    // Asked while pg_dump runs; true stops it.
    std::function<bool()> cancelled;
    QStringList programFolders = clientProgramFolders();
    // pg_dump is stopped when it writes nothing and reports nothing for this long.
    std::chrono::milliseconds stallLimit = std::chrono::minutes(10);
};

// Writes a pg_dump archive (custom format) of the server's database into
// folder (made when missing) under today's name: into a temporary file,
// checked with pg_restore --list, then renamed over any backup of the same
// day. The password reaches pg_dump through its environment only. progress
// gets 0 to 100, by the share of the tables' bytes dumped. Returns the
// backup's path. Throws store::Error with a message in plain words (client
// programs missing or older than the server, server unreachable, disk full,
// cancelled, stalled), leaving no temporary file and an earlier backup as it
// was.
QString dumpServerDatabase(const store::ServerAddress& address, const QString& folder,
                           const QDate& today,
                           const std::function<void(int percent)>& progress = {},
                           const ServerDumpSettings& settings = {});

// What a restore on a server's database is told: the administrator restores
// it, with pg_restore, from the backups named here.
QString serverRestoreRefusal(const store::ServerAddress& address);

} // namespace maintenance
