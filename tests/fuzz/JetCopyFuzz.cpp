// libFuzzer target for the copy step: a mutated Jet file is opened, its tables
// listed and every row copied into SQLite. Damaged input must end in
// store::Error, never a crash, a hang or a read outside a buffer.
#include "migration/Copy.h"
#include "migration/JetFile.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tolvane-jet-fuzz-XXXXXX"));
    static const QString out = dir.filePath(QStringLiteral("copy.sqlite"));
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Whole pages, so that a mutation that changes the length still reaches
    // the tables rather than stopping at the check of the file's shape.
    const qsizetype page = size > 0x14 && data[0x14] == 0 ? 2048 : 4096;
    if (bytes.size() % page != 0) bytes.append(page - bytes.size() % page, '\0');
    try {
        auto jet = migration::JetFile::openBytes(bytes);
        QFile::remove(out);
        migration::copyJetFile(*jet, out);
    } catch (const store::Error&) {
    }
    return 0;
}
