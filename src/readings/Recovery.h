// Deleted readings and sensors put back from the recycle area
// (store/RecycleArea.h keeps them there).
#pragma once

#include "store/Database.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace readings {

// One deleted reading as the recycle area keeps it.
struct RecycledReading {
    qint64 id = 0; // RecycleID
    QString key;
    QString date, time; // ReadingDate and ReadingTime as stored
    QString deletedAt;  // "yyyy-MM-dd HH:mm:ss"
    QString deletedBy;
    QString quality; // empty: valid
};

// The sensor's readings in the area dated (by FullDate) on or between two days,
// both included, open ends taking all; oldest first.
std::vector<RecycledReading> recycledReadings(store::Database& db, const QString& sensorNumber,
                                              const std::optional<QDate>& from = {},
                                              const std::optional<QDate>& to = {});

// Numbers with something to recover: deleted sensors not in the register again,
// and sensors with deleted readings; lowest first.
QStringList sensorsInRecycleArea(store::Database& db);

// True when the number is not in the register but its deleted register row is
// in the area.
bool deletedSensor(store::Database& db, const QString& sensorNumber);

struct Recovery {
    bool sensorRecovered = false; // the register row came back first
    int recovered = 0;
    QStringList skipped; // keys in use again; those readings stay in the area
};

// Puts the readings recycledReadings lists back into the sensor's table, their
// quality flags with them, and removes them from the area, in one transaction
// with one audit entry. A reading whose key is in the table again is skipped
// (of two deleted readings with one key, the later deletion comes back). A
// deleted sensor's register row comes back first, with an empty reading table
// made from the template. A number that is neither in the register nor a
// deleted sensor is refused.
Recovery recoverReadings(store::Database& db, const QString& sensorNumber,
                         const std::optional<QDate>& from = {},
                         const std::optional<QDate>& to = {});

} // namespace readings
