// The report's anchors table from the database: depths from the stored record
// as the installation tab works them out, and the latest displacement against
// the graphs' zero reading.
#include "support/Support.h"

#include "operations/Operations.h"
#include "outputs/ReportAnchors.h"
#include "readings/Quality.h"
#include "readings/ZeroHistory.h"
#include "store/Error.h"

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("202541001"); // three anchors

class ReportAnchorsTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
        addSensor(*db, Sensor);
        db->execute("UPDATE Sensors SET Recess = 0.3, LengthofCable = 10, NodeLocation1 = 2, "
                    "NodeLocation2 = 4.5, NodeLocation3 = NULL");
    }
    QStringList cells(const outputs::AnchorTable& t) const {
        QStringList rows;
        for (const outputs::AnchorRow& r : t.rows)
            rows << QStringList{r.anchor, r.depthFromHead, r.depthFromRoof, r.displacement,
                                r.zeroReading}
                        .join('|');
        return rows;
    }
    store::Database* db = nullptr;
};

struct HeadCase {
    bool atCollar;
    QStringList depths; // anchor|from the head|from the roof
};
class AnchorDepths : public ReportAnchorsTest, public ::testing::WithParamInterface<HeadCase> {};

TEST_P(AnchorDepths, ComeFromTheStoredRecord) {
    db->execute(QStringLiteral("UPDATE Sensors SET HeadLocation = %1").arg(GetParam().atCollar));
    const outputs::AnchorTable t = outputs::anchorTable(*db, Sensor);
    EXPECT_EQ(t.headAtCollar, GetParam().atCollar);
    QStringList depths;
    for (const outputs::AnchorRow& r : t.rows)
        depths << r.anchor + "|" + r.depthFromHead + "|" + r.depthFromRoof;
    EXPECT_EQ(depths, GetParam().depths);
    // No readings: nothing to show a displacement of.
    EXPECT_EQ(t.latestReading, "");
    for (const outputs::AnchorRow& r : t.rows)
        EXPECT_EQ((r.displacement + r.zeroReading).toStdString(), "");
}

INSTANTIATE_TEST_SUITE_P(Heads, AnchorDepths,
                         ::testing::Values(HeadCase{true, {"1|2.00|2.30", "2|4.50|4.80", "3||"}},
                                           HeadCase{false, {"1|2.00|8.30", "2|4.50|5.80", "3||"}}));

TEST_F(ReportAnchorsTest, ShowTheLatestReadingAgainstTheEarliestTicked) {
    addReadings(*db, Sensor, 5);
    // The first reading is not ticked: the zero is the second. In the latest,
    // anchor 1 moved.
    db->execute("UPDATE `202541001` SET Plottemporal = 0 WHERE FullDate = '2025-03-01 00:00:00'");
    db->execute("UPDATE `202541001` SET Channel1 = 3.5 WHERE FullDate = '2025-03-01 04:00:00'");
    // The graphs' own displacements of the latest reading.
    const auto graphs = [&] {
        std::optional<operations::ReadingLine> last;
        operations::forEachReading(*db, Sensor, {}, {},
                                   [&](const operations::ReadingLine& l) { last = l; });
        QStringList shown;
        for (const auto& d : last->displacements)
            shown << (d ? QString::number(*d, 'f', 2) : QString());
        return shown;
    };
    const QStringList d = graphs();
    ASSERT_NE(d[0], "0.00");
    const outputs::AnchorTable t = outputs::anchorTable(*db, Sensor);
    EXPECT_EQ(t.latestReading, "2025/03/01 04:00:00");
    EXPECT_EQ(cells(t), QStringList({"1|2.00|2.30|" + d[0] + "|2025/03/01 01:00:00",
                                     "2|4.50|4.80|" + d[1] + "|2025/03/01 01:00:00",
                                     "3|||" + d[2] + "|2025/03/01 01:00:00"}));

    // A channel the latest reading lacks: what the graphs show.
    db->execute("UPDATE `202541001` SET Channel2 = NULL WHERE FullDate = '2025-03-01 04:00:00'");
    const QStringList lacking = graphs();
    const outputs::AnchorTable partial = outputs::anchorTable(*db, Sensor);
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(partial.rows[k].displacement, lacking[qsizetype(k)]) << k;
        EXPECT_EQ(partial.rows[k].zeroReading.isEmpty(), lacking[qsizetype(k)].isEmpty()) << k;
    }

    // Nothing ticked: no zero, so no displacement.
    db->execute("UPDATE `202541001` SET Plottemporal = 0");
    EXPECT_EQ(cells(outputs::anchorTable(*db, Sensor)),
              QStringList({"1|2.00|2.30||", "2|4.50|4.80||", "3||||"}));
}

// Anchor 3 of a four-anchor sensor stands at 4.20 mm the hour before it is
// replaced and 0.10 mm from the new zero an hour after: with carry-over the
// report shows 4.30 mm against the stored zero, as the graphs do. A later
// invalid reading is never the latest shown.
TEST_F(ReportAnchorsTest, MeasureFromTheStoredZeroInForceWithCarryOver) {
    const QString four = QStringLiteral("202551001");
    addSensor(*db, four);
    addReadings(*db, four, 5);
    const auto at = [](int hour) { return QStringLiteral("2025-03-01 0%1:00:00").arg(hour); };
    db->execute(
        QStringLiteral("UPDATE `%1` SET Channel1 = 10, Channel2 = 10, Channel4 = 10").arg(four));
    for (const auto& [hour, channel3] :
         std::vector<std::pair<int, double>>{{0, 10}, {1, 5.80}, {2, 50}, {3, 49.90}, {4, 12}})
        db->execute(QStringLiteral("UPDATE `%1` SET Channel3 = %2 WHERE FullDate = '%3'")
                        .arg(four)
                        .arg(channel3)
                        .arg(at(hour)));
    const QString lastKey = readingKey(four, QDateTime(QDate(2025, 3, 1), QTime(4, 0)));
    readings::setQuality(*db, four, {lastKey}, readings::Quality::Invalid, "logger fault");
    // One zero set by mistake and retired, then the replacement's.
    const qint64 mistake = readings::setZero(*db, four, at(1), "entered by mistake", false);
    readings::retireZero(*db, four, mistake, "wrong hour");
    readings::setZero(*db, four, at(2), "anchor 3 replaced", true);

    const outputs::AnchorTable t = outputs::anchorTable(*db, four);
    EXPECT_EQ(t.latestReading, "2025/03/01 03:00:00");
    ASSERT_EQ(t.rows.size(), 4u);
    EXPECT_EQ(t.rows[2].displacement, "4.30");
    for (const outputs::AnchorRow& r : t.rows)
        EXPECT_EQ(r.zeroReading, "2025/03/01 02:00:00") << r.anchor.toStdString();

    // Every stored zero listed, the retired one saying when, by whom and why.
    const std::vector<readings::ZeroReading> stored = readings::zeroReadings(*db, four);
    ASSERT_EQ(t.zeros.size(), 2u);
    const auto shown = [](const QString& s) {
        return QDateTime::fromString(s, "yyyy-MM-dd HH:mm:ss").toString("yyyy/MM/dd HH:mm:ss");
    };
    EXPECT_EQ(t.zeros[0].cells(),
              (std::vector<QString>{"2025/03/01 01:00:00", "entered by mistake", "no",
                                    stored[0].setBy, shown(stored[0].setAt),
                                    "retired " + shown(stored[0].retiredAt) + " by " +
                                        stored[0].retiredBy + ": wrong hour"}));
    EXPECT_EQ(t.zeros[1].cells(),
              (std::vector<QString>{"2025/03/01 02:00:00", "anchor 3 replaced", "yes",
                                    stored[1].setBy, shown(stored[1].setAt), "in force"}));
    EXPECT_FALSE(stored[0].setBy.isEmpty());

    // Retired too, the earliest valid reading is the zero again.
    readings::retireZero(*db, four, stored[1].id, "replacement undone");
    const outputs::AnchorTable back = outputs::anchorTable(*db, four);
    EXPECT_EQ(back.rows[2].displacement, "-39.90");
    EXPECT_EQ(back.rows[2].zeroReading, "2025/03/01 00:00:00");
    EXPECT_EQ(back.zeros.size(), 2u);
}

TEST_F(ReportAnchorsTest, RefusesANumberTheRegisterLacks) {
    EXPECT_THROW(outputs::anchorTable(*db, "202541002"), store::Error);
}

} // namespace
