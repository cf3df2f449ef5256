#include "importer/Calibration.h"

#include "store/Audit.h"
#include "store/Error.h"

#include <cmath>

namespace importer {

namespace {

const QString Columns = QStringLiteral(
    "CalibrationID, SensorID, Channel, ValidFrom, Kind, GaugeFactor, PolyA, PolyB, ThermalM, "
    "ThermalB, ZeroDigits, ZeroTemperature, MinDigits, MaxDigits, ThermA, ThermB, ThermC, SetBy, "
    "SetAt");

QString kindName(const Calibration& c) {
    if (c.thermistor) return QStringLiteral("thermistor");
    return c.kind == GaugeKind::Polynomial ? QStringLiteral("polynomial")
                                           : QStringLiteral("linear");
}

QString channelName(int channel) {
    return channel == 0 ? QStringLiteral("thermistor") : QStringLiteral("channel %1").arg(channel);
}

QString number(const std::optional<double>& v) {
    return v ? QString::number(*v, 'g', 15) : QString();
}

// The values as the trail shows them, one "Name: value" a line.
QString describe(const Calibration& c) {
    QStringList lines{QStringLiteral("Kind: ") + kindName(c)};
    if (c.thermistor) {
        lines << QStringLiteral("A: ") + number(c.steinhart.a)
              << QStringLiteral("B: ") + number(c.steinhart.b)
              << QStringLiteral("C: ") + number(c.steinhart.c);
        return lines.join(QLatin1Char('\n'));
    }
    if (c.kind == GaugeKind::Linear)
        lines << QStringLiteral("G: ") + number(c.gaugeFactor);
    else
        lines << QStringLiteral("A: ") + number(c.polyA) << QStringLiteral("B: ") + number(c.polyB);
    lines << QStringLiteral("M: ") + number(c.thermalM)
          << QStringLiteral("Bt: ") + number(c.thermalB)
          << QStringLiteral("R0: ") + number(c.zeroDigits)
          << QStringLiteral("T0: ") + number(c.zeroTemperature)
          << QStringLiteral("Min: ") + number(c.minDigits)
          << QStringLiteral("Max: ") + number(c.maxDigits);
    return lines.join(QLatin1Char('\n'));
}

void bindOptional(store::Statement& st, int index, const std::optional<double>& v) {
    if (v)
        st.bind(index, *v);
    else
        st.bindNull(index);
}

Calibration readRow(store::Statement& st) {
    Calibration c;
    c.id = st.int64(0);
    c.sensor = st.text(1);
    c.channel = int(st.int64(2));
    c.validFrom = st.text(3);
    const QString kind = st.text(4);
    c.thermistor = kind == QLatin1String("thermistor");
    c.kind = kind == QLatin1String("polynomial") ? GaugeKind::Polynomial : GaugeKind::Linear;
    c.gaugeFactor = st.number(5).value_or(0);
    c.polyA = st.number(6).value_or(0);
    c.polyB = st.number(7).value_or(0);
    c.thermalM = st.number(8).value_or(0);
    c.thermalB = st.number(9).value_or(0);
    c.zeroDigits = st.number(10);
    c.zeroTemperature = st.number(11);
    c.minDigits = st.number(12);
    c.maxDigits = st.number(13);
    const Thermistor defaults;
    c.steinhart.a = st.number(14).value_or(defaults.a);
    c.steinhart.b = st.number(15).value_or(defaults.b);
    c.steinhart.c = st.number(16).value_or(defaults.c);
    c.setBy = st.text(17);
    c.setAt = st.text(18);
    return c;
}

} // namespace

double digitsFromHertz(double hertz) {
    return hertz * hertz / 1000.0;
}

std::optional<double> thermistorCelsius(double ohms, const Thermistor& t) {
    if (!(ohms > 0) || !std::isfinite(ohms)) return std::nullopt;
    const double l = std::log(ohms);
    const double inverse = t.a + t.b * l + t.c * l * l * l;
    if (!(inverse > 0)) return std::nullopt;
    const double celsius = 1.0 / inverse - 273.15;
    if (!std::isfinite(celsius)) return std::nullopt;
    return celsius;
}

double displacement(const Calibration& c, double r1, std::optional<double> t1) {
    const double r0 = c.zeroDigits.value_or(r1);
    if (c.kind == GaugeKind::Polynomial) {
        const double constant = -(c.polyA * r0 * r0 + c.polyB * r0);
        return c.polyA * r1 * r1 + c.polyB * r1 + constant;
    }
    double d = c.gaugeFactor * (r1 - r0);
    if (t1 && c.zeroTemperature) {
        const double k = (r1 * c.thermalM + c.thermalB) * c.gaugeFactor;
        d += k * (*t1 - *c.zeroTemperature);
    }
    return d;
}

std::vector<Calibration> calibrations(store::Database& db, const QString& sensor) {
    std::vector<Calibration> list;
    if (!db.hasTable(QStringLiteral("Calibrations"))) return list;
    store::Statement st = db.prepare(QStringLiteral("SELECT %1 FROM Calibrations WHERE SensorID "
                                                    "= ?1 ORDER BY Channel, ValidFrom")
                                         .arg(Columns));
    st.bind(1, sensor);
    while (st.step())
        list.push_back(readRow(st));
    return list;
}

const Calibration* calibrationAt(const std::vector<Calibration>& list, int channel,
                                 const QString& moment) {
    const Calibration* found = nullptr;
    for (const Calibration& c : list)
        if (c.channel == channel && c.validFrom <= moment &&
            (!found || c.validFrom >= found->validFrom))
            found = &c;
    return found;
}

qint64 saveCalibration(store::Database& db, const Calibration& c) {
    if (c.channel < 0 || c.channel > 10 || (c.channel == 0) != c.thermistor)
        throw store::Error(store::code::Range,
                           QStringLiteral("a calibration is of channel 1 to 10, or of the "
                                          "thermistor (channel 0)"));
    const bool usable = c.thermistor                  ? (c.steinhart.a != 0 || c.steinhart.b != 0)
                        : c.kind == GaugeKind::Linear ? c.gaugeFactor != 0
                                                      : (c.polyA != 0 || c.polyB != 0);
    if (!usable)
        throw store::Error(store::code::Range,
                           QStringLiteral("the calibration of %1 of sensor %2 has no factor")
                               .arg(channelName(c.channel), c.sensor));
    if (c.minDigits && c.maxDigits && *c.minDigits > *c.maxDigits)
        throw store::Error(store::code::Range,
                           QStringLiteral("the gauge's range is from the smaller to the larger"));
    qint64 id = 0;
    db.transaction([&] {
        store::Statement known =
            db.prepare(QStringLiteral("SELECT 1 FROM Sensors WHERE InstrumentID = ?1"));
        known.bind(1, c.sensor);
        const bool inRegister = known.step();
        known.reset();
        if (!inRegister)
            throw store::Error(store::code::NotFound,
                               QStringLiteral("no sensor %1 in the register").arg(c.sensor));
        QString before;
        for (const Calibration& old : calibrations(db, c.sensor))
            if (old.channel == c.channel && old.validFrom == c.validFrom) before = describe(old);
        store::Statement st = db.prepare(QStringLiteral(
            "INSERT INTO Calibrations (SensorID, Channel, ValidFrom, Kind, GaugeFactor, PolyA, "
            "PolyB, ThermalM, ThermalB, ZeroDigits, ZeroTemperature, MinDigits, MaxDigits, ThermA, "
            "ThermB, ThermC, SetBy, SetAt) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
            "?12, ?13, ?14, ?15, ?16, ?17, ?18) ON CONFLICT (SensorID, Channel, ValidFrom) DO "
            "UPDATE SET Kind = excluded.Kind, GaugeFactor = excluded.GaugeFactor, PolyA = "
            "excluded.PolyA, PolyB = excluded.PolyB, ThermalM = excluded.ThermalM, ThermalB = "
            "excluded.ThermalB, ZeroDigits = excluded.ZeroDigits, ZeroTemperature = "
            "excluded.ZeroTemperature, MinDigits = excluded.MinDigits, MaxDigits = "
            "excluded.MaxDigits, ThermA = excluded.ThermA, ThermB = excluded.ThermB, ThermC = "
            "excluded.ThermC, SetBy = excluded.SetBy, SetAt = excluded.SetAt"));
        st.bind(1, c.sensor);
        st.bind(2, qint64(c.channel));
        st.bind(3, c.validFrom);
        st.bind(4, kindName(c));
        const bool gauge = !c.thermistor;
        bindOptional(st, 5,
                     gauge && c.kind == GaugeKind::Linear ? std::optional(c.gaugeFactor)
                                                          : std::nullopt);
        bindOptional(st, 6,
                     gauge && c.kind == GaugeKind::Polynomial ? std::optional(c.polyA)
                                                              : std::nullopt);
        bindOptional(st, 7,
                     gauge && c.kind == GaugeKind::Polynomial ? std::optional(c.polyB)
                                                              : std::nullopt);
        bindOptional(st, 8, gauge ? std::optional(c.thermalM) : std::nullopt);
        bindOptional(st, 9, gauge ? std::optional(c.thermalB) : std::nullopt);
        bindOptional(st, 10, gauge ? c.zeroDigits : std::nullopt);
        bindOptional(st, 11, gauge ? c.zeroTemperature : std::nullopt);
        bindOptional(st, 12, gauge ? c.minDigits : std::nullopt);
        bindOptional(st, 13, gauge ? c.maxDigits : std::nullopt);
        bindOptional(st, 14, c.thermistor ? std::optional(c.steinhart.a) : std::nullopt);
        bindOptional(st, 15, c.thermistor ? std::optional(c.steinhart.b) : std::nullopt);
        bindOptional(st, 16, c.thermistor ? std::optional(c.steinhart.c) : std::nullopt);
        st.bind(17, store::actorUser(db));
        st.bind(18, store::actorStamp(db));
        st.run();
        store::Statement idOf = db.prepare(QStringLiteral(
            "SELECT CalibrationID FROM Calibrations WHERE SensorID = ?1 AND Channel = ?2 AND "
            "ValidFrom = ?3"));
        idOf.bind(1, c.sensor);
        idOf.bind(2, qint64(c.channel));
        idOf.bind(3, c.validFrom);
        if (idOf.step()) id = idOf.int64(0);
        idOf.reset();
        store::AuditEntry e;
        e.operation = store::operation::CalibrationSet;
        e.sensor = c.sensor;
        e.target = channelName(c.channel) + QStringLiteral(" from ") + c.validFrom;
        e.oldValue = before;
        e.newValue = describe(c);
        store::audit(db, e);
    });
    return id;
}

void setCalibrationZero(store::Database& db, qint64 id, double r0, std::optional<double> t0) {
    db.transaction([&] {
        store::Statement st = db.prepare(QStringLiteral(
            "UPDATE Calibrations SET ZeroDigits = ?2, ZeroTemperature = ?3 WHERE CalibrationID = "
            "?1 RETURNING SensorID, Channel, ValidFrom"));
        st.bind(1, id);
        st.bind(2, r0);
        bindOptional(st, 3, t0);
        if (!st.step()) {
            st.reset();
            throw store::Error(store::code::NotFound, QStringLiteral("no calibration %1").arg(id));
        }
        store::AuditEntry e;
        e.operation = store::operation::CalibrationZeroSet;
        e.sensor = st.text(0);
        e.target = channelName(int(st.int64(1))) + QStringLiteral(" from ") + st.text(2);
        st.reset();
        e.newValue = QStringLiteral("R0: %1\nT0: %2").arg(number(r0), number(t0));
        store::audit(db, e);
    });
}

} // namespace importer
