// How a reading row is shown and stored: the values of the Readings tab read
// from the current row of rsSensorData and written back to it, a new reading,
// a reading moved to another date and time, and deletion.
#pragma once

#include "app/Log.h"
#include "store/RowSet.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <array>

namespace readings {

// The reading as the tab shows it. Channels are indexed 1 to 8 like their boxes.
struct Reading {
    QString key;
    QDate date;
    QTime time;
    QString channelT;
    std::array<QString, 9> channels;
    bool temporal = true;
    bool spatial = true;
};

// A stored value as its box shows it; no value shows as empty text.
QString shownValue(const QVariant& value);

// The current row of rs. Plot flags are ticked unless stored false.
Reading readReading(const store::RowSet& rs);

// SaveReadings without the boxes: DateTimeKey, FullDate, ReadingDate,
// ReadingTime, ChannelT, Channel1 to Channel8 ("##0.00", a comma typed as the
// decimal mark stored as a point), Plottemporal, PlotSpatial, in that order.
// With the reading as it was shown, only what differs from it is written. A
// value its column refuses stops the writing there: the columns before it are
// stored, and the refusal is thrown.
void storeReading(store::RowSet& rs, const QString& sensorNumber, const Reading& typed,
                  const Reading* shown = nullptr);

// The readings' own operations take a sensor's readings as opened by
// store::openReadings, or the database, and explicit values; they read no
// cursor position and ask nothing. Failures throw store::Error. A single row
// is written through the row set, so that reading it again only places that
// row anew instead of reading every rowid of the table.

enum class AddResult {
    Added,     // a new row, the last row current
    Duplicate, // a reading already has that key; the current row is unchanged
};
// A new reading stamped when (to the second), ticked for the time graph only;
// the readings are read again and the last row made current.
AddResult addReading(store::RowSet& readings, const QString& sensorNumber, const QDateTime& when);

enum class MoveResult {
    Unchanged, // the key is the stored one
    Moved,     // stored, re-sorted, and current at its new place
    Taken,     // another reading has that key; the row is current, unchanged
    Lost,      // stored, but not found again after the re-sort
};
// The reading of rowid moved to date and time when no other reading has that
// key. Only the key and the three date columns are written.
MoveResult moveReading(store::RowSet& readings, const QString& sensorNumber, qint64 rowid,
                       const QDate& date, const QTime& time);

// The deletions below move what they delete into the recycle area, with one
// audit entry each, in one transaction (store/RecycleArea.h).

// Deletes the reading of rowid; the readings are read again.
void deleteReading(store::RowSet& readings, qint64 rowid);

// Deletes the sensor's readings dated on or between two days, both included,
// in one statement; returns how many went. A start after the end deletes none.
int deleteBetween(store::Database& db, const QString& sensorNumber, const QDate& start,
                  const QDate& end);
// Deletes every reading of the sensor; returns how many went.
int deleteAll(store::Database& db, const QString& sensorNumber);

} // namespace readings
