#include "readings/Quality.h"

#include "store/Audit.h"
#include "store/Schema.h"

namespace readings {

namespace {

const QString QualityTable = QStringLiteral("ReadingQuality");

// The reading key's moment, "yyyy/MM/dd HH:mm:ss" (the key without the number).
QString momentOfKey(const QString& key) {
    const qsizetype blank = key.indexOf(QLatin1Char(' '));
    return blank < 0 ? key : key.mid(blank + 1);
}

} // namespace

QString qualityName(Quality quality) {
    switch (quality) {
    case Quality::Suspect:
        return QStringLiteral("suspect");
    case Quality::Invalid:
        return QStringLiteral("invalid");
    case Quality::Valid:
        break;
    }
    return QStringLiteral("valid");
}

std::optional<Quality> qualityFromName(const QString& name) {
    for (Quality q : {Quality::Valid, Quality::Suspect, Quality::Invalid})
        if (name.trimmed().compare(qualityName(q), Qt::CaseInsensitive) == 0) return q;
    return std::nullopt;
}

QString momentText(const QString& fullDate) {
    QString text = fullDate;
    if (text.size() >= 10 && text[4] == QLatin1Char('-') && text[7] == QLatin1Char('-'))
        text[4] = text[7] = QLatin1Char('/');
    return text;
}

QString invalidLeftOut(store::Database& db, const QString& keyColumn, int sensorSlot) {
    if (!db.hasTable(QualityTable)) return {};
    return QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM ReadingQuality q WHERE q.SensorID = "
                          "?%1 AND q.DateTimeKey = %2 AND q.Quality = 'invalid')")
        .arg(sensorSlot)
        .arg(keyColumn);
}

QHash<QString, QualityFlag> qualityFlags(store::Database& db, const QString& sensorNumber) {
    QHash<QString, QualityFlag> flags;
    if (!db.hasTable(QualityTable)) return flags;
    store::Statement st = db.prepare(QStringLiteral(
        "SELECT DateTimeKey, Quality, Note, SetBy, SetAt FROM ReadingQuality WHERE SensorID = ?1"));
    st.bind(1, sensorNumber);
    while (st.step())
        flags.insert(st.text(0), {qualityFromName(st.text(1)).value_or(Quality::Valid), st.text(2),
                                  st.text(3), st.text(4)});
    return flags;
}

std::optional<QualityFlag> qualityOf(store::Database& db, const QString& sensorNumber,
                                     const QString& key) {
    if (!db.hasTable(QualityTable)) return std::nullopt;
    store::Statement st = db.prepare(
        QStringLiteral("SELECT Quality, Note, SetBy, SetAt FROM ReadingQuality WHERE SensorID = "
                       "?1 AND DateTimeKey = ?2"));
    st.bind(1, sensorNumber);
    st.bind(2, key);
    std::optional<QualityFlag> flag;
    if (st.step())
        flag = QualityFlag{qualityFromName(st.text(0)).value_or(Quality::Valid), st.text(1),
                           st.text(2), st.text(3)};
    st.reset();
    return flag;
}

QStringList keysOfQuality(store::Database& db, const QString& sensorNumber, Quality quality) {
    QStringList keys;
    if (!db.hasTable(QualityTable)) return keys;
    store::Statement st = db.prepare(QStringLiteral(
        "SELECT DateTimeKey FROM ReadingQuality WHERE SensorID = ?1 AND Quality = ?2"));
    st.bind(1, sensorNumber);
    st.bind(2, qualityName(quality));
    while (st.step())
        keys << st.text(0);
    return keys;
}

bool hasDoubtfulReadings(store::Database& db, const QString& sensorNumber) {
    if (!db.hasTable(QualityTable)) return false;
    store::Statement st = db.prepare(QStringLiteral(
        "SELECT 1 FROM ReadingQuality WHERE SensorID = ?1 AND Quality <> 'valid' LIMIT 1"));
    st.bind(1, sensorNumber);
    return st.step();
}

QStringList keysBetween(store::Database& db, const QString& sensorNumber, const QString& from,
                        const QString& to) {
    store::Statement st = db.prepare(
        QStringLiteral("SELECT DateTimeKey FROM %1 WHERE FullDate >= ?1 AND FullDate <= ?2 "
                       "ORDER BY FullDate, _rowid_")
            .arg(store::quoteName(sensorNumber)));
    st.bind(1, from);
    st.bind(2, to);
    QStringList keys;
    while (st.step())
        keys << st.text(0);
    return keys;
}

int setQuality(store::Database& db, const QString& sensorNumber, const QStringList& keys,
               Quality quality, const QString& note) {
    const QString table = store::quoteName(sensorNumber);
    int changed = 0;
    db.transaction([&] {
        store::Statement exists =
            db.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE DateTimeKey = ?1").arg(table));
        store::Statement isZero = db.prepare(
            QStringLiteral("SELECT 1 FROM ZeroReadings z JOIN %1 t ON t.FullDate = z.ZeroAt "
                           "WHERE z.SensorID = ?1 AND z.RetiredAt IS NULL AND t.DateTimeKey = ?2")
                .arg(table));
        store::Statement clear = db.prepare(
            QStringLiteral("DELETE FROM ReadingQuality WHERE SensorID = ?1 AND DateTimeKey = ?2"));
        store::Statement upsert = db.prepare(QStringLiteral(
            "INSERT INTO ReadingQuality (SensorID, DateTimeKey, Quality, Note, SetBy, SetAt) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT (SensorID, DateTimeKey) DO UPDATE SET "
            "Quality = excluded.Quality, Note = excluded.Note, SetBy = excluded.SetBy, SetAt = "
            "excluded.SetAt WHERE ReadingQuality.Quality <> excluded.Quality OR "
            "ReadingQuality.Note <> "
            "excluded.Note"));
        const QString who = store::actorUser(db);
        const QString when = store::actorStamp(db);
        // A valid reading without a note needs no row: it is valid by default.
        const bool plain = quality == Quality::Valid && note.isEmpty();
        for (const QString& key : keys) {
            exists.bind(1, key);
            const bool found = exists.step();
            exists.reset();
            if (!found)
                throw store::Error(store::code::NotFound,
                                   QStringLiteral("sensor %1 has no reading at %2")
                                       .arg(sensorNumber, momentOfKey(key)));
            if (quality == Quality::Invalid) {
                isZero.bind(1, sensorNumber);
                isZero.bind(2, key);
                const bool zero = isZero.step();
                isZero.reset();
                if (zero)
                    throw store::Error(store::code::Mismatch,
                                       QStringLiteral("the reading at %1 is a zero reading of "
                                                      "sensor %2: retire the zero first")
                                           .arg(momentOfKey(key), sensorNumber));
            }
            store::Statement& st = plain ? clear : upsert;
            st.bind(1, sensorNumber);
            st.bind(2, key);
            if (!plain) {
                upsert.bind(3, qualityName(quality));
                upsert.bind(4, note);
                upsert.bind(5, who);
                upsert.bind(6, when);
            }
            st.run();
            changed += db.changes();
        }
        if (changed == 0) return;
        store::AuditEntry e;
        e.operation = store::operation::ReadingsFlagged;
        e.sensor = sensorNumber;
        e.target = keys.size() == 1 ? keys.front()
                                    : momentOfKey(keys.front()) + QStringLiteral(" – ") +
                                          momentOfKey(keys.back());
        e.newValue = qualityName(quality);
        e.count = changed;
        e.note = note;
        store::audit(db, e);
    });
    return changed;
}

} // namespace readings
