#include "maintenance/Backup.h"
#include "maintenance/ServerBackup.h"
#include "operations/Operations.h"
#include "store/Schema.h"
#include "store/ServerAddress.h"

#include <QDir>
#include <QFileInfo>

namespace operations {

QString backup(const Workspace& workspace, const QDate& today,
               const std::function<void(int percent)>& progress) {
    // A server's database is dumped by the server's own client program, into
    // the same folder as a file's backups.
    if (store::isServerAddress(workspace.database))
        return maintenance::dumpServerDatabase(store::parseServerAddress(workspace.database),
                                               maintenance::backupFolder(workspace.dataFolder),
                                               today, progress);
    // Shared: the window may be writing to it while the tool copies it.
    return maintenance::makeBackup(workspace.dataFolder, workspace.database, today, {}, true);
}

void restore(const Workspace& workspace, const QString& backupFile, const store::Actor& by) {
    // Only the server's administrator can put a dump back in place.
    if (store::isServerAddress(workspace.database))
        throw store::Error(store::code::Perm, maintenance::serverRestoreRefusal(
                                                  store::parseServerAddress(workspace.database)));
    // A bare name is one of the backup folder's files, as the window lists them.
    const QString inFolder =
        QDir(maintenance::backupFolder(workspace.dataFolder)).filePath(backupFile);
    const QString source = !backupFile.contains(QLatin1Char('/')) && QFileInfo(inFolder).isFile()
                               ? inFolder
                               : backupFile;
    if (!QFileInfo(source).isFile())
        throw store::Error(store::code::CantOpen, QStringLiteral("no such file: ") + source);
    try {
        maintenance::restoreFrom(source, workspace.database, {}, by);
    } catch (const store::Error& e) {
        // The engine's reason alone does not say which file it was.
        if (e.description().contains(source)) throw;
        throw store::Error(e.number(), source + QStringLiteral(": ") + e.description());
    }
}

std::vector<CheckFinding> checkDatabase(store::Database& db) {
    std::vector<CheckFinding> found;
    for (const QString& verdict : db.integrityProblems(20))
        found.push_back({QFileInfo(db.path()).fileName(), verdict});
    for (const QString& table : {store::table::Configuration, store::table::Prefs,
                                 store::table::NetworkConfig, store::table::Template})
        if (!db.hasTable(table)) found.push_back({table, QStringLiteral("the table is missing")});
    if (!db.hasTable(store::table::Template)) return found;

    // Every reading table must have the template's columns, in its order.
    auto columnsOf = [&](const QString& table) {
        QStringList names;
        for (const store::Database::ColumnInfo& c : db.columns(table))
            names << c.name;
        return names;
    };
    const QStringList expected = columnsOf(store::table::Template);
    QStringList registered;
    {
        store::Statement sensors =
            db.prepare(QStringLiteral("SELECT InstrumentID FROM Sensors ORDER BY InstrumentID"));
        while (sensors.step())
            registered << sensors.text(0);
    }
    for (const QString& number : registered) {
        if (!db.hasTable(number)) {
            found.push_back({number, QStringLiteral("the sensor has no reading table")});
            continue;
        }
        const QStringList columns = columnsOf(number);
        for (const QString& column : expected)
            if (!columns.contains(column, Qt::CaseInsensitive))
                found.push_back({number, QStringLiteral("the column %1 is missing").arg(column)});
    }
    return found;
}

} // namespace operations
