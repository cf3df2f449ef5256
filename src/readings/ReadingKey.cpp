#include "readings/ReadingKey.h"

#include "store/Criteria.h"

namespace readings {

QString keyDate(const QDate& date) {
    return QStringLiteral("%1/%2/%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString keyTime(const QTime& time) {
    return QStringLiteral("%1:%2:%3")
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}

QString readingKey(const QString& sensorNumber, const QDate& date, const QTime& time) {
    return sensorNumber + QLatin1Char(' ') + keyDate(date) + QLatin1Char(' ') + keyTime(time);
}

QString fullDateText(const QDate& date, const QTime& time) {
    QString text = keyDate(date) + QLatin1Char(' ') + keyTime(time);
    text[4] = text[7] = QLatin1Char('-');
    return text;
}

namespace {

// Days since 1970-01-01 of a civil date.
qint64 daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return qint64(era) * 146097 + doe - 719468;
}

} // namespace

std::optional<qint64> fullDateSeconds(std::string_view stored) {
    // "yyyy-MM-dd HH:mm:ss", read digit by digit: a graph reads a great many.
    if (stored.size() == 19 && stored[4] == '-' && stored[7] == '-' && stored[13] == ':' &&
        stored[16] == ':') {
        bool ok = true;
        auto num = [&](size_t from, size_t count) {
            int v = 0;
            for (size_t k = from; k < from + count; ++k) {
                const char c = stored[k];
                ok = ok && c >= '0' && c <= '9';
                v = v * 10 + (c - '0');
            }
            return v;
        };
        const int y = num(0, 4), mo = num(5, 2), d = num(8, 2);
        const int h = num(11, 2), mi = num(14, 2), s = num(17, 2);
        if (ok && mo >= 1 && mo <= 12 && d >= 1 && d <= 31 && h < 24 && mi < 60 && s < 60)
            return daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
    }
    QDateTime t = QDateTime::fromString(QString::fromUtf8(stored.data(), qsizetype(stored.size())),
                                        Qt::ISODate);
    if (!t.isValid()) return std::nullopt;
    t.setTimeSpec(Qt::UTC);
    return t.toSecsSinceEpoch();
}

QString fullDateOfSeconds(qint64 seconds) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    return fullDateText(t.date(), t.time());
}

QDate storedDate(const QString& text) {
    return QDate::fromString(text.trimmed(), QStringLiteral("yyyy/MM/dd"));
}

QTime storedTime(const QString& text) {
    return QTime::fromString(text.trimmed(), QStringLiteral("HH:mm:ss"));
}

void findReading(store::RowSet& rs, const QString& key) {
    rs.MoveFirst();
    rs.Find(store::textEquals(QStringLiteral("DateTimeKey"), key));
}

bool acceptsValueKey(QChar c) {
    switch (c.unicode()) {
    case '.':
    case ',':
    case '-':
    case 8:
    case 9:
    case 13:
    case 127:
        return true;
    default:
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    }
}

} // namespace readings
