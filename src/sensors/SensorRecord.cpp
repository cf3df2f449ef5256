#include "sensors/SensorRecord.h"

#include "app/Log.h"
#include "app/TextFormat.h"
#include "sensors/SensorTypes.h"
#include "sensors/Texts.h"
#include "store/Audit.h"
#include "store/RecycleArea.h"
#include "store/Schema.h"

#include <QStringList>

#include <algorithm>
#include <optional>

namespace sensors {

namespace {

QString shown(const store::RowSet& rs, const QString& column) {
    try {
        return rs.value(column).toString();
    } catch (const store::Error&) {
        return {};
    }
}

QString column(const char* name) {
    return QString::fromLatin1(name);
}

// An empty box is no value, as a new row has it: stepping through the register
// then rewrites nothing that was not typed.
QVariant boxText(const QString& text) {
    const QString t = text.trimmed();
    return t.isEmpty() ? QVariant() : QVariant(t);
}

} // namespace

RoofLocations roofLocationsOf(const SensorRecord& record, int numNodes) {
    RoofInput in;
    in.recess = record.recess;
    in.length = record.length;
    in.nodes = record.nodes;
    in.headAtCollar = record.headAtCollar;
    in.numNodes = numNodes;
    return CalcReltoRoof(in);
}

SensorRecord readSensorRecord(const store::RowSet& rs) {
    SensorRecord r;
    r.instrumentId = shown(rs, column("InstrumentID"));
    r.dateId = shown(rs, column("DateID"));
    r.typeId = shown(rs, column("TypeID"));
    r.sensorNo = shown(rs, column("SensorNo"));
    r.family = shown(rs, column("Family"));
    r.length = shown(rs, column("LengthofCable"));
    r.level = shown(rs, column("Level"));
    r.location = shown(rs, column("Location"));
    r.borehole = shown(rs, column("Borehole"));
    r.installDate = shown(rs, column("InstallDate"));
    if (const auto d = app::toDate(r.installDate)) r.installDate = app::yearFirst(*d);
    r.installBy = shown(rs, column("InstallBy"));
    r.purpose = shown(rs, column("Purpose"));
    r.notes = shown(rs, column("Notes"));
    r.recess = shown(rs, column("Recess"));
    // No value reads as False, as the original's Yes/No column did.
    r.headAtCollar = shown(rs, column("HeadLocation")).toInt() != 0;
    for (int i = 0; i < 8; ++i)
        r.nodes[size_t(i)] = shown(rs, QStringLiteral("NodeLocation%1").arg(i + 1));
    r.sensorType = shown(rs, column("SensorType"));
    r.destroyed = shown(rs, column("Destroyed"));
    if (r.destroyed == QLatin1String("Yes"))
        r.destructionDate = shown(rs, column("DestructionDate"));
    return r;
}

void writeRecordColumns(store::RowSet& rs, const SensorRecord& r, const SensorRecord* shown) {
    // Only what changed since the row was shown: an unchanged box never writes
    // over what another program stored meanwhile.
    const auto changed = [&](QString SensorRecord::*box) {
        return !shown || r.*box != shown->*box;
    };
    const auto text = [&](const char* name, QString SensorRecord::*box) {
        if (changed(box)) rs.setValue(column(name), boxText(r.*box));
    };
    text("DateID", &SensorRecord::dateId);
    text("TypeID", &SensorRecord::typeId);
    text("SensorNo", &SensorRecord::sensorNo);
    text("Family", &SensorRecord::family);
    if (changed(&SensorRecord::length))
        rs.setValue(column("LengthofCable"),
                    app::formatNumber(app::withDecimalPoint(r.length), app::NumberFormat::Fixed2));
    text("Level", &SensorRecord::level);
    text("Location", &SensorRecord::location);
    text("Borehole", &SensorRecord::borehole);
    text("InstallDate", &SensorRecord::installDate);
    text("InstallBy", &SensorRecord::installBy);
    text("Purpose", &SensorRecord::purpose);
    text("Notes", &SensorRecord::notes);
    if (changed(&SensorRecord::recess)) {
        // The recess must be a number: empty text is no more a number than "abc".
        const std::optional<double> recess = app::toNumber(app::withDecimalPoint(r.recess));
        if (!recess)
            throw store::Error(store::code::Mismatch,
                               QStringLiteral("Type mismatch: recess \"%1\"").arg(r.recess));
        rs.setValue(column("Recess"), *recess);
    }
    if (!shown || r.headAtCollar != shown->headAtCollar)
        rs.setValue(column("HeadLocation"), r.headAtCollar);
    for (size_t i = 0; i < r.nodes.size(); ++i)
        if (!shown || r.nodes[i] != shown->nodes[i])
            rs.setValue(
                QStringLiteral("NodeLocation%1").arg(i + 1),
                app::formatNumber(app::withDecimalPoint(r.nodes[i]), app::NumberFormat::UpTo2));
}

void writeDestroyed(store::RowSet& rs, const SensorRecord& r, const SensorRecord* shown) {
    if (!shown || r.destroyed != shown->destroyed) rs.setValue(column("Destroyed"), r.destroyed);
    if (!r.destructionDate.isEmpty() && (!shown || r.destructionDate != shown->destructionDate))
        rs.setValue(column("DestructionDate"), r.destructionDate);
}

void addSensorRow(store::RowSet& rs, const NewSensor& s) {
    const SensorNumberParts parts = splitSensorNumber(s.number);
    rs.AddNew();
    rs.setValue(column("InstrumentID"), s.number);
    rs.setValue(column("Family"), s.family);
    rs.setValue(column("Model"), s.modelCode);
    rs.setValue(column("SensorType"), parts.typeCode);
    rs.setValue(column("DateID"), parts.dateId);
    rs.setValue(column("TypeID"), parts.typeCode);
    rs.setValue(column("SensorNo"), parts.serial);
    rs.setValue(column("InstallDate"), s.installDate);
    rs.setValue(column("Destroyed"), QStringLiteral("No"));
    rs.setValue(column("HeadLocation"), true);
    rs.setValue(column("LengthofCable"), 0.0);
    rs.setValue(column("Recess"), 0.0);
    store::Database& db = rs.database();
    try {
        db.transaction([&] {
            rs.Update();
            store::AuditEntry e;
            e.operation = store::operation::SensorAdded;
            e.sensor = s.number;
            store::audit(db, e);
        });
    } catch (...) {
        rs.CancelUpdate();
        // The row set counted the row the rollback took back.
        app::ignoreFailure([&] { rs.Requery(); });
        throw;
    }
}

RecordVersion recordVersion(store::Database& db, const QString& sensorNumber) {
    RecordVersion v;
    if (!db.hasTable(QStringLiteral("SensorVersions"))) return v;
    store::Statement st = db.prepare(QStringLiteral(
        "SELECT Version, ChangedBy, ChangedAt FROM SensorVersions WHERE SensorID = ?1"));
    st.bind(1, sensorNumber);
    if (st.step()) v = {st.int64(0), st.text(1), st.text(2)};
    return v;
}

RecordChanged::RecordChanged(RecordVersion now)
    : store::Error(store::code::Busy, texts::changedSinceOpened(now.by, now.at)),
      now_(std::move(now)) {}

namespace {

// Takes the record's next version: only from the one seen, when one was, so
// that of two users saving at once exactly one succeeds. Returns the new number.
// Runs one statement on the sensor's version row: ?1 the sensor, ?2 who, ?3
// when, ?4 (when given) the version the user saw. Returns the rows it changed.
int runOnVersion(store::Database& db, const QString& sql, const QString& number,
                 std::optional<qint64> seen = std::nullopt) {
    store::Statement st = db.prepare(sql);
    st.bind(1, number);
    st.bind(2, store::actorUser(db));
    st.bind(3, store::actorStamp(db));
    if (seen) st.bind(4, *seen);
    st.run();
    return db.changes();
}

qint64 takeNextVersion(store::Database& db, const QString& number, const RecordVersion* seen) {
    if (seen && seen->number > 0) {
        if (runOnVersion(db,
                         QStringLiteral("UPDATE SensorVersions SET Version = Version + 1, ChangedBy "
                                        "= ?2, ChangedAt = ?3 WHERE SensorID = ?1 AND Version = ?4"),
                         number, seen->number) == 0)
            throw RecordChanged(recordVersion(db, number));
        return seen->number + 1;
    }
    if (seen) {
        if (runOnVersion(db,
                         QStringLiteral("INSERT INTO SensorVersions (SensorID, Version, ChangedBy, "
                                        "ChangedAt) VALUES (?1, 1, ?2, ?3) ON CONFLICT (SensorID) "
                                        "DO NOTHING"),
                         number) == 0)
            throw RecordChanged(recordVersion(db, number));
        return 1;
    }
    runOnVersion(db,
                 QStringLiteral("INSERT INTO SensorVersions (SensorID, Version, ChangedBy, ChangedAt) "
                                "VALUES (?1, 1, ?2, ?3) ON CONFLICT (SensorID) DO UPDATE SET Version "
                                "= SensorVersions.Version + 1, ChangedBy = excluded.ChangedBy, "
                                "ChangedAt = excluded.ChangedAt"),
                 number);
    return recordVersion(db, number).number;
}

} // namespace

void storeRecord(store::RowSet& rs, RecordVersion* seen) {
    if (!rs.isEditing()) return;
    const std::vector<store::RowSet::FieldChange> changes = rs.pendingChanges();
    if (changes.empty()) {
        rs.Update();
        return;
    }
    store::Database& db = rs.database();
    const QString number = rs.value(column("InstrumentID")).toString();
    const bool versioned = db.hasTable(QStringLiteral("SensorVersions"));
    qint64 next = 0;
    db.transaction([&] {
        if (versioned) {
            try {
                next = takeNextVersion(db, number, seen);
            } catch (const RecordChanged&) {
                // The other user's record stands: what was typed must not be
                // stored later by a move or a requery either.
                rs.CancelUpdate();
                throw;
            }
        }
        rs.Update();
        store::AuditEntry e;
        e.operation = store::operation::SensorSaved;
        e.sensor = number;
        store::describeChanges(e, changes);
        store::audit(db, e);
    });
    if (seen && versioned) *seen = {next, store::actorUser(db), store::actorStamp(db)};
}

bool registerHolds(store::Database& db, const QString& number) {
    store::Statement st =
        db.prepare(QStringLiteral("SELECT 1 FROM Sensors WHERE InstrumentID = ?1"));
    st.bind(1, number);
    return st.step();
}

QStringList sensorNumbers(const store::RowSet& rs) {
    QStringList numbers;
    const QVariantList values = rs.columnValues(column("InstrumentID"));
    numbers.reserve(values.size());
    for (const QVariant& v : values)
        numbers << v.toString();
    return numbers;
}

void removeSensor(store::Database& db, store::RowSet& rs, const QString& number) {
    db.transaction([&] {
        // The register row and the readings go to the recycle area first.
        store::recycleSensorRow(db, rs.Bookmark());
        qint64 readings = 0;
        if (db.hasTable(number)) {
            readings = std::max<qint64>(0, store::recycleReadings(db, number, {}));
            db.execute(QStringLiteral("DROP TABLE ") + store::quoteName(number));
        }
        // The first row in SensorID order, as a find from the top would meet it.
        store::Statement st = db.prepare(QStringLiteral(
            "DELETE FROM NetworkConfig WHERE _rowid_ = (SELECT _rowid_ FROM NetworkConfig "
            "WHERE SensorID = ?1 ORDER BY SensorID, _rowid_ LIMIT 1)"));
        st.bind(1, number);
        st.run();
        rs.Delete();
        if (store::hasAuditTrail(db)) {
            store::AuditEntry e;
            e.operation = store::operation::SensorDeleted;
            e.sensor = number;
            e.count = readings;
            store::audit(db, e);
        }
    });
}

} // namespace sensors
