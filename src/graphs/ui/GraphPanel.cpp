#include "graphs/ui/GraphPanel.h"

#include "app/TextFormat.h"
#include "graphs/GraphData.h"
#include "graphs/GraphSettings.h"
#include "graphs/Texts.h"
#include "graphs/ui/Chart.h"
#include "graphs/ui/GraphDrawing.h"
#include "graphs/ui/WindowGraphData.h"
#include "readings/ReadingStore.h"
#include "sensors/SensorRecord.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <optional>

namespace graphs {

using app::ignoreFailure;

namespace {

constexpr int TimeTab = 3;
constexpr int LengthTab = 4;
constexpr int ReadingsTab = 2;

QString dateTimeText(double key) {
    return QDateTime::fromSecsSinceEpoch(qint64(key), Qt::UTC)
        .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

} // namespace

GraphPanel::GraphPanel(app::AppState& state, const GraphControls& ui,
                       sensors::CurrentSensorOf current, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), current_(std::move(current)) {
    connect(ui_.cmdTemp, &QPushButton::clicked, this,
            [this] { exportPicture(*ui_.ChartT, texts::TimePicture); });
    connect(ui_.cmdDvl, &QPushButton::clicked, this,
            [this] { exportPicture(*ui_.ChartS, texts::LengthPicture); });
    connect(ui_.cmdTHelp, &QPushButton::clicked, this, &GraphPanel::showTips);
    connect(ui_.chkTempAxis, &QCheckBox::toggled, this, &GraphPanel::temperatureAxisToggled);
    ui_.SSTab1->tabBar()->setMouseTracking(true);
    ui_.SSTab1->tabBar()->installEventFilter(this);

    ui_.ChartT->setDescriber([this](int series, double x, double y) {
        const QString unit = series == 0 ? QStringLiteral(" \u00B0C") : QStringLiteral(" mm");
        return QStringLiteral("%1:  %2,  %3%4")
            .arg(ui_.ChartT->graph(series)->name(), dateTimeText(x), QString::number(y, 'f', 2),
                 unit);
    });
    ui_.ChartS->setDescriber([this](int series, double x, double y) {
        const QString when = series >= 0 && size_t(series) < profileTimes_.size()
                                 ? profileTimes_[size_t(series)]
                                 : ui_.ChartS->graph(series)->name();
        return QStringLiteral("Reading of %1:  %2 m from the roof,  %3 mm")
            .arg(when, QString::number(x, 'f', 2), QString::number(y, 'f', 2));
    });
}

// Leaving the pointer over the tabs of a graph lets go of the readings: the
// Readings tab opens them again.
bool GraphPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.SSTab1->tabBar() &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
        const int tab = ui_.SSTab1->currentIndex();
        if ((tab == TimeTab || tab == LengthTab) && state_.rsSensorData &&
            state_.rsSensorData->isOpen())
            ignoreFailure([&] { state_.rsSensorData->Close(); });
    }
    return QObject::eventFilter(watched, event);
}

GraphSetup GraphPanel::setup() const {
    // The register row the installation tab shows, with its node count.
    const sensors::CurrentSensor sensor = current_();
    return graphSetup(sensor.number, sensors::readSensorRecord(state_.sensorRegister()),
                      sensor.nodes);
}

readings::HeadLocation GraphPanel::head() const {
    readings::HeadLocation head = readings::HeadLocation::Collar;
    ignoreFailure([&] { head = setup().head; });
    return head;
}

void GraphPanel::enterTimeGraph(int previousTab) {
    showScaleOn(TimeTab);
    // The tick as stored: another database, or the tool, may have changed it.
    ignoreFailure([&] {
        const bool on = temperatureOwnAxis(state_.database());
        const QSignalBlocker quiet(ui_.chkTempAxis);
        ui_.chkTempAxis->setChecked(on);
    });
    enterGraph(GraphKind::Time, previousTab);
}

void GraphPanel::enterLengthGraph(int previousTab) {
    showScaleOn(LengthTab);
    enterGraph(GraphKind::Length, previousTab);
}

void GraphPanel::showScaleOn(int tab) {
    ignoreFailure([&] {
        QWidget* page = ui_.SSTab1->widget(tab);
        for (QWidget* w :
             {static_cast<QWidget*>(ui_.lblscale), static_cast<QWidget*>(ui_.cboScale)}) {
            if (w->parentWidget() == page) continue;
            const QPoint at = w->pos();
            w->setParent(page);
            w->move(at);
            w->show();
        }
    });
}

void GraphPanel::enterGraph(GraphKind kind, int previousTab) {
    Chart* chart = kind == GraphKind::Time ? ui_.ChartT : ui_.ChartS;
    ignoreFailure([&] {
        chart->setFocus();
        chart->hide();
    });
    std::optional<sensors::CurrentSensor> sensor;
    app::logAndLeave(state_.log, texts::OpenGraphDataLabel, [&] { sensor = current_(); });
    int selected = 0;
    if (sensor) ignoreFailure([&] { selected = selectedReadings(state_, sensor->number, kind); });
    if (selected >= 2) {
        TimePoints points;
        LengthProfiles profiles;
        ignoreFailure([&] {
            if (kind == GraphKind::Time)
                points = GetTemporalData(state_, *sensor, head());
            else
                profiles = GetSpatialData(state_, *sensor, head());
        });
        ignoreFailure([&] { chart->show(); });
        if (kind == GraphKind::Time)
            DrawTgraph(&points);
        else
            DrawSgraph(&profiles);
        return;
    }
    // Going back runs that tab's own entry; should it refuse as well, the
    // Readings tab is the way out.
    const bool nested = refusing_;
    refusing_ = true;
    ignoreFailure([&] { ui_.SSTab1->setCurrentIndex(nested ? ReadingsTab : previousTab); });
    refusing_ = nested;
    const QString hint = kind == GraphKind::Time ? texts::TooFewTemporal : texts::TooFewSpatial;
    state_.env.prompter->ask({texts::TooFewReadings + hint, texts::Title, app::Icon::Information});
}

void GraphPanel::DrawTgraph(const TimePoints* points) {
    Chart& chart = *ui_.ChartT;
    std::optional<GraphSetup> drawn;
    ignoreFailure([&] { drawn = setup(); });
    if (!drawn) return;
    // Without points prepared for this head and node count, the rows as they stand.
    TimePoints stored;
    if (!points || !points->prepared || !points->holds(drawn->head, drawn->numNodes)) {
        app::logAndLeave(state_.log, texts::OpenGraphDataLabel, [&] {
            stored = storedTimePoints(state_.database(), drawn->sensorNumber, drawn->head,
                                      drawn->numNodes);
        });
        points = &stored;
    }
    // A file without trigger levels, or one that cannot be read, draws none.
    GraphLevels levels;
    ignoreFailure([&] { levels = graphLevels(state_.database(), drawn->sensorNumber); });
    ignoreFailure([&] {
        drawTimeGraph(chart, *drawn, *points, ui_.cboScale->currentText(),
                      TimeGraphLook{ui_.chkTempAxis->isChecked()}, levels);
    });
    ignoreFailure([&] { chart.replot(QCustomPlot::rpImmediateRefresh); });
}

// The tick applies at once and is kept for the next time; a database that
// cannot store it (opened read-only) keeps it for this time only.
void GraphPanel::temperatureAxisToggled(bool on) {
    app::logAndLeave(state_.log, texts::TemperatureAxisLabel,
                     [&] { setTemperatureOwnAxis(state_.database(), on); });
    if (ui_.SSTab1->currentIndex() == TimeTab) DrawTgraph();
}

void GraphPanel::DrawSgraph(const LengthProfiles* profiles) {
    Chart& chart = *ui_.ChartS;
    app::logAndLeave(state_.log, texts::DrawSgraphLabel, [&] {
        const GraphSetup drawn = setup();
        LengthProfiles stored;
        if (!profiles || !profiles->prepared) {
            if (!app::logAndLeave(state_.log, texts::OpenGraphDataLabel, [&] {
                    stored = storedProfiles(state_.database(), drawn.sensorNumber, drawn.numNodes);
                }))
                return;
            profiles = &stored;
        }
        GraphLevels levels;
        ignoreFailure([&] { levels = graphLevels(state_.database(), drawn.sensorNumber); });
        const LengthDrawing result =
            drawLengthGraph(chart, drawn, *profiles, ui_.cboScale->currentText(), levels);
        ui_.lblW15->setVisible(result.tooMany);
        profileTimes_ = result.profileTimes;
    });
    ignoreFailure([&] { chart.replot(); });
}

void GraphPanel::exportPicture(Chart& chart, const QString& fileName) {
    app::Prompter& prompter = *state_.env.prompter;
    const QString path = state_.DataFolder + QLatin1Char('/') + fileName;
    if (!chart.exportJpeg(path)) {
        prompter.ask({texts::pictureNotSaved(path), texts::Title, app::Icon::Warning});
        return;
    }
    if (!state_.env.desktop->open(path))
        prompter.ask({texts::pictureNotOpened(path), texts::Title, app::Icon::Information});
}

void GraphPanel::showTips() {
    state_.env.prompter->ask({texts::Tips, texts::TipsTitle});
}

} // namespace graphs
