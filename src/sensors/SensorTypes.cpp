#include "sensors/SensorTypes.h"

#include "sensors/Texts.h"

#include <array>

namespace sensors {

namespace {

const std::array<SensorType, 8>& typeTable() {
    static const std::array<SensorType, 8> table = [] {
        std::array<SensorType, 8> t;
        for (int n = 1; n <= 8; ++n)
            t[size_t(n - 1)] = {QString::number(10 * (n + 1) + 1), QStringLiteral("q%1MPBX").arg(n),
                                n};
        return t;
    }();
    return table;
}

bool allDigits(const QString& text) {
    if (text.isEmpty()) return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

} // namespace

const SensorType* findSensorType(const QString& code) {
    for (const SensorType& type : typeTable())
        if (type.code == code) return &type;
    return nullptr;
}

SensorNumberParts splitSensorNumber(const QString& number) {
    return {number.mid(0, 4), number.mid(4, 2), number.mid(6, 3)};
}

QString refusalOfNewNumber(const QString& number) {
    // Digits only: a sign, a point or an exponent would make a number of a kind
    // but never a sensor number.
    if (!allDigits(number)) return texts::MustBeNumeric;
    if (number.size() != 9) return texts::MustBeNineDigits;
    const int serial = splitSensorNumber(number).serial.toInt();
    if (serial < 1 || serial > 999) return texts::SerialRange;
    return {};
}

QString familyOf(const QString& modelName, bool mpbx) {
    return mpbx ? modelName : modelName.left(2) + QStringLiteral("ROVA");
}

} // namespace sensors
