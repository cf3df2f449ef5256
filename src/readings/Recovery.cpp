#include "readings/Recovery.h"

#include "store/Audit.h"
#include "store/RecycleArea.h"
#include "store/Schema.h"

#include <QSet>

#include <algorithm>

namespace readings {

namespace {

QString dayText(const QDate& day) {
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

// FullDate is "yyyy-MM-dd HH:mm:ss": whole days compare as text.
QString rangeCondition(const std::optional<QDate>& from, const std::optional<QDate>& to) {
    QString c;
    if (from) c += QStringLiteral(" AND FullDate >= ?2");
    if (to) c += QStringLiteral(" AND FullDate < ?3");
    return c;
}

void bindRange(store::Statement& st, const std::optional<QDate>& from,
               const std::optional<QDate>& to) {
    if (from) st.bind(2, dayText(*from));
    if (to) st.bind(3, dayText(to->addDays(1)));
}

QString rangeTarget(const std::optional<QDate>& from, const std::optional<QDate>& to) {
    if (!from && !to) return QStringLiteral("all");
    const QString f = QStringLiteral("yyyy/MM/dd");
    return (from ? from->toString(f) : QString()) + QStringLiteral(" \u2013 ") +
           (to ? to->toString(f) : QString());
}

bool inRegister(store::Database& db, const QString& number) {
    store::Statement st =
        db.prepare(QStringLiteral("SELECT 1 FROM Sensors WHERE InstrumentID = ?1 LIMIT 1"));
    st.bind(1, number);
    return st.step();
}

// The latest deletion of the number's register row; 0 when there is none.
qint64 latestDeletedRow(store::Database& db, const QString& number) {
    if (!store::hasRecycleArea(db)) return 0;
    store::Statement st = db.prepare(
        QStringLiteral("SELECT max(RecycleID) FROM RecycledSensors WHERE InstrumentID = ?1"));
    st.bind(1, number);
    return st.step() && st.number(0) ? st.int64(0) : 0;
}

void bringBackSensor(store::Database& db, const QString& number, qint64 recycleId) {
    const QStringList columns =
        store::sharedColumns(db, store::table::Sensors, store::RecycledSensors);
    QStringList quoted;
    for (const QString& c : columns)
        quoted << store::quoteName(c);
    store::Statement back = db.prepare(
        QStringLiteral(
            "INSERT INTO Sensors (%1) SELECT %1 FROM RecycledSensors WHERE RecycleID = ?1")
            .arg(quoted.join(QStringLiteral(", "))));
    back.bind(1, recycleId);
    back.run();
    store::Statement gone =
        db.prepare(QStringLiteral("DELETE FROM RecycledSensors WHERE RecycleID = ?1"));
    gone.bind(1, recycleId);
    gone.run();
    // A table of that name left behind by another program is kept as it is.
    if (!db.hasTable(number)) store::copyTemplate(db, number);
}

} // namespace

std::vector<RecycledReading> recycledReadings(store::Database& db, const QString& sensorNumber,
                                              const std::optional<QDate>& from,
                                              const std::optional<QDate>& to) {
    std::vector<RecycledReading> list;
    if (!store::hasRecycleArea(db)) return list;
    store::Statement st = db.prepare(
        QStringLiteral("SELECT RecycleID, DateTimeKey, ReadingDate, ReadingTime, DeletedAt, "
                       "DeletedBy, Quality FROM RecycledReadings WHERE SensorID = ?1%1 ORDER BY "
                       "FullDate, RecycleID")
            .arg(rangeCondition(from, to)));
    st.bind(1, sensorNumber);
    bindRange(st, from, to);
    while (st.step()) {
        RecycledReading r;
        r.id = st.int64(0);
        r.key = st.text(1);
        r.date = st.text(2);
        r.time = st.text(3);
        r.deletedAt = st.text(4);
        r.deletedBy = st.text(5);
        r.quality = st.text(6);
        list.push_back(std::move(r));
    }
    return list;
}

QStringList sensorsInRecycleArea(store::Database& db) {
    QStringList numbers;
    if (!store::hasRecycleArea(db)) return numbers;
    store::Statement st = db.prepare(QStringLiteral(
        "SELECT DISTINCT SensorID FROM RecycledReadings UNION SELECT InstrumentID FROM "
        "RecycledSensors WHERE InstrumentID IS NOT NULL AND InstrumentID NOT IN (SELECT "
        "InstrumentID FROM Sensors WHERE InstrumentID IS NOT NULL) ORDER BY 1"));
    while (st.step())
        numbers << st.text(0);
    return numbers;
}

bool deletedSensor(store::Database& db, const QString& sensorNumber) {
    return !inRegister(db, sensorNumber) && latestDeletedRow(db, sensorNumber) != 0;
}

Recovery recoverReadings(store::Database& db, const QString& sensorNumber,
                         const std::optional<QDate>& from, const std::optional<QDate>& to) {
    if (!store::hasRecycleArea(db))
        throw store::Error(store::code::Error,
                           QStringLiteral("the file has no recycle area: ") + db.path());
    Recovery result;
    db.transaction([&] {
        if (!inRegister(db, sensorNumber)) {
            const qint64 row = latestDeletedRow(db, sensorNumber);
            if (row == 0)
                throw store::Error(store::code::Error,
                                   QStringLiteral("sensor %1 is neither in the register nor a "
                                                  "deleted sensor")
                                       .arg(sensorNumber));
            bringBackSensor(db, sensorNumber, row);
            result.sensorRecovered = true;
        } else if (!db.hasTable(sensorNumber)) {
            store::copyTemplate(db, sensorNumber);
        }

        const std::vector<RecycledReading> shown = recycledReadings(db, sensorNumber, from, to);
        // The later deletion of a key wins; a key the table holds is never
        // written over.
        const QString table = store::quoteName(sensorNumber);
        store::Statement holds =
            db.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE DateTimeKey = ?1").arg(table));
        std::vector<size_t> order(shown.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return shown[a].id > shown[b].id; });
        std::vector<bool> chosen(shown.size(), false);
        std::vector<bool> skipped(shown.size(), false);
        QSet<QString> taken;
        for (const size_t i : order) {
            const QString& key = shown[i].key;
            bool inUse = false;
            if (!key.isEmpty()) {
                inUse = taken.contains(key);
                if (!inUse) {
                    holds.bind(1, key);
                    inUse = holds.step();
                    holds.reset();
                }
            }
            (inUse ? skipped : chosen)[i] = true;
            if (!inUse) taken.insert(key);
        }

        QStringList quoted;
        for (const QString& c : store::sharedColumns(db, sensorNumber, store::RecycledReadings))
            quoted << store::quoteName(c);
        const QString columns = quoted.join(QStringLiteral(", "));
        store::Statement back = db.prepare(
            QStringLiteral(
                "INSERT INTO %1 (%2) SELECT %2 FROM RecycledReadings WHERE RecycleID = ?1")
                .arg(table, columns));
        // A flag left behind for the key would otherwise apply to the reading.
        store::Statement clearFlag = db.prepare(
            QStringLiteral("DELETE FROM ReadingQuality WHERE SensorID = ?1 AND DateTimeKey = ?2"));
        store::Statement flag = db.prepare(QStringLiteral(
            "INSERT INTO ReadingQuality (SensorID, DateTimeKey, Quality, Note, SetBy, SetAt) "
            "SELECT SensorID, DateTimeKey, Quality, coalesce(QualityNote, ''), "
            "coalesce(QualitySetBy, ''), coalesce(QualitySetAt, '') FROM RecycledReadings WHERE "
            "RecycleID = ?1 AND Quality IS NOT NULL AND DateTimeKey IS NOT NULL"));
        store::Statement gone =
            db.prepare(QStringLiteral("DELETE FROM RecycledReadings WHERE RecycleID = ?1"));
        for (size_t i = 0; i < shown.size(); ++i) {
            if (skipped[i]) result.skipped << shown[i].key;
            if (!chosen[i]) continue;
            back.bind(1, shown[i].id);
            back.run();
            if (!shown[i].key.isEmpty()) {
                clearFlag.bind(1, sensorNumber);
                clearFlag.bind(2, shown[i].key);
                clearFlag.run();
            }
            flag.bind(1, shown[i].id);
            flag.run();
            gone.bind(1, shown[i].id);
            gone.run();
            ++result.recovered;
        }

        if (!store::hasAuditTrail(db)) return;
        store::AuditEntry e;
        e.operation = result.sensorRecovered ? store::operation::SensorRecovered
                                             : store::operation::ReadingsRecovered;
        e.sensor = sensorNumber;
        e.target = rangeTarget(from, to);
        e.count = result.recovered;
        if (!result.skipped.isEmpty())
            e.note = QStringLiteral("%1 skipped: their keys are in use again")
                         .arg(result.skipped.size());
        if (result.sensorRecovered || result.recovered > 0) audit(db, e);
    });
    return result;
}

} // namespace readings
