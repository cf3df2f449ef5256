// The audit trail: one entry for every change of stored data, written in the
// transaction of the change, so that the change and its entry are stored
// together or not at all.
#pragma once

#include "store/Database.h"
#include "store/RowSet.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace store {

// What the entries' Operation column holds; scripts read these.
namespace operation {
inline const QString SensorAdded = QStringLiteral("sensor added");
inline const QString SensorSaved = QStringLiteral("sensor saved");
inline const QString SensorDeleted = QStringLiteral("sensor deleted");
inline const QString SensorRecovered = QStringLiteral("sensor recovered");
inline const QString ReadingAdded = QStringLiteral("reading added");
inline const QString ReadingEdited = QStringLiteral("reading edited");
inline const QString ReadingMoved = QStringLiteral("reading moved");
inline const QString ReadingsImported = QStringLiteral("readings imported");
inline const QString CalibrationSet = QStringLiteral("calibration set");
inline const QString CalibrationZeroSet = QStringLiteral("calibration zero set");
inline const QString MappingSaved = QStringLiteral("logger mapping saved");
inline const QString ReadingsFlagged = QStringLiteral("readings flagged");
inline const QString ReadingsDeleted = QStringLiteral("readings deleted");
inline const QString ReadingsRecovered = QStringLiteral("readings recovered");
inline const QString RecyclePurged = QStringLiteral("recycle area purged");
inline const QString ZeroSet = QStringLiteral("zero set");
inline const QString ZeroRetired = QStringLiteral("zero retired");
inline const QString BackupRestored = QStringLiteral("backup restored");
inline const QString SchemaUpgraded = QStringLiteral("schema upgraded");
inline const QString TriggersChanged = QStringLiteral("trigger levels changed");
inline const QString SiteLevelsChanged = QStringLiteral("site levels changed");
inline const QString DatabaseConverted = QStringLiteral("database converted");
} // namespace operation

// What the entries of the changes hold, beside the operation and the sensor:
// - sensor added: nothing more.
// - sensor saved, reading edited: one line per changed column, "Column: value",
//   the stored values in OldValue and the new ones in NewValue, line for line
//   in the same order (the reading's key in Target).
// - reading added: its key in Target.
// - reading moved: the new key in Target, the old key in OldValue and the new
//   one in NewValue; its quality flag and its zeros go with it.
// - readings imported: the logger file's name in Target, the readings stored
//   in Count.
// - calibration set: the channel ("channel 3", "thermistor") and the moment it
//   applies from in Target, its values in NewValue (those it replaced in
//   OldValue). calibration zero set: the same Target, R0 and T0 in NewValue.
// - logger mapping saved: the logger in Target, the mapping's text in NewValue.
// - backup restored: the backup file's path in Target, written into the
//   restored file itself.
// - schema upgraded: the file in Target, the versions in OldValue and NewValue.
// - trigger levels changed, site levels changed: the settings before and after,
//   one line each, in OldValue and NewValue.
// - database converted: the earlier version's file in Target, the rows that
//   were kept aside in Count.
struct AuditEntry {
    QString operation;
    QString sensor;              // empty for the whole file
    QString target;              // a reading key, a range of dates, a file
    QString oldValue;            // edits: what was stored before
    QString newValue;            // and what is stored now
    std::optional<qint64> count; // bulk work: how many rows
    QString note;
};

// "yyyy-MM-dd HH:mm:ss": the form of every moment the new tables keep.
QString stampText(const QDateTime& when);

// Who and when, as the connection's actor gives them: what the new tables
// record beside a flag, a zero, a deletion.
QString actorUser(Database& db);
QString actorStamp(Database& db);

// An edit of stored values: one entry with the changed columns' old and new
// values (see describeChanges).
void auditEdit(Database& db, const QString& sensor, const QString& target,
               const std::vector<RowSet::FieldChange>& changes);

// True when the file has the trail (an older file opened read-only has not).
bool hasAuditTrail(Database& db);

// Writes the entry, stamped with the connection's actor. Call it inside the
// change's transaction. A file without the trail (an older version written
// by a tool of its own time) gets nothing.
void audit(Database& db, const AuditEntry& entry);

// A stored value as an entry shows it: no value as empty text, numbers in
// their shortest exact form.
QString auditValue(const QVariant& value);
// The changed columns as OldValue and NewValue lines (see above).
void describeChanges(AuditEntry& entry, const std::vector<RowSet::FieldChange>& changes);

struct AuditRecord {
    qint64 id = 0;
    QString at; // stampText form
    QString user;
    AuditEntry entry;
};
struct AuditQuery {
    QString sensor;                // empty: every entry
    std::optional<QDate> from, to; // whole days, both included
};
// The entries that match, oldest first, each handed to f; f returning false
// stops the walk. Nothing when the file has no trail.
void forEachAuditRecord(Database& db, const AuditQuery& query,
                        const std::function<bool(const AuditRecord&)>& f);

// The ids of the entries that match, oldest first: a view's keyset, read
// without their values. Empty when the file has no trail.
std::vector<qint64> auditRecordIds(Database& db, const AuditQuery& query);
// The entries of these ids, in the same order; an id no longer stored is left out.
std::vector<AuditRecord> auditRecords(Database& db, const std::vector<qint64>& ids);
// The sensor numbers the trail names, in text order.
QStringList auditedSensors(Database& db);

} // namespace store
