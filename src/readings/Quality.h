// Quality flags: a reading is valid, suspect or invalid, with a note and who
// set it when. Kept apart from the values, in ReadingQuality by the reading's
// key; a reading without a flag is valid. Invalid readings stay stored and
// listed but are never a zero, never drawn and not exported unless asked for.
#pragma once

#include "store/Database.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace readings {

enum class Quality { Valid, Suspect, Invalid };

// "valid", "suspect", "invalid": as stored and as the tool takes them.
QString qualityName(Quality quality);
std::optional<Quality> qualityFromName(const QString& name);

struct QualityFlag {
    Quality quality = Quality::Valid;
    QString note;
    QString setBy;
    QString setAt; // "yyyy-MM-dd HH:mm:ss"
};

// The flags of a sensor's readings by DateTimeKey (valid ones with a note
// included). Empty for a file without flags.
QHash<QString, QualityFlag> qualityFlags(store::Database& db, const QString& sensorNumber);
// The flag of one reading; nothing when it has none (it is valid).
std::optional<QualityFlag> qualityOf(store::Database& db, const QString& sensorNumber,
                                     const QString& key);
// The keys of the sensor's readings flagged so; empty when none.
QStringList keysOfQuality(store::Database& db, const QString& sensorNumber, Quality quality);
// True when any reading of the sensor is flagged suspect or invalid.
bool hasDoubtfulReadings(store::Database& db, const QString& sensorNumber);

// Sets the quality of the readings of keys (each a reading of the sensor) and
// writes one audit entry, in one transaction. A key of no reading, or making
// a reading that is a zero reading invalid, is refused and nothing changes.
// Returns how many flags changed; none changed writes no entry.
int setQuality(store::Database& db, const QString& sensorNumber, const QStringList& keys,
               Quality quality, const QString& note);

// The keys of the sensor's readings from one moment to another, both included
// ("yyyy-MM-dd HH:mm:ss" FullDate text), in date order.
QStringList keysBetween(store::Database& db, const QString& sensorNumber, const QString& from,
                        const QString& to);

// " AND NOT EXISTS (...)": the condition that leaves out the sensor's invalid
// readings, for a query whose parameter ?<sensorSlot> is the sensor number and
// whose reading key is keyColumn; empty text for a file without flags.
QString invalidLeftOut(store::Database& db, const QString& keyColumn, int sensorSlot);

// A moment as the tool and messages write it: "yyyy/MM/dd HH:mm:ss".
QString momentText(const QString& fullDate);

} // namespace readings
