// Quality flags and the zero-reading history as the displacements see them:
// what invalid readings are kept out of, and the record carried across a
// replaced anchor.
#include "support/Support.h"

#include "graphs/GraphData.h"
#include "operations/Operations.h"
#include "readings/Quality.h"
#include "readings/ZeroHistory.h"
#include "store/Audit.h"
#include "store/RowSet.h"

#include <cmath>

using namespace testing_support;
using readings::Quality;

namespace {

// Four anchors, head at the collar: anchor k moves by zero4 - zero k.
const QString Sensor = QStringLiteral("202551001");
const QDateTime Start(QDate(2025, 3, 1), QTime(0, 0));

class QualityAndZerosTest : public RegisterTest {
protected:
    void SetUp() override {
        RegisterTest::SetUp();
        addSensor(*db, Sensor);
    }
    // A reading at Start + hour hours with the channels given, 10 elsewhere.
    void reading(int hour, double c3, double c4 = 10.0) {
        store::RowSet rs(*db, QStringLiteral("SELECT * FROM `%1`").arg(Sensor));
        const QDateTime when = Start.addSecs(3600LL * hour);
        rs.AddNew();
        rs.setValue(QStringLiteral("DateTimeKey"), readingKey(Sensor, when));
        rs.setValue(QStringLiteral("ReadingDate"), when.toString(QStringLiteral("yyyy/MM/dd")));
        rs.setValue(QStringLiteral("ReadingTime"), when.toString(QStringLiteral("HH:mm:ss")));
        rs.setValue(QStringLiteral("FullDate"), fullDate(hour));
        rs.setValue(QStringLiteral("ChannelT"), 20.0);
        for (int i = 1; i <= 4; ++i)
            rs.setValue(QStringLiteral("Channel%1").arg(i), i == 3 ? c3 : i == 4 ? c4 : 10.0);
        rs.setValue(QStringLiteral("Plottemporal"), true);
        rs.setValue(QStringLiteral("PlotSpatial"), true);
        rs.Update();
    }
    static QString fullDate(int hour) {
        return Start.addSecs(3600LL * hour).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    static QString key(int hour) { return readingKey(Sensor, Start.addSecs(3600LL * hour)); }

    // Anchor 3 of every reading the time graph draws, to 0.01 mm.
    std::vector<double> drawnAnchor3() {
        const graphs::TimePoints points =
            graphs::prepareTimeGraph(*db, Sensor, readings::HeadLocation::Collar, 4);
        std::vector<double> values;
        for (double v : *points.column(QStringLiteral("Disp3")))
            values.push_back(std::round(v * 100) / 100);
        return values;
    }
    // Anchor 3 as the tool lists it, by reading time "HH:mm:ss".
    std::map<QString, double> listedAnchor3(bool withInvalid = false) {
        std::map<QString, double> values;
        operations::forEachReading(
            *db, Sensor, std::nullopt, std::nullopt,
            [&](const operations::ReadingLine& line) {
                values[line.time] =
                    line.displacements[2] ? std::round(*line.displacements[2] * 100) / 100 : NAN;
            },
            withInvalid);
        return values;
    }
    int trail(const QString& operation) {
        int n = 0;
        store::forEachAuditRecord(*db, {}, [&](const store::AuditRecord& r) {
            n += r.entry.operation == operation;
            return true;
        });
        return n;
    }
};

// Anchor 3 stands at 4.20 mm the hour before it is replaced; the new anchor
// reads 0.10 mm from its own zero an hour later. With carry-over that is drawn
// as 4.20 + 0.10 = 4.30 mm; without, the record restarts from 0.
TEST_F(QualityAndZerosTest, CarryOverKeepsTheRecordContinuousAcrossAReplacement) {
    reading(0, 10.0);  // the first zero: every anchor at 0
    reading(1, 5.80);  // anchor 3: (10 - 10) - (5.80 - 10) = 4.20
    reading(2, 50.00); // the replaced anchor's first reading
    reading(3, 49.90); // 0.10 from the new zero
    // Without a stored zero the new anchor's raw value shows as a jump.
    EXPECT_EQ(drawnAnchor3(), (std::vector<double>{0.0, 4.20, -40.0, -39.90}));

    const qint64 id = readings::setZero(*db, Sensor, fullDate(2), "anchor 3 replaced", true);
    EXPECT_EQ(drawnAnchor3(), (std::vector<double>{0.0, 4.20, 4.20, 4.30}));
    EXPECT_EQ(listedAnchor3()["03:00:00"], 4.30);

    // Retired, it stays listed, and the earliest reading is the zero again.
    readings::retireZero(*db, Sensor, id, "entered by mistake");
    EXPECT_EQ(drawnAnchor3(), (std::vector<double>{0.0, 4.20, -40.0, -39.90}));
    readings::setZero(*db, Sensor, fullDate(2), "anchor 3 replaced", false);
    EXPECT_EQ(drawnAnchor3(), (std::vector<double>{0.0, 4.20, 0.0, 0.10}));

    const std::vector<readings::ZeroReading> zeros = readings::zeroReadings(*db, Sensor);
    ASSERT_EQ(zeros.size(), 2u);
    EXPECT_TRUE(zeros[0].retired());
    EXPECT_EQ(zeros[0].retiredReason, "entered by mistake");
    EXPECT_TRUE(zeros[0].carryOver);
    EXPECT_FALSE(zeros[1].retired());
    EXPECT_EQ(trail(store::operation::ZeroSet), 2);
    EXPECT_EQ(trail(store::operation::ZeroRetired), 1);
}

TEST_F(QualityAndZerosTest, InvalidReadingsAreNeverTheZeroNorDrawnNorListed) {
    reading(0, 12.0); // a bad first reading
    reading(1, 10.0);
    reading(2, 9.0);
    EXPECT_EQ(drawnAnchor3(), (std::vector<double>{0.0, 2.0, 3.0}));

    EXPECT_EQ(readings::setQuality(*db, Sensor, {key(0)}, Quality::Invalid, "logger fault"), 1);
    EXPECT_EQ(drawnAnchor3(), (std::vector<double>{0.0, 1.0}));
    EXPECT_EQ(listedAnchor3().size(), 2u);
    const std::map<QString, double> all = listedAnchor3(true);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all.at("00:00:00"), -2.0); // measured, but from the valid zero

    // Suspect readings are drawn, and marked.
    readings::setQuality(*db, Sensor, {key(2)}, Quality::Suspect, "");
    const graphs::TimePoints points =
        graphs::prepareTimeGraph(*db, Sensor, readings::HeadLocation::Collar, 4);
    EXPECT_EQ(points.keys.size(), 2u);
    EXPECT_EQ(points.suspect, (std::vector<size_t>{1}));

    // An invalid reading cannot be made a zero, nor a zero made invalid.
    EXPECT_THROW(readings::setZero(*db, Sensor, fullDate(0), "x", false), store::Error);
    readings::setZero(*db, Sensor, fullDate(1), "installation", false);
    try {
        readings::setQuality(*db, Sensor, {key(1)}, Quality::Invalid, "");
        ADD_FAILURE() << "a zero reading was made invalid";
    } catch (const store::Error& e) {
        EXPECT_TRUE(e.description().contains("2025/03/01 01:00:00"))
            << e.description().toStdString();
    }
    // Back to valid without a note: no flag is kept.
    readings::setQuality(*db, Sensor, {key(0), key(2)}, Quality::Valid, "");
    EXPECT_TRUE(readings::qualityFlags(*db, Sensor).isEmpty());
    EXPECT_EQ(trail(store::operation::ReadingsFlagged), 3);
}

TEST_F(QualityAndZerosTest, AMomentWithoutAReadingIsRefusedByName) {
    reading(0, 10.0);
    for (const auto& attempt : std::vector<std::function<void()>>{
             [&] { readings::setZero(*db, Sensor, fullDate(5), "installation", false); },
             [&] {
                 readings::setQuality(*db, Sensor, {key(0), key(5)}, Quality::Suspect, "");
             },
         }) {
        try {
            attempt();
            ADD_FAILURE() << "accepted";
        } catch (const store::Error& e) {
            EXPECT_TRUE(e.description().contains("2025/03/01 05:00:00"))
                << e.description().toStdString();
        }
    }
    // Refused as a whole: the first key was not flagged either.
    EXPECT_TRUE(readings::qualityFlags(*db, Sensor).isEmpty());
    EXPECT_TRUE(readings::zeroReadings(*db, Sensor).empty());
}

TEST_F(QualityAndZerosTest, NotesAreStoredAsTyped) {
    reading(0, 10.0);
    QString note = QStringLiteral("\u05D1\u05D3\u05D9\u05E7\u05D4 right-to-left\t\x01\n");
    note += QString(10000 - note.size(), QLatin1Char('x'));
    readings::setQuality(*db, Sensor, {key(0)}, Quality::Suspect, note);
    EXPECT_EQ(readings::qualityFlags(*db, Sensor).value(key(0)).note, note);
    // The same flag again changes nothing and writes nothing.
    EXPECT_EQ(readings::setQuality(*db, Sensor, {key(0)}, Quality::Suspect, note), 0);
    EXPECT_EQ(trail(store::operation::ReadingsFlagged), 1);
}

} // namespace
