// How a reading row is shown and stored: the values of the Readings tab read
// from the current row of rsSensorData and written back to it, a new reading,
// a reading moved to another date and time, and deletion.
#pragma once

#include "app/AppState.h"

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

// The number of the current sensor (the current row of rsSensors).
QString currentSensorNumber(const app::AppState& state);

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

// The add command after the shown reading was stored: a new row stamped now,
// ticked for the time graph only, then the last row is current. False (with
// the duplicate message) when a reading already has that key.
bool addReading(app::AppState& state, app::Prompter& prompter, const QDateTime& now);

enum class MoveResult {
    Unchanged, // the key is the stored one
    Moved,     // stored, re-sorted, and current at its new place
    Taken,     // another reading has that key; the row is current again, unchanged
    Lost,      // stored, but not found again after the re-sort
};
// CheckDateTime without the pickers: sets CurrentReadingPos and moves the
// current reading to date and time when no other reading has that key.
MoveResult moveReading(app::AppState& state, const QDate& date, const QTime& time);

// Deletes the readings dated on or between two days, both included, in one
// statement; returns how many went. A start after the end deletes none.
int deleteBetween(app::AppState& state, const QDate& start, const QDate& end);
// Deletes every reading of the current sensor.
void deleteAll(app::AppState& state);

} // namespace readings
