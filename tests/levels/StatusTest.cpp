// Trigger levels and the status they give: the worked example an engineer
// would check by hand, what must not count, and the board that follows
// changes one sensor at a time.
#include "support/Support.h"

#include "levels/SensorStatus.h"
#include "levels/TriggerLevels.h"
#include "readings/Quality.h"
#include "readings/ZeroHistory.h"
#include "store/Audit.h"
#include "store/ReadingTables.h"
#include "store/RowSet.h"

#include <cmath>

using namespace testing_support;
using levels::Condition;
using levels::Kind;

namespace {

// Four anchors, head at the collar: anchor k moves by zero4 - zero k, so a
// channel k reading 10 - d moves anchor k by d mm.
const QString Sensor = QStringLiteral("202551001");
const QString Other = QStringLiteral("202551002");
const QDateTime Start(QDate(2025, 3, 1), QTime(0, 0));

QString fullDate(int hour) {
    return Start.addSecs(3600LL * hour).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

class StatusTest : public RegisterTest {
protected:
    void SetUp() override {
        RegisterTest::SetUp();
        addSensor(*db, Sensor);
        addSensor(*db, Other);
        levelsOf = levels::siteLevels(*db);
    }
    // A reading at Start + hour with anchor 2 and anchor 3 moved by d2 and d3.
    void reading(const QString& number, int hour, double d2, double d3 = 0) {
        addReading(*db, number, hourAfterStart(hour), {10.0, 10.0 - d2, 10.0 - d3, 10.0});
    }
    void set(const QString& number, const QString& displacement, const QString& rate = {},
             int anchor = 0) {
        levels::SensorTriggers t = levels::sensorTriggers(*db, number);
        t.displacement[size_t(anchor)] =
            levels::parseThresholds(displacement, levelsOf, QStringLiteral("--set"));
        t.rate[size_t(anchor)] = levels::parseThresholds(rate, levelsOf, QStringLiteral("--rate"));
        levels::setSensorTriggers(*db, number, t);
    }
    QString status(const QString& number, const QDateTime& now) {
        return levels::statusText(levels::sensorStatus(*db, number), levelsOf, now);
    }
    static QDateTime hourAfterStart(int hour) { return Start.addSecs(3600LL * hour); }
    std::vector<levels::TriggerLevel> levelsOf;
};

TEST_F(StatusTest, WorkedExampleByDisplacementThenByRate) {
    set(Sensor, QStringLiteral("Alert=5,Alarm=10,Action=20"), QStringLiteral("Alarm=1"));
    // No stored zero: the first reading ticked for the graph is the zero.
    reading(Sensor, 0, 0);
    reading(Sensor, 24, 9.7);
    reading(Sensor, 48, 9.8);
    levels::SensorStatus s = levels::sensorStatus(*db, Sensor);
    EXPECT_EQ(s.level, 1);
    EXPECT_EQ(s.anchor, 2);
    ASSERT_TRUE(s.displacement);
    EXPECT_NEAR(*s.displacement, 9.8, 1e-9);
    ASSERT_TRUE(s.rate);
    EXPECT_NEAR(*s.rate, 0.1, 1e-9); // 0.1 mm over the 24 hours before
    EXPECT_EQ(status(Sensor, hourAfterStart(48)), QStringLiteral("Alert"));

    // The next hour at 10.1 mm: Alarm by displacement.
    reading(Sensor, 49, 10.1);
    s = levels::sensorStatus(*db, Sensor);
    EXPECT_EQ(status(Sensor, hourAfterStart(49)), QStringLiteral("Alarm"));
    EXPECT_EQ(s.decidedBy, Kind::Displacement);

    // Below every displacement threshold, but 1.2 mm in a day: Alarm by rate.
    reading(Other, 0, 0);
    reading(Other, 100, 3.0);
    reading(Other, 124, 4.2);
    set(Other, QStringLiteral("Alert=5,Alarm=10"), QStringLiteral("Alert=0.5,Alarm=1"));
    s = levels::sensorStatus(*db, Other);
    EXPECT_EQ(s.level, 2);
    EXPECT_EQ(s.decidedBy, Kind::Rate);
    ASSERT_TRUE(s.rate);
    EXPECT_NEAR(*s.rate, 1.2, 1e-9);
    EXPECT_NEAR(*s.displacement, 4.2, 1e-9);
}

TEST_F(StatusTest, InvalidReadingsNeverCountSuspectOnesAreMarked) {
    set(Sensor, QStringLiteral("Alert=5,Alarm=10,Action=20"));
    reading(Sensor, 0, 0);
    reading(Sensor, 1, 6);
    reading(Sensor, 2, 25); // a logger spike, far above Action
    readings::setQuality(*db, Sensor, {readingKey(Sensor, hourAfterStart(2))},
                         readings::Quality::Invalid, QStringLiteral("spike"));
    levels::SensorStatus s = levels::sensorStatus(*db, Sensor);
    EXPECT_EQ(s.level, 1);
    EXPECT_EQ(s.latestAt, fullDate(1));
    EXPECT_FALSE(s.suspect);

    readings::setQuality(*db, Sensor, {readingKey(Sensor, hourAfterStart(1))},
                         readings::Quality::Suspect, QStringLiteral("cable"));
    s = levels::sensorStatus(*db, Sensor);
    EXPECT_EQ(s.level, 1);
    EXPECT_TRUE(s.suspect);
}

TEST_F(StatusTest, NoNewDataMovesInWithTheClock) {
    reading(Sensor, 0, 0);
    reading(Sensor, 10, 1);
    levels::SensorTriggers t;
    t.staleAfterHours = 2;
    levels::setSensorTriggers(*db, Sensor, t);
    const levels::SensorStatus s = levels::sensorStatus(*db, Sensor);
    EXPECT_EQ(levels::condition(s, hourAfterStart(11)), Condition::Normal);
    EXPECT_EQ(levels::condition(s, hourAfterStart(12)), Condition::Normal); // exactly the limit
    EXPECT_EQ(levels::condition(s, hourAfterStart(13)), Condition::NoNewData);
    EXPECT_TRUE(levels::needsAttention(s, hourAfterStart(13)));
    EXPECT_EQ(status(Sensor, hourAfterStart(13)), QStringLiteral("no new data"));
    // Without a limit a sensor is never late; without readings it has none.
    EXPECT_EQ(status(Other, hourAfterStart(1000)), QStringLiteral("no readings"));
    EXPECT_FALSE(levels::needsAttention(levels::sensorStatus(*db, Other), hourAfterStart(1000)));
}

TEST_F(StatusTest, AnAnchorsOwnThresholdsReplaceTheSensorsForThatAnchor) {
    set(Sensor, QStringLiteral("Alert=5,Alarm=10"));
    reading(Sensor, 0, 0, 0);
    reading(Sensor, 1, 1.5, 1.5);
    EXPECT_EQ(levels::sensorStatus(*db, Sensor).level, 0);
    set(Sensor, QStringLiteral("Alert=1"), {}, 3);
    const levels::SensorStatus s = levels::sensorStatus(*db, Sensor);
    EXPECT_EQ(s.level, 1);
    EXPECT_EQ(s.anchor, 3);
    // The others keep the sensor's list: anchor 2 at 6 mm reaches Alert too.
    reading(Sensor, 2, 6, 0.5);
    EXPECT_EQ(levels::sensorStatus(*db, Sensor).anchor, 2);
}

TEST_F(StatusTest, AStoredZeroMovesTheBaseline) {
    set(Sensor, QStringLiteral("Alert=5"));
    reading(Sensor, 0, 0);
    reading(Sensor, 1, 6);
    reading(Sensor, 2, 6.5);
    EXPECT_EQ(levels::sensorStatus(*db, Sensor).level, 1);
    readings::setZero(*db, Sensor, fullDate(1), QStringLiteral("anchor reset"), false);
    const levels::SensorStatus s = levels::sensorStatus(*db, Sensor);
    EXPECT_EQ(s.level, 0);
    EXPECT_NEAR(*s.displacement, 0.5, 1e-9);

    // Carried over, the first stored zero keeps the 6 mm the reading before
    // it had, as the graphs and the report's anchors have it.
    readings::retireZero(*db, Sensor, readings::zeroReadings(*db, Sensor).at(0).id,
                         QStringLiteral("no reset after all"));
    readings::setZero(*db, Sensor, fullDate(2), QStringLiteral("anchor replaced"), true);
    reading(Sensor, 3, 7);
    const levels::SensorStatus carried = levels::sensorStatus(*db, Sensor);
    EXPECT_EQ(carried.level, 1);
    EXPECT_NEAR(*carried.displacement, 6.5, 1e-9);
}

TEST_F(StatusTest, StatusAtAnEarlierMomentCountsOnlyTheReadingsUpToIt) {
    set(Sensor, QStringLiteral("Alert=5,Alarm=10"));
    reading(Sensor, 0, 0);
    reading(Sensor, 1, 6);
    reading(Sensor, 2, 11);
    EXPECT_EQ(levels::sensorStatus(*db, Sensor, fullDate(1)).level, 1);
    EXPECT_EQ(levels::sensorStatus(*db, Sensor).level, 2);
}

TEST_F(StatusTest, WorstFirst) {
    std::vector<levels::SensorStatus> all(4);
    all[0].number = QStringLiteral("1"); // no readings
    all[1].number = QStringLiteral("2");
    all[1].noReadings = false;
    all[1].latestAt = fullDate(0);
    all[1].staleAfterHours = 1; // no new data
    all[2].number = QStringLiteral("3");
    all[2].noReadings = false;
    all[2].level = 1;
    all[2].latestAt = fullDate(0);
    all[3] = all[2];
    all[3].number = QStringLiteral("4");
    all[3].level = 3;
    levels::sortWorstFirst(all, hourAfterStart(5));
    QStringList order;
    for (const levels::SensorStatus& s : all)
        order << s.number;
    EXPECT_EQ(order, (QStringList{"4", "3", "2", "1"}));
}

TEST_F(StatusTest, ChangesAreAuditedWithBothLists) {
    set(Sensor, QStringLiteral("Alert=5"));
    set(Sensor, QStringLiteral("Alert=4,Alarm=8"), QStringLiteral("Alarm=1"));
    const std::vector<store::AuditRecord> trail = auditTrail(*db);
    ASSERT_FALSE(trail.empty());
    const store::AuditEntry& last = trail.back().entry;
    EXPECT_EQ(last.operation, store::operation::TriggersChanged);
    EXPECT_EQ(last.sensor, Sensor);
    EXPECT_TRUE(last.oldValue.contains(QStringLiteral("All anchors displacement: Alert=5")));
    EXPECT_TRUE(
        last.newValue.contains(QStringLiteral("All anchors displacement: Alert=4,Alarm=8")));
    EXPECT_TRUE(last.newValue.contains(QStringLiteral("All anchors rate: Alarm=1")));
}

TEST_F(StatusTest, TheBoardComputesOnlyTheSensorsAChangeTouches) {
    set(Sensor, QStringLiteral("Alert=5"));
    reading(Sensor, 0, 0);
    reading(Other, 0, 0);
    levels::StatusBoard board(*db);
    EXPECT_EQ(board.refresh().size(), 2u);
    const qint64 first = board.computed();
    EXPECT_TRUE(board.refresh().empty());

    reading(Sensor, 1, 6); // a reading typed
    EXPECT_EQ(board.refresh(), (std::set<QString>{Sensor}));
    EXPECT_EQ(board.find(Sensor)->level, 1);

    readings::setQuality(*db, Sensor, {readingKey(Sensor, hourAfterStart(1))},
                         readings::Quality::Invalid, {}); // a reading flagged
    EXPECT_EQ(board.refresh(), (std::set<QString>{Sensor}));
    EXPECT_EQ(board.find(Sensor)->level, 0);

    set(Other, QStringLiteral("Alert=0")); // a level changed
    EXPECT_EQ(board.refresh(), (std::set<QString>{Other}));
    EXPECT_EQ(board.find(Other)->level, 1);
    EXPECT_EQ(board.computed(), first + 3);

    addSensor(*db, QStringLiteral("202551003")); // a sensor added
    EXPECT_EQ(board.refresh(), (std::set<QString>{QStringLiteral("202551003")}));
    EXPECT_EQ(board.statuses().size(), 3u);

    // A reading table emptied by being made again.
    store::replaceReadingTable(*db, Sensor);
    EXPECT_EQ(board.refresh(), (std::set<QString>{Sensor}));
    EXPECT_TRUE(board.find(Sensor)->noReadings);

    // The site's list changes what every threshold means.
    std::vector<levels::TriggerLevel> two = levelsOf;
    two.resize(2);
    levels::setSiteLevels(*db, two);
    EXPECT_EQ(board.refresh().size(), 3u);
    EXPECT_EQ(board.levels().size(), 2u);
}

TEST_F(StatusTest, TheBoardSeesWhatAnotherConnectionWrote) {
    reading(Sensor, 0, 0);
    levels::StatusBoard board(*db);
    board.refresh();
    {
        std::unique_ptr<store::Database> other = store::Database::open(db->path());
        levels::SensorTriggers t;
        t.displacement[0][1] = 0;
        levels::setSensorTriggers(*other, Sensor, t);
    }
    board.refresh();
    EXPECT_EQ(board.find(Sensor)->level, 1);
}

struct BadInput {
    const char* text;
    const char* message; // a part of the refusal
};

class BadThresholds : public StatusTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(BadThresholds, AreRefusedNamingTheField) {
    try {
        levels::parseThresholds(QString::fromUtf8(GetParam().text), levelsOf,
                                QStringLiteral("--set"));
        FAIL() << "accepted " << GetParam().text;
    } catch (const store::Error& e) {
        EXPECT_TRUE(e.description().startsWith(QStringLiteral("--set: ")))
            << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(QString::fromUtf8(GetParam().message)))
            << e.description().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Levels, BadThresholds,
    ::testing::Values(BadInput{"Alert=five", "Alert \"five\" is not a number"},
                      BadInput{"Alert=-1", "Alert is negative"},
                      BadInput{"Alert=5,Alarm=4", "Alarm (4) must be above Alert (5)"},
                      BadInput{"Alert=5,Action=5", "Action (5) must be above Alert (5)"},
                      BadInput{"Red=5", "there is no level \"Red\""},
                      BadInput{"Alert", "is not LEVEL=VALUE"},
                      BadInput{"Alert=1,alert=2", "Alert is given twice"},
                      BadInput{"Alert=nan", "is not a number"}));

TEST_F(StatusTest, AWindowOfNoHoursAndALimitOfNoneAreRefused) {
    levels::SensorTriggers t;
    t.windowHours = 0;
    EXPECT_THROW(levels::setSensorTriggers(*db, Sensor, t), store::Error);
    t.windowHours = 24;
    t.staleAfterHours = 0;
    EXPECT_THROW(levels::setSensorTriggers(*db, Sensor, t), store::Error);
    EXPECT_EQ(rowCount(*db, QStringLiteral("SensorTriggers")), 0);
}

} // namespace
