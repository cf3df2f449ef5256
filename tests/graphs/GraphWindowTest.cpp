// The graph tabs through the real main window: the two-reading rule, drawing,
// the stored derived columns, the scale, the legend check boxes, the tips and
// the picture export. What the graphs read and store runs on both engines.
#include "support/WindowSupport.h"

#include "app/Texts.h"
#include "graphs/GraphData.h"
#include "graphs/GraphSettings.h"
#include "graphs/Texts.h"
#include "graphs/ui/Chart.h"
#include "graphs/ui/GraphDrawing.h"
#include "readings/Quality.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include <numeric>

using namespace testing_support;
namespace texts = graphs::texts;

namespace {

class GraphWindowTest : public WindowEngineTest {
protected:
    // Three anchors; one reading a day from start, ticked for the time graph,
    // and those listed ticked for the length graph too.
    void startWith(int readings, const std::vector<int>& spatial = {},
                   const std::vector<int>& notTemporal = {}) {
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        for (int k = 0; k < readings; ++k)
            addReadings(db, Sensor, 1, day(k));
        for (const int k : spatial)
            execute(db, QStringLiteral("UPDATE `%1` SET PlotSpatial = 1 WHERE DateTimeKey = '%2'")
                            .arg(Sensor, readingKey(Sensor, day(k))));
        for (const int k : notTemporal)
            execute(db, QStringLiteral("UPDATE `%1` SET Plottemporal = 0 WHERE DateTimeKey = '%2'")
                            .arg(Sensor, readingKey(Sensor, day(k))));
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
    }
    static void execute(store::Database& db, const QString& sql) { db.execute(sql); }
    QDateTime day(int k) const { return start.addDays(k); }
    QTabWidget* tabs() const { return control<QTabWidget>("SSTab1"); }
    graphs::Chart* chart(const char* name) const { return control<graphs::Chart>(name); }
    // The columns of reading k, each with two decimals ("none" for no value).
    std::string stored(int k, const QString& columns, int decimals = 2) const {
        const QStringList row =
            firstRow(*openAgain(), QStringLiteral("SELECT %1 FROM `%2` WHERE DateTimeKey = '%3'")
                                       .arg(columns, Sensor, readingKey(Sensor, day(k))));
        if (row.isEmpty()) return "<no row>";
        QStringList shown;
        for (const QString& value : row)
            shown << (value == QLatin1String("NULL")
                          ? QStringLiteral("none")
                          : QString::number(value.toDouble(), 'f', decimals));
        return shown.join(' ').toStdString();
    }
    QStringList activeTitles(graphs::Chart* c) const {
        QStringList titles;
        for (int i = 0; i < c->seriesCount(); ++i)
            if (c->isActive(i)) titles << QStringLiteral("%1:%2").arg(i).arg(c->graph(i)->name());
        return titles;
    }

    const QString Sensor = QStringLiteral("202541001");
    const QDateTime start{QDate(2026, 3, 1), QTime(8, 0)};
};

// The chart's own interactions and its pictures: nothing of them differs by engine.
class GraphPictureTest : public GraphWindowTest {};

// Each point of a series as text, so that a gap compares equal to a gap.
QStringList pointsOf(const QCPGraph* g) {
    QStringList points;
    for (auto p = g->data()->constBegin(); p != g->data()->constEnd(); ++p)
        points << QStringLiteral("%1 %2").arg(p->key, 0, 'g', 17).arg(p->value, 0, 'g', 17);
    return points;
}

// The same drawing: titles, series, axis ranges, and at one size the same picture.
void expectSameDrawing(graphs::Chart& alone, graphs::Chart& shown) {
    EXPECT_EQ(alone.titleText(), shown.titleText());
    EXPECT_EQ(alone.xAxis->label(), shown.xAxis->label());
    EXPECT_EQ(alone.yAxis->label(), shown.yAxis->label());
    EXPECT_EQ(alone.xAxis->range(), shown.xAxis->range());
    EXPECT_EQ(alone.yAxis->range(), shown.yAxis->range());
    ASSERT_EQ(alone.seriesCount(), shown.seriesCount());
    for (int i = 0; i < alone.seriesCount(); ++i) {
        EXPECT_EQ(alone.isActive(i), shown.isActive(i)) << "series " << i;
        if (!shown.isActive(i)) continue;
        EXPECT_EQ(alone.graph(i)->name(), shown.graph(i)->name()) << "series " << i;
        EXPECT_EQ(pointsOf(alone.graph(i)), pointsOf(shown.graph(i))) << "series " << i;
    }
    const QImage picture = alone.toPixmap(shown.width(), shown.height()).toImage();
    EXPECT_EQ(picture, shown.toPixmap(shown.width(), shown.height()).toImage());
    EXPECT_EQ(alone.xAxis->tickVectorLabels(), shown.xAxis->tickVectorLabels());
    EXPECT_EQ(alone.yAxis->tickVectorLabels(), shown.yAxis->tickVectorLabels());
}

TEST_P(GraphWindowTest, OneSelectedReadingIsRefusedAndTheTabGoesBack) {
    startWith(2, {0, 1}, {0});
    tabs()->setCurrentIndex(2);
    tabs()->setCurrentIndex(3);
    EXPECT_EQ(tabs()->currentIndex(), 2);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    const app::Prompt& refusal = prompter.prompts[0];
    EXPECT_EQ(refusal.text, texts::TooFewReadings + texts::TooFewTemporal);
    EXPECT_EQ(refusal.title, "Vornhald's Tolvane");
    EXPECT_EQ(refusal.icon, app::Icon::Information);
    EXPECT_FALSE(chart("ChartT")->isVisible());
    EXPECT_EQ(stored(1, "zero1"), "none"); // nothing prepared

    // Two readings for the length graph: it draws, one profile per reading.
    tabs()->setCurrentIndex(4);
    EXPECT_EQ(tabs()->currentIndex(), 4);
    EXPECT_EQ(prompter.prompts.size(), 1u);
    graphs::Chart* length = chart("ChartS");
    EXPECT_TRUE(length->isVisible());
    EXPECT_EQ(activeTitles(length), QStringList({"1:2026/03/01", "2:2026/03/02"}));
    EXPECT_EQ(length->graph(1)->dataCount(), 4); // the head and three anchors
    EXPECT_FALSE(control<QLabel>("lblW15")->isVisible());
    EXPECT_EQ(length->titleText(), Sensor);
    // The scale selector came along to this tab.
    EXPECT_EQ(control<QComboBox>("cboScale")->parentWidget(), tabs()->widget(4));
    tabs()->setCurrentIndex(3); // refused again: back to the length graph
    EXPECT_EQ(tabs()->currentIndex(), 4);
}

TEST_P(GraphWindowTest, TheTimeGraphStoresTheDerivedColumnsAndDrawsThem) {
    startWith(3);
    {
        auto db = openAgain();
        const double channels[3][3] = {{10, 12, 15}, {10.5, 12.2, 15}, {11, 12.6, 15.5}};
        for (int k = 0; k < 3; ++k)
            db->execute(QStringLiteral("UPDATE `%1` SET Channel1 = %2, Channel2 = %3, Channel3 = "
                                       "%4 WHERE DateTimeKey = '%5'")
                            .arg(Sensor)
                            .arg(channels[k][0])
                            .arg(channels[k][1])
                            .arg(channels[k][2])
                            .arg(readingKey(Sensor, day(k))));
    }
    tabs()->setCurrentIndex(1);
    const QString deepest = control<QLineEdit>("txtRelSGanchor3")->text();
    tabs()->setCurrentIndex(3);
    EXPECT_EQ(tabs()->currentIndex(), 3);
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_EQ(stored(1, "zero1, Disp1, Disp2, Disp3"), "0.50 -0.50 -0.20 0.00");
    EXPECT_EQ(stored(2, "Disp1"), "-0.50");
    EXPECT_EQ(stored(2, "NumTemp", 1), "20.0");

    graphs::Chart* time = chart("ChartT");
    EXPECT_TRUE(time->isVisible());
    // Head at the collar: the deepest node first, the head last.
    EXPECT_EQ(activeTitles(time),
              QStringList({"0:Temp (C)", "1:" + deepest + " m",
                           "2:" + control<QLineEdit>("txtRelSGanchor2")->text() + " m",
                           "3:" + control<QLineEdit>("txtRelSGanchor1")->text() + " m", "4:Head"}));
    EXPECT_EQ(time->graph(1)->dataCount(), 3);
    EXPECT_DOUBLE_EQ((time->graph(3)->data()->end() - 1)->value, -0.5);
    // A temperature of 20 against displacements under a millimetre.
    EXPECT_DOUBLE_EQ(time->yAxis->range().lower, -2.5); // -0.5 on the axis line: room below
    EXPECT_DOUBLE_EQ(time->yAxis->range().upper, 22);
    EXPECT_EQ(time->xAxis->label(), ""); // three dates: date labels, no title

    // A typed scale applies at the next entry only.
    control<QComboBox>("cboScale")->setEditText("40");
    EXPECT_DOUBLE_EQ(time->yAxis->range().upper, 22);
    tabs()->setCurrentIndex(2);
    tabs()->setCurrentIndex(3);
    EXPECT_DOUBLE_EQ(time->yAxis->range().upper, 40);
    EXPECT_EQ(control<QComboBox>("cboScale")->parentWidget(), tabs()->widget(3));

    // With the head at the toe the head comes first and the nodes in order.
    tabs()->setCurrentIndex(0);
    control<QRadioButton>("Option2")->setChecked(true);
    tabs()->setCurrentIndex(3);
    EXPECT_EQ(activeTitles(time).mid(1, 2),
              QStringList({"1:Head", "2:" + control<QLineEdit>("txtRelSGanchor1")->text() + " m"}));
    EXPECT_EQ(stored(1, "Disp1, Reference"), "0.50 0.00");
}

// Both graphs of a sensor from its database and its number alone, as a command
// draws them into pictures, are what the window draws.
TEST_P(GraphWindowTest, GraphsDrawnWithoutTheWindowAreTheWindows) {
    {
        // Head at the toe; seventeen readings for both graphs, moving apart.
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        for (int k = 0; k < 17; ++k)
            addReadings(db, Sensor, 1, day(k));
        execute(db,
                QStringLiteral("UPDATE `%1` SET PlotSpatial = 1, Channel1 = Channel1 + "
                               "0.37 * _rowid_, Channel3 = Channel3 - 0.021 * _rowid_ * _rowid_")
                    .arg(Sensor));
        execute(db, QStringLiteral("UPDATE Sensors SET Recess = 0.25, LengthofCable = 12.5, "
                                   "HeadLocation = 0, NodeLocation1 = 3.5, NodeLocation2 = 6.25, "
                                   "NodeLocation3 = 11"));
        state->releaseDatabase();
    }
    std::unique_ptr<graphs::Chart> time(graphs::makeTimeChart());
    std::unique_ptr<graphs::Chart> length(graphs::makeLengthChart());
    {
        auto db = openAgain();
        const graphs::GraphSetup setup = graphs::graphSetup(*db, Sensor);
        graphs::drawTimeGraph(*time, setup,
                              graphs::prepareTimeGraph(*db, Sensor, setup.head, setup.numNodes),
                              texts::AutoScale);
        const graphs::LengthDrawing drawn = graphs::drawLengthGraph(
            *length, setup, graphs::prepareLengthGraph(*db, Sensor, setup.head, setup.numNodes),
            texts::AutoScale);
        EXPECT_TRUE(drawn.tooMany);
    }
    for (auto [chart, name] : {std::pair{time.get(), "time.jpg"}, {length.get(), "length.jpg"}}) {
        const QString picture = documents.filePath(name);
        ASSERT_TRUE(chart->exportJpeg(picture));
        EXPECT_TRUE(fileBytes(picture).startsWith("\xFF\xD8\xFF"));
    }

    ASSERT_TRUE(startWindow());
    EXPECT_EQ(control<QComboBox>("cboScale")->currentText(), texts::AutoScale);
    tabs()->setCurrentIndex(3);
    expectSameDrawing(*time, *chart("ChartT"));
    // Head at the toe: the head, then the nodes as the installation tab shows them.
    QStringList nodes{"0:Temp (C)", "1:Head"};
    for (int k = 1; k <= 3; ++k)
        nodes << QStringLiteral("%1:%2 m").arg(k + 1).arg(
            control<QLineEdit>(QStringLiteral("txtRelSGanchor%1").arg(k))->text());
    EXPECT_EQ(activeTitles(time.get()), nodes);
    EXPECT_EQ(nodes[2], "2:9.25 m");
    tabs()->setCurrentIndex(4);
    expectSameDrawing(*length, *chart("ChartS"));
    EXPECT_TRUE(control<QLabel>("lblW15")->isVisible());
    // At the toe the head is the deepest point, at txtHead.
    EXPECT_EQ((length->graph(1)->data()->constEnd() - 1)->key,
              control<QLineEdit>("txtHead")->text().toDouble());
}

TEST_P(GraphWindowTest, ReadingsOfOneDayAreLabelledByTheHour) {
    store::Database& db = openNewDatabase();
    addSensor(db, Sensor);
    addReadings(db, Sensor, 5, start);
    state->releaseDatabase();
    ASSERT_TRUE(startWindow());
    tabs()->setCurrentIndex(3);
    EXPECT_EQ(chart("ChartT")->xAxis->label(), "2026/03/01");
}

TEST_P(GraphWindowTest, SixteenProfilesDrawTheLastFifteenWithTheWarning) {
    std::vector<int> all(16);
    std::iota(all.begin(), all.end(), 0);
    startWith(16, all);
    tabs()->setCurrentIndex(4);
    graphs::Chart* length = chart("ChartS");
    EXPECT_TRUE(control<QLabel>("lblW15")->isVisible());
    const QStringList titles = activeTitles(length);
    ASSERT_EQ(titles.size(), 15);
    EXPECT_EQ(titles.first(), "1:2026/03/02"); // the first reading is left out
    EXPECT_EQ(titles.last(), "15:2026/03/16");
}

TEST_P(GraphPictureTest, LegendCheckBoxesHideAndShowASeries) {
    startWith(3);
    tabs()->setCurrentIndex(3);
    graphs::Chart* time = chart("ChartT");
    time->replot();
    QCPAbstractLegendItem* entry = time->legend->itemWithPlottable(time->graph(2));
    ASSERT_NE(entry, nullptr);
    const QPoint at = entry->outerRect().center();
    QTest::mouseClick(time, Qt::LeftButton, {}, at);
    EXPECT_FALSE(time->graph(2)->visible());
    EXPECT_TRUE(time->isActive(2)); // still listed, unticked
    QTest::mouseClick(time, Qt::LeftButton, {}, at);
    EXPECT_TRUE(time->graph(2)->visible());

    // A rectangle dragged left to right zooms in; right to left goes back.
    const QCPRange keys = time->xAxis->range(), values = time->yAxis->range();
    const QRect area = time->axisRect()->rect();
    const QPoint from = area.center() - QPoint(area.width() / 4, area.height() / 4);
    const QPoint to = area.center() + QPoint(area.width() / 4, area.height() / 4);
    QTest::mousePress(time, Qt::LeftButton, {}, from);
    QTest::mouseRelease(time, Qt::LeftButton, {}, to);
    EXPECT_LT(time->xAxis->range().size(), keys.size() * 0.6);
    EXPECT_LT(time->yAxis->range().size(), values.size() * 0.6);
    QTest::mousePress(time, Qt::LeftButton, {}, to);
    QTest::mouseRelease(time, Qt::LeftButton, {}, from);
    EXPECT_EQ(time->xAxis->range(), keys);
    EXPECT_EQ(time->yAxis->range(), values);
    // Dragging over the left axis scrolls it.
    const QPoint onAxis(area.left() - 5, area.center().y());
    QTest::mousePress(time, Qt::LeftButton, {}, onAxis);
    QTest::mouseMove(time, onAxis + QPoint(0, 40));
    QTest::mouseRelease(time, Qt::LeftButton, {}, onAxis + QPoint(0, 40));
    EXPECT_GT(time->yAxis->range().lower, values.lower);
    EXPECT_NEAR(time->yAxis->range().size(), values.size(), 1e-9);

    // A click on a point describes it under the chart.
    const QCPGraphData last = *(time->graph(0)->data()->end() - 1);
    QTest::mouseClick(time, Qt::LeftButton, {},
                      QPoint(int(time->xAxis->coordToPixel(last.key)),
                             int(time->yAxis->coordToPixel(last.value))));
    EXPECT_EQ(time->annotation(),
              QString::fromUtf8("Temp (C):  2026/03/03 08:00:00,  20.00 \u00B0C"));
    // Drawn again (another visit, a report), the graph describes nothing.
    tabs()->setCurrentIndex(2);
    tabs()->setCurrentIndex(3);
    EXPECT_EQ(time->annotation(), "");
}

TEST_P(GraphPictureTest, TipsAndPictureExport) {
    startWith(3, {0, 2});
    tabs()->setCurrentIndex(3);
    click("cmdTHelp");
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].title, "Graphing Tips and Hints");
    EXPECT_EQ(prompter.prompts[0].text.count("\r\n"), 3);
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::None);

    const QString picture = dataFile("Temporal.jpg");
    click("cmdTemp");
    click("cmdTemp"); // the same file, replaced
    EXPECT_EQ(desktop.opened, QStringList({picture, picture}));
    const QByteArray jpeg = fileBytes(picture);
    EXPECT_GT(jpeg.size(), 1000);
    EXPECT_TRUE(jpeg.startsWith("\xFF\xD8\xFF"));
    tabs()->setCurrentIndex(4);
    click("cmdDvl");
    EXPECT_TRUE(fileBytes(dataFile("DvL.jpg")).startsWith("\xFF\xD8\xFF"));
    // Nothing but the pictures is left behind.
    EXPECT_EQ(QDir(dataFolder).entryList({"*.jpg*"}, QDir::Files),
              QStringList({"DvL.jpg", "Temporal.jpg", "vnlogo.jpg"}));

    // A picture that cannot be written, and one no program opens, are said.
    QFile::remove(picture);
    QDir().mkpath(picture);
    tabs()->setCurrentIndex(3);
    click("cmdTemp");
    EXPECT_EQ(prompter.prompts.back().text, texts::pictureNotSaved(picture));
    EXPECT_EQ(desktop.opened.size(), 3);
    desktop.result = false;
    click("cmdDvl");
    EXPECT_EQ(prompter.prompts.back().text, texts::pictureNotOpened(dataFile("DvL.jpg")));
}

// The tick puts the temperature on a right-hand axis of its own and leaves
// the left one to the displacements; it is kept in the database.
TEST_P(GraphWindowTest, TemperatureOnItsOwnAxisIsATickThatIsKept) {
    startWith(3);
    auto* tick = control<QCheckBox>("chkTempAxis");
    EXPECT_EQ(tick->text(), "Temperature on its own axis");
    tabs()->setCurrentIndex(3);
    graphs::Chart* time = chart("ChartT");
    EXPECT_FALSE(tick->isChecked());
    EXPECT_FALSE(time->yAxis2->visible());
    EXPECT_GE(time->yAxis->range().upper, 20); // the temperature of 20 shares the axis

    tick->setChecked(true);
    EXPECT_TRUE(time->isOnRightAxis(0));
    EXPECT_TRUE(time->yAxis2->visible());
    EXPECT_EQ(time->yAxis2->label(), texts::TemperatureAxisTitle);
    EXPECT_LT(time->yAxis->range().upper, 1); // displacements of 0: the smallest scale
    EXPECT_TRUE(time->yAxis2->range().contains(20));
    EXPECT_TRUE(graphs::temperatureOwnAxis(*openAgain()));

    // Another start reads it back; unticked, the one shared axis returns.
    closeWindow();
    ASSERT_TRUE(startWindow());
    tabs()->setCurrentIndex(3);
    tick = control<QCheckBox>("chkTempAxis");
    EXPECT_TRUE(tick->isChecked());
    EXPECT_TRUE(chart("ChartT")->isOnRightAxis(0));
    tick->setChecked(false);
    EXPECT_FALSE(chart("ChartT")->isOnRightAxis(0));
    EXPECT_FALSE(chart("ChartT")->yAxis2->visible());
    EXPECT_GE(chart("ChartT")->yAxis->range().upper, 20);
}

// The picture is the graph alone: a clicked point's caption stays on screen
// but not in the picture, which is drawn at print resolution.
TEST_P(GraphPictureTest, TheExportedPictureIsTheGraphAlone) {
    startWith(3);
    tabs()->setCurrentIndex(3);
    graphs::Chart* time = chart("ChartT");
    const QString before = documents.filePath("before.jpg"),
                  after = documents.filePath("after.jpg");
    ASSERT_TRUE(time->exportJpeg(before));
    time->replot();
    QCPGraph* line = time->graph(1);
    const QCPGraphData last = *(line->data()->end() - 1);
    const QPoint at(int(line->keyAxis()->coordToPixel(last.key)),
                    int(line->valueAxis()->coordToPixel(last.value)));
    QTest::mouseClick(time, Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_FALSE(time->annotation().isEmpty());
    ASSERT_TRUE(time->exportJpeg(after));
    EXPECT_EQ(QImage(after), QImage(before));
    EXPECT_EQ(QImage(after).width(), graphs::Chart::PrintWidth);
    EXPECT_FALSE(time->annotation().isEmpty());
}

// Suspect readings are drawn with hollow markers on every series that reads
// them, invalid ones not at all; a click on a hollow point says so.
TEST_P(GraphWindowTest, SuspectReadingsAreMarkedHollowAndInvalidOnesLeftOut) {
    {
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        for (int k = 0; k < 6; ++k)
            addReadings(db, Sensor, 1, day(k));
        execute(db, QStringLiteral("UPDATE `%1` SET PlotSpatial = 1").arg(Sensor));
        const auto key = [&](int k) { return readingKey(Sensor, day(k)); };
        readings::setQuality(db, Sensor, {key(2), key(4)}, readings::Quality::Suspect, "spike");
        readings::setQuality(db, Sensor, {key(3)}, readings::Quality::Invalid, "logger fault");
        state->releaseDatabase();
    }
    ASSERT_TRUE(startWindow());
    const auto seconds = [&](int k) {
        return double(QDateTime(day(k).date(), day(k).time(), Qt::UTC).toSecsSinceEpoch());
    };
    tabs()->setCurrentIndex(3);
    graphs::Chart* time = chart("ChartT");
    time->replot();
    const std::vector<double> suspect{seconds(2), seconds(4)};
    int series = 0;
    for (int i = 0; i < time->seriesCount(); ++i) {
        if (!time->isActive(i)) {
            EXPECT_TRUE(time->hollowKeys(i).empty()) << i;
            continue;
        }
        ++series;
        EXPECT_EQ(time->graph(i)->dataCount(), 5) << i; // the invalid reading left out
        EXPECT_EQ(time->hollowKeys(i), suspect) << i;
    }
    EXPECT_EQ(series, 5); // the temperature, the head and three anchors

    // The exported picture draws them too, and hides no more than the screen.
    ASSERT_TRUE(time->exportJpeg(documents.filePath("time.jpg")));
    EXPECT_EQ(time->hollowKeys(1), suspect);
    // A series hidden by its legend box marks nothing.
    time->graph(1)->setVisible(false);
    time->replot();
    EXPECT_TRUE(time->hollowKeys(1).empty());
    time->graph(1)->setVisible(true);
    time->replot();

    const QCPGraphData flagged = *time->graph(0)->data()->at(3);
    ASSERT_EQ(flagged.key, seconds(4));
    QTest::mouseClick(time, Qt::LeftButton, {},
                      QPoint(int(time->xAxis->coordToPixel(flagged.key)),
                             int(time->yAxis->coordToPixel(flagged.value))));
    EXPECT_TRUE(time->annotation().endsWith(texts::SuspectPointNote))
        << time->annotation().toStdString();
    const QCPGraphData plain = *time->graph(0)->data()->at(0);
    QTest::mouseClick(time, Qt::LeftButton, {},
                      QPoint(int(time->xAxis->coordToPixel(plain.key)),
                             int(time->yAxis->coordToPixel(plain.value))));
    EXPECT_FALSE(time->annotation().contains(texts::SuspectPointNote))
        << time->annotation().toStdString();

    // The length graph: the suspect profile hollow throughout, the invalid one gone.
    tabs()->setCurrentIndex(4);
    graphs::Chart* length = chart("ChartS");
    length->replot();
    EXPECT_EQ(activeTitles(length), QStringList({"1:2026/03/01", "2:2026/03/02", "3:2026/03/03",
                                                 "4:2026/03/05", "5:2026/03/06"}));
    for (int i = 1; i <= 5; ++i) {
        const bool hollow = i == 3 || i == 4;
        EXPECT_EQ(length->hollowKeys(i).size(), hollow ? size_t(length->graph(i)->dataCount()) : 0u)
            << i;
    }
    EXPECT_EQ(length->graph(3)->dataCount(), 4); // the head and three anchors
}

// The same readings on a file and on a server draw the same graphs: titles,
// axes, every point of every series and the suspect markers.
class GraphAsOnFileTest : public GraphWindowTest {
protected:
    QStringList drawingOn(Engine on) {
        engine = on;
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        for (int k = 0; k < 17; ++k)
            addReading(db, Sensor, day(k).addSecs(37 * k * k),
                       {10 + 0.37 * k, 12 - 0.013 * k * k, 15 + (k % 3) * 0.21});
        execute(db, QStringLiteral("UPDATE `%1` SET PlotSpatial = 0 WHERE FullDate < '2026-03-04'")
                        .arg(Sensor));
        execute(db,
                QStringLiteral("UPDATE Sensors SET Recess = 0.25, LengthofCable = 12.5, "
                               "NodeLocation1 = 3.5, NodeLocation2 = 6.25, NodeLocation3 = 11"));
        const auto key = [&](int k) { return readingKey(Sensor, day(k).addSecs(37 * k * k)); };
        readings::setQuality(db, Sensor, {key(5), key(9)}, readings::Quality::Suspect, "spike");
        readings::setQuality(db, Sensor, {key(7)}, readings::Quality::Invalid, "logger fault");
        state->releaseDatabase();
        EXPECT_TRUE(startWindow());
        QStringList drawn;
        for (const int tab : {3, 4}) {
            tabs()->setCurrentIndex(tab);
            EXPECT_EQ(tabs()->currentIndex(), tab);
            graphs::Chart* c = chart(tab == 3 ? "ChartT" : "ChartS");
            c->replot();
            drawn << c->titleText() << c->xAxis->label() << c->yAxis->label();
            for (const QCPRange& r : {c->xAxis->range(), c->yAxis->range()})
                drawn << QStringLiteral("%1 %2").arg(r.lower, 0, 'g', 17).arg(r.upper, 0, 'g', 17);
            for (int i = 0; i < c->seriesCount(); ++i) {
                if (!c->isActive(i)) continue;
                drawn << QStringLiteral("%1:%2").arg(i).arg(c->graph(i)->name())
                      << pointsOf(c->graph(i));
                for (const double hollow : c->hollowKeys(i))
                    drawn << QStringLiteral("hollow %1").arg(hollow, 0, 'g', 17);
            }
        }
        closeWindow();
        return drawn;
    }
};

TEST_P(GraphAsOnFileTest, TheServersGraphsAreTheFiles) {
    const QStringList onFile = drawingOn(Engine::File);
    leaveTheFile();
    const QStringList onServer = drawingOn(Engine::Server);
    EXPECT_EQ(onServer, onFile);
    EXPECT_TRUE(prompter.prompts.empty()) << promptTexts().join('|').toStdString();
    EXPECT_GT(onFile.filter("hollow").size(), 4); // the markers were there to compare
    // Five series over time; a profile for each of the fourteen spatial readings but the invalid
    // one.
    EXPECT_EQ(onFile.filter(QRegularExpression("^[0-9]+:")).size(), 5 + 13);
}

TOLVANE_ON_BOTH_ENGINES(GraphWindowTest);
TOLVANE_ON_FILE_ONLY(GraphPictureTest);
INSTANTIATE_TEST_SUITE_P(Server, GraphAsOnFileTest, ::testing::Values(Engine::Server), engineName);

// Markers only where a point stands apart from both neighbours along the
// key axis, however far the values scatter.
TEST(GraphMarkers, OnlyWherePointsStandApart) {
    const QVector<QPointF> dense{{0, 0}, {1, 50}, {2, 0}, {3, 50}};
    EXPECT_TRUE(graphs::markersApart(dense, true, 6).isEmpty());
    const QVector<QPointF> mixed{{0, 0}, {10, 0}, {12, 0}, {30, 0}, {40, 5}};
    EXPECT_EQ(graphs::markersApart(mixed, true, 6), QVector<QPointF>({{0, 0}, {30, 0}, {40, 5}}));
    EXPECT_EQ(graphs::markersApart({{0, 0}, {1, 10}}, false, 6),
              QVector<QPointF>({{0, 0}, {1, 10}}));
}

} // namespace
