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
