// The reading key that identifies a reading within its sensor, the value forms
// of its date and time columns, the look-up of a key and the keystroke rule of
// the value boxes.
#pragma once

#include "store/RowSet.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>
#include <string_view>

namespace readings {

// "yyyy/MM/dd" and "HH:mm:ss": always these separators, whatever the locale.
QString keyDate(const QDate& date);
QString keyTime(const QTime& time);
// The sensor number, a blank, the date, a blank, the time:
// "131221005 2013/12/03 20:33:08".
QString readingKey(const QString& sensorNumber, const QDate& date, const QTime& time);
inline QString readingKey(const QString& sensorNumber, const QDateTime& when) {
    return readingKey(sensorNumber, when.date(), when.time());
}
// FullDate as the reading tables keep it: "yyyy-MM-dd HH:mm:ss".
QString fullDateText(const QDate& date, const QTime& time);
// A FullDate as seconds since 1970-01-01 on a clock without daylight saving
// (other ISO forms read too); nothing when it is no date and time.
std::optional<qint64> fullDateSeconds(std::string_view stored);
// The FullDate of such a count of seconds.
QString fullDateOfSeconds(qint64 seconds);

// ReadingDate and ReadingTime read back from their stored text; an invalid
// value when the text is not in its form.
QDate storedDate(const QString& text);
QTime storedTime(const QString& text);

// Moves to the reading holding key, searching from the first; past the last
// row when none does.
void findReading(store::RowSet& rs, const QString& key);

// The characters a value box accepts one keystroke at a time: digits, ".",
// ",", "-", and backspace, tab, carriage return and delete.
bool acceptsValueKey(QChar c);

} // namespace readings
