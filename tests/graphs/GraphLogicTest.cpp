// The graphs' rules without a window: the scale tables at their bounds, the
// time axis by span, which series shows what, the 15-reading window of the
// length graph, and the preparation of the selected rows in the store.
#include "support/Support.h"

#include "graphs/GraphData.h"
#include "graphs/Scales.h"
#include "graphs/Texts.h"
#include "graphs/ui/WindowGraphData.h"
#include "readings/ReadingKey.h"
#include "readings/Texts.h"

#include <sqlite3.h>

using namespace testing_support;
using namespace graphs;
using readings::HeadLocation;

namespace {

TEST(GraphRounding, TiesGoToTheEvenDigitAsWritten) {
    EXPECT_DOUBLE_EQ(roundHalfEven(2.5, 0), 2);
    EXPECT_DOUBLE_EQ(roundHalfEven(3.5, 0), 4);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.25, 1), 0.2);
    EXPECT_DOUBLE_EQ(roundHalfEven(1.15, 1), 1.2); // 1.1499999... in binary
    EXPECT_DOUBLE_EQ(roundHalfEven(-3.456, 2), -3.46);
    EXPECT_DOUBLE_EQ(roundHalfEven(12.4, 0), 12);
}

struct ScaleCase {
    double ymax;
    double increment;
    double maximum;
};
void PrintTo(const ScaleCase& c, std::ostream* os) {
    *os << "Ymax " << c.ymax;
}

class TimeAutoScale : public ::testing::TestWithParam<ScaleCase> {};
TEST_P(TimeAutoScale, IncrementAndMaximum) {
    const AxisScale s = timeAutoScale(0, GetParam().ymax);
    EXPECT_DOUBLE_EQ(s.minimum, 0);
    EXPECT_DOUBLE_EQ(s.increment, GetParam().increment);
    EXPECT_NEAR(s.maximum, GetParam().maximum, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(Bounds, TimeAutoScale,
                         ::testing::Values(ScaleCase{0, 0.01, 0.1}, ScaleCase{0.05, 0.01, 0.1},
                                           ScaleCase{0.099, 0.01, 0.1}, ScaleCase{0.0995, 10, 5},
                                           ScaleCase{0.1, 0.1, 1.0}, ScaleCase{0.99, 0.1, 1.0},
                                           ScaleCase{0.995, 10, 6}, ScaleCase{1.0, 0.1, 1.05},
                                           ScaleCase{1.25, 0.1, 1.25}, ScaleCase{1.99, 0.1, 2.05},
                                           ScaleCase{2.0, 0.1, 2.1}, ScaleCase{2.99, 0.1, 3.1},
                                           ScaleCase{3.0, 0.5, 3.5}, ScaleCase{9.99, 0.5, 10.5},
                                           ScaleCase{10, 1, 11}, ScaleCase{12.4, 1, 13},
                                           ScaleCase{15.99, 1, 17}, ScaleCase{15.995, 10, 21},
                                           ScaleCase{16, 2, 18}, ScaleCase{20, 2, 22},
                                           ScaleCase{30, 2, 32}, ScaleCase{30.2, 10, 35},
                                           ScaleCase{-2, 10, 3}));

class LengthAutoScale : public ::testing::TestWithParam<ScaleCase> {};
TEST_P(LengthAutoScale, IncrementAndMaximum) {
    const AxisScale s = lengthAutoScale(0, GetParam().ymax);
    EXPECT_DOUBLE_EQ(s.increment, GetParam().increment);
    EXPECT_NEAR(s.maximum, GetParam().maximum, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(
    Bounds, LengthAutoScale,
    ::testing::Values(ScaleCase{0.05, 0.01, 0.1}, ScaleCase{0.5, 0.1, 1}, ScaleCase{3.0, 0.5, 3.5},
                      ScaleCase{9.99, 0.5, 10.5}, ScaleCase{10, 1, 15}, ScaleCase{12, 1, 15},
                      ScaleCase{14.99, 1, 15}, ScaleCase{14.995, 10, 15}, ScaleCase{15, 2, 20},
                      ScaleCase{19.99, 2, 20}, ScaleCase{20, 2, 30}, ScaleCase{29.99, 2, 30},
                      ScaleCase{30, 5, 40}, ScaleCase{45, 5, 50}, ScaleCase{59.99, 5, 60},
                      ScaleCase{60, 10, 70}, ScaleCase{99.99, 10, 100}, ScaleCase{100, 10, 120},
                      ScaleCase{119.99, 10, 120}, ScaleCase{120, 10, 130}, ScaleCase{124, 10, 130},
                      ScaleCase{125, 10, 130}, ScaleCase{130, 10, 130}, ScaleCase{-1.4, 10, -1}));

TEST(GraphScales, AutoMinimumOnlyBelowZero) {
    EXPECT_DOUBLE_EQ(timeAutoScale(-3.456, 1).minimum, -3.46);
    EXPECT_DOUBLE_EQ(lengthAutoScale(-0.005, 1).minimum, 0); // -0.005 is a tie: to -0.00
    EXPECT_DOUBLE_EQ(lengthAutoScale(0.7, 1).minimum, 0);
}

TEST(GraphScales, FixedScalesStartAtZero) {
    const std::vector<std::tuple<QString, double, double>> cases{
        {"25", 1, 26},    {"50", 5, 50}, {"75", 5, 75}, {"100", 10, 100},
        {"125", 10, 130}, {"40", 5, 40}, {"abc", 5, 0}, {"12.5 mm", 5, 12.5}};
    for (const auto& [text, increment, maximum] : cases) {
        for (const GraphKind kind : {GraphKind::Time, GraphKind::Length}) {
            const AxisScale s = leftScale(kind, text, -7, 55);
            EXPECT_DOUBLE_EQ(s.minimum, 0) << text.toStdString();
            EXPECT_DOUBLE_EQ(s.increment, increment) << text.toStdString();
            EXPECT_DOUBLE_EQ(s.maximum, maximum) << text.toStdString();
        }
    }
    // The same Ymax gives each graph its own table.
    EXPECT_DOUBLE_EQ(leftScale(GraphKind::Time, texts::AutoScale, 0, 12).maximum, 13);
    EXPECT_DOUBLE_EQ(leftScale(GraphKind::Length, texts::AutoScale, 0, 12).maximum, 15);
}

// AutoScale leaves room where the data would lie on (or beyond) the axis
// line; a typed scale stays exactly as typed.
TEST(GraphScales, AutoScaleLeavesRoomRoundTheData) {
    const AxisScale zero = leftScale(GraphKind::Length, texts::AutoScale, 0, 0.05);
    EXPECT_DOUBLE_EQ(zero.minimum, -0.01); // the head and the deepest anchor at 0
    EXPECT_DOUBLE_EQ(zero.maximum, 0.1);
    // Rounded to -3.46 or -1.23, the lowest point would lie on or below the line.
    EXPECT_NEAR(leftScale(GraphKind::Time, texts::AutoScale, -3.456, 1).minimum, -3.56, 1e-9);
    EXPECT_NEAR(leftScale(GraphKind::Time, texts::AutoScale, -1.234, 1).minimum, -1.33, 1e-9);
    EXPECT_NEAR(leftScale(GraphKind::Time, texts::AutoScale, -1.2, 1).minimum, -1.3, 1e-9);
    EXPECT_DOUBLE_EQ(leftScale(GraphKind::Time, texts::AutoScale, 0.7, 1).minimum, 0);
    // A maximum the table puts on the highest value moves up too.
    EXPECT_DOUBLE_EQ(withRoom({0, 10, 130}, 5, 130).maximum, 140);
    EXPECT_DOUBLE_EQ(withRoom({0, 10, 130}, 5, 129.6).maximum, 140); // within a pixel or two
    EXPECT_DOUBLE_EQ(withRoom({0, 10, 130}, 5, 129).maximum, 130);
    const AxisScale typed = leftScale(GraphKind::Time, QStringLiteral("50"), 0, 50);
    EXPECT_DOUBLE_EQ(typed.minimum, 0);
    EXPECT_DOUBLE_EQ(typed.maximum, 50);
}

// Legend entries never read alike: a date shared by two readings drawn gets
// their times.
TEST(GraphLegend, ReadingsOfOneDateShowTheirTimes) {
    auto profile = [](const char* date, const char* time) {
        return Profile{QString::fromLatin1(date), QString::fromLatin1(time), {}};
    };
    const std::vector<Profile> drawn{profile("2025/11/30", "18:00:00"),
                                     profile("2025/12/01", "06:00:00"),
                                     profile("2025/12/01", "09:30:00"), profile("x", "10:00:00")};
    EXPECT_EQ(profileTitles(drawn),
              std::vector<QString>({"2025/11/30", "2025/12/01 06:00", "2025/12/01 09:30", "x"}));
}

TEST(GraphScales, TimeAxisBySpanAndLengthAxisByDeepestPoint) {
    EXPECT_EQ(timeAxisFor(0), TimeAxis::Hours);
    EXPECT_EQ(timeAxisFor(1), TimeAxis::CoarseHours);
    EXPECT_EQ(timeAxisFor(2), TimeAxis::Dates);
    EXPECT_EQ(spanDays("2026/03/01", "2026/03/02"), 1);
    EXPECT_EQ(spanDays("2025/12/31", "2026/03/01"), 60);
    EXPECT_DOUBLE_EQ(lengthAxisMaximum(0.8), 1);
    EXPECT_DOUBLE_EQ(lengthAxisMaximum(1), 1);
    EXPECT_DOUBLE_EQ(lengthAxisMaximum(7.25), 8);
    EXPECT_DOUBLE_EQ(lengthAxisMaximum(8), 8);
}

// "index title column" of each series.
QStringList plan(HeadLocation head, int nodes) {
    QStringList labels;
    for (int k = 1; k <= nodes; ++k)
        labels << QStringLiteral("%1 m").arg(k);
    QStringList out;
    for (const SeriesBinding& s : timeSeries(head, nodes, labels))
        out << QStringLiteral("%1 %2 %3").arg(s.index).arg(s.title, s.column);
    return out;
}

TEST(TimeSeries, HeadAndNodesByHeadLocation) {
    EXPECT_EQ(plan(HeadLocation::Toe, 1),
              QStringList({"0 Temp (C) NumTemp", "1 Head Reference", "2 1 m Disp1"}));
    EXPECT_EQ(plan(HeadLocation::Collar, 1),
              QStringList({"0 Temp (C) NumTemp", "1 1 m Disp1", "2 Head zero1"}));
    const QStringList collar = plan(HeadLocation::Collar, 8);
    ASSERT_EQ(collar.size(), 10);
    EXPECT_EQ(collar[1], "1 8 m Disp8"); // the deepest node first
    EXPECT_EQ(collar[8], "8 1 m Disp1");
    EXPECT_EQ(collar[9], "9 Head zero8"); // series 10 stays unused
    const QStringList toe = plan(HeadLocation::Toe, 8);
    ASSERT_EQ(toe.size(), 10);
    EXPECT_EQ(toe[9], "9 8 m Disp8");
}

TEST(LengthGraph, LastFifteenReadingsAndTheirPoints) {
    EXPECT_EQ(profileWindow(15).first, 0);
    EXPECT_EQ(profileWindow(15).count, 15);
    EXPECT_FALSE(profileWindow(15).tooMany);
    EXPECT_EQ(profileWindow(16).first, 1);
    EXPECT_EQ(profileWindow(16).count, 15);
    EXPECT_TRUE(profileWindow(16).tooMany);
    EXPECT_EQ(profileWindow(0).count, 0);

    ProfileLayout layout;
    layout.numNodes = 2;
    layout.recess = "0.3";
    layout.headLocation = "7.5 m";
    layout.anchors[1] = "2.30";
    layout.anchors[2] = "";
    auto value = [](const QString& column) -> std::optional<double> {
        if (column == "Disp2") return std::nullopt;
        return column == "zero2" ? 1.5 : 0.25;
    };
    std::vector<QPointF> points = profilePoints(layout, value);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], QPointF(0.3, 1.5)); // collar: the recess, the deepest zero
    EXPECT_EQ(points[1], QPointF(2.3, 0.25));
    EXPECT_TRUE(std::isnan(points[2].y())); // no value: a gap, not a 0
    layout.head = HeadLocation::Toe;
    points = profilePoints(layout, value);
    EXPECT_EQ(points[0], QPointF(7.5, 0)); // toe: the head box, displacement 0
}

// The preparation against the store: the earliest selected reading is the zero.
class GraphDataTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        addReadings(db, Sensor, 4, start);
        // The worked example: zero 10, 12, 15; later 10.5, 12.2, 15.0.
        setChannels(0, {10.0, 12.0, 15.0});
        setChannels(1, {10.5, 12.2, 15.0});
        setChannels(2, {11.0, 12.0, 16.0});
        setChannels(3, {9.0, 9.0, 9.0});
    }
    void setChannels(int k, std::vector<double> values) {
        QString set;
        for (size_t i = 0; i < values.size(); ++i)
            set += QStringLiteral("Channel%1 = %2, ").arg(i + 1).arg(values[i]);
        state->database().execute(
            QStringLiteral("UPDATE `%1` SET %2 Channel4 = NULL WHERE DateTimeKey = '%3'")
                .arg(Sensor, set, readingKey(Sensor, start.addSecs(3600 * k))));
    }
    QString row(int k, const QString& columns) {
        store::Statement st = state->database().prepare(
            QStringLiteral("SELECT %1 FROM `%2` WHERE DateTimeKey = '%3'")
                .arg(columns, Sensor, readingKey(Sensor, start.addSecs(3600 * k))));
        st.step();
        QStringList values;
        for (int c = 0; c < sqlite3_column_count(st.get()); ++c)
            values << (sqlite3_column_type(st.get(), c) == SQLITE_NULL
                           ? "-"
                           : QString::number(sqlite3_column_double(st.get(), c), 'f', 2));
        return values.join(' ');
    }
    const QString Sensor = QStringLiteral("202541001"); // three anchors
    const sensors::CurrentSensor sensor{Sensor, QStringLiteral("41"), 3, true};
    const QDateTime start{QDate(2026, 3, 1), QTime(8, 0)};
};

TEST_F(GraphDataTest, OpensTheSelectedReadingsInDateOrder) {
    EXPECT_EQ(graphQuery(GraphKind::Time, "202541001"),
              "SELECT * FROM `202541001` WHERE Plottemporal = True ORDER BY FullDate");
    EXPECT_EQ(graphQuery(GraphKind::Length, "2025"),
              "SELECT * FROM `2025` WHERE PlotSpatial = True ORDER BY FullDate");
    EXPECT_EQ(selectedReadings(*state, Sensor, GraphKind::Time), 4);
    EXPECT_EQ(selectedReadings(*state, Sensor, GraphKind::Length), 0);
    EXPECT_EQ(state->rsGraphData, nullptr);
}

TEST_F(GraphDataTest, PreparesEveryRowAgainstTheEarliestSelected) {
    GetTemporalData(*state, sensor, HeadLocation::Collar);
    EXPECT_EQ(row(0, "zero1, zero2, zero3, zero4, Disp1, Disp2, Disp3, NumTemp"),
              "0.00 0.00 0.00 0.00 0.00 0.00 0.00 20.00");
    EXPECT_EQ(row(1, "zero1, zero2, zero3, Disp1, Disp2, Disp3, Reference"),
              "0.50 0.20 0.00 -0.50 -0.20 0.00 -");
    GetTemporalData(*state, sensor, HeadLocation::Toe);
    EXPECT_EQ(row(1, "Disp1, Disp2, Disp3, Reference"), "0.50 0.20 0.00 0.00");

    // Unticking the earliest reading makes the next one the zero; a length
    // graph leaves rows it does not select alone.
    state->database().execute(QStringLiteral("UPDATE `%1` SET Plottemporal = 0, PlotSpatial = 1 "
                                             "WHERE DateTimeKey = '%2'")
                                  .arg(Sensor, readingKey(Sensor, start)));
    GetTemporalData(*state, sensor, HeadLocation::Toe);
    EXPECT_EQ(row(2, "zero1, zero2, zero3"), "0.50 -0.20 1.00");
    EXPECT_EQ(row(0, "zero1"), "0.00");
    GetSpatialData(*state, sensor, HeadLocation::Toe);
    EXPECT_EQ(row(2, "zero1"), "0.50");
}

TEST_F(GraphDataTest, AChannelTheZeroLacksIsLoggedAndTheRowKeepsItsOlderValues) {
    GetTemporalData(*state, sensor, HeadLocation::Toe);
    state->database().execute(
        QStringLiteral("UPDATE `%1` SET Channel2 = NULL WHERE DateTimeKey = '%2'")
            .arg(Sensor, readingKey(Sensor, start)));
    expectLog(readings::texts::SetZerosLabel);
    expectLog(readings::texts::SetZerosLabel);
    expectLog(readings::texts::SetZerosLabel);
    GetTemporalData(*state, sensor, HeadLocation::Toe);
    checkLog();
    // zero1 is computed, zero2 onwards kept; Disp follows the zeros.
    EXPECT_EQ(row(1, "zero1, zero2, zero3, Disp1, Disp2"), "0.50 0.20 0.00 0.50 0.20");
}

// The points handed to the drawing are what a drawing from the stored rows
// would read: same order, same values, a gap where a row has none.
TEST_F(GraphDataTest, HandsOverThePointsTheRowsNowHold) {
    // A reading typed in later for an earlier hour, and one with no reading
    // on the deepest channel.
    state->database().execute(
        QStringLiteral("UPDATE `%1` SET FullDate = '2026-03-01 07:30:00', ReadingDate = "
                       "'2026/03/01' WHERE DateTimeKey = '%2'")
            .arg(Sensor, readingKey(Sensor, start.addSecs(3600 * 3))));
    state->database().execute(QStringLiteral("UPDATE `%1` SET Channel3 = NULL WHERE "
                                             "DateTimeKey = '%2'")
                                  .arg(Sensor, readingKey(Sensor, start.addSecs(3600 * 2))));
    for (const HeadLocation head : {HeadLocation::Toe, HeadLocation::Collar}) {
        const TimePoints points = GetTemporalData(*state, sensor, head);
        ASSERT_TRUE(points.prepared);
        EXPECT_EQ(points.firstDate, "2026/03/01");
        EXPECT_EQ(points.lastDate, "2026/03/01");
        for (const SeriesBinding& s : timeSeries(head, 3, {})) {
            const std::vector<double>* values = points.column(s.column);
            ASSERT_NE(values, nullptr) << s.column.toStdString();
            store::Statement st = state->database().prepare(
                QStringLiteral("SELECT FullDate, %1 FROM `%2` WHERE Plottemporal = True ORDER BY "
                               "FullDate, _rowid_")
                    .arg(s.column, Sensor));
            size_t k = 0;
            for (; st.step(); ++k) {
                ASSERT_LT(k, points.keys.size());
                EXPECT_EQ(points.keys[k], *dateTimeKey(st.utf8(0)));
                const std::optional<double> v = st.number(1);
                if (v)
                    EXPECT_EQ((*values)[k], *v) << s.column.toStdString() << " row " << k;
                else
                    EXPECT_TRUE(std::isnan((*values)[k])) << s.column.toStdString() << " row " << k;
            }
            EXPECT_EQ(k, points.keys.size());
            EXPECT_EQ(values->size(), points.keys.size());
        }
    }
    EXPECT_EQ(*dateTimeKey("2026-03-01 07:30:00"), 1772350200.0);
    // Back to the stored form, across a leap day and before 1970.
    for (const char* at : {"2026-03-01 07:30:00", "2024-02-29 23:59:59", "1968-12-31 00:00:01"})
        EXPECT_EQ(readings::fullDateOfSeconds(*readings::fullDateSeconds(at)),
                  QString::fromLatin1(at));
    EXPECT_FALSE(readings::fullDateSeconds("2026-13-01 07:30:00 x"));
}

TEST_F(GraphDataTest, AFailureMidwayLeavesEveryRowAsItWas) {
    state->database().execute(
        QStringLiteral(
            "CREATE TRIGGER refuse BEFORE UPDATE OF zero1 ON `%1` WHEN old.DateTimeKey = '%2' "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END")
            .arg(Sensor, readingKey(Sensor, start.addSecs(3600 * 2))));
    expectLog(texts::GetTemporalDataLabel);
    EXPECT_FALSE(
        GetTemporalData(*state, sensor, HeadLocation::Toe).prepared); // the rows are read instead
    checkLog();
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(row(k, "zero1, Disp1"), "- -") << k;
}

// What the graphs take from the register row: the type's node count, the head
// option and the depths the installation tab works out from the record.
TEST_F(GraphDataTest, SetsUpFromTheRegisterRowAsTheInstallationTabShowsIt) {
    state->database().execute(
        QStringLiteral("UPDATE Sensors SET Recess = 0.3, LengthofCable = 12, NodeLocation1 = 2, "
                       "NodeLocation2 = 4.5, NodeLocation3 = 7.25 WHERE InstrumentID = '%1'")
            .arg(Sensor));
    GraphSetup setup = graphSetup(state->database(), Sensor);
    EXPECT_EQ(setup.sensorNumber, Sensor);
    EXPECT_EQ(setup.numNodes, 3);
    EXPECT_EQ(setup.head, HeadLocation::Collar);
    EXPECT_EQ(setup.recess, "0.3");
    EXPECT_EQ(setup.headLocation, "0.30");
    EXPECT_EQ(setup.nodeLabels, QStringList({"2.30 m", "4.80 m", "7.55 m"}));
    EXPECT_EQ(setup.anchors[4], "");

    state->database().execute(QStringLiteral("UPDATE Sensors SET HeadLocation = 0"));
    setup = graphSetup(state->database(), Sensor);
    EXPECT_EQ(setup.head, HeadLocation::Toe);
    EXPECT_EQ(setup.headLocation, "12.30");
    EXPECT_EQ(setup.nodeLabels, QStringList({"10.30 m", "7.80 m", "5.05 m"}));

    // A number the register lacks, and one whose type code is no type.
    addSensor(state->database(), "202511001");
    for (const auto& [number, code] : {std::pair{"202541999", store::code::NotFound},
                                       std::pair{"202511001", store::code::Mismatch}}) {
        try {
            graphSetup(state->database(), number);
            ADD_FAILURE() << number;
        } catch (const store::Error& e) {
            EXPECT_EQ(e.number(), code) << number;
        }
    }
}

// The length graph's readings come with its preparation; the rule's failures
// reach the caller; the rows as they stand can be read where they cannot be
// prepared (a database opened read-only).
TEST_F(GraphDataTest, HandsOverTheLengthReadingsAndReadsTheRowsAsTheyStand) {
    state->database().execute(QStringLiteral("UPDATE `%1` SET PlotSpatial = 1").arg(Sensor));
    const LengthProfiles length =
        prepareLengthGraph(state->database(), Sensor, HeadLocation::Collar, 3);
    EXPECT_TRUE(length.prepared);
    EXPECT_EQ(length.selected, 4);
    ASSERT_EQ(length.profiles.size(), 4u);
    const Profile& last = length.profiles[3];
    EXPECT_EQ(last.readingDate, "2026/03/01");
    EXPECT_EQ(last.readingTime, "11:00:00");
    EXPECT_EQ(last.value("zero3"), -6.0);
    EXPECT_EQ(last.value("Disp1"), -5.0); // zero3 - zero1: the collar's deepest anchor is fixed
    EXPECT_EQ(last.value("Disp4"), std::nullopt);
    EXPECT_EQ(row(3, "Disp1"), "-5.00");

    const TimePoints prepared = prepareTimeGraph(state->database(), Sensor, HeadLocation::Toe, 3);
    auto readOnly = store::Database::open(state->DBPath, true);
    // The zero reading loses a channel the others have, and the last reading
    // changes: the rule fails on three rows, and the last must be written.
    state->database().execute(
        QStringLiteral("UPDATE `%1` SET Channel2 = NULL WHERE DateTimeKey = '%2'")
            .arg(Sensor, readingKey(Sensor, start)));
    setChannels(3, {12.0, 9.0, 9.0});
    QStringList lacking;
    EXPECT_THROW(prepareTimeGraph(*readOnly, Sensor, HeadLocation::Toe, 3,
                                  [&](const QString& fullDate) { lacking << fullDate; }),
                 store::Error);
    EXPECT_EQ(lacking,
              QStringList({"2026-03-01 09:00:00", "2026-03-01 10:00:00", "2026-03-01 11:00:00"}));
    const TimePoints stored = storedTimePoints(*readOnly, Sensor, HeadLocation::Toe, 3);
    EXPECT_FALSE(stored.prepared);
    EXPECT_EQ(stored.keys, prepared.keys);
    EXPECT_EQ(stored.columns, prepared.columns);
    EXPECT_EQ(stored.lastDate, prepared.lastDate);
    const LengthProfiles standing = storedProfiles(*readOnly, Sensor, 3);
    EXPECT_EQ(standing.selected, 4);
    EXPECT_EQ(standing.profiles[3].value("Disp1"), -1.0); // the toe's, as stored last
}

} // namespace
