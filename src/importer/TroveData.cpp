#include "importer/TroveData.h"

#include "importer/SchemaIni.h"
#include "importer/Texts.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace importer {

namespace {

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdWString());
}

// The chosen file, byte for byte, in place of the working copy. Copied aside
// first, so that a failed copy leaves no half file under the copy's name.
void copyWorkingFile(const QString& source, const QString& target) {
    const QString a = QFileInfo(source).canonicalFilePath();
    if (!a.isEmpty() && a == QFileInfo(target).canonicalFilePath()) return; // chosen itself
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(source, partial)) {
        QFile::remove(partial);
        throw store::Error(store::code::CantOpen, QStringLiteral("Cannot copy ") + source);
    }
    std::error_code error;
    std::filesystem::rename(fsPath(partial), fsPath(target), error);
    if (error) {
        QFile::remove(partial);
        throw store::Error(store::code::CantOpen,
                           QString::fromStdString(error.message()) + QStringLiteral(": ") + target);
    }
}

} // namespace

bool FileExists(const QString& path) noexcept {
    bool exists = false;
    app::ignoreFailure([&] { exists = !path.isEmpty() && QFileInfo(path).isFile(); });
    return exists;
}

std::unique_ptr<TextTable> openLoggerFile(const QString& dataFolder, const QString& path) {
    const QDir folder(dataFolder);
    // Schema.ini lives only while the file is being opened.
    struct RemoveOnExit {
        QString path;
        ~RemoveOnExit() { QFile::remove(path); }
    } schema{folder.filePath(texts::SchemaFileName)};
    writeSchemaIni(folder.path());
    if (!FileExists(path)) return nullptr;
    copyWorkingFile(path, folder.filePath(texts::ImportWorkingFile));
    std::unique_ptr<TextTable> table = TextTable::open(folder.path(), texts::ImportWorkingFile);
    if (table) table->setSource(QFileInfo(path).fileName());
    return table;
}

} // namespace importer
