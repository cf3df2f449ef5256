// The readings' operations on explicit values, without the window: adding,
// moving and deleting readings of a real file.
#include "readings/ReadingStore.h"
#include "readings/ReadingKey.h"
#include "store/ReadingTables.h"
#include "support/Support.h"

using namespace testing_support;
using namespace readings;

namespace {

const QString Sensor = QStringLiteral("201391005");

class ReadingStoreTest : public TolvaneTest {
protected:
    // The sensor with n hourly readings from start, open oldest first.
    void startWith(int n) {
        db = &openNewDatabase();
        addSensor(*db, Sensor);
        addReadings(*db, Sensor, n, start);
        store::openReadings(*db, Sensor, rs);
    }
    QDateTime hour(int k) const { return start.addSecs(3600 * k); }
    QString currentKey() const { return rs->value(QStringLiteral("DateTimeKey")).toString(); }
    // The rowid of the reading at a 1-based position.
    qint64 rowAt(int position) {
        rs->setAbsolutePosition(position);
        return rs->Bookmark();
    }

    const QDateTime start{QDate(2013, 12, 3), QTime(20, 0)};
    store::Database* db = nullptr;
    std::unique_ptr<store::RowSet> rs;
};

TEST_F(ReadingStoreTest, AddStampsToTheSecondAndRefusesATakenKey) {
    startWith(3);
    EXPECT_EQ(addReading(*rs, Sensor, QDateTime(QDate(2014, 1, 2), QTime(3, 4, 5, 900))),
              AddResult::Added);
    EXPECT_EQ(rs->AbsolutePosition(), 4);
    EXPECT_EQ(currentKey(), "201391005 2014/01/02 03:04:05");

    // The look-up finds the second reading; the first stays current.
    rs->MoveFirst();
    EXPECT_EQ(addReading(*rs, Sensor, hour(1).addMSecs(500)), AddResult::Duplicate);
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    EXPECT_EQ(rowCount(*db, Sensor), 4);
}

TEST_F(ReadingStoreTest, MoveWorksOnTheRowItIsGivenWhereverTheCursorIs) {
    startWith(4);
    const qint64 second = rowAt(2);
    rs->MoveLast();
    EXPECT_EQ(moveReading(*rs, Sensor, second, hour(1).date(), hour(1).time()),
              MoveResult::Unchanged);
    EXPECT_EQ(moveReading(*rs, Sensor, second, hour(3).date(), hour(3).time()), MoveResult::Taken);
    EXPECT_EQ(rs->Bookmark(), second);
    EXPECT_EQ(currentKey(), readings::readingKey(Sensor, hour(1)));

    rs->MoveFirst();
    const QDateTime later = hour(10);
    EXPECT_EQ(moveReading(*rs, Sensor, second, later.date(), later.time()), MoveResult::Moved);
    EXPECT_EQ(rs->Bookmark(), second);
    EXPECT_EQ(rs->AbsolutePosition(), 4);
    EXPECT_EQ(rs->value(QStringLiteral("FullDate")).toString(), "2013-12-04 06:00:00");
    rs->MoveFirst();
    EXPECT_EQ(currentKey(), readings::readingKey(Sensor, hour(0))); // the first was not touched
}

TEST_F(ReadingStoreTest, DeleteBetweenIncludesBothDays) {
    startWith(24 * 5); // from the evening of the 3rd to the evening of the 8th
    const QDate first = start.date().addDays(1), last = start.date().addDays(3);
    EXPECT_EQ(deleteBetween(*db, Sensor, last, first), 0);
    EXPECT_EQ(deleteBetween(*db, Sensor, first, last), 3 * 24);
    EXPECT_EQ(rowCount(*db, Sensor), 2 * 24);
    rs->Requery();
    rs->MoveFirst();
    for (; !rs->isEOF(); rs->MoveNext()) {
        const QDate day = storedDate(rs->value(QStringLiteral("ReadingDate")).toString());
        EXPECT_TRUE(day < first || day > last) << day.toString().toStdString();
    }
}

TEST_F(ReadingStoreTest, DeleteOneOrAllOfOneSensor) {
    startWith(3);
    addSensor(*db, QStringLiteral("201391006"));
    addReadings(*db, QStringLiteral("201391006"), 2);

    const qint64 second = rowAt(2);
    rs->MoveFirst();
    deleteReading(*rs, second);
    EXPECT_EQ(rs->RecordCount(), 2);
    rs->MoveFirst();
    EXPECT_EQ(currentKey(), readings::readingKey(Sensor, hour(0)));
    rs->MoveNext();
    EXPECT_EQ(currentKey(), readings::readingKey(Sensor, hour(2)));

    EXPECT_EQ(deleteAll(*db, Sensor), 2);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    EXPECT_EQ(rowCount(*db, QStringLiteral("201391006")), 2);
}

} // namespace
