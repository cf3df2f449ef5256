// Numbers and dates as the program writes and reads them in its boxes: the
// three number formats, the number at the start of a text, and the date forms
// a user may type.
#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace app {

enum class NumberFormat {
    Fixed2, // "##0.00": 12 -> 12.00
    UpTo2,  // "##0.0#": 2 -> 2.0, 1.5 -> 1.5, 1.256 -> 1.26
    Fixed1, // "##0.0":  21.46 -> 21.5
};

// Halves are rounded away from zero, on the number as it was written (1.255 ->
// 1.26), not on its nearest binary fraction.
QString formatNumber(double value, NumberFormat format);
// Text that reads as a number comes back formatted; any other text, empty text
// included, comes back unchanged, so that a store of it fails at its column.
QString formatNumber(const QString& text, NumberFormat format);

// The text as a number: blanks around it allowed, "." as the decimal point, no
// letters; nothing for empty text, infinities or anything else.
std::optional<double> toNumber(const QString& text);

// A typed number with "," as its decimal mark, as the boxes' key filters let
// it be typed, written with "." for storing: "12,5" -> "12.5".
QString withDecimalPoint(const QString& text);

// The number at the start of a text, 0 when it begins with none: " 12.5 mm" ->
// 12.5, "-3e2x" -> -300, "abc" -> 0. Blanks before and inside the digits are
// skipped; "." is the decimal point whatever the locale.
double leadingNumber(const QString& text);

// A typed date: year first with "/", "-" or "." between the parts (2024/1/5),
// or the system's short or long date form. Nothing when it is not a date.
std::optional<QDate> toDate(const QString& text);

// The system's short date form, as the program writes "today" into a box.
QString shortDate(const QDate& date);

// "yyyy/MM/dd", the form install dates are kept in.
QString yearFirst(const QDate& date);

} // namespace app
