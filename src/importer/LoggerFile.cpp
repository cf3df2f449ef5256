#include "importer/LoggerFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace importer {

namespace {

constexpr qint64 Chunk = qint64(1) << 20;
// A line longer than this is cut there: a file without line ends must not
// take all memory.
constexpr qsizetype MaxLine = qsizetype(1) << 24;
constexpr qsizetype HeaderWindow = qsizetype(1) << 16;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

// Splits one line. Quoted fields lose their quotes ("" inside is one quote);
// an unclosed quote ends at the line end. scratch must hold line.size() bytes
// without growing, so that the views into it stay valid.
void splitLine(std::string_view line, char delimiter, std::vector<std::string_view>& out,
               std::string& scratch) {
    out.clear();
    scratch.clear();
    scratch.reserve(line.size());
    const char* p = line.data();
    const char* const end = p + line.size();
    const auto blank = [delimiter](char c) { return isBlank(c) && c != delimiter; };
    while (true) {
        while (p < end && blank(*p))
            ++p;
        if (p < end && *p == '"') {
            const size_t start = scratch.size();
            ++p;
            while (p < end) {
                if (*p == '"') {
                    if (p + 1 < end && p[1] == '"') {
                        scratch += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                scratch += *p++;
            }
            // Text after the closing quote still belongs to the field.
            const char* tail = p;
            while (p < end && *p != delimiter)
                ++p;
            const std::string_view rest = trimmed(std::string_view(tail, size_t(p - tail)));
            scratch.append(rest);
            out.emplace_back(scratch.data() + start, scratch.size() - start);
        } else {
            const char* start = p;
            while (p < end && *p != delimiter)
                ++p;
            const char* stop = p;
            while (stop > start && blank(stop[-1]))
                --stop;
            out.emplace_back(start, size_t(stop - start));
        }
        if (p < end && *p == delimiter) {
            ++p;
            continue;
        }
        break;
    }
}

QString decodeField(std::string_view s) {
    const QString t = QString::fromUtf8(s.data(), qsizetype(s.size()));
    // Not UTF-8: read as single bytes.
    if (t.contains(QChar::ReplacementCharacter))
        return QString::fromLatin1(s.data(), qsizetype(s.size()));
    return t;
}

QStringList decodeAll(const std::vector<std::string_view>& fields) {
    QStringList list;
    for (std::string_view f : fields)
        list << decodeField(f);
    return list;
}

// Reads up to max digits; returns how many.
int digits(const char*& p, const char* end, int max, int& value) {
    int n = 0;
    value = 0;
    while (p < end && n < max + 1 && isDigit(*p)) {
        value = value * 10 + (*p++ - '0');
        ++n;
    }
    return n;
}

bool isDateSeparator(char c) {
    return c == '-' || c == '/' || c == '.';
}

// The leading numbers of a date with the year last: their values, for the
// recognition of day and month.
bool leadingPair(std::string_view s, int& a, int& b) {
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end && isBlank(*p))
        ++p;
    const int na = digits(p, end, 2, a);
    if (na == 0 || na > 2 || p == end || !isDateSeparator(*p++)) return false;
    const int nb = digits(p, end, 2, b);
    return nb > 0 && nb <= 2;
}

// The first lines of the header window, without their line ends; a last
// line cut by the window is left out.
std::vector<std::string_view> firstLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t i = 0;
    while (i < text.size() && lines.size() < 400) {
        size_t j = i;
        while (j < text.size() && text[j] != '\n' && text[j] != '\r' && text[j] != '\0')
            ++j;
        if (j == text.size() && text.size() >= size_t(HeaderWindow)) break; // cut by the window
        const std::string_view line = text.substr(i, j - i);
        if (!trimmed(line).empty()) lines.push_back(line);
        if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
        i = j + 1;
    }
    return lines;
}

bool anyOrderStamp(std::string_view s) {
    return loggerStamp(s, DateOrder::YearFirst) || loggerStamp(s, DateOrder::DayFirst) ||
           loggerStamp(s, DateOrder::MonthFirst);
}

} // namespace

int LoggerHeader::fieldIndex(const QString& name) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return int(i);
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

std::optional<When> loggerStamp(std::string_view text, DateOrder order) {
    const std::string_view s = trimmed(text);
    const char* p = s.data();
    const char* const end = p + s.size();
    int a = 0, b = 0, c = 0;
    const int na = digits(p, end, 4, a);
    if (na == 0 || na > 4 || p == end || !isDateSeparator(*p)) return std::nullopt;
    const char separator = *p++;
    const int nb = digits(p, end, 2, b);
    if (nb == 0 || nb > 2 || p == end || *p++ != separator) return std::nullopt;
    const int nc = digits(p, end, 4, c);
    if (nc == 0 || nc > 4) return std::nullopt;
    QDate date;
    if (order == DateOrder::YearFirst) {
        if (na != 4 || nc > 2) return std::nullopt;
        date = QDate(a, b, c);
    } else {
        if (na > 2 || nc != 4) return std::nullopt;
        date = order == DateOrder::DayFirst ? QDate(c, b, a) : QDate(c, a, b);
    }
    if (!date.isValid()) return std::nullopt;
    if (p == end) return When{date, QTime(0, 0)};
    if (*p != 'T' && !isBlank(*p)) return std::nullopt;
    ++p;
    while (p < end && isBlank(*p))
        ++p;
    int h = 0, m = 0, sec = 0;
    const int nh = digits(p, end, 2, h);
    if (nh == 0 || nh > 2 || p == end || *p++ != ':') return std::nullopt;
    const int nm = digits(p, end, 2, m);
    if (nm != 2) return std::nullopt;
    if (p < end && *p == ':') {
        ++p;
        if (digits(p, end, 2, sec) != 2) return std::nullopt;
        if (p < end && (*p == '.' || *p == ',')) {
            ++p;
            int n = 0;
            while (p < end && isDigit(*p)) {
                ++p;
                ++n;
            }
            if (n == 0) return std::nullopt;
        }
    }
    if (p < end && *p == 'Z') ++p;
    if (p != end || h > 23 || m > 59 || sec > 59) return std::nullopt;
    return When{date, QTime(h, m, sec)};
}

std::optional<double> loggerNumber(std::string_view text, char decimal) {
    const std::string_view s = trimmed(text);
    if (s.empty() || s.size() > 64) return std::nullopt;
    // Only the characters of a number: strtod would take "inf", hex and the
    // locale's own mark too.
    std::array<char, 72> buffer{};
    size_t n = 0;
    bool digit = false;
    for (char ch : s) {
        if (isDigit(ch)) {
            digit = true;
        } else if (ch == decimal) {
            ch = '.';
        } else if (ch != '-' && ch != '+' && ch != 'e' && ch != 'E') {
            return std::nullopt;
        }
        buffer[n++] = ch;
    }
    if (!digit) return std::nullopt;
    buffer[n] = '\0';
    char* stop = nullptr;
    const double value = std::strtod(buffer.data(), &stop);
    if (stop != buffer.data() + n || !std::isfinite(value)) return std::nullopt;
    return value;
}

bool isFaultMarker(std::string_view text) {
    const std::string_view s = trimmed(text);
    for (std::string_view marker : {"NAN", "INF", "-INF", "+INF", "-9999999", "-555555"})
        if (equalsNoCase(s, marker)) return true;
    if (const auto v = loggerNumber(s, '.')) return *v == -9999999.0 || *v == -555555.0;
    return false;
}

LoggerHeader readLoggerHeader(const QByteArray& start) {
    LoggerHeader h;
    std::string_view text(start.constData(), size_t(start.size()));
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::vector<std::string_view> lines = firstLines(text);
    if (lines.empty()) return h;
    std::vector<std::string_view> fields;
    std::string scratch;
    splitLine(lines[0], ',', fields, scratch);
    if (!fields.empty() && fields[0] == "TOA5") {
        h.format = LoggerFormat::Toa5;
        h.headed = true;
        h.environment = decodeAll(fields);
        h.headerLines = 4;
        std::array<QStringList, 3> rows;
        for (size_t i = 1; i <= 3 && i < lines.size(); ++i) {
            splitLine(lines[i], ',', fields, scratch);
            rows[i - 1] = decodeAll(fields);
        }
        for (qsizetype k = 0; k < rows[0].size(); ++k)
            h.fields.push_back({rows[0][k], rows[1].value(k), rows[2].value(k)});
    } else {
        // A date (or anything starting with a digit, as a header's names
        // never do) first: the sixteen-column layout, which has no header.
        const std::string_view first = fields.empty() ? std::string_view() : trimmed(fields[0]);
        if (!first.empty() && (isDigit(first.front()) || anyOrderStamp(first))) return h;
        h.format = LoggerFormat::Csv;
        // The delimiter that gives the header's field count on every line
        // looked at; of several, the one that gives most fields.
        size_t best = 0;
        for (char d : {',', ';', '\t'}) {
            splitLine(lines[0], d, fields, scratch);
            const size_t count = fields.size();
            if (count < 2) continue;
            bool steady = true;
            for (size_t i = 1; i < lines.size() && i < 50 && steady; ++i) {
                splitLine(lines[i], d, fields, scratch);
                steady = fields.size() == count;
            }
            if (steady && count > best) {
                best = count;
                h.delimiter = d;
            }
        }
        h.headed = best > 0;
        if (best == 0) {
            // No steady split: the one the header line splits most by.
            for (char d : {',', ';', '\t'}) {
                splitLine(lines[0], d, fields, scratch);
                if (fields.size() > best) {
                    best = fields.size();
                    h.delimiter = d;
                }
            }
        }
        splitLine(lines[0], h.delimiter, fields, scratch);
        const QStringList names = decodeAll(fields);
        h.headerLines = 1;
        QStringList units;
        // A second line whose fields are no dates or numbers, above one that
        // holds a date, is a line of units.
        if (lines.size() >= 3) {
            splitLine(lines[2], h.delimiter, fields, scratch);
            bool dated = false;
            for (std::string_view f : fields)
                dated = dated || anyOrderStamp(f);
            splitLine(lines[1], h.delimiter, fields, scratch);
            bool plain = true;
            for (std::string_view f : fields)
                plain =
                    plain && !anyOrderStamp(f) && !loggerNumber(f, '.') && !loggerNumber(f, ',');
            if (dated && plain) {
                units = decodeAll(fields);
                h.headerLines = 2;
            }
        }
        for (qsizetype k = 0; k < names.size(); ++k)
            h.fields.push_back({names[k], units.value(k), QString()});
    }
    // The data lines looked at: the decimal mark and the order of day and month.
    const size_t first = size_t(h.headerLines);
    bool commaDecimal = false, pointDecimal = false;
    bool dayOver12 = false, monthOver12 = false, yearFirst = false, yearLast = false;
    for (size_t i = first; i < lines.size(); ++i) {
        splitLine(lines[i], h.delimiter, fields, scratch);
        for (std::string_view f : fields) {
            const std::string_view t = trimmed(f);
            if (loggerStamp(t, DateOrder::YearFirst)) {
                yearFirst = true;
                continue;
            }
            if (loggerStamp(t, DateOrder::DayFirst) || loggerStamp(t, DateOrder::MonthFirst)) {
                yearLast = true;
                int a = 0, b = 0;
                if (leadingPair(t, a, b)) {
                    dayOver12 = dayOver12 || a > 12;
                    monthOver12 = monthOver12 || b > 12;
                }
                continue;
            }
            if (h.delimiter == ',') continue;
            const size_t comma = t.find(','), point = t.find('.');
            if (comma != std::string_view::npos && point == std::string_view::npos &&
                loggerNumber(t, ','))
                commaDecimal = true;
            if (point != std::string_view::npos && comma == std::string_view::npos &&
                loggerNumber(t, '.'))
                pointDecimal = true;
        }
    }
    if (h.delimiter != ',' && commaDecimal && !pointDecimal) h.decimal = ',';
    if (yearFirst && !yearLast)
        h.dateOrder = DateOrder::YearFirst;
    else if (yearLast && !yearFirst && dayOver12 != monthOver12)
        h.dateOrder = dayOver12 ? DateOrder::DayFirst : DateOrder::MonthFirst;
    return h;
}

LoggerReader::LoggerReader(QIODevice& device) : device_(device) {
    buffer_ = device_.peek(HeaderWindow);
    header_ = readLoggerHeader(buffer_);
    buffer_.clear();
    // A byte-order mark is no part of the first line.
    const QByteArray bom = device_.peek(3);
    if (bom == QByteArray("\xEF\xBB\xBF", 3)) {
        device_.read(3);
        consumed_ = 3;
    }
    std::string_view skipped;
    for (int i = 0; i < header_.headerLines;) {
        if (!nextRawLine(skipped)) break;
        if (!trimmed(skipped).empty()) ++i;
    }
}

bool LoggerReader::nextRawLine(std::string_view& line) {
    while (true) {
        const char* data = buffer_.constData();
        const qsizetype size = buffer_.size();
        qsizetype i = pos_;
        while (i < size && data[i] != '\n' && data[i] != '\r' && data[i] != '\0')
            ++i;
        if (i < size || eof_ || i - pos_ >= MaxLine) {
            if (i == pos_ && i >= size && eof_) return false;
            line = std::string_view(data + pos_, size_t(i - pos_));
            ++lineNumber_;
            qsizetype after = i;
            if (after < size) {
                if (data[after] == '\r' && after + 1 < size && data[after + 1] == '\n') {
                    ++after;
                } else if (data[after] == '\r' && after + 1 == size && !eof_) {
                    // The LF of a CR LF may be in the next chunk.
                    --lineNumber_;
                    goto more;
                }
                ++after;
            }
            consumed_ += after - pos_;
            pos_ = after;
            return true;
        }
    more:
        // Keep the unread part and append the next chunk.
        buffer_.remove(0, pos_);
        pos_ = 0;
        const QByteArray chunk = device_.read(Chunk);
        if (chunk.isEmpty()) eof_ = true;
        buffer_.append(chunk);
    }
}

void LoggerReader::split(std::string_view line, std::vector<std::string_view>& out) {
    splitLine(line, header_.delimiter, out, unquoted_);
}

bool LoggerReader::next(Line& line) {
    std::string_view raw;
    while (nextRawLine(raw)) {
        if (trimmed(raw).empty()) continue;
        line.number = lineNumber_;
        split(raw, line.fields);
        return true;
    }
    return false;
}

} // namespace importer
