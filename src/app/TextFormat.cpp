#include "app/TextFormat.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace app {

namespace {

double roundHalfAway(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    // Fifteen significant digits drop the binary noise of the multiplication, so
    // that 1.255 scales to 125.5 and not to 125.49999999999999.
    const double scaled = QString::number(value * scale, 'g', 15).toDouble();
    return std::round(scaled) / scale;
}

} // namespace

QString formatNumber(double value, NumberFormat format) {
    const int decimals = format == NumberFormat::Fixed1 ? 1 : 2;
    double rounded = roundHalfAway(value, decimals);
    if (rounded == 0.0) rounded = 0.0; // no "-0.00"
    QString text = QString::number(rounded, 'f', decimals);
    if (format == NumberFormat::UpTo2 && text.endsWith(QLatin1Char('0'))) text.chop(1);
    return text;
}

QString formatNumber(const QString& text, NumberFormat format) {
    const std::optional<double> number = toNumber(text);
    return number ? formatNumber(*number, format) : text;
}

std::optional<double> toNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    for (const QChar c : t) {
        // Only what a number is written with: no "inf", "nan" or hexadecimal.
        if (!c.isDigit() && c != QLatin1Char('.') && c != QLatin1Char('-') &&
            c != QLatin1Char('+') && c != QLatin1Char('e') && c != QLatin1Char('E'))
            return std::nullopt;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString withDecimalPoint(const QString& text) {
    return QString(text).replace(QLatin1Char(','), QLatin1Char('.'));
}

double leadingNumber(const QString& text) {
    QString digits;
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
            ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        digits += text[i++];
    bool point = false, any = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) continue;
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            any = true;
        } else if (c == QLatin1Char('.') && !point) {
            digits += c;
            point = true;
        } else {
            break;
        }
    }
    if (!any) return 0.0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < text.size() && (text[j] == QLatin1Char('-') || text[j] == QLatin1Char('+')))
            exponent += text[j++];
        const qsizetype start = j;
        while (j < text.size() && text[j].isDigit() && text[j].unicode() < 128)
            exponent += text[j++];
        if (j > start) digits += exponent;
    }
    const double value = QLocale::c().toDouble(digits);
    return std::isfinite(value) ? value : 0.0;
}

std::optional<QDate> toDate(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    static const QStringList yearFirstForms{QStringLiteral("yyyy/M/d"), QStringLiteral("yyyy-M-d"),
                                            QStringLiteral("yyyy.M.d")};
    for (const QString& form : yearFirstForms) {
        const QDate d = QDate::fromString(t, form);
        if (d.isValid()) return d;
    }
    const QLocale system = QLocale::system();
    for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QString form = system.dateFormat(type);
        QDate d = system.toDate(t, form);
        if (!d.isValid()) continue;
        // A two-digit year is read as 19yy; the short form means this century.
        if (!form.contains(QLatin1String("yyyy")) && form.contains(QLatin1String("yy")))
            d = d.addYears(100);
        return d;
    }
    return std::nullopt;
}

QString shortDate(const QDate& date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString yearFirst(const QDate& date) {
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

} // namespace app
