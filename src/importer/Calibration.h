// Vibrating-wire gauges and thermistors: the conversion of a raw reading
// (frequency, digits, resistance) to millimetres or degrees, and the
// calibrations kept per sensor and anchor with the moment they apply from.
#pragma once

#include "store/Database.h"

#include <QString>

#include <optional>
#include <vector>

namespace importer {

// Digits are the square of the frequency in kHz: Hz² / 1000.
double digitsFromHertz(double hertz);

// Steinhart–Hart: T = 1 / (A + B ln R + C (ln R)³) − 273.15, in °C.
struct Thermistor {
    double a = 1.4051e-3; // the common 3 kΩ thermistor
    double b = 2.369e-4;
    double c = 1.019e-7;
};
// Nothing for a resistance of 0 or less, or one that gives no temperature.
std::optional<double> thermistorCelsius(double ohms, const Thermistor& t = {});

enum class GaugeKind { Linear, Polynomial };

struct Calibration {
    qint64 id = 0;
    QString sensor;
    int channel = 1;   // 1..10; 0 is the sensor's thermistor
    QString validFrom; // "yyyy-MM-dd HH:mm:ss"
    bool thermistor = false;
    GaugeKind kind = GaugeKind::Linear;
    double gaugeFactor = 0;                // G, mm per digit
    double polyA = 0, polyB = 0;           // A × R² + B × R + C
    double thermalM = 0, thermalB = 0;     // K = (R1 × M + B) × G
    std::optional<double> zeroDigits;      // R0
    std::optional<double> zeroTemperature; // T0
    std::optional<double> minDigits, maxDigits;
    Thermistor steinhart;
    QString setBy, setAt; // who stored it and when ("yyyy-MM-dd HH:mm:ss"); read only
};

// Displacement in mm of a reading of r1 digits at t1 °C:
// linear G × (R1 − R0) + K × (T1 − T0) with K = (R1 × M + B) × G (no thermal
// term without both temperatures); polynomial A × R² + B × R + C with C such
// that R0 gives 0. Needs zeroDigits.
double displacement(const Calibration& c, double r1, std::optional<double> t1);

// "calibration set": the table's rows by sensor.
std::vector<Calibration> calibrations(store::Database& db, const QString& sensor);
// The calibration in force for a channel at a moment ("yyyy-MM-dd HH:mm:ss"):
// the latest that applies from it or earlier, of those given.
const Calibration* calibrationAt(const std::vector<Calibration>& list, int channel,
                                 const QString& moment);

// Stores a new calibration (or replaces the one of the same sensor, channel
// and moment) with its audit entry; returns its id. Throws store::Error for
// a sensor not in the register or values that cannot calibrate anything.
qint64 saveCalibration(store::Database& db, const Calibration& c);
// Records the zero digits and temperature a calibration was missing, audited.
void setCalibrationZero(store::Database& db, qint64 id, double r0, std::optional<double> t0);

} // namespace importer
