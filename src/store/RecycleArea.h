// The recycle area: deleted readings and register rows kept in the file, with
// who deleted them and when, until they are recovered or purged by age. The
// copy is made in the deletion's own transaction, so that a reading is either
// in its table or in the area, never in neither.
#pragma once

#include "store/Database.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace store {

inline const QString RecycledReadings = QStringLiteral("RecycledReadings");
inline const QString RecycledSensors = QStringLiteral("RecycledSensors");

// How long the area keeps what it holds, in days (a setting of the file).
inline const QString RecycleKeepDaysSetting = QStringLiteral("RecycleKeepDays");
inline constexpr int DefaultRecycleKeepDays = 365;
inline constexpr int MaxRecycleKeepDays = 36500;
// The stored number, or the default when there is none or it is no whole
// number from 1 to MaxRecycleKeepDays.
int recycleKeepDays(Database& db);
void setRecycleKeepDays(Database& db, int days);

// True when the file has the area (an older file opened read-only has not).
bool hasRecycleArea(Database& db);

// The columns table has, in its order, that other has too (letter case ignored).
QStringList sharedColumns(Database& db, const QString& table, const QString& other);

// Which of a sensor's readings a deletion takes.
struct ReadingRows {
    enum class Kind { All, Row, Days };
    Kind kind = Kind::All;
    qint64 rowid = 0;          // Row
    QString firstDay, lastDay; // Days: ReadingDate texts, both included
};

// Copies the chosen readings of the sensor's table into the area, each with
// its quality flag, stamped by the connection's actor, and removes those
// flags; returns how many were copied. The caller deletes the readings in the
// same transaction. A file without the area copies nothing and returns -1.
qint64 recycleReadings(Database& db, const QString& sensorNumber, const ReadingRows& rows);

// Copies the register row of rowid into the area (nothing without the area).
void recycleSensorRow(Database& db, qint64 rowid);

// Removes what was deleted before the day `before` (readings and register
// rows), in one transaction with one audit entry when anything went; returns
// how many rows went.
qint64 purgeRecycleArea(Database& db, const QDate& before);

} // namespace store
