#include "importer/TextFile.h"

#include "store/Error.h"

#include <QDir>

#include <algorithm>
#include <limits>

namespace importer {

namespace {

bool lineEnd(char c) {
    return c == '\n' || c == '\r' || c == '\0';
}

// The rows of bytes as TextTable splits them: every line end ends a line
// (a quoted field never runs past one), and a line is a row when it holds
// more than blanks; with a header line, the first such line is none. Calls
// f(first, end) for each row: where its line begins and where its line end
// stands (or the bytes end), counted from base.
template <class F>
void forEachRowLine(const QByteArray& bytes, qint64 base, char delimiter, bool headerLine, F&& f) {
    const auto blank = [delimiter](char c) { return (c == ' ' || c == '\t') && c != delimiter; };
    const char* const begin = bytes.constData();
    const char* const end = begin + bytes.size();
    const char* line = begin;
    bool text = false;
    bool headerLeft = headerLine;
    const auto lineDone = [&](const char* stop) {
        if (!text) return;
        text = false;
        if (headerLeft)
            headerLeft = false;
        else
            f(base + (line - begin), base + (stop - begin));
    };
    for (const char* p = begin; p < end; ++p) {
        if (lineEnd(*p)) {
            lineDone(p);
            line = p + 1;
        } else if (!text && !blank(*p)) {
            text = true;
        }
    }
    lineDone(end);
}

[[noreturn]] void readFailed(const QFile& file, const QString& path) {
    throw store::Error(store::code::CantOpen, file.errorString() + QStringLiteral(": ") + path);
}

} // namespace

std::unique_ptr<TextFile> TextFile::open(const QString& folder, const QString& fileName,
                                         const ReadLimits& limits, const ReadProgress& progress) {
    const ColumnDescription description = readColumnDescription(folder, fileName);
    std::unique_ptr<TextFile> f(new TextFile);
    f->description_ = description;
    f->path_ = QDir(folder).filePath(fileName);
    // Limits within what one table holds: a chunk, and each end shown, is
    // up to its bytes and one line more.
    ReadLimits& l = f->limits_;
    l = limits;
    l.wholeFileBytes = std::min(l.wholeFileBytes, TextTable::MaxFileSize);
    l.chunkBytes = std::clamp<qint64>(l.chunkBytes, 1, TextTable::MaxFileSize / 4);
    l.chunkRows = std::max(l.chunkRows, 1);
    l.lineBytes = std::clamp<qint64>(l.lineBytes, 1, TextTable::MaxFileSize / 2);
    l.shownLines = std::max(l.shownLines, 0);
    l.shownBytes = std::clamp<qint64>(l.shownBytes, 0, TextTable::MaxFileSize / 4);

    f->file_.setFileName(f->path_);
    if (!f->file_.open(QIODevice::ReadOnly)) readFailed(f->file_, f->path_);
    f->size_ = f->file_.size();
    if (f->size_ <= l.wholeFileBytes) {
        f->whole_ = std::make_unique<TextTable>(f->file_.readAll(), description);
        f->file_.close();
        return f;
    }
    f->scan(progress);
    return f;
}

void TextFile::scan(const ReadProgress& progress) {
    constexpr qint64 Block = qint64(1) << 20;
    const char delimiter = description_.delimiter;
    const auto blank = [delimiter](char c) { return (c == ' ' || c == '\t') && c != delimiter; };

    const QByteArray mark = file_.peek(3);
    start_ = mark == QByteArrayLiteral("\xEF\xBB\xBF") ? 3 : 0;
    if (!file_.seek(start_)) readFailed(file_, path_);

    TextProbe probe;
    QByteArray partial; // a line begun in an earlier block: the probe takes whole lines
    bool headerLeft = description_.headerLine;
    bool text = false;
    qint64 rows = 0;
    qint64 lineStart = start_;
    qint64 chunkStart = start_;
    int chunkRows = 0;
    qint64 at = start_;
    // Locals all, so that the bytes read, which may alias anything, keep none
    // of them from registers.
    const int mostRows = limits_.chunkRows;
    const qint64 mostBytes = limits_.chunkBytes;
    while (at < size_) {
        const QByteArray block = file_.read(std::min(Block, size_ - at));
        if (block.isEmpty()) readFailed(file_, path_);
        const char* const b = block.constData();
        const qsizetype n = block.size();
        qsizetype lastEnd = -1;
        for (qsizetype i = 0; i < n; ++i) {
            const char c = b[i];
            if (lineEnd(c)) {
                lastEnd = i;
                if (text) {
                    text = false;
                    if (headerLeft) {
                        headerLeft = false;
                    } else {
                        ++rows;
                        ++chunkRows;
                    }
                }
                lineStart = at + i + 1;
                // The header line stays in the first chunk, read with it.
                if (!headerLeft && (chunkRows >= mostRows || lineStart - chunkStart >= mostBytes)) {
                    chunks_.push_back({chunkStart, int(rows - chunkRows), chunkRows});
                    chunkStart = lineStart;
                    chunkRows = 0;
                }
            } else if (!text && !blank(c)) {
                text = true;
            }
        }
        at += n;
        if (rows >= std::numeric_limits<int>::max())
            throw store::Error(18 /* SQLITE_TOOBIG */,
                               QStringLiteral("the text file has more than %1 lines: %2")
                                   .arg(std::numeric_limits<int>::max() - 1)
                                   .arg(path_));
        if (at - lineStart > limits_.lineBytes)
            throw store::Error(
                18 /* SQLITE_TOOBIG */,
                QStringLiteral("line %1 of the text file is longer than %2 bytes: %3")
                    .arg(rows + 1)
                    .arg(limits_.lineBytes)
                    .arg(path_));
        if (lastEnd < 0) {
            partial += block;
        } else {
            partial.append(b, lastEnd + 1);
            probe.add(partial.constBegin(), partial.constEnd());
            partial = block.sliced(lastEnd + 1);
        }
        if (progress) progress(at, size_);
    }
    probe.add(partial.constBegin(), partial.constEnd());
    if (text && !headerLeft) {
        ++rows;
        ++chunkRows;
    }
    if (chunkStart < size_ || chunks_.empty())
        chunks_.push_back({chunkStart, int(rows - chunkRows), chunkRows});
    rows_ = int(rows);
    utf8_ = start_ > 0 || probe.utf8();
    binary_ = probe.binary();
}

bool TextFile::binary() const {
    return whole_ ? whole_->binary() : binary_;
}

int TextFile::RecordCount() const {
    return whole_ ? whole_->RecordCount() : rows_;
}

void TextFile::setSource(const QString& name) {
    source_ = name;
    if (whole_) whole_->setSource(name);
}

qint64 TextFile::chunkEnd(size_t chunk) const {
    return chunk + 1 < chunks_.size() ? chunks_[chunk + 1].offset : size_;
}

QByteArray TextFile::readBytes(qint64 from, qint64 to) const {
    if (!file_.seek(from)) readFailed(file_, path_);
    QByteArray bytes = file_.read(to - from);
    if (bytes.size() != to - from) changed();
    return bytes;
}

std::unique_ptr<TextTable> TextFile::tableOf(qint64 from, qint64 to, bool atStart) const {
    ColumnDescription d = description_;
    d.headerLine = d.headerLine && atStart;
    return std::make_unique<TextTable>(from < to ? readBytes(from, to) : QByteArray(), d, utf8_);
}

void TextFile::changed() const {
    throw store::Error(store::code::CantOpen,
                       QStringLiteral("the text file changed while it was read: ") + path_);
}

void TextFile::forEachChunk(const ChunkFunction& f, const ReadProgress& progress) const {
    if (whole_) {
        f(*whole_, 0);
        if (progress) progress(size_, size_);
        return;
    }
    for (size_t i = 0; i < chunks_.size(); ++i) {
        const Chunk& c = chunks_[i];
        const std::unique_ptr<TextTable> table = tableOf(c.offset, chunkEnd(i), i == 0);
        if (table->RecordCount() != c.rows) changed();
        f(*table, c.firstRow);
        if (progress) progress(chunkEnd(i), size_);
    }
}

TextFile::Line TextFile::rowLine(int row) const {
    for (size_t i = 0; i < chunks_.size(); ++i) {
        const Chunk& c = chunks_[i];
        if (row >= c.firstRow + c.rows) continue;
        Line found{-1, -1};
        int k = c.firstRow;
        forEachRowLine(readBytes(c.offset, chunkEnd(i)), c.offset, description_.delimiter,
                       description_.headerLine && i == 0, [&](qint64 first, qint64 end) {
                           if (k++ == row) found = {first, end};
                       });
        if (found.first < 0) changed();
        return found;
    }
    changed();
}

int TextFile::firstRowFrom(qint64 offset) const {
    for (size_t i = 0; i < chunks_.size(); ++i) {
        const Chunk& c = chunks_[i];
        if (offset >= chunkEnd(i)) continue;
        if (offset <= c.offset) return c.firstRow;
        int before = c.firstRow;
        forEachRowLine(readBytes(c.offset, chunkEnd(i)), c.offset, description_.delimiter,
                       description_.headerLine && i == 0, [&](qint64 first, qint64) {
                           if (first < offset) ++before;
                       });
        return before;
    }
    return rows_;
}

std::unique_ptr<TextTable> TextFile::rowsTable(int first, int end) const {
    // From the first row's line to the last one's line end: neither the
    // header line nor padding around the rows is read.
    if (first >= end) return std::make_unique<TextTable>(QByteArray(), description_, utf8_);
    return tableOf(rowLine(first).first, rowLine(end - 1).end, false);
}

TextFile::Ends TextFile::ends() const {
    Ends e;
    if (whole_) return e;
    const int most = limits_.shownLines;
    const int headRows = std::min({most, rows_, firstRowFrom(start_ + limits_.shownBytes)});
    e.tailFirst = std::max({headRows, rows_ - most, firstRowFrom(size_ - limits_.shownBytes)});
    e.head = rowsTable(0, headRows);
    e.tail = rowsTable(e.tailFirst, rows_);
    if (e.head->RecordCount() != headRows || e.tail->RecordCount() != rows_ - e.tailFirst)
        changed();
    return e;
}

} // namespace importer
