// Each sensor's readings live in a table named by its sensor number, copied
// from the template sensordata. Nothing here asks the user anything: the
// window's questions around these calls are in readings/ui/ReadingTableQuestions.h.
#pragma once

#include "store/Database.h"
#include "store/RowSet.h"

#include <QString>

#include <memory>

namespace store {

// True when the file at path holds a table of exactly this name; open, when it
// is a connection to that file, is asked instead of opening another. The
// engine's own tables (sqlite_..., MSys...) never count. Throws store::Error.
bool fileHoldsTable(Database* open, const QString& path, const QString& name);

// True when db holds the sensor's reading table (the name matched exactly).
bool readingTableExists(Database& db, const QString& sensorNumber);

// Creates the sensor's reading table, empty, from the template. Fails when
// the table exists.
void createReadingTable(Database& db, const QString& sensorNumber);

// Drops the sensor's reading table and makes it anew, empty, in one
// transaction: a failure leaves the old table and its readings as they were.
// The readings it held go to the recycle area.
void replaceReadingTable(Database& db, const QString& sensorNumber);

// The sensor's readings, oldest first, into readings, the first one current.
// Readings that already hold this sensor's readings open are read again in
// place: a requery sees every change and costs less than a new keyset. A
// failure leaves readings empty.
void openReadings(Database& db, const QString& sensorNumber, std::unique_ptr<RowSet>& readings);

// "SELECT * FROM `<number>` ORDER BY FullDate"
QString readingsQuery(const QString& sensorNumber);

} // namespace store
