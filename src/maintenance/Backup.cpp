#include "maintenance/Backup.h"

#include "app/FileReplace.h"
#include "maintenance/Texts.h"
#include "store/Audit.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <future>

namespace maintenance {

namespace {

// A file on its way into place carries this ending; one that a killed run
// left behind is removed by the next run that makes the same file.
QString partFor(const QString& path) {
    return path + QStringLiteral(".part");
}

// The copy is one consistent state of the file: the engine's read lock is held
// while its bytes are copied, so that no other program (the command-line tool
// beside the window, say) commits meanwhile. Opening it for writing lets the
// engine first roll back a journal a crash left; a shared file is its
// writer's to roll back.
void copyDatabase(const QString& from, const QString& to, bool shared) {
    auto source = store::Database::open(from, shared);
    source->execute(QStringLiteral("BEGIN"));
    try {
        store::Statement read =
            source->prepare(QStringLiteral("SELECT count(*) FROM sqlite_schema"));
        read.step();
        QFile file(from);
        if (!file.copy(to))
            throw store::Error(store::code::CantOpen,
                               file.errorString() + QStringLiteral(": ") + from);
    } catch (...) {
        source->execute(QStringLiteral("ROLLBACK"));
        throw;
    }
    source->execute(QStringLiteral("COMMIT"));
}

// The restore's entry, written into the restored copy before it takes the
// database's place: the trail of the file in use tells of the restore that
// made it. A backup of a version without the trail gets none.
void recordRestore(const QString& copy, const QString& source, const store::Actor& by) {
    auto db = store::Database::open(copy);
    db->setActor(by);
    db->transaction([&] {
        store::AuditEntry e;
        e.operation = store::operation::BackupRestored;
        e.target = QFileInfo(source).absoluteFilePath();
        store::audit(*db, e);
    });
}

// "MPBXbackup_" for the default database, "<base name>backup_" for another.
QString backupPrefix(const QString& database) {
    const QFileInfo info(database);
    if (info.fileName().compare(app::texts::DefaultDatabaseName, Qt::CaseInsensitive) == 0)
        return texts::BackupPrefix;
    return info.completeBaseName() + texts::BackupMark;
}

} // namespace

QString backupFileName(const QString& database, const QDate& day, const QString& tag) {
    return backupPrefix(database) + day.toString(QStringLiteral("yyyy-MM-dd")) +
           (tag.isEmpty() ? QString() : QLatin1Char('_') + tag) + texts::BackupEnding;
}

QString backupFolder(const QString& dataFolder) {
    return QDir(dataFolder).filePath(texts::BackupFolderName);
}

QStringList listBackups(const QString& dataFolder) {
    const QDir folder(backupFolder(dataFolder));
    if (!folder.exists()) return {};
    // By name, the order Windows lists a folder in, on every platform; hidden
    // files too, since every file is listed.
    QStringList lines = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    if (!lines.isEmpty()) lines.prepend(texts::ListHeading);
    return lines;
}

void checkOurDatabase(const QString& path, Check depth) {
    auto db = store::Database::open(path, true);
    // The tables first: a foreign file is refused without reading all of it.
    for (const QString& table :
         {store::table::Sensors, store::table::Configuration, store::table::Prefs,
          store::table::NetworkConfig, store::table::Template})
        if (!db->hasTable(table))
            throw store::Error(
                store::code::NotADatabase,
                QStringLiteral("not a Tolvane database (no table %1): %2").arg(table, path));
    // The check reads most pages several times: mapped into memory, and kept
    // in a larger cache, they are read without a system call each time.
    db->execute(QStringLiteral("PRAGMA mmap_size = 268435456; PRAGMA cache_size = -65536"));
    store::Statement check =
        db->prepare(depth == Check::Full ? QStringLiteral("PRAGMA integrity_check(1)")
                                         : QStringLiteral("PRAGMA quick_check(1)"));
    const QString verdict = check.step() ? check.text(0) : QString();
    if (verdict != QLatin1String("ok"))
        throw store::Error(store::code::Corrupt,
                           QStringLiteral("integrity check failed (%1): %2").arg(verdict, path));
}

QString makeBackup(const QString& dataFolder, const QString& database, const QDate& today,
                   const BeforeReplace& beforeReplace, bool shared, const QString& tag) {
    const QString folder = backupFolder(dataFolder);
    const QString backup = QDir(folder).filePath(backupFileName(database, today, tag));
    const QString part = partFor(backup);
    try {
        if (!QDir().mkpath(folder))
            throw store::Error(store::code::CantOpen,
                               QStringLiteral("cannot create the folder ") + folder);
        // Any backup of this database a killed run left half made, of this day
        // or another. Matched by hand: a base name may hold wildcard characters.
        const QString prefix = backupPrefix(database);
        for (const QString& left : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            if (left.startsWith(prefix) && left.endsWith(texts::BackupEnding + partFor({})))
                app::removeDatabaseFile(QDir(folder).filePath(left));
        copyDatabase(database, part, shared);
        {
            // Writing the copy to disk is mostly waiting: it goes on while the
            // copy is checked. Both only read the file, which is ours alone.
            auto flushed = std::async(std::launch::async, [&part] { app::flushToDisk(part); });
            // A copy of the file in use: its pages and their structure are
            // checked; index against table is the engine's own business.
            checkOurDatabase(part, Check::Pages);
            flushed.get();
        }
        if (beforeReplace) beforeReplace();
        app::replaceFile(part, backup);
    } catch (...) {
        app::removeDatabaseFile(part);
        throw;
    }
    return backup;
}

bool BackupDB(const QString& dataFolder, const QString& database, const QDate& today,
              app::Prompter& prompter, const app::Log& log, const BeforeReplace& beforeReplace,
              bool shared) {
    try {
        makeBackup(dataFolder, database, today, beforeReplace, shared);
    } catch (...) {
        prompter.ask({texts::backupFailed(QFileInfo(database).fileName()), texts::AppTitle});
        log.WriteLog(app::errorEntry(std::current_exception(), texts::BackupLabel));
        return false;
    }
    prompter.ask({texts::BackupSuccessful, texts::Title, app::Icon::Information});
    return true;
}

void restoreFrom(const QString& source, const QString& database, const BeforeReplace& beforeReplace,
                 const store::Actor& by) {
    // Beside the database, so that the rename stays on one file system.
    const QString part = partFor(database);
    try {
        app::removeDatabaseFile(part);
        // The backup's own bytes, not a copy made through the engine: what
        // comes back is exactly what was kept.
        QFile copy(source);
        if (!copy.copy(part))
            throw store::Error(store::code::CantOpen,
                               copy.errorString() + QStringLiteral(": ") + source);
        // A file from anywhere: checked through, indexes included.
        checkOurDatabase(part, Check::Full);
        recordRestore(part, source, by);
        if (beforeReplace) beforeReplace();
        // A journal a crash left belongs to the file being replaced; the
        // engine would play it back into the restored one.
        QFile::remove(database + QStringLiteral("-journal"));
        app::replaceFile(part, database);
    } catch (...) {
        app::removeDatabaseFile(part);
        throw;
    }
}

bool RestoreDB(const QString& dataFolder, const QString& database, const QString& backupName,
               app::Prompter& prompter, const app::Log& log, const BeforeReplace& beforeReplace,
               const store::Actor& by) {
    try {
        restoreFrom(QDir(backupFolder(dataFolder)).filePath(backupName), database, beforeReplace,
                    by);
    } catch (...) {
        prompter.ask({texts::RestoreFailed, texts::AppTitle});
        log.WriteLog(app::errorEntry(std::current_exception(), texts::RestoreLabel));
        return false;
    }
    prompter.ask({texts::RestoreSuccessful, texts::Title, app::Icon::Information});
    return true;
}

} // namespace maintenance
