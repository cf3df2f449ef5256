// Pictures of the two graph tabs on realistic data, for looking at the graphs
// without a display: a six-anchor extensometer with a year of hourly readings
// (monthly readings ticked for the length graph), drawn with the head at the
// collar and at the toe, and a second one read hourly over a single day, each
// with a few suspect and invalid readings. A
// point of the time graph is clicked, so that its annotation shows too, and
// the sensor's report is written and copied beside the pictures. Last, trigger
// levels are set and both graphs pictured with their lines.
// Usage: tolvane_graph_screenshots DOCUMENTS_FOLDER OUTPUT_FOLDER
#include "ToolDoubles.h"
#include "app/Environment.h"
#include "app/SystemServices.h"
#include "app/Texts.h"
#include "app/ui/MainWindow.h"
#include "graphs/ui/Chart.h"
#include "levels/TriggerLevels.h"
#include "outputs/ReportDocument.h"
#include "readings/Quality.h"
#include "store/Database.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <utility>

namespace {

using tools::NoDesktop;
using tools::PrintingPrompter;

// Readings of a hangingwall extensometer: the rock near the opening creeps
// towards it, fast at first and then slower, with a step after a blast; the
// deepest anchor hardly moves. The temperature follows the seasons.
void addReadings(store::Database& db, const QString& number, const QDateTime& start, int hours,
                 int spatialEvery) {
    const double base[6] = {10.0, 12.0, 15.0, 18.2, 20.4, 25.1};
    const double creep[6] = {6.8, 5.1, 3.6, 2.2, 0.9, 0.0};
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 0.03);
    db.transaction([&] {
        store::Statement add = db.prepare(
            QStringLiteral("INSERT INTO %1 (DateTimeKey, ReadingDate, ReadingTime, ChannelT, "
                           "Channel1, Channel2, Channel3, Channel4, Channel5, Channel6, FullDate, "
                           "IsDirty, Plottemporal, PlotSpatial) VALUES (?1, ?2, ?3, ?4, ?5, ?6, "
                           "?7, ?8, ?9, ?10, ?11, 1, 1, ?12)")
                .arg(store::quoteName(number)));
        for (int k = 0; k < hours; ++k) {
            const QDateTime when = start.addSecs(3600LL * k);
            const double days = k / 24.0;
            const double grown = 1 - std::exp(-days / 90.0) + (days > 200 ? 0.25 : 0.0);
            add.bind(1, number + when.toString(QStringLiteral(" yyyy/MM/dd HH:mm:ss")));
            add.bind(2, when.toString(QStringLiteral("yyyy/MM/dd")));
            add.bind(3, when.toString(QStringLiteral("HH:mm:ss")));
            add.bind(
                4, std::round((19.5 + 2.5 * std::sin(2 * std::numbers::pi * days / 365.25)) * 10) /
                       10);
            for (int n = 0; n < 6; ++n)
                add.bind(5 + n,
                         std::round((base[n] - creep[n] * grown + noise(random)) * 100) / 100);
            add.bind(11, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            add.bind(12, qint64(spatialEvery > 0 && k % spatialEvery == 0));
            add.run();
        }
    });
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tolvane_graph_screenshots DOCUMENTS_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QDir().mkpath(args[2]);
    const QDir out(args[2]);
    PrintingPrompter prompter;
    NoDesktop desktop;
    app::SystemClock clock;
    app::MainWindow window({args[1], &prompter, &desktop, &clock});
    if (!window.startUp()) return 1;
    window.show();
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    auto* sensors = window.findChild<QComboBox*>(QStringLiteral("cboSensors"));
    const auto addSensor = [&](const QString& number) {
        tabs->setCurrentIndex(0);
        tools::addSampleSensor(window, prompter, number);
    };
    const QString year = QStringLiteral("202571001");
    const QString day = QStringLiteral("202571002");
    addSensor(year);
    addSensor(day);
    const QString dataFolder = args[1] + QStringLiteral("/Vornhald/Tolvane");
    {
        auto db =
            store::Database::open(dataFolder + QLatin1Char('/') + app::texts::DefaultDatabaseName);
        const QDateTime start(QDate(2025, 12, 1), QTime(0, 0), Qt::UTC);
        addReadings(*db, year, start, 24 * 365, 24 * 28);
        addReadings(*db, day, start, 13, 3);
        // A few doubtful readings: suspect ones show hollow, invalid ones not at all.
        const auto key = [&](const QString& number, int hour) {
            return number + start.addSecs(3600LL * hour).toString(" yyyy/MM/dd HH:mm:ss");
        };
        readings::setQuality(*db, year,
                             {key(year, 24 * 40), key(year, 24 * 150), key(year, 24 * 28 * 11)},
                             readings::Quality::Suspect, QStringLiteral("spike"));
        readings::setQuality(*db, year, {key(year, 24 * 28 * 9)}, readings::Quality::Invalid,
                             QStringLiteral("logger fault"));
        readings::setQuality(*db, day, {key(day, 4), key(day, 9)}, readings::Quality::Suspect,
                             QStringLiteral("spike"));
        readings::setQuality(*db, day, {key(day, 6)}, readings::Quality::Invalid,
                             QStringLiteral("logger fault"));
    }

    int failed = 0;
    const auto fail = [&](const QString& why) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        ++failed;
    };
    const auto picture = [&](const QString& name) {
        QApplication::processEvents();
        const QString file = out.filePath(name);
        if (window.grab().save(file))
            std::printf("%s\n", qPrintable(file));
        else
            fail(QStringLiteral("could not save ") + file);
    };
    // A graph tab that refuses leaves another tab shown: no picture then,
    // rather than that tab under the graph's name.
    const auto graphPicture = [&](int tab, const QString& name) {
        tabs->setCurrentIndex(tab);
        if (tabs->currentIndex() == tab)
            picture(name);
        else
            fail(QStringLiteral("tab %1 refused to open: no %2").arg(tabs->tabText(tab), name));
    };
    const auto choose = [&](const QString& number, bool collar) {
        tabs->setCurrentIndex(0);
        sensors->setCurrentIndex(sensors->findText(number));
        emit sensors->activated(sensors->currentIndex());
        window
            .findChild<QRadioButton*>(collar ? QStringLiteral("Option1")
                                             : QStringLiteral("Option2"))
            ->setChecked(true);
    };
    for (const bool collar : {true, false}) {
        const QString head = collar ? QStringLiteral("collar") : QStringLiteral("toe");
        choose(year, collar);
        graphPicture(3, QStringLiteral("time-%1.png").arg(head));
        graphPicture(4, QStringLiteral("length-%1.png").arg(head));
    }
    choose(day, true);
    graphPicture(3, QStringLiteral("time-one-day.png"));
    graphPicture(4, QStringLiteral("length-one-day.png"));

    // A click on the last point of the deepest node's line.
    choose(year, true);
    tabs->setCurrentIndex(3);
    auto* chart = window.findChild<graphs::Chart*>(QStringLiteral("ChartT"));
    QApplication::processEvents();
    chart->replot();
    QCPGraph* line = chart->graph(1);
    if (line->dataCount() > 0) {
        const QCPGraphData last = *(line->data()->end() - 1);
        const QPointF at(line->keyAxis()->coordToPixel(last.key),
                         line->valueAxis()->coordToPixel(last.value));
        QMouseEvent press(QEvent::MouseButtonPress, at, chart->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, chart->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(chart, &press);
        QApplication::sendEvent(chart, &release);
    }
    picture(QStringLiteral("time-clicked.png"));
    // The exported picture, read back as any viewer would.
    window.findChild<QPushButton*>(QStringLiteral("cmdTemp"))->click();
    QImage(dataFolder + QStringLiteral("/Temporal.jpg"))
        .save(out.filePath(QStringLiteral("exported-Temporal.png")));
    // The temperature against an axis of its own, then back on the shared one.
    auto* ownAxis = window.findChild<QCheckBox*>(QStringLiteral("chkTempAxis"));
    ownAxis->setChecked(true);
    picture(QStringLiteral("time-temperature-axis.png"));
    ownAxis->setChecked(false);
    // Trigger levels set: their lines on both graphs (and in the report).
    {
        auto db =
            store::Database::open(dataFolder + QLatin1Char('/') + app::texts::DefaultDatabaseName);
        const std::vector<levels::TriggerLevel> site = levels::siteLevels(*db);
        levels::SensorTriggers t;
        t.displacement[0] = levels::parseThresholds(QStringLiteral("Alert=4,Alarm=8,Action=12"),
                                                    site, QStringLiteral("levels"));
        t.displacement[1] = levels::parseThresholds(QStringLiteral("Alert=5,Alarm=9"), site,
                                                    QStringLiteral("levels"));
        levels::setSensorTriggers(*db, year, t);
    }
    choose(year, true);
    graphPicture(3, QStringLiteral("time-levels.png"));
    graphPicture(4, QStringLiteral("length-levels.png"));
    // The report of the year-long sensor, both graphs ticked, copied out of
    // the data folder: the documents folder may be a temporary one.
    const QString report = outputs::reportPath(dataFolder, year);
    QFile::remove(report);
    tabs->setCurrentIndex(2);
    QTimer::singleShot(0, [] {
        if (auto* options = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            options->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    window.findChild<QToolButton*>(QStringLiteral("imgReport"))->click();
    const QString kept = out.filePath(QFileInfo(report).fileName());
    QFile::remove(kept);
    if (QFile::copy(report, kept))
        std::printf("%s\n", qPrintable(kept));
    else
        fail(QStringLiteral("no report to keep: ") + report);
    window.close();
    window.shutDown();
    return failed == 0 ? 0 : 1;
}
