// Generated data sets for the benchmarks: a database file with many sensors
// and long, realistic reading tables.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

namespace bench {

struct DataSetShape {
    int sensors = 1;
    int readingsPerSensor = 0;
    std::uint32_t seed = 20261207;
    int firstSensor = 0; // sensors are numbered from this index on
};

// Creates a new database file at path: `sensors` register rows (type codes
// across the eight node counts) each with a reading table of hourly readings.
// Anchors drift by fractions of a millimetre a day with a little noise;
// temperatures move between 15 and 30 degrees over the day and the year.
void makeDataSet(const QString& path, const DataSetShape& shape);

// A data set of this shape made once per run in a temporary folder and shared
// by every benchmark that asks for it. Returns its path.
QString sharedDataSet(int sensors, int readingsPerSensor);

// The sensor number of the i-th generated sensor (0-based).
QString sensorNumber(int index);

// When the k-th reading (0-based) of a generated sensor was taken: hourly from
// the first of January 2016.
QDateTime generatedReadingTime(int k);

// The reading key of the k-th reading (0-based) of a generated sensor.
QString generatedReadingKey(const QString& number, int k);

// A realistic site: SiteSensors sensors of one to eight anchors (more of three
// to six than of the others) with a year of hourly readings each, and one
// eight-anchor sensor with ten years of them. Anchors drift by tens of
// millimetres at most in ten years; some readings were stored out of time
// order; the first reading of each month is marked for the length graph. Made once a run; returns
// its path.
constexpr int SiteSensors = 200;
constexpr int SiteReadings = 8760;
constexpr int TenYears = 87600;
QString siteDataSet();
// The sensor number of the site's ten-year sensor.
QString siteTenYearSensor();
// The site after the oldest sixth of every sensor's readings was deleted: a
// file that compaction has pages to give back from. Made once a run.
QString siteWithFreePages();

// The site with trigger levels set on every sensor (displacement and rate
// thresholds, a limit for new data). Made once a run.
QString siteWithLevels();

// Eight-anchor sensors of ten years of readings each, generated as the site's
// ten-year sensor (the first is the same sensor). Made once a run.
QString tenYearDataSet(int sensors);
QString tenYearSensor(int index);

} // namespace bench
