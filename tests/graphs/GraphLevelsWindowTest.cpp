// Trigger-level lines on both graph tabs of the real window: where they stand,
// their look, the legend boxes they follow and the room AutoScale makes.
#include "support/WindowSupport.h"

#include "graphs/Texts.h"
#include "graphs/ui/Chart.h"
#include "levels/TriggerLevels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <QTest>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("202541001"); // three anchors, head at the collar

class GraphLevelsTest : public WindowTest {
protected:
    // Three daily readings ticked for both graphs: anchor 1 moves by 2 mm a
    // day (away from zero on the side of sign), anchor 2 by 0.5, anchor 3 not.
    void startWith(double sign, bool thresholds = true) {
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        for (int k = 0; k < 3; ++k)
            addReadings(db, Sensor, 1, QDateTime(QDate(2026, 3, 1 + k), QTime(8, 0)));
        db.execute(QStringLiteral("UPDATE `%1` SET PlotSpatial = 1, Channel1 = 10 - %2 * 2 * "
                                  "(_rowid_ - 1), Channel2 = 10 - %2 * 0.5 * (_rowid_ - 1), "
                                  "Channel3 = 10")
                       .arg(Sensor)
                       .arg(sign));
        if (thresholds) {
            const auto levels = levels::siteLevels(db);
            levels::SensorTriggers t;
            t.displacement[0] = levels::parseThresholds("Alert=12,Alarm=20,Action=30", levels, "");
            t.displacement[2] = levels::parseThresholds("Alert=15,Alarm=18", levels, "");
            t.rate[0] = levels::parseThresholds("Alert=1", levels, "");
            levels::setSensorTriggers(db, Sensor, t);
        }
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
        // The temperature of 20 on its own axis leaves the left one to the mm.
        control<QCheckBox>("chkTempAxis")->setChecked(true);
    }
    graphs::Chart* enter(int tab) {
        control<QTabWidget>("SSTab1")->setCurrentIndex(2);
        control<QTabWidget>("SSTab1")->setCurrentIndex(tab);
        auto* chart = control<graphs::Chart>(tab == 3 ? "ChartT" : "ChartS");
        chart->replot();
        return chart;
    }
};

// Each line as the chart holds it: "<label> <value> <colour> <dashed>", the
// label being the text item drawn at the line's height.
QStringList linesOf(const QCustomPlot* chart) {
    QStringList out;
    for (int i = 0; i < chart->itemCount(); ++i) {
        const auto* line = qobject_cast<QCPItemStraightLine*>(chart->item(i));
        if (!line) continue;
        const double y = line->point1->coords().y();
        EXPECT_EQ(line->point2->coords().y(), y);
        QString label;
        for (int j = 0; j < chart->itemCount(); ++j)
            if (const auto* text = qobject_cast<QCPItemText*>(chart->item(j));
                text && text->position->coords().y() == y) {
                label = text->text();
                EXPECT_EQ(text->color(), line->pen().color()) << label.toStdString();
            }
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(label)
                   .arg(y)
                   .arg(line->pen().color().name())
                   .arg(line->pen().style() == Qt::DashLine ? "dashed" : "solid");
    }
    return out;
}

TEST_F(GraphLevelsTest, TheTimeGraphDrawsTheLowestThresholdOfTheAnchorsShown) {
    startWith(+1);
    graphs::Chart* time = enter(3);
    EXPECT_EQ(linesOf(time), QStringList({"Alert 12 #ffbf00 dashed", "Alarm 18 #ff4500 dashed",
                                          "Action 30 #e00000 dashed"}));
    // The series are where they always were, and the lines are in no legend.
    EXPECT_EQ(time->graphCount(), 11);
    // The title, the temperature, three anchors and the head.
    EXPECT_EQ(time->legend->itemCount(), 6);
    // AutoScale: displacements up to 4 mm, and room for the Alert line at 12.
    EXPECT_EQ(time->yAxis->range(), QCPRange(-1, 13));

    // Anchors 1 and 3 unticked: anchor 2's own thresholds alone.
    for (const int series : {1, 3}) {
        QCPAbstractLegendItem* entry = time->legend->itemWithPlottable(time->graph(series));
        ASSERT_NE(entry, nullptr);
        QTest::mouseClick(time, Qt::LeftButton, {}, entry->outerRect().center());
        time->replot();
    }
    EXPECT_FALSE(time->graph(3)->visible());
    EXPECT_EQ(linesOf(time), QStringList({"Alert 15 #ffbf00 dashed", "Alarm 18 #ff4500 dashed"}));

    // A fixed scale is kept as it is, however high the lines.
    control<QComboBox>("cboScale")->setEditText("25");
    time = enter(3);
    EXPECT_EQ(time->yAxis->range(), QCPRange(0, 26));
    EXPECT_EQ(linesOf(time).size(), 3);
}

TEST_F(GraphLevelsTest, TheLengthGraphDrawsTheLowestAcrossAnchors) {
    startWith(+1);
    graphs::Chart* length = enter(4);
    EXPECT_EQ(linesOf(length), QStringList({"Alert 12 #ffbf00 dashed", "Alarm 18 #ff4500 dashed",
                                            "Action 30 #e00000 dashed"}));
    EXPECT_EQ(length->graphCount(), 16);
    EXPECT_EQ(length->legend->itemCount(), 4); // the title, one profile per reading
    EXPECT_EQ(length->yAxis->range(), QCPRange(-1, 15));
}

TEST_F(GraphLevelsTest, LinesGoWhereTheDisplacementsAre) {
    startWith(-1);
    graphs::Chart* time = enter(3);
    EXPECT_EQ(linesOf(time), QStringList({"Alert -12 #ffbf00 dashed", "Alarm -18 #ff4500 dashed",
                                          "Action -30 #e00000 dashed"}));
    EXPECT_LE(time->yAxis->range().lower, -12);
    graphs::Chart* length = enter(4);
    EXPECT_EQ(linesOf(length).first(), "Alert -12 #ffbf00 dashed");
    EXPECT_LE(length->yAxis->range().lower, -12);
}

TEST_F(GraphLevelsTest, ASensorWithoutThresholdsDrawsNone) {
    startWith(+1, false);
    graphs::Chart* time = enter(3);
    EXPECT_EQ(time->itemCount(), 0);
    EXPECT_EQ(time->yAxis->range(), QCPRange(-0.5, 4.5));
    EXPECT_EQ(enter(4)->itemCount(), 0);
}

} // namespace
