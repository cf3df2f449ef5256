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

} // namespace bench
