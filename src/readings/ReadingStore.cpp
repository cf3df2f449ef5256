#include "readings/ReadingStore.h"

#include "app/TextFormat.h"
#include "readings/ReadingKey.h"
#include "readings/Texts.h"
#include "store/Audit.h"
#include "store/Database.h"
#include "store/RecycleArea.h"

namespace readings {

namespace {

const QString DateTimeKey = QStringLiteral("DateTimeKey");
const QString FullDate = QStringLiteral("FullDate");
const QString ReadingDate = QStringLiteral("ReadingDate");
const QString ReadingTime = QStringLiteral("ReadingTime");
const QString ChannelT = QStringLiteral("ChannelT");
const QString Plottemporal = QStringLiteral("Plottemporal");
const QString PlotSpatial = QStringLiteral("PlotSpatial");
const QString IsDirty = QStringLiteral("IsDirty");

QString channelColumn(int i) {
    return QStringLiteral("Channel%1").arg(i);
}

// The rowid of the reading holding key, 0 when none does: one indexed look-up.
// The look-up moves the cursor; the row current before is made current again,
// or a window's next save would write the reading it shows over the one found.
qint64 keyHolder(store::RowSet& rs, const QString& key) {
    if (rs.RecordCount() == 0) return 0;
    const int current = rs.AbsolutePosition();
    findReading(rs, key);
    const qint64 holder = rs.isEOF() ? 0 : rs.Bookmark();
    if (current > 0) rs.setAbsolutePosition(current);
    return holder;
}

// The key and the three date columns every writer keeps in step.
void writeWhen(store::RowSet& rs, const QString& sensorNumber, const QDate& date,
               const QTime& time) {
    rs.setValue(DateTimeKey, readingKey(sensorNumber, date, time));
    rs.setValue(FullDate, fullDateText(date, time));
    rs.setValue(ReadingDate, keyDate(date));
    rs.setValue(ReadingTime, keyTime(time));
}

// One entry per deletion that took any reading.
void auditDeletion(store::Database& db, const QString& sensorNumber, const QString& target,
                   qint64 count) {
    if (count == 0 || !store::hasAuditTrail(db)) return;
    store::AuditEntry e;
    e.operation = store::operation::ReadingsDeleted;
    e.sensor = sensorNumber;
    e.target = target;
    e.count = count;
    store::audit(db, e);
}

bool storedFalse(const QVariant& v) {
    return !v.isNull() && v.toLongLong() == 0;
}

QString valueOf(const std::vector<store::RowSet::FieldChange>& changes, const QString& field,
                const QVariant& otherwise, bool after) {
    for (const store::RowSet::FieldChange& c : changes)
        if (c.field.compare(field, Qt::CaseInsensitive) == 0)
            return shownValue(after ? c.after : c.before);
    return shownValue(otherwise);
}

// A reading's quality flag and its active zeros are kept by its key and its
// moment: when those change, they go with it. Written in the caller's
// transaction; a file without the tables has nothing to move.
void followMove(store::Database& db, const QString& sensorNumber, const QString& oldKey,
                const QString& newKey, const QString& oldFullDate, const QString& newFullDate) {
    if (oldKey != newKey && db.hasTable(QStringLiteral("ReadingQuality"))) {
        store::Statement st = db.prepare(QStringLiteral(
            "UPDATE ReadingQuality SET DateTimeKey = ?3 WHERE SensorID = ?1 AND DateTimeKey = ?2"));
        st.bind(1, sensorNumber);
        st.bind(2, oldKey);
        st.bind(3, newKey);
        st.run();
    }
    if (oldFullDate != newFullDate && db.hasTable(QStringLiteral("ZeroReadings"))) {
        store::Statement st = db.prepare(
            QStringLiteral("UPDATE ZeroReadings SET ZeroAt = ?3 WHERE SensorID = ?1 AND ZeroAt = "
                           "?2 AND RetiredAt IS NULL"));
        st.bind(1, sensorNumber);
        st.bind(2, oldFullDate);
        st.bind(3, newFullDate);
        st.run();
    }
}

// The pending edit of the current reading stored with its entry, in one
// transaction; an edit that changes nothing stores no entry.
void storeEdit(store::RowSet& rs, const QString& sensorNumber) {
    if (!rs.isEditing()) return;
    const std::vector<store::RowSet::FieldChange> changes = rs.pendingChanges();
    if (changes.empty()) {
        rs.Update();
        return;
    }
    store::Database& db = rs.database();
    db.transaction([&] {
        const QString oldKey = valueOf(changes, DateTimeKey, rs.value(DateTimeKey), false);
        const QString newKey = valueOf(changes, DateTimeKey, rs.value(DateTimeKey), true);
        const QString oldFull = valueOf(changes, FullDate, rs.value(FullDate), false);
        const QString newFull = valueOf(changes, FullDate, rs.value(FullDate), true);
        rs.Update();
        followMove(db, sensorNumber, oldKey, newKey, oldFull, newFull);
        store::auditEdit(db, sensorNumber, newKey, changes);
    });
}

} // namespace

QString shownValue(const QVariant& value) {
    if (value.isNull()) return {};
    if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

Reading readReading(const store::RowSet& rs) {
    Reading r;
    r.key = shownValue(rs.value(DateTimeKey));
    r.date = storedDate(shownValue(rs.value(ReadingDate)));
    r.time = storedTime(shownValue(rs.value(ReadingTime)));
    if (!r.date.isValid() || !r.time.isValid())
        throw store::Error(
            store::code::Mismatch,
            QStringLiteral("the date or time of reading %1 cannot be read").arg(r.key));
    r.channelT = shownValue(rs.value(ChannelT));
    for (int i = 1; i <= 8; ++i)
        r.channels[size_t(i)] = shownValue(rs.value(channelColumn(i)));
    r.temporal = !storedFalse(rs.value(Plottemporal));
    r.spatial = !storedFalse(rs.value(PlotSpatial));
    return r;
}

void storeReading(store::RowSet& rs, const QString& sensorNumber, const Reading& typed,
                  const Reading* shown) {
    // Only what changed since the reading was shown: an unchanged box never
    // writes over what another program stored meanwhile.
    std::exception_ptr refused;
    try {
        if (!shown || typed.date != shown->date || typed.time != shown->time)
            writeWhen(rs, sensorNumber, typed.date, typed.time);
        if (!shown || typed.channelT != shown->channelT)
            rs.setValue(ChannelT, app::withDecimalPoint(typed.channelT));
        for (size_t i = 1; i <= 8; ++i)
            if (!shown || typed.channels[i] != shown->channels[i])
                rs.setValue(channelColumn(int(i)),
                            app::formatNumber(app::withDecimalPoint(typed.channels[i]),
                                              app::NumberFormat::Fixed2));
        if (!shown || typed.temporal != shown->temporal) rs.setValue(Plottemporal, typed.temporal);
        if (!shown || typed.spatial != shown->spatial) rs.setValue(PlotSpatial, typed.spatial);
    } catch (...) {
        refused = std::current_exception();
    }
    if (refused) {
        // What was written before the refused column stays written.
        app::ignoreFailure([&] { storeEdit(rs, sensorNumber); });
        std::rethrow_exception(refused);
    }
    storeEdit(rs, sensorNumber);
}

AddResult addReading(store::RowSet& rs, const QString& sensorNumber, const QDateTime& when) {
    const QDate date = when.date();
    const QTime time(when.time().hour(), when.time().minute(), when.time().second());
    if (keyHolder(rs, readingKey(sensorNumber, date, time)) != 0) return AddResult::Duplicate;
    rs.AddNew();
    writeWhen(rs, sensorNumber, date, time);
    rs.setValue(Plottemporal, true);
    rs.setValue(PlotSpatial, false);
    rs.setValue(IsDirty, true);
    store::Database& db = rs.database();
    try {
        db.transaction([&] {
            rs.Update();
            store::AuditEntry e;
            e.operation = store::operation::ReadingAdded;
            e.sensor = sensorNumber;
            e.target = readingKey(sensorNumber, date, time);
            store::audit(db, e);
        });
    } catch (const store::Error& e) {
        // The row set counted the row the rollback took back.
        app::ignoreFailure([&] { rs.Requery(); });
        // Another user stored the same moment since the look-up: theirs stands.
        if (e.number() == store::code::Duplicate) return AddResult::Duplicate;
        throw;
    } catch (...) {
        app::ignoreFailure([&] { rs.Requery(); });
        throw;
    }
    rs.Requery();
    rs.MoveLast();
    return AddResult::Added;
}

MoveResult moveReading(store::RowSet& rs, const QString& sensorNumber, qint64 rowid,
                       const QDate& date, const QTime& time) {
    rs.setBookmark(rowid);
    const QString key = readingKey(sensorNumber, date, time);
    if (rs.value(DateTimeKey).toString() == key) return MoveResult::Unchanged;
    const qint64 holder = keyHolder(rs, key);
    if (holder != 0 && holder != rowid) return MoveResult::Taken;
    const QString oldKey = shownValue(rs.value(DateTimeKey));
    const QString oldFullDate = shownValue(rs.value(FullDate));
    store::Database& db = rs.database();
    try {
        db.transaction([&] {
            writeWhen(rs, sensorNumber, date, time);
            rs.Update();
            followMove(db, sensorNumber, oldKey, key, oldFullDate, fullDateText(date, time));
            store::AuditEntry e;
            e.operation = store::operation::ReadingMoved;
            e.sensor = sensorNumber;
            e.target = key;
            e.oldValue = oldKey;
            e.newValue = key;
            store::audit(db, e);
        });
    } catch (const store::Error& e) {
        // Another user stored a reading at that moment since the look-up.
        if (e.number() != store::code::Duplicate) throw;
        app::ignoreFailure([&] { rs.Requery(); });
        return MoveResult::Taken;
    }
    rs.Requery();
    findReading(rs, key);
    return rs.isEOF() ? MoveResult::Lost : MoveResult::Moved;
}

void deleteReading(store::RowSet& rs, qint64 rowid) {
    store::Database& db = rs.database();
    rs.setBookmark(rowid);
    const QString key = rs.value(DateTimeKey).toString();
    // The copy and the delete are one change: a failure leaves both as they were.
    db.transaction([&] {
        store::ReadingRows row;
        row.kind = store::ReadingRows::Kind::Row;
        row.rowid = rowid;
        store::recycleReadings(db, rs.tableName(), row);
        rs.Delete();
        auditDeletion(db, rs.tableName(), key, 1);
    });
    rs.Requery();
}

int deleteBetween(store::Database& db, const QString& sensorNumber, const QDate& start,
                  const QDate& end) {
    int deleted = 0;
    db.transaction([&] {
        store::ReadingRows days;
        days.kind = store::ReadingRows::Kind::Days;
        days.firstDay = keyDate(start);
        days.lastDay = keyDate(end);
        store::recycleReadings(db, sensorNumber, days);
        store::Statement st =
            db.prepare(QStringLiteral("DELETE FROM ") + store::quoteName(sensorNumber) +
                       QStringLiteral(" WHERE ReadingDate >= ?1 AND ReadingDate <= ?2"));
        st.bind(1, keyDate(start));
        st.bind(2, keyDate(end));
        st.run();
        deleted = db.changes();
        auditDeletion(db, sensorNumber, keyDate(start) + QStringLiteral(" \u2013 ") + keyDate(end),
                      deleted);
    });
    return deleted;
}

int deleteAll(store::Database& db, const QString& sensorNumber) {
    int deleted = 0;
    db.transaction([&] {
        store::recycleReadings(db, sensorNumber, store::ReadingRows{});
        db.execute(QStringLiteral("DELETE FROM ") + store::quoteName(sensorNumber));
        deleted = db.changes();
        auditDeletion(db, sensorNumber, QStringLiteral("all"), deleted);
    });
    return deleted;
}

} // namespace readings
