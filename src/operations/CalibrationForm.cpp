#include "operations/CalibrationForm.h"

#include "readings/Quality.h"
#include "store/Error.h"

#include <QDate>
#include <QTime>

#include <cmath>

namespace operations {

namespace {

const QString ValidFromField = QStringLiteral("Valid from");
const QString KindField = QStringLiteral("Kind");
const QString GaugeField = QStringLiteral("Gauge factor G");
const QString ThermalField = QStringLiteral("Thermal factors M,B");
const QString ZeroField = QStringLiteral("Zero R0,T0");
const QString RangeField = QStringLiteral("Range MIN,MAX");
const QString PolyField = QStringLiteral("Polynomial A,B");
const QString SteinhartField = QStringLiteral("Steinhart–Hart A,B,C");

[[noreturn]] void refuse(const QString& field, const QString& why) {
    throw store::Error(store::code::Range, field + QStringLiteral(": ") + why);
}

// "A,B,C" as finite numbers, least to most of them; empty text is none.
std::vector<double> numbers(const QString& text, const QString& field, int least, int most) {
    std::vector<double> list;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return list;
    for (const QString& piece : trimmed.split(QLatin1Char(','))) {
        bool ok = false;
        const double v = piece.trimmed().toDouble(&ok);
        // "inf" and "nan" read as numbers but would store a calibration that
        // turns every reading into nothing.
        if (!ok || !std::isfinite(v))
            refuse(field, QStringLiteral("\"%1\" is not a number").arg(piece.trimmed()));
        list.push_back(v);
    }
    if (int(list.size()) < least || int(list.size()) > most)
        refuse(field, least == most
                          ? QStringLiteral("%1 number(s) separated by commas, not \"%2\"")
                                .arg(least)
                                .arg(trimmed)
                          : QStringLiteral("%1 to %2 numbers separated by commas, not \"%3\"")
                                .arg(least)
                                .arg(most)
                                .arg(trimmed));
    return list;
}

std::vector<double> required(const QString& text, const QString& field, int count) {
    if (text.trimmed().isEmpty())
        refuse(field, count == 1 ? QStringLiteral("a number is needed")
                                 : QStringLiteral("%1 numbers are needed").arg(count));
    return numbers(text, field, count, count);
}

// Separate date and time, so that a moment in a daylight-saving gap is still
// the moment the logger wrote.
QString storedMoment(const QString& text) {
    const QStringList halves = text.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QDate d =
        halves.size() == 2 ? QDate::fromString(halves[0], QStringLiteral("yyyy/MM/dd")) : QDate();
    const QTime t =
        halves.size() == 2 ? QTime::fromString(halves[1], QStringLiteral("HH:mm:ss")) : QTime();
    if (!d.isValid() || !t.isValid())
        refuse(ValidFromField,
               QStringLiteral("\"%1\" is not a moment as YYYY/MM/DD HH:MM:SS").arg(text.trimmed()));
    return d.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') +
           t.toString(QStringLiteral("HH:mm:ss"));
}

QString num(double v) {
    return QString::number(v, 'g', 10);
}

QString num(const std::optional<double>& v) {
    return v ? num(*v) : QString();
}

} // namespace

QString calibrationChannelText(int channel) {
    return channel == 0 ? QStringLiteral("thermistor") : QStringLiteral("channel %1").arg(channel);
}

CalibrationRequest calibrationRequest(const QString& sensor, const CalibrationFields& f) {
    CalibrationRequest r;
    r.sensor = sensor;
    r.channel = f.channel;
    r.validFrom = storedMoment(f.validFrom);
    r.kind = f.kind;
    const bool thermistorKind = f.kind == QLatin1String("thermistor");
    if (f.channel == 0 && !thermistorKind)
        refuse(KindField, QStringLiteral("the thermistor's calibration is of the kind thermistor"));
    if (f.channel != 0 && thermistorKind)
        refuse(KindField, QStringLiteral("a gauge's channel is linear or polynomial"));
    if (thermistorKind) {
        const std::vector<double> v = numbers(f.steinhart, SteinhartField, 3, 3);
        if (!v.empty()) {
            if (v[0] == 0 && v[1] == 0) refuse(SteinhartField, QStringLiteral("A and B are 0"));
            r.thermA = v[0];
            r.thermB = v[1];
            r.thermC = v[2];
        }
        return r;
    }
    if (f.kind == QLatin1String("linear")) {
        r.gaugeFactor = required(f.gauge, GaugeField, 1)[0];
        if (*r.gaugeFactor == 0) refuse(GaugeField, QStringLiteral("G cannot be 0"));
    } else if (f.kind == QLatin1String("polynomial")) {
        const std::vector<double> v = required(f.poly, PolyField, 2);
        if (v[0] == 0 && v[1] == 0) refuse(PolyField, QStringLiteral("A and B are both 0"));
        r.polyA = v[0];
        r.polyB = v[1];
    } else {
        refuse(KindField,
               QStringLiteral("\"%1\" is not linear, polynomial or thermistor").arg(f.kind));
    }
    if (const std::vector<double> v = numbers(f.thermal, ThermalField, 2, 2); !v.empty()) {
        r.thermalM = v[0];
        r.thermalB = v[1];
    }
    if (const std::vector<double> v = numbers(f.zero, ZeroField, 1, 2); !v.empty()) {
        r.zeroDigits = v[0];
        if (v.size() > 1) r.zeroTemperature = v[1];
    }
    if (const std::vector<double> v = numbers(f.range, RangeField, 2, 2); !v.empty()) {
        if (v[0] > v[1]) refuse(RangeField, QStringLiteral("MIN is above MAX"));
        r.minDigits = v[0];
        r.maxDigits = v[1];
    }
    return r;
}

const importer::Calibration* replacedBy(const std::vector<importer::Calibration>& stored,
                                        const CalibrationRequest& request) {
    for (const importer::Calibration& c : stored)
        if (c.channel == request.channel && c.validFrom == request.validFrom) return &c;
    return nullptr;
}

QStringList calibrationColumns() {
    return {
        QStringLiteral("Channel"), QStringLiteral("Valid from"),   QStringLiteral("Kind"),
        QStringLiteral("Factors"), QStringLiteral("Thermal M, B"), QStringLiteral("Zero R0, T0"),
        QStringLiteral("Range"),   QStringLiteral("Set by"),       QStringLiteral("Set at")};
}

QStringList calibrationCells(const importer::Calibration& c) {
    const bool linear = !c.thermistor && c.kind == importer::GaugeKind::Linear;
    const QString kind = c.thermistor ? QStringLiteral("thermistor")
                         : linear     ? QStringLiteral("linear")
                                      : QStringLiteral("polynomial");
    QString factors, thermal, zero, range;
    if (c.thermistor) {
        factors = QStringLiteral("A = %1, B = %2, C = %3")
                      .arg(num(c.steinhart.a), num(c.steinhart.b), num(c.steinhart.c));
    } else {
        factors = linear ? QStringLiteral("G = %1").arg(num(c.gaugeFactor))
                         : QStringLiteral("A = %1, B = %2").arg(num(c.polyA), num(c.polyB));
        if (c.thermalM != 0 || c.thermalB != 0)
            thermal = num(c.thermalM) + QStringLiteral(", ") + num(c.thermalB);
        zero = num(c.zeroDigits);
        if (c.zeroTemperature) zero += QStringLiteral(", ") + num(c.zeroTemperature);
        if (c.minDigits || c.maxDigits)
            range = num(c.minDigits) + QStringLiteral(" to ") + num(c.maxDigits);
    }
    return {calibrationChannelText(c.channel),
            readings::momentText(c.validFrom),
            kind,
            factors,
            thermal,
            zero,
            range,
            c.setBy,
            readings::momentText(c.setAt)};
}

} // namespace operations
