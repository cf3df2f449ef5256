#include "store/RecycleArea.h"

#include "store/Audit.h"
#include "store/Schema.h"
#include "store/Settings.h"

namespace store {

namespace {

// The area's own columns, never copied from a reading or register row.
bool bookkeeping(const QString& column) {
    static const QStringList own{QStringLiteral("RecycleID"),    QStringLiteral("SensorID"),
                                 QStringLiteral("DeletedAt"),    QStringLiteral("DeletedBy"),
                                 QStringLiteral("Quality"),      QStringLiteral("QualityNote"),
                                 QStringLiteral("QualitySetBy"), QStringLiteral("QualitySetAt")};
    return own.contains(column, Qt::CaseInsensitive);
}

QStringList columnsOf(Database& db, const QString& table) {
    QStringList names;
    for (const Database::ColumnInfo& c : db.columns(table))
        names << c.name;
    return names;
}

QString quotedList(const QStringList& columns, const QString& prefix = {}) {
    QStringList quoted;
    for (const QString& c : columns)
        quoted << prefix + quoteName(c);
    return quoted.join(QStringLiteral(", "));
}

} // namespace

int recycleKeepDays(Database& db) {
    bool ok = false;
    const int days = readSetting(db, RecycleKeepDaysSetting).value_or(QString()).toInt(&ok);
    return ok && days >= 1 && days <= MaxRecycleKeepDays ? days : DefaultRecycleKeepDays;
}

void setRecycleKeepDays(Database& db, int days) {
    if (days < 1 || days > MaxRecycleKeepDays)
        throw Error(code::Error,
                    QStringLiteral("deleted readings are kept from 1 to %1 days, not %2")
                        .arg(MaxRecycleKeepDays)
                        .arg(days));
    writeSetting(db, RecycleKeepDaysSetting, QString::number(days));
}

bool hasRecycleArea(Database& db) {
    return db.hasTable(RecycledReadings) && db.hasTable(RecycledSensors);
}

QStringList sharedColumns(Database& db, const QString& table, const QString& other) {
    const QStringList theirs = columnsOf(db, other);
    QStringList shared;
    for (const QString& c : columnsOf(db, table))
        if (theirs.contains(c, Qt::CaseInsensitive) && !bookkeeping(c)) shared << c;
    return shared;
}

qint64 recycleReadings(Database& db, const QString& sensorNumber, const ReadingRows& rows) {
    if (!hasRecycleArea(db)) return -1;
    const QStringList columns = sharedColumns(db, sensorNumber, RecycledReadings);
    QString where;
    switch (rows.kind) {
    case ReadingRows::Kind::All:
        where = QStringLiteral("1");
        break;
    case ReadingRows::Kind::Row:
        where = QStringLiteral("t._rowid_ = ?4");
        break;
    case ReadingRows::Kind::Days:
        where = QStringLiteral("t.ReadingDate >= ?4 AND t.ReadingDate <= ?5");
        break;
    }
    const QString table = quoteName(sensorNumber);
    // Most sensors carry no flag at all: their rows are copied without a
    // look-up each, and no flag is left to remove.
    Statement anyFlag =
        db.prepare(QStringLiteral("SELECT 1 FROM ReadingQuality WHERE SensorID = ?1 LIMIT 1"));
    anyFlag.bind(1, sensorNumber);
    const bool flagged = anyFlag.step();
    anyFlag.reset();
    // The flag travels with its reading: one pass of the rows, each flag a
    // look-up by its primary key.
    Statement copy = db.prepare(
        QStringLiteral("INSERT INTO RecycledReadings (SensorID, DeletedAt, DeletedBy, Quality, "
                       "QualityNote, QualitySetBy, QualitySetAt, %1) SELECT ?1, ?2, ?3, %5, %2 "
                       "FROM %3 t%6 WHERE %4")
            .arg(quotedList(columns), quotedList(columns, QStringLiteral("t.")), table, where,
                 flagged ? QStringLiteral("q.Quality, q.Note, q.SetBy, q.SetAt")
                         : QStringLiteral("NULL, NULL, NULL, NULL"),
                 flagged ? QStringLiteral(" LEFT JOIN ReadingQuality q ON q.SensorID = ?1 AND "
                                          "q.DateTimeKey = t.DateTimeKey")
                         : QString()));
    copy.bind(1, sensorNumber);
    copy.bind(2, actorStamp(db));
    copy.bind(3, actorUser(db));
    if (rows.kind == ReadingRows::Kind::Row) copy.bind(4, rows.rowid);
    if (rows.kind == ReadingRows::Kind::Days) {
        copy.bind(4, rows.firstDay);
        copy.bind(5, rows.lastDay);
    }
    copy.run();
    const qint64 copied = db.changes();
    if (copied == 0 || !flagged) return copied;
    // Only the sensor's flags are walked (few), each looked up in the table by
    // its unique key.
    Statement flags = db.prepare(
        QStringLiteral("DELETE FROM ReadingQuality WHERE SensorID = ?1 AND EXISTS (SELECT 1 FROM "
                       "%1 t WHERE t.DateTimeKey = ReadingQuality.DateTimeKey AND %2)")
            .arg(table, where));
    flags.bind(1, sensorNumber);
    if (rows.kind == ReadingRows::Kind::Row) flags.bind(4, rows.rowid);
    if (rows.kind == ReadingRows::Kind::Days) {
        flags.bind(4, rows.firstDay);
        flags.bind(5, rows.lastDay);
    }
    flags.run();
    return copied;
}

void recycleSensorRow(Database& db, qint64 rowid) {
    if (!hasRecycleArea(db)) return;
    const QStringList columns = sharedColumns(db, table::Sensors, RecycledSensors);
    Statement copy = db.prepare(QStringLiteral("INSERT INTO RecycledSensors (DeletedAt, DeletedBy, "
                                               "%1) SELECT ?1, ?2, %1 FROM Sensors WHERE "
                                               "_rowid_ = ?3")
                                    .arg(quotedList(columns)));
    copy.bind(1, actorStamp(db));
    copy.bind(2, actorUser(db));
    copy.bind(3, rowid);
    copy.run();
}

qint64 purgeRecycleArea(Database& db, const QDate& before) {
    if (!hasRecycleArea(db)) return 0;
    qint64 purged = 0;
    db.transaction([&] {
        const QString day = before.toString(QStringLiteral("yyyy-MM-dd"));
        for (const QString& table : {RecycledReadings, RecycledSensors}) {
            Statement st =
                db.prepare(QStringLiteral("DELETE FROM %1 WHERE DeletedAt < ?1").arg(table));
            st.bind(1, day);
            st.run();
            purged += db.changes();
        }
        if (purged == 0 || !hasAuditTrail(db)) return;
        AuditEntry e;
        e.operation = operation::RecyclePurged;
        e.target =
            QStringLiteral("deleted before ") + before.toString(QStringLiteral("yyyy/MM/dd"));
        e.count = purged;
        audit(db, e);
    });
    return purged;
}

} // namespace store
