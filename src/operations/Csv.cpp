#include "operations/Csv.h"

#include <charconv>
#include <cmath>

namespace operations::csv {

namespace {

bool needsQuotes(const QString& text) {
    for (const QChar c : text)
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r'))
            return true;
    return false;
}

void appendShortest(std::string& out, double value) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, written.ptr);
}

} // namespace

QString field(const QString& text) {
    if (!needsQuotes(text)) return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString number(double value) {
    std::string out;
    appendShortest(out, value);
    return QString::fromStdString(out);
}

QString value(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return number(v.toDouble());
    default:
        return field(v.toString());
    }
}

void appendField(std::string& out, const QString& text) {
    out += field(text).toStdString();
}

void appendNumber(std::string& out, const std::optional<double>& value) {
    if (value && std::isfinite(*value)) appendShortest(out, *value);
}

void appendJson(std::string& out, const std::optional<double>& value) {
    if (value && std::isfinite(*value))
        appendShortest(out, *value);
    else
        out += "null";
}

std::optional<double> rounded(const std::optional<double>& value) {
    if (!value || !std::isfinite(*value)) return value;
    const double r = std::round(*value * 1e6) / 1e6;
    return r == 0 ? 0.0 : r; // no "-0"
}

} // namespace operations::csv
