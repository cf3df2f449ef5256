#include "importer/TextTable.h"

#include "store/Error.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace importer {

namespace {

// Fields kept at most (8 bytes each): a file of millions of one-character
// lines must be refused, not take all memory.
constexpr qint64 MaxFields = qint64(1) << 26;

bool isAscii(const char* begin, const char* end) {
    return std::all_of(begin, end,
                       [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; });
}

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong
// forms, no surrogates.
bool isUtf8(const char* begin, const char* end) {
    const auto* p = reinterpret_cast<const unsigned char*>(begin);
    const auto* const stop = reinterpret_cast<const unsigned char*>(end);
    while (p < stop) {
        std::uint32_t c = *p++;
        if (c < 0x80) continue;
        int more = 0;
        std::uint32_t least = 0;
        if ((c & 0xE0) == 0xC0) {
            more = 1, least = 0x80, c &= 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2, least = 0x800, c &= 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3, least = 0x10000, c &= 0x07;
        } else {
            return false;
        }
        if (stop - p < more) return false;
        for (int i = 0; i < more; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            c = (c << 6) | (p[i] & 0x3F);
        }
        p += more;
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    }
    return true;
}

// Control characters other than tab, the line ends, form feed and the old
// end-of-file mark, which text files do hold.
bool isControl(unsigned char c) {
    return (c < 0x20 && c != '\0' && c != '\t' && c != '\n' && c != '\r' && c != '\f' &&
            c != 0x1A) ||
           c == 0x7F;
}

[[noreturn]] void tooLarge(const QString& what) {
    throw store::Error(18 /* SQLITE_TOOBIG */,
                       QStringLiteral("the text file is too large: ") + what);
}

} // namespace

void TextProbe::add(const char* begin, const char* end) {
    if (!isAscii(begin, end)) {
        nonAscii_ = true;
        wellFormed_ = wellFormed_ && isUtf8(begin, end);
    }
    // Counted in locals: the bytes read could alias the members.
    qint64 text = 0;
    qint64 control = 0;
    qint64 nulRuns = 0;
    bool inNul = inNul_;
    for (const char* p = begin; p < end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == 0) {
            nulRuns += inNul ? 0 : 1;
            inNul = true;
            continue;
        }
        inNul = false;
        ++text;
        control += isControl(c) ? 1 : 0;
    }
    text_ += text;
    control_ += control;
    nulRuns_ += nulRuns;
    inNul_ = inNul;
}

bool TextProbe::binary() const {
    // A logger line is a date and time at least; padding is one run a line.
    return text_ < 4 * nulRuns_ || control_ * 100 > text_;
}

TextTable::TextTable(QByteArray bytes, const ColumnDescription& description)
    : bytes_(std::move(bytes)), names_(description.names) {
    if (bytes_.size() > MaxFileSize) tooLarge(QStringLiteral("%1 bytes").arg(bytes_.size()));
    const char* begin = bytes_.constData();
    const char* end = begin + bytes_.size();
    // A byte-order mark says UTF-8; so does any file that is valid UTF-8 and
    // not plain ASCII. Anything else is read in single bytes.
    const bool marked =
        end - begin >= 3 && begin[0] == '\xEF' && begin[1] == '\xBB' && begin[2] == '\xBF';
    if (marked) begin += 3;
    TextProbe probe;
    probe.add(begin, end);
    utf8_ = marked || probe.utf8();
    binary_ = probe.binary();
    parse(begin, end, description);
}

TextTable::TextTable(QByteArray bytes, const ColumnDescription& description, bool utf8)
    : bytes_(std::move(bytes)), utf8_(utf8), names_(description.names) {
    if (bytes_.size() > MaxFileSize) tooLarge(QStringLiteral("%1 bytes").arg(bytes_.size()));
    parse(bytes_.constData(), bytes_.constData() + bytes_.size(), description);
}

void TextTable::parse(const char* begin, const char* end, const ColumnDescription& description) {
    const int columns = fieldCount();
    const char delimiter = description.delimiter;
    const auto blank = [delimiter](char c) { return (c == ' ' || c == '\t') && c != delimiter; };
    const auto lineEnd = [](char c) { return c == '\n' || c == '\r' || c == '\0'; };
    const char* const base = bytes_.constData();
    const auto at = [base](const char* p) { return std::uint32_t(p - base); };

    std::vector<Field> row(static_cast<size_t>(columns));
    bool headerLeft = description.headerLine;
    const char* p = begin;
    while (p < end) {
        const char* first = p;
        while (first < end && blank(*first))
            ++first;
        const bool empty = first == end || lineEnd(*first);
        if (empty) {
            p = first;
        } else {
            std::fill(row.begin(), row.end(), Field{});
            for (int column = 0;; ++column) {
                while (p < end && blank(*p))
                    ++p;
                Field f;
                if (p < end && *p == '"') {
                    // A quoted field ends at its closing quote or, unclosed, at
                    // the line end: a stray quote never swallows later lines.
                    const char* start = ++p;
                    bool doubled = false;
                    while (p < end && !lineEnd(*p)) {
                        if (*p == '"') {
                            if (p + 1 < end && p[1] == '"') {
                                doubled = true;
                                p += 2;
                                continue;
                            }
                            break;
                        }
                        ++p;
                    }
                    const char* stop = p;
                    if (p < end && *p == '"') ++p;
                    // Text after the closing quote still belongs to the field.
                    const char* tail = p;
                    while (p < end && *p != delimiter && !lineEnd(*p))
                        ++p;
                    const char* tailEnd = p;
                    while (tailEnd > tail && blank(tailEnd[-1]))
                        --tailEnd;
                    if (!doubled && tail == tailEnd) {
                        f = {at(start), std::int32_t(stop - start)};
                    } else {
                        const auto offset = std::uint32_t(unquoted_.size());
                        for (const char* c = start; c < stop; ++c) {
                            unquoted_ += *c;
                            if (*c == '"') ++c; // the second of a doubled pair
                        }
                        unquoted_.append(tail, tailEnd - tail);
                        f = {offset | FromUnquoted, std::int32_t(unquoted_.size() - offset)};
                    }
                } else {
                    const char* start = p;
                    while (p < end && *p != delimiter && !lineEnd(*p))
                        ++p;
                    const char* stop = p;
                    while (stop > start && blank(stop[-1]))
                        --stop;
                    f = {at(start), std::int32_t(stop - start)};
                }
                if (f.length == 0) f.length = -1;
                if (column < columns) row[size_t(column)] = f;
                if (p < end && *p == delimiter) {
                    ++p;
                    continue;
                }
                break;
            }
            if (headerLeft) {
                headerLeft = false;
            } else {
                if (qint64(fields_.size()) + columns > MaxFields)
                    tooLarge(QStringLiteral("more than %1 fields").arg(MaxFields));
                fields_.insert(fields_.end(), row.begin(), row.end());
                ++rows_;
            }
        }
        // One line end: CR LF, LF, a lone CR or a NUL.
        if (p < end && *p == '\r' && p + 1 < end && p[1] == '\n') ++p;
        if (p < end) ++p;
    }
}

std::unique_ptr<TextTable> TextTable::open(const QString& folder, const QString& fileName) {
    const ColumnDescription description = readColumnDescription(folder, fileName);
    const QString path = QDir(folder).filePath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw store::Error(store::code::CantOpen, file.errorString() + QStringLiteral(": ") + path);
    if (file.size() > MaxFileSize) tooLarge(path);
    return std::make_unique<TextTable>(file.readAll(), description);
}

const TextTable::Field* TextTable::field(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 0 || column >= fieldCount()) return nullptr;
    const Field* f = &fields_[size_t(row) * size_t(fieldCount()) + size_t(column)];
    return f->length < 0 ? nullptr : f;
}

bool TextTable::isNull(int row, int column) const {
    return field(row, column) == nullptr;
}

std::string_view TextTable::raw(int row, int column) const {
    const Field* f = field(row, column);
    if (!f) return {};
    const char* text = (f->offset & FromUnquoted)
                           ? unquoted_.constData() + (f->offset & ~FromUnquoted)
                           : bytes_.constData() + f->offset;
    return {text, size_t(f->length)};
}

QString TextTable::decode(std::string_view bytes) const {
    if (bytes.empty()) return {};
    return utf8_ ? QString::fromUtf8(bytes.data(), qsizetype(bytes.size()))
                 : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

QString TextTable::text(int row, int column) const {
    return decode(raw(row, column));
}

QString TextTable::text(int row, int column, qsizetype most) const {
    // A character takes four bytes at most; a sequence cut short decodes past
    // the characters kept.
    QString t = decode(raw(row, column).substr(0, size_t(std::max<qsizetype>(most, 0)) * 4));
    if (t.size() > most) t.truncate(most > 0 && t[most - 1].isHighSurrogate() ? most - 1 : most);
    return t;
}

QVariant TextTable::value(int row, int column) const {
    const QString t = text(row, column);
    return t.isNull() ? QVariant() : QVariant(t);
}

} // namespace importer
