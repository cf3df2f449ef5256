// The audit trail: one entry for every change of stored data, written in the
// transaction of the change, so that the change and its entry are stored
// together or not at all.
#pragma once

#include "store/Database.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>

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
inline const QString ReadingsFlagged = QStringLiteral("readings flagged");
inline const QString ReadingsDeleted = QStringLiteral("readings deleted");
inline const QString ReadingsRecovered = QStringLiteral("readings recovered");
inline const QString RecyclePurged = QStringLiteral("recycle area purged");
inline const QString ZeroSet = QStringLiteral("zero set");
inline const QString ZeroRetired = QStringLiteral("zero retired");
inline const QString BackupRestored = QStringLiteral("backup restored");
inline const QString SchemaUpgraded = QStringLiteral("schema upgraded");
} // namespace operation

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

// True when the file has the trail (an older file opened read-only has not).
bool hasAuditTrail(Database& db);

// Writes the entry, stamped with the connection's actor. Call it inside the
// change's transaction.
void audit(Database& db, const AuditEntry& entry);

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

} // namespace store
