#include "app/Compaction.h"

#include "app/FileReplace.h"
#include "app/Texts.h"
#include "store/Database.h"

#include <QDir>
#include <QFileInfo>

namespace app {

bool CompactDB(const QString& database, Prompter& prompter, const Log& log,
               const std::function<void()>& beforeReplace) {
    const QFileInfo original(database);
    const QString fileName = original.fileName();
    const QString copy = original.dir().filePath(QStringLiteral("Copy_") + fileName);
    try {
        // VACUUM INTO refuses an existing file.
        removeDatabaseFile(copy);
        {
            auto db = store::Database::open(database);
            store::Statement vacuum = db->prepare(QStringLiteral("VACUUM INTO ?1"));
            vacuum.bind(1, copy);
            vacuum.run();
        }
        if (beforeReplace) beforeReplace();
        replaceFile(copy, database);
        return true;
    } catch (...) {
        removeDatabaseFile(copy);
        prompter.ask({texts::errorCompacting(fileName), texts::AppTitle});
        log.WriteLog(errorEntry(std::current_exception(), texts::CompactLabel));
        return false;
    }
}

} // namespace app
