// Sensor numbers and sensor types: the nine-digit number that encodes the
// type, the table of types, and the type-dependent state every routine reads.
#pragma once

#include <QString>

namespace sensors {

struct SensorType {
    QString code;      // "21" ... "91": 10 x (nodes + 1) + 1
    QString modelName; // "q1MPBX" ... "q8MPBX"
    int nodes = 0;     // measuring channels, node labels and anchor boxes in use
};

// The model code every new sensor is stored with.
inline const QString NewModelCode = QStringLiteral("EX");

// The type of a code (exact text), or null.
const SensorType* findSensorType(const QString& code);

// The parts of a sensor number: date part (1-4), type code (5-6), serial (7-9).
struct SensorNumberParts {
    QString dateId;
    QString typeCode;
    QString serial;
};
SensorNumberParts splitSensorNumber(const QString& number);

// Why a typed number cannot be a new sensor number, in the order the checks are
// made (digits, nine of them, serial 001 to 999); empty when it can.
QString refusalOfNewNumber(const QString& number);

// The family stored for a new sensor: the model name for an MPBX, its first two
// characters and "ROVA" for a ROVA.
QString familyOf(const QString& modelName, bool mpbx);

} // namespace sensors
