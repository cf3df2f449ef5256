// Comma-separated text as spreadsheets read it: RFC 4180 quoting, "." as the
// decimal point whatever the locale; and the same numbers as JSON writes them.
#pragma once

#include <QString>
#include <QVariant>

#include <optional>
#include <string>

namespace operations::csv {

// The field quoted when it holds a comma, a quote or a line end.
QString field(const QString& text);
// A number in the fewest digits that read back as the same value.
QString number(double value);
// A stored value: numbers as numbers, ticks TRUE or FALSE, text quoted.
QString value(const QVariant& v);

// The same, appended to UTF-8 text: a long listing is written without a
// string per field. No value appends nothing (CSV) or null (JSON).
void appendField(std::string& out, const QString& text);
void appendNumber(std::string& out, const std::optional<double>& value);
void appendJson(std::string& out, const std::optional<double>& value);

// A computed value to a millionth: the difference of two stored values
// carries the binary fraction's noise (0.1 - 0.3 = -0.19999999999999998).
std::optional<double> rounded(const std::optional<double>& value);

} // namespace operations::csv
