// A delimited text file as the import reads it: held whole as one TextTable
// when it is small, otherwise read again a chunk of whole lines at a time, so
// that a file of any size takes bounded memory. Rows are numbered across the
// file as one table would number them.
#pragma once

#include "importer/SchemaIni.h"
#include "importer/TextTable.h"

#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace importer {

struct ReadLimits {
    // Files of at most this many bytes are held whole, as they always were;
    // larger ones are streamed. Never more than TextTable::MaxFileSize.
    qint64 wholeFileBytes = TextTable::MaxFileSize;
    // A streamed file's chunk: whole lines, up to about this many bytes and
    // at most chunkRows rows (the fields of a row take 8 bytes each, however
    // short its line). Larger chunks read no faster and hold more: a 300 MB
    // import peaks about 25 MB higher with chunks of 8 MB.
    qint64 chunkBytes = qint64(2) << 20;
    int chunkRows = 16384;
    // The longest line a streamed file may hold.
    qint64 lineBytes = TextTable::MaxFileSize / 2;
    // Of a streamed file the review window shows the first and the last
    // shownLines lines, each part taking at most shownBytes.
    int shownLines = 100000;
    qint64 shownBytes = qint64(64) << 20;
};

// Told how many bytes of how many are done.
using ReadProgress = std::function<void(qint64 done, qint64 total)>;

class TextFile {
public:
    // Opens <folder>/<fileName> as Schema.ini in folder describes it. A file
    // up to limits.wholeFileBytes is read whole; a larger one is read once
    // for its encoding, whether it is text and where its chunks and rows
    // are (progress told), and stays open for the passes that follow.
    // Throws store::Error
    // when the file or its description cannot be read, or a line is longer
    // than limits.lineBytes.
    static std::unique_ptr<TextFile> open(const QString& folder, const QString& fileName,
                                          const ReadLimits& limits = {},
                                          const ReadProgress& progress = {});

    // The one table of a file held whole; nothing when it is streamed.
    const TextTable* whole() const { return whole_.get(); }
    bool streamed() const { return !whole_; }
    const ReadLimits& limits() const { return limits_; }

    bool binary() const;
    int RecordCount() const;
    qint64 size() const { return size_; }

    // As TextTable::source.
    const QString& source() const { return source_; }
    void setSource(const QString& name);

    // Every row, in file order: f gets each chunk and the number of rows
    // before it (a file held whole is one chunk). progress is told the bytes
    // done after each chunk. Throws store::Error when the file can no longer
    // be read as it was first read.
    using ChunkFunction = std::function<void(const TextTable& chunk, int firstRow)>;
    void forEachChunk(const ChunkFunction& f, const ReadProgress& progress = {}) const;

    // The first and the last lines of a streamed file, for the review window:
    // head holds rows 0 up to headRows, tail the rows from tailFirst to the
    // end, each at most limits().shownLines rows that begin within
    // limits().shownBytes. They never overlap; tail is empty when head holds
    // every row.
    struct Ends {
        std::unique_ptr<TextTable> head;
        std::unique_ptr<TextTable> tail;
        int tailFirst = 0;
    };
    Ends ends() const;

private:
    struct Chunk {
        qint64 offset = 0; // of its first byte; it ends where the next begins
        int firstRow = 0;
        int rows = 0;
    };

    TextFile() = default;
    void scan(const ReadProgress& progress);
    QByteArray readBytes(qint64 from, qint64 to) const;
    std::unique_ptr<TextTable> tableOf(qint64 from, qint64 to, bool atStart) const;
    qint64 chunkEnd(size_t chunk) const;
    struct Line {
        qint64 first = 0;
        qint64 end = 0;
    };
    Line rowLine(int row) const;
    // The first row whose line begins at offset or later; RecordCount() when none does.
    int firstRowFrom(qint64 offset) const;
    // Rows first up to end as one table.
    std::unique_ptr<TextTable> rowsTable(int first, int end) const;
    [[noreturn]] void changed() const;

    std::unique_ptr<TextTable> whole_;
    ReadLimits limits_;
    ColumnDescription description_;
    QString path_;
    QString source_;
    qint64 size_ = 0;
    // Of a streamed file:
    mutable QFile file_;
    qint64 start_ = 0; // after a byte-order mark
    bool utf8_ = false;
    bool binary_ = false;
    int rows_ = 0;
    std::vector<Chunk> chunks_;
};

} // namespace importer
