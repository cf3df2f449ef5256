// The append of the review window: the ticked logger lines stored as readings
// of the sensor in one transaction, duplicates and unreadable dates reported
// and skipped; then the archive of the logger's transfer copy.
#pragma once

#include "app/Log.h"
#include "importer/ColumnValue.h"
#include "importer/LoggerDates.h"
#include "importer/TextFile.h"
#include "importer/TextTable.h"
#include "store/Database.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace importer {

struct AppendTarget {
    QString sensorNumber; // the reading key's first part and the table's name
    QString sensorType;
    bool hasTemperature = true;
};

struct AppendOutcome {
    int appended = 0;
    int duplicates = 0; // ticked lines whose key was taken
    int notDates = 0;   // ticked lines whose column 1 is no date and time in the layout
    int ticked = 0;     // lines ticked, appended or not
    // What the user is told of the lines not appended: one message for the
    // lines that are no date, then one for the duplicates.
    QStringList messages;
};

// Told now and then how many ticked lines are done.
using Progress = std::function<void(int done)>;

// Stores each ticked line (ticks[r] for line r) as a new reading: key, date,
// time and FullDate by the layout, the temperature when the type has one,
// channels 1 up to importedChannels, IsDirty, Plottemporal, not PlotSpatial.
// A line whose key is taken (by a stored reading or an earlier line) and a
// line whose column 1 is no date and time in the layout are skipped; each
// kind is told in one message, however many lines it has. One audit entry
// names the table's source and the count stored. All or nothing: a failure
// throws store::Error and stores none.
AppendOutcome appendReadings(store::Database& db, const AppendTarget& target,
                             const TextTable& table, const std::vector<std::uint8_t>& ticks,
                             DateLayout layout, DayOrder order, const Progress& progress = {});

// Which lines of a file read in chunks are appended: those the proposal for
// period and order ticks (every line with all), except the lines a review
// window showed, which carry the ticks the user left there.
struct LineTicks {
    int period = 24;
    DayOrder order = DayOrder::DayFirst;
    bool all = false;
    struct Shown {
        int firstRow = 0; // 0-based, of the file
        std::vector<std::uint8_t> ticks;
    };
    std::vector<Shown> shown; // in file order, apart from each other
};

// The same append of a file's lines, chunk by chunk in the one transaction:
// the messages number the file's lines, and the duplicate test sees the
// lines of earlier chunks. progress is told the ticked lines done, read the
// bytes of the file.
AppendOutcome appendReadings(store::Database& db, const AppendTarget& target, const TextFile& file,
                             const LineTicks& ticks, DateLayout layout, DayOrder order,
                             const Progress& progress = {}, const ReadProgress& read = {});

// <data folder>/Transfer, where the logger's transfer copies arrive.
QString transferFolder(const QString& dataFolder);

// Moves Transfer/TV<number>.txt to Transfer/backup/TV<number>_<yyyy-MM-dd>.txt,
// replacing that day's copy; the backup folder is made when missing. The
// transfer copy goes only once its archive is complete. Throws store::Error.
void archiveTransferCopy(const QString& dataFolder, const QString& sensorNumber,
                         const QDate& today);

} // namespace importer
