#include "app/Compaction.h"

#include "app/Texts.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace app {

namespace {

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdWString());
}

// The copy must be on disk before it replaces the original, or a power cut
// after the rename could leave an empty file under the database's name.
void flushToDisk(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw store::Error(store::code::Error, file.errorString());
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    if (!synced) throw store::Error(store::code::Error, QStringLiteral("Could not write ") + path);
}

} // namespace

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
        flushToDisk(copy);
        if (beforeReplace) beforeReplace();
        std::error_code error;
        std::filesystem::rename(fsPath(copy), fsPath(original), error);
        if (error) throw store::Error(store::code::Error, QString::fromStdString(error.message()));
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
