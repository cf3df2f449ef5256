// The import of a mapped logger file: one pass over the file, each line
// checked once and stored, converted, in every sensor it feeds. The caller
// holds the transaction: a file is stored whole or not at all.
#pragma once

#include "importer/Calibration.h"
#include "importer/LoggerFile.h"
#include "importer/Mapping.h"
#include "store/Database.h"

#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace importer {

struct MappedOutcome {
    QString sensor;
    int lines = 0; // reading lines of the file
    int appended = 0;
    int duplicates = 0;      // the reading is stored already
    int repeated = 0;        // the line repeats an earlier line's time in the file
    int wrongFieldCount = 0; // too few or too many fields
    int notDates = 0;        // no date and time in the time field
    int future = 0;          // dated after now
    int suspect = 0;         // stored, flagged suspect with the reason
    QStringList messages;    // each kind once, with the first line numbers
    int skipped() const { return duplicates + repeated + wrongFieldCount + notDates + future; }
};

// Told now and then how many bytes of the file are read.
using ByteProgress = std::function<void(qint64 done)>;

// Reads every line of reader into the sensors of mappings (each in the
// register with a reading table), one outcome per mapping in its order.
// source names the file in the audit trail; now is the limit of a reading's
// moment. Throws store::Error (nothing of the file is then kept when the
// caller's transaction is undone): a raw channel with no calibration at all.
std::vector<MappedOutcome> importMapped(store::Database& db, LoggerReader& reader,
                                        const std::vector<Mapping>& mappings, const QString& source,
                                        const QDateTime& now, const ByteProgress& progress = {});

} // namespace importer
