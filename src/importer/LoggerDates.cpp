#include "importer/LoggerDates.h"

#include <QLocale>

namespace importer {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Up to max + 1 digits, so that a caller sees a number that is too long.
int readDigits(const char*& p, const char* end, int max, int& value) {
    int count = 0;
    value = 0;
    while (p < end && count <= max && isDigit(*p)) {
        value = value * 10 + (*p - '0');
        ++p;
        ++count;
    }
    return count;
}

bool isDateSeparator(char c) {
    return c == '/' || c == '-' || c == '.';
}

bool isLetter(char c, char upper) {
    return c == upper || c == char(upper + ('a' - 'A'));
}

QDate readDate(const char*& p, const char* end, DayOrder order) {
    int a = 0, b = 0, c = 0;
    const int na = readDigits(p, end, 4, a);
    if (na == 0 || na > 4 || p == end || !isDateSeparator(*p++)) return {};
    const int nb = readDigits(p, end, 2, b);
    if (nb == 0 || nb > 2 || p == end || !isDateSeparator(*p++)) return {};
    const int nc = readDigits(p, end, 4, c);
    if (nc == 0 || nc > 4) return {};
    if (na >= 3) return nc <= 2 ? QDate(a, b, c) : QDate();
    if (nc != 4 && nc != 2) return {};
    // Two-digit years as the system reads them: 00 to 29 this century.
    const int year = nc == 4 ? c : (c < 30 ? 2000 + c : 1900 + c);
    const QDate preferred = order == DayOrder::DayFirst ? QDate(year, b, a) : QDate(year, a, b);
    if (preferred.isValid()) return preferred;
    return order == DayOrder::DayFirst ? QDate(year, a, b) : QDate(year, b, a);
}

// " H:mm[:ss] [AM|PM]" up to the end; midnight when nothing follows the date.
std::optional<QTime> readTime(const char*& p, const char* end) {
    if (p == end) return QTime(0, 0);
    if (!isBlank(*p)) return std::nullopt;
    while (p < end && isBlank(*p))
        ++p;
    if (p == end) return QTime(0, 0);
    int h = 0, m = 0, s = 0;
    const int nh = readDigits(p, end, 2, h);
    if (nh == 0 || nh > 2 || p == end || *p++ != ':') return std::nullopt;
    const int nm = readDigits(p, end, 2, m);
    if (nm == 0 || nm > 2) return std::nullopt;
    if (p < end && *p == ':') {
        ++p;
        const int ns = readDigits(p, end, 2, s);
        if (ns == 0 || ns > 2) return std::nullopt;
    }
    while (p < end && isBlank(*p))
        ++p;
    if (end - p >= 2 && (isLetter(*p, 'A') || isLetter(*p, 'P')) && isLetter(p[1], 'M')) {
        if (h < 1 || h > 12) return std::nullopt;
        h = h % 12 + (isLetter(*p, 'P') ? 12 : 0);
        p += 2;
        while (p < end && isBlank(*p))
            ++p;
    }
    if (p != end || h > 23 || m > 59 || s > 59) return std::nullopt;
    return QTime(h, m, s);
}

int number(std::string_view s, size_t from, size_t count) {
    int value = 0;
    for (size_t i = from; i < from + count; ++i)
        value = value * 10 + (s[i] - '0');
    return value;
}

} // namespace

DayOrder systemDayOrder() {
    const QString form = QLocale::system().dateFormat(QLocale::ShortFormat);
    const qsizetype day = form.indexOf(QLatin1Char('d'));
    const qsizetype month = form.indexOf(QLatin1Char('M'));
    return month >= 0 && (day < 0 || month < day) ? DayOrder::MonthFirst : DayOrder::DayFirst;
}

std::optional<When> generalDateTime(std::string_view text, DayOrder order) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && isBlank(*p))
        ++p;
    while (end > p && isBlank(end[-1]))
        --end;
    const QDate date = readDate(p, end, order);
    if (!date.isValid()) return std::nullopt;
    const std::optional<QTime> time = readTime(p, end);
    if (!time) return std::nullopt;
    return When{date, *time};
}

std::optional<When> generalDateTime(const QString& text, DayOrder order) {
    const QByteArray bytes = text.toLatin1();
    return generalDateTime(std::string_view(bytes.constData(), size_t(bytes.size())), order);
}

std::optional<When> keyParts(std::string_view s, DateLayout layout, DayOrder order) {
    if (layout == DateLayout::YearFirst) return generalDateTime(s, order);
    // "99/99/9999 99:99:99" ("-" or "." may part the date), nothing missing:
    // the time's text goes into the key as it stands.
    static constexpr std::string_view Form = "99/99/9999 99:99:99";
    if (s.size() < Form.size()) return std::nullopt;
    for (size_t i = 0; i < Form.size(); ++i) {
        const bool fits = Form[i] == '9'   ? isDigit(s[i])
                          : Form[i] == '/' ? isDateSeparator(s[i])
                                           : s[i] == Form[i];
        if (!fits) return std::nullopt;
    }
    const int first = number(s, 0, 2), second = number(s, 3, 2);
    const bool dayFirst = layout == DateLayout::DayFirst;
    const QDate date(number(s, 6, 4), dayFirst ? second : first, dayFirst ? first : second);
    const int h = number(s, 11, 2), m = number(s, 14, 2), sec = number(s, 17, 2);
    if (!date.isValid() || h > 23 || m > 59 || sec > 59) return std::nullopt;
    return When{date, QTime(h, m, sec)};
}

namespace {

void twoDigits(std::string& out, int value) {
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

} // namespace

std::string keyDateText(const QDate& d) {
    std::string s;
    s.reserve(10);
    twoDigits(s, d.year() / 100);
    twoDigits(s, d.year() % 100);
    s += '/';
    twoDigits(s, d.month());
    s += '/';
    twoDigits(s, d.day());
    return s;
}

std::string keyTimeText(const QTime& t) {
    std::string s;
    s.reserve(8);
    twoDigits(s, t.hour());
    s += ':';
    twoDigits(s, t.minute());
    s += ':';
    twoDigits(s, t.second());
    return s;
}

} // namespace importer
