#include "app/FileReplace.h"

#include "store/Error.h"

#include <QDir>
#include <QFile>

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

} // namespace

void flushToDisk(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw store::Error(store::code::CantOpen, file.errorString() + QStringLiteral(": ") + path);
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    if (!synced) throw store::Error(store::code::Error, QStringLiteral("Could not write ") + path);
}

void replaceFile(const QString& finished, const QString& target) {
    // Without the flush a power cut after the rename could leave an empty
    // file under the target's name.
    flushToDisk(finished);
    std::error_code error;
    std::filesystem::rename(fsPath(finished), fsPath(target), error);
    if (error)
        throw store::Error(store::code::CantOpen,
                           QString::fromStdString(error.message()) + QStringLiteral(": ") + target);
}

void removeDatabaseFile(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

} // namespace app
