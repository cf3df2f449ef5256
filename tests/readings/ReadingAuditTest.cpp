// The readings' changes and their audit entries: one entry for each change,
// in the change's transaction, none for a save that changes nothing; and the
// quality flag and zeros of a moved reading going with it.
#include "readings/ReadingKey.h"
#include "readings/ReadingStore.h"
#include "store/ReadingTables.h"
#include "support/Support.h"

using namespace testing_support;
using namespace readings;

namespace {

const QString Sensor = QStringLiteral("201391005");

class ReadingAuditTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
        db->setActor({QStringLiteral("mira"), [this] { return clock.now(); }});
        addSensor(*db, Sensor);
        addReadings(*db, Sensor, 4, start);
        store::openReadings(*db, Sensor, rs);
    }
    QDateTime hour(int k) const { return start.addSecs(3600 * k); }
    QString stored(const QString& column) {
        store::Statement st = db->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?1")
                                              .arg(column, store::quoteName(Sensor)));
        st.bind(1, rs->Bookmark());
        return st.step() ? st.text(0) : QString();
    }
    QString scalar(const QString& sql) {
        store::Statement st = db->prepare(sql);
        return st.step() ? st.text(0) : QString();
    }

    const QDateTime start{QDate(2013, 12, 3), QTime(20, 0)};
    store::Database* db = nullptr;
    std::unique_ptr<store::RowSet> rs;
};

TEST_F(ReadingAuditTest, AnAddedReadingIsOneEntryAndADuplicateNone) {
    ASSERT_EQ(addReading(*rs, Sensor, QDateTime(QDate(2014, 1, 2), QTime(3, 4, 5))),
              AddResult::Added);
    EXPECT_EQ(addReading(*rs, Sensor, hour(1)), AddResult::Duplicate);
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::ReadingAdded);
    EXPECT_EQ(trail[0].entry.sensor, Sensor);
    EXPECT_EQ(trail[0].entry.target, "201391005 2014/01/02 03:04:05");
    EXPECT_EQ(trail[0].user, "mira");
    EXPECT_EQ(trail[0].at, "2026-12-07 15:04:05"); // the clock's, not the machine's
}

TEST_F(ReadingAuditTest, AnEditRecordsOnlyWhatDiffersAndNothingWhenNothingDoes) {
    rs->setAbsolutePosition(2);
    const Reading shown = readReading(*rs);
    storeReading(*rs, Sensor, shown, &shown);
    // Without the shown reading every box is written, yet equal values are no change:
    // "2.01" typed where 2.01 is stored, "20" where 20.0 is.
    storeReading(*rs, Sensor, shown);
    EXPECT_TRUE(auditTrail(*db).empty());

    Reading typed = shown;
    typed.channels[2] = QStringLiteral("3,5"); // a comma as the decimal mark
    typed.spatial = true;
    storeReading(*rs, Sensor, typed, &shown);
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::ReadingEdited);
    EXPECT_EQ(trail[0].entry.target, readings::readingKey(Sensor, hour(1)));
    EXPECT_EQ(trail[0].entry.oldValue, "Channel2: 2.01\nPlotSpatial: 0");
    EXPECT_EQ(trail[0].entry.newValue, "Channel2: 3.5\nPlotSpatial: 1");
}

// What was stored before a refused box stays stored, and its entry says
// exactly that much.
TEST_F(ReadingAuditTest, APartlyStoredEditRecordsThePartStored) {
    const Reading shown = readReading(*rs);
    Reading typed = shown;
    typed.channels[1] = QStringLiteral("7");
    typed.channels[2] = QStringLiteral("seven");
    EXPECT_THROW(storeReading(*rs, Sensor, typed, &shown), store::Error);
    EXPECT_EQ(stored("Channel1"), "7.0");
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.oldValue, "Channel1: 1");
    EXPECT_EQ(trail[0].entry.newValue, "Channel1: 7");
}

TEST_F(ReadingAuditTest, AMovedReadingTakesItsFlagAndActiveZeroAlong) {
    const QString oldKey = readings::readingKey(Sensor, hour(1));
    const QString oldFull = fullDateText(hour(1).date(), hour(1).time());
    db->execute(
        QStringLiteral(
            "INSERT INTO ReadingQuality VALUES ('%1', '%2', 'suspect', 'spike', 'ann', '2026-01-01 "
            "00:00:00');"
            "INSERT INTO ZeroReadings (SensorID, ZeroAt, Reason, CarryOver, SetBy, SetAt) VALUES "
            "('%1', '%3', 'reinstalled', 0, 'ann', '2026-01-01 00:00:00');"
            "INSERT INTO ZeroReadings (SensorID, ZeroAt, Reason, CarryOver, SetBy, SetAt, "
            "RetiredBy, "
            "RetiredAt, RetiredReason) VALUES ('%1', '%3', 'old', 0, 'ann', '2025-01-01 00:00:00', "
            "'ann', '2025-06-01 00:00:00', 'wrong');")
            .arg(Sensor, oldKey, oldFull));
    const qint64 second = [&] {
        rs->setAbsolutePosition(2);
        return rs->Bookmark();
    }();
    // Neither the same key nor a taken one changes anything.
    EXPECT_EQ(moveReading(*rs, Sensor, second, hour(1).date(), hour(1).time()),
              MoveResult::Unchanged);
    EXPECT_EQ(moveReading(*rs, Sensor, second, hour(3).date(), hour(3).time()), MoveResult::Taken);
    EXPECT_TRUE(auditTrail(*db).empty());

    const QDateTime later = hour(10);
    const QString newKey = readings::readingKey(Sensor, later);
    ASSERT_EQ(moveReading(*rs, Sensor, second, later.date(), later.time()), MoveResult::Moved);
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::ReadingMoved);
    EXPECT_EQ(trail[0].entry.oldValue, oldKey);
    EXPECT_EQ(trail[0].entry.newValue, newKey);
    EXPECT_EQ(trail[0].entry.target, newKey);

    EXPECT_EQ(scalar("SELECT group_concat(DateTimeKey) FROM ReadingQuality"), newKey);
    EXPECT_EQ(scalar("SELECT Quality || ' ' || Note FROM ReadingQuality"), "suspect spike");
    // The retired zero stays a record of what was.
    EXPECT_EQ(scalar("SELECT group_concat(ZeroAt, '|') FROM (SELECT ZeroAt FROM ZeroReadings "
                     "ORDER BY ZeroID)"),
              fullDateText(later.date(), later.time()) + "|" + oldFull);
}

// The change and its entry are stored together or not at all: with the
// entry refused, no reading is added, edited or moved.
TEST_F(ReadingAuditTest, ARefusedEntryTakesItsChangeBack) {
    refuseAuditEntries(*db);
    rs->setAbsolutePosition(2);
    const qint64 second = rs->Bookmark();
    const Reading shown = readReading(*rs);

    EXPECT_THROW(addReading(*rs, Sensor, hour(20)), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 4);
    EXPECT_EQ(rs->RecordCount(), 4);

    Reading typed = shown;
    typed.channels[1] = QStringLiteral("9");
    rs->setBookmark(second);
    EXPECT_THROW(storeReading(*rs, Sensor, typed, &shown), store::Error);
    rs->setBookmark(second);
    EXPECT_EQ(stored("Channel1"), "1.01");

    EXPECT_THROW(moveReading(*rs, Sensor, second, hour(30).date(), hour(30).time()), store::Error);
    rs->setBookmark(second);
    EXPECT_EQ(stored("DateTimeKey"), readings::readingKey(Sensor, hour(1)));
    EXPECT_TRUE(auditTrail(*db).empty());
}

} // namespace
