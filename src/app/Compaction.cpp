#include "app/Compaction.h"

#include "app/FileReplace.h"
#include "app/Texts.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace app {

bool CompactDB(const QString& folder, const QString& fileName, Prompter& prompter, const Log& log,
               const std::function<void()>& beforeReplace) {
    const QString original = QDir(folder).filePath(fileName);
    const QString copy = QDir(folder).filePath(QStringLiteral("Copy_") + fileName);
    const bool staleCopy = QFileInfo::exists(copy);
    try {
        {
            auto db = store::Database::open(original);
            // VACUUM INTO refuses an existing file: a stale copy fails here.
            store::Statement vacuum = db->prepare(QStringLiteral("VACUUM INTO ?1"));
            vacuum.bind(1, copy);
            vacuum.run();
        }
        if (beforeReplace) beforeReplace();
        replaceFile(copy, original);
        return true;
    } catch (...) {
        // Only a copy this run began is ours to remove; a stale one stays for
        // the user to look at.
        if (!staleCopy) QFile::remove(copy);
        prompter.ask({texts::errorCompacting(fileName), texts::AppTitle});
        log.WriteLog(errorEntry(std::current_exception(), texts::CompactLabel));
        return false;
    }
}

} // namespace app
