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

// Copies source to target a block at a time, telling progress the bytes done.
bool copyTold(const QString& source, const QString& target, const ReadProgress& progress) {
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) return false;
    const qint64 size = in.size();
    qint64 done = 0;
    QByteArray block(qsizetype(4) << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(block.data(), block.size());
        if (n < 0) return false;
        if (n == 0) break;
        if (out.write(block.constData(), n) != n) return false;
        done += n;
        progress(std::min(done, size), size);
    }
    return out.flush() && done == size;
}

// The chosen file, byte for byte, in place of the working copy. Copied aside
// first, so that a failed copy leaves no half file under the copy's name.
// A large file's copy tells progress as it goes.
void copyWorkingFile(const QString& source, const QString& target,
                     const ReadProgress& progress = {}) {
    const QString a = QFileInfo(source).canonicalFilePath();
    if (!a.isEmpty() && a == QFileInfo(target).canonicalFilePath()) return; // chosen itself
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!(progress ? copyTold(source, partial, progress) : QFile::copy(source, partial))) {
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

namespace {

// Schema.ini lives only while the file is being opened; a half-written one
// goes too.
struct SchemaForTheOpen {
    explicit SchemaForTheOpen(const QDir& folder) : path(folder.filePath(texts::SchemaFileName)) {
        try {
            writeSchemaIni(folder.path());
        } catch (...) {
            QFile::remove(path);
            throw;
        }
    }
    ~SchemaForTheOpen() { QFile::remove(path); }
    QString path;
};

} // namespace

std::unique_ptr<TextTable> openLoggerFile(const QString& dataFolder, const QString& path) {
    const QDir folder(dataFolder);
    const SchemaForTheOpen schema(folder);
    if (!FileExists(path)) return nullptr;
    copyWorkingFile(path, folder.filePath(texts::ImportWorkingFile));
    std::unique_ptr<TextTable> table = TextTable::open(folder.path(), texts::ImportWorkingFile);
    if (table) table->setSource(QFileInfo(path).fileName());
    return table;
}

std::unique_ptr<TextFile> openLoggerText(const QString& dataFolder, const QString& path,
                                         const ReadLimits& limits, const ReadProgress& progress) {
    const QDir folder(dataFolder);
    const SchemaForTheOpen schema(folder);
    if (!FileExists(path)) return nullptr;
    const qint64 size = QFileInfo(path).size();
    const auto told = [&](qint64 base) -> ReadProgress {
        if (!progress) return {};
        return [&progress, base, size](qint64 done, qint64) { progress(base + done, 2 * size); };
    };
    copyWorkingFile(path, folder.filePath(texts::ImportWorkingFile),
                    size > limits.wholeFileBytes ? told(0) : ReadProgress());
    std::unique_ptr<TextFile> file =
        TextFile::open(folder.path(), texts::ImportWorkingFile, limits, told(size));
    file->setSource(QFileInfo(path).fileName());
    return file;
}

} // namespace importer
