// Dates and times of logger lines: the general date conversion the proposal
// reads column 1 with, and the three date layouts the append builds the
// reading key from.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>
#include <string>
#include <string_view>

namespace importer {

struct When {
    QDate date;
    QTime time;
    // Whole hours since a fixed day: the difference of two is the number of
    // clock-hour boundaries between them (10:59 to 11:00 counts 1).
    qint64 hourIndex() const { return date.toJulianDay() * 24 + time.hour(); }
};

// Which of two leading numbers of a date is the day when the year comes last.
enum class DayOrder { DayFirst, MonthFirst };
// As the system's short date form orders them.
DayOrder systemDayOrder();

// The general conversion of a text to a date and time: a date year first
// (2024/1/5, with "/", "-" or "."), or with the year last (two or four digits)
// and day and month in the given order, or the other order when that gives no
// date; then optionally a time H:mm[:ss] with AM or PM. Blanks around it are
// allowed. Nothing for anything else, and for impossible values such as 80
// seconds.
std::optional<When> generalDateTime(std::string_view text, DayOrder order);
std::optional<When> generalDateTime(const QString& text, DayOrder order);

// The layouts of column 1 the review window offers, in its option order.
enum class DateLayout { YearFirst = 0, DayFirst = 1, MonthFirst = 2 };

// Column 1 read in a layout: the moment whose "yyyy/MM/dd" and "HH:mm:ss"
// make the reading key. Year first: the general conversion. Day or month
// first: characters 1-2, 4-5 and 7-10 are the day, month and year (or month,
// day and year), 12-19 the time "HH:NN:SS"; they must be digits in that form
// and name a real date and time. Nothing when the text gives none.
std::optional<When> keyParts(std::string_view column1, DateLayout layout, DayOrder order);

// "yyyy/MM/dd" and "HH:mm:ss", as the reading key writes them, digit by digit:
// an import writes one of each for every line.
std::string keyDateText(const QDate& d);
std::string keyTimeText(const QTime& t);

} // namespace importer
