// Deletions that can be undone: what each deletion leaves in the recycle area
// and the audit trail, and recovery from it, on a real file.
#include "readings/ReadingStore.h"
#include "readings/Recovery.h"
#include "sensors/SensorRecord.h"
#include "store/Audit.h"
#include "store/ReadingTables.h"
#include "store/RecycleArea.h"
#include "support/Support.h"

using namespace testing_support;
using namespace readings;

namespace {

const QString Sensor = QStringLiteral("201391005");

class RecycleTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
        db->setActor({QStringLiteral("mira"), [this] { return clock.now(); }});
        addSensor(*db, SensorRow{Sensor, QStringLiteral("L 7")});
    }
    // n hourly readings from the start of 2025-03-01, open oldest first.
    void withReadings(int n) {
        addReadings(*db, Sensor, n, start);
        store::openReadings(*db, Sensor, rs);
    }
    QDateTime hour(int k) const { return start.addSecs(3600 * k); }
    QString key(int k) const { return testing_support::readingKey(Sensor, hour(k)); }
    void flag(int k, const QString& quality) {
        store::Statement st =
            db->prepare(QStringLiteral("INSERT INTO ReadingQuality VALUES (?1, ?2, ?3, 'spike', "
                                       "'ana', '2025-03-09 10:00:00')"));
        st.bind(1, Sensor);
        st.bind(2, key(k));
        st.bind(3, quality);
        st.run();
    }
    std::string value(const QString& sql) {
        store::Statement st = db->prepare(sql);
        return st.step() ? st.text(0).toStdString() : "<no row>";
    }
    // "operation|target|count" of every audit entry, oldest first.
    QStringList auditLines() {
        QStringList lines;
        store::forEachAuditRecord(*db, {}, [&](const store::AuditRecord& r) {
            lines << QStringLiteral("%1|%2|%3")
                         .arg(r.entry.operation, r.entry.target,
                              r.entry.count ? QString::number(*r.entry.count) : QString());
            return true;
        });
        return lines;
    }

    const QDateTime start{QDate(2025, 3, 1), QTime(0, 0)};
    store::Database* db = nullptr;
    std::unique_ptr<store::RowSet> rs;
};

TEST_F(RecycleTest, ABatchComesBackButAKeyUsedAgainStaysInTheArea) {
    withReadings(48);
    flag(5, QStringLiteral("suspect"));
    flag(30, QStringLiteral("invalid")); // not deleted: stays where it is
    EXPECT_EQ(deleteBetween(*db, Sensor, start.date(), start.date()), 24);
    EXPECT_EQ(rowCount(*db, QStringLiteral("RecycledReadings")), 24);
    EXPECT_EQ(value("SELECT DeletedBy || ' ' || DeletedAt || ' ' || Quality || ' ' || QualityNote "
                    "FROM RecycledReadings WHERE DateTimeKey = '" +
                    key(5) + "'"),
              "mira 2026-12-07 15:04:05 suspect spike");
    EXPECT_EQ(value("SELECT group_concat(DateTimeKey) FROM ReadingQuality"), key(30).toStdString());

    // The same moment read in again meanwhile.
    addReadings(*db, Sensor, 1, hour(7));
    EXPECT_EQ(recycledReadings(*db, Sensor).size(), 24u);
    const Recovery r = recoverReadings(*db, Sensor);
    EXPECT_FALSE(r.sensorRecovered);
    EXPECT_EQ(r.recovered, 23);
    EXPECT_EQ(r.skipped, QStringList{key(7)});
    EXPECT_EQ(rowCount(*db, Sensor), 48);
    EXPECT_EQ(value("SELECT group_concat(DateTimeKey) FROM RecycledReadings"),
              key(7).toStdString());
    EXPECT_EQ(value("SELECT Quality || Note || SetBy FROM ReadingQuality WHERE DateTimeKey = '" +
                    key(5) + "'"),
              "suspectspikeana");
    EXPECT_EQ(value("SELECT Channel2 FROM `201391005` WHERE DateTimeKey = '" + key(5) + "'"),
              "2.05");
    EXPECT_EQ(auditLines(), (QStringList{"readings deleted|2025/03/01 \u2013 2025/03/01|24",
                                         "readings recovered|all|23"}));

    // Nothing left that can come back: a run that recovers nothing writes nothing.
    const Recovery again = recoverReadings(*db, Sensor);
    EXPECT_EQ(again.recovered, 0);
    EXPECT_EQ(again.skipped, QStringList{key(7)});
    EXPECT_EQ(auditLines().size(), 2);
}

TEST_F(RecycleTest, OneReadingAllReadingsAndNothingEachAsOneEntry) {
    withReadings(5);
    rs->setAbsolutePosition(2);
    deleteReading(*rs, rs->Bookmark());
    EXPECT_EQ(rs->RecordCount(), 4);
    EXPECT_EQ(deleteBetween(*db, Sensor, start.date().addDays(1), start.date()), 0);
    EXPECT_EQ(deleteAll(*db, Sensor), 4);
    EXPECT_EQ(deleteAll(*db, Sensor), 0);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    EXPECT_EQ(auditLines(),
              (QStringList{"readings deleted|" + key(1) + "|1", "readings deleted|all|4"}));

    // Between two days by FullDate: the first hours of the 1st only.
    const std::vector<RecycledReading> listed =
        recycledReadings(*db, Sensor, start.date(), start.date());
    ASSERT_EQ(listed.size(), 5u);
    EXPECT_EQ(listed[1].key, key(1));
    EXPECT_EQ(listed[1].time, "01:00:00");
    EXPECT_TRUE(recycledReadings(*db, Sensor, start.date().addDays(1), {}).empty());
    EXPECT_EQ(recoverReadings(*db, Sensor, start.date(), start.date()).recovered, 5);
    rs->Requery();
    EXPECT_EQ(rs->RecordCount(), 5);
}

TEST_F(RecycleTest, OfTwoDeletionsOfOneKeyTheLaterComesBack) {
    withReadings(2);
    deleteAll(*db, Sensor);
    addReadings(*db, Sensor, 1, hour(1));
    db->execute(QStringLiteral("UPDATE `201391005` SET Channel1 = 99"));
    deleteAll(*db, Sensor);
    const Recovery r = recoverReadings(*db, Sensor);
    EXPECT_EQ(r.recovered, 2);
    EXPECT_EQ(r.skipped, QStringList{key(1)});
    EXPECT_EQ(value("SELECT Channel1 FROM `201391005` WHERE DateTimeKey = '" + key(1) + "'"),
              "99.0");
}

TEST_F(RecycleTest, AnOlderTableWithFewerColumnsGoesAndComesBack) {
    db->execute(QStringLiteral("ALTER TABLE `201391005` DROP COLUMN Reference"));
    withReadings(3);
    EXPECT_EQ(deleteAll(*db, Sensor), 3);
    EXPECT_EQ(recoverReadings(*db, Sensor).recovered, 3);
    EXPECT_EQ(rowCount(*db, Sensor), 3);
}

TEST_F(RecycleTest, ADeletedSensorComesBackWithItsReadingsAndFlags) {
    withReadings(6);
    flag(2, QStringLiteral("invalid"));
    rs.reset();
    openRegister(*state);
    store::RowSet& reg = *state->rsSensors;
    reg.MoveFirst();
    sensors::removeSensor(*db, reg, Sensor);
    EXPECT_FALSE(db->hasTable(Sensor));
    EXPECT_EQ(rowCount(*db, QStringLiteral("ReadingQuality")), 0);
    EXPECT_EQ(value("SELECT Level || ' ' || DeletedBy FROM RecycledSensors"), "L 7 mira");
    EXPECT_EQ(sensorsInRecycleArea(*db), QStringList{Sensor});
    EXPECT_TRUE(deletedSensor(*db, Sensor));

    const Recovery r = recoverReadings(*db, Sensor);
    EXPECT_TRUE(r.sensorRecovered);
    EXPECT_EQ(r.recovered, 6);
    EXPECT_TRUE(sensors::registerHolds(*db, Sensor));
    EXPECT_EQ(value("SELECT Level || InstallDate FROM Sensors"), "L 72024/01/15");
    EXPECT_EQ(db->indexDefinitions(Sensor).size(), 2);
    EXPECT_EQ(value("SELECT Quality FROM ReadingQuality WHERE DateTimeKey = '" + key(2) + "'"),
              "invalid");
    EXPECT_EQ(rowCount(*db, QStringLiteral("RecycledSensors")), 0);
    EXPECT_EQ(rowCount(*db, QStringLiteral("RecycledReadings")), 0);
    EXPECT_EQ(auditLines(), (QStringList{"sensor deleted||6", "sensor recovered|all|6"}));

    EXPECT_THROW(recoverReadings(*db, QStringLiteral("201391099")), store::Error);
}

TEST_F(RecycleTest, ReplacingATableKeepsItsReadingsInTheArea) {
    withReadings(4);
    rs.reset();
    store::replaceReadingTable(*db, Sensor);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    EXPECT_EQ(auditLines(), QStringList{"readings deleted|all|4"});
    EXPECT_EQ(recoverReadings(*db, Sensor).recovered, 4);
}

// A deletion refused after its copy was made leaves the table, the flags and
// the area exactly as they were, and no audit entry.
TEST_F(RecycleTest, AFailureHalfWayLeavesTableAndAreaAsTheyWere) {
    withReadings(30);
    flag(3, QStringLiteral("suspect"));
    refuseWrites(*db, QStringLiteral("refuse"), QStringLiteral("201391005"),
                 QStringLiteral("DELETE"), {}, QStringLiteral("refused"));
    const std::vector<std::pair<const char*, std::function<void()>>> deletions{
        {"one", [&] { deleteReading(*rs, rs->Bookmark()); }},
        {"batch", [&] { deleteBetween(*db, Sensor, start.date(), start.date()); }},
        {"all", [&] { deleteAll(*db, Sensor); }},
    };
    for (const auto& [name, deletion] : deletions) {
        SCOPED_TRACE(name);
        EXPECT_THROW(deletion(), store::Error);
        EXPECT_EQ(rowCount(*db, Sensor), 30);
        EXPECT_EQ(rowCount(*db, QStringLiteral("RecycledReadings")), 0);
        EXPECT_EQ(rowCount(*db, QStringLiteral("ReadingQuality")), 1);
    }
    rs.reset();

    refuseWrites(*db, QStringLiteral("keep"), QStringLiteral("Sensors"), QStringLiteral("DELETE"),
                 {}, QStringLiteral("refused"));
    openRegister(*state);
    state->rsSensors->MoveFirst();
    EXPECT_THROW(sensors::removeSensor(*db, *state->rsSensors, Sensor), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 30);
    EXPECT_EQ(rowCount(*db, QStringLiteral("RecycledSensors")), 0);
    EXPECT_EQ(rowCount(*db, QStringLiteral("RecycledReadings")), 0);
    EXPECT_EQ(rowCount(*db, QStringLiteral("ReadingQuality")), 1);
    EXPECT_TRUE(auditLines().isEmpty());
}

} // namespace
