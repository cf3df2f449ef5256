#include "app/shell/Compaction.h"

#include "app/FileReplace.h"
#include "app/Texts.h"
#include "store/Database.h"
#include "store/RecycleArea.h"

#include <QDir>
#include <QFileInfo>

namespace app {

namespace {

qint64 pragmaNumber(store::Database& db, const QString& pragma) {
    store::Statement st = db.prepare(QStringLiteral("PRAGMA ") + pragma);
    return st.step() ? st.int64(0) : 0;
}

} // namespace

bool worthCompacting(store::Database& db) {
    const qint64 free = pragmaNumber(db, QStringLiteral("freelist_count"));
    const qint64 pages = pragmaNumber(db, QStringLiteral("page_count"));
    return free > 0 && free * FreeShareToCompact >= pages;
}

bool CompactDB(const QString& database, Prompter& prompter, const Log& log,
               const std::function<void()>& beforeReplace) {
    const QFileInfo original(database);
    const QString fileName = original.fileName();
    const QString copy = original.dir().filePath(QStringLiteral("Copy_") + fileName);
    try {
        // VACUUM INTO refuses an existing file.
        removeDatabaseFile(copy);
        // Another program (the command-line tool) may write to the file: it
        // must not commit between the copy and the rename, or its readings
        // would be lost with the old file. A second connection holds the
        // write lock throughout; the copy only needs to read.
        auto guard = store::Database::open(database);
        guard->execute(QStringLiteral("BEGIN IMMEDIATE"));
        {
            auto db = store::Database::open(database);
            // Rewriting a file that has little to give back costs the user
            // seconds at every exit on a large database, and saves nothing.
            if (!worthCompacting(*db)) return true;
            store::Statement vacuum = db->prepare(QStringLiteral("VACUUM INTO ?1"));
            vacuum.bind(1, copy);
            vacuum.run();
        }
        if (beforeReplace) beforeReplace();
        replaceFile(copy, database);
        guard->execute(QStringLiteral("ROLLBACK"));
        return true;
    } catch (...) {
        removeDatabaseFile(copy);
        prompter.ask({texts::errorCompacting(fileName), texts::AppTitle});
        log.WriteLog(errorEntry(std::current_exception(), texts::CompactLabel));
        return false;
    }
}

qint64 PurgeRecycleArea(const QString& database, const Clock& clock, const Log& log) {
    qint64 purged = 0;
    logAndLeave(log, texts::PurgeLabel, [&] {
        auto db = store::Database::open(database);
        db->setActor({store::systemUserName(), [&clock] { return clock.now(); }});
        if (!store::hasRecycleArea(*db)) return;
        const QDate before = clock.now().date().addDays(-store::recycleKeepDays(*db));
        db->immediateTransaction([&] { purged = store::purgeRecycleArea(*db, before); });
    });
    return purged;
}

} // namespace app
