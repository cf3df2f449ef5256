// The calibrations window's fields read into a request, each bad field refused
// by its name.
#include "operations/CalibrationForm.h"
#include "store/Error.h"

#include <gtest/gtest.h>

namespace {

const QString Sensor = QStringLiteral("202541001");

operations::CalibrationFields linear() {
    operations::CalibrationFields f;
    f.channel = 3;
    f.validFrom = QStringLiteral("2026/11/20 09:00:00");
    f.kind = QStringLiteral("linear");
    f.gauge = QStringLiteral("0.011906");
    f.thermal = QStringLiteral("0.000112, -0.35");
    f.zero = QStringLiteral("2604.4,21.5");
    f.range = QStringLiteral("1000,9000");
    f.poly = QStringLiteral("not read for a linear gauge");
    f.steinhart = QStringLiteral("nor this");
    return f;
}

QString refusal(const operations::CalibrationFields& f) {
    try {
        operations::calibrationRequest(Sensor, f);
    } catch (const store::Error& e) {
        return e.description();
    }
    return QStringLiteral("(accepted)");
}

TEST(CalibrationFormTest, ALinearGaugeReadsEveryFieldOfItsKind) {
    const operations::CalibrationRequest r = operations::calibrationRequest(Sensor, linear());
    EXPECT_EQ(r.sensor, Sensor);
    EXPECT_EQ(r.channel, 3);
    EXPECT_EQ(r.validFrom, "2026-11-20 09:00:00");
    EXPECT_EQ(r.kind, "linear");
    EXPECT_EQ(r.gaugeFactor, 0.011906);
    EXPECT_EQ(r.thermalM, 0.000112);
    EXPECT_EQ(r.thermalB, -0.35);
    EXPECT_EQ(r.zeroDigits, 2604.4);
    EXPECT_EQ(r.zeroTemperature, 21.5);
    EXPECT_EQ(r.minDigits, 1000);
    EXPECT_EQ(r.maxDigits, 9000);
    EXPECT_FALSE(r.polyA || r.polyB || r.thermA);

    // Empty optional boxes are none, not 0: the zero then comes from the
    // first reading imported.
    operations::CalibrationFields bare = linear();
    bare.thermal = bare.zero = bare.range = QStringLiteral(" ");
    const operations::CalibrationRequest b = operations::calibrationRequest(Sensor, bare);
    EXPECT_FALSE(b.thermalM || b.zeroDigits || b.zeroTemperature || b.minDigits || b.maxDigits);
}

TEST(CalibrationFormTest, PolynomialAndThermistorTakeTheirOwnFactors) {
    operations::CalibrationFields f = linear();
    f.kind = QStringLiteral("polynomial");
    f.gauge = QStringLiteral("ignored");
    f.poly = QStringLiteral("1.5e-7,0.0118");
    const operations::CalibrationRequest p = operations::calibrationRequest(Sensor, f);
    EXPECT_EQ(p.polyA, 1.5e-7);
    EXPECT_EQ(p.polyB, 0.0118);
    EXPECT_FALSE(p.gaugeFactor);

    // The thermistor reads none of a gauge's boxes; empty factors are the store's defaults.
    f.channel = 0;
    f.kind = QStringLiteral("thermistor");
    f.steinhart.clear();
    const operations::CalibrationRequest d = operations::calibrationRequest(Sensor, f);
    EXPECT_FALSE(d.thermA || d.polyA || d.thermalM || d.zeroDigits || d.minDigits);
    f.steinhart = QStringLiteral("1.1e-3,2.3e-4,9e-8");
    const operations::CalibrationRequest t = operations::calibrationRequest(Sensor, f);
    EXPECT_EQ(t.thermA, 1.1e-3);
    EXPECT_EQ(t.thermC, 9e-8);
}

TEST(CalibrationFormTest, ABadFieldIsRefusedByItsName) {
    const auto with = [](auto change) {
        operations::CalibrationFields f = linear();
        change(f);
        return refusal(f);
    };
    using F = operations::CalibrationFields;
    EXPECT_EQ(with([](F& f) { f.validFrom = "2026/13/20 09:00:00"; }),
              "Valid from: \"2026/13/20 09:00:00\" is not a moment as YYYY/MM/DD HH:MM:SS");
    EXPECT_TRUE(with([](F& f) { f.validFrom = "2026/11/20"; }).startsWith("Valid from: "));
    EXPECT_EQ(with([](F& f) { f.gauge = "0.0119o6"; }),
              "Gauge factor G: \"0.0119o6\" is not a number");
    EXPECT_EQ(with([](F& f) { f.gauge = ""; }), "Gauge factor G: a number is needed");
    EXPECT_EQ(with([](F& f) { f.gauge = "0"; }), "Gauge factor G: G cannot be 0");
    EXPECT_EQ(with([](F& f) { f.gauge = "inf"; }), "Gauge factor G: \"inf\" is not a number");
    EXPECT_EQ(with([](F& f) { f.thermal = "0.000112"; }),
              "Thermal factors M,B: 2 number(s) separated by commas, not \"0.000112\"");
    EXPECT_EQ(with([](F& f) { f.zero = "1,2,3"; }),
              "Zero R0,T0: 1 to 2 numbers separated by commas, not \"1,2,3\"");
    EXPECT_EQ(with([](F& f) { f.zero = "2604.4,"; }), "Zero R0,T0: \"\" is not a number");
    EXPECT_EQ(with([](F& f) { f.range = "9000,1000"; }), "Range MIN,MAX: MIN is above MAX");
    EXPECT_EQ(with([](F& f) {
                  f.kind = "polynomial";
                  f.poly = "0,0";
              }),
              "Polynomial A,B: A and B are both 0");
    EXPECT_EQ(with([](F& f) { f.channel = 0; }),
              "Kind: the thermistor's calibration is of the kind thermistor");
    EXPECT_EQ(with([](F& f) { f.kind = "thermistor"; }),
              "Kind: a gauge's channel is linear or polynomial");
    EXPECT_EQ(with([](F& f) {
                  f.channel = 0;
                  f.kind = "thermistor";
                  f.steinhart = "1e-3,2e-4";
              }),
              "Steinhart–Hart A,B,C: 3 number(s) separated by commas, not \"1e-3,2e-4\"");
}

} // namespace
