#include "graphs/ui/GraphPanel.h"

#include "app/TextFormat.h"
#include "graphs/GraphData.h"
#include "graphs/Texts.h"
#include "graphs/ui/Chart.h"
#include "readings/ReadingStore.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

namespace graphs {

using app::ignoreFailure;
using Axis = Chart::Axis;

namespace {

constexpr int TimeTab = 3;
constexpr int LengthTab = 4;
constexpr int ReadingsTab = 2;

QString dateTimeText(double key) {
    return QDateTime::fromSecsSinceEpoch(qint64(key), Qt::UTC)
        .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

} // namespace

GraphPanel::GraphPanel(app::AppState& state, const app::MainControls& ui, QObject* parent)
    : QObject(parent), state_(state), ui_(ui) {
    connect(ui_.cmdTemp, &QPushButton::clicked, this,
            [this] { exportPicture(*ui_.ChartT, texts::TimePicture); });
    connect(ui_.cmdDvl, &QPushButton::clicked, this,
            [this] { exportPicture(*ui_.ChartS, texts::LengthPicture); });
    connect(ui_.cmdTHelp, &QPushButton::clicked, this, &GraphPanel::showTips);
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

readings::HeadLocation GraphPanel::head() const {
    return ui_.Option1->isChecked() ? readings::HeadLocation::Collar : readings::HeadLocation::Toe;
}

QString GraphPanel::sensorNumber() const {
    return readings::currentSensorNumber(state_);
}

void GraphPanel::enterTimeGraph(int previousTab) {
    showScaleOn(TimeTab);
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
    int selected = 0;
    ignoreFailure([&] { selected = selectedReadings(state_, kind); });
    if (selected >= 2) {
        TimePoints points;
        ignoreFailure([&] {
            if (kind == GraphKind::Time)
                points = GetTemporalData(state_, head());
            else
                GetSpatialData(state_, head());
        });
        ignoreFailure([&] { chart->show(); });
        if (kind == GraphKind::Time)
            DrawTgraph(&points);
        else
            DrawSgraph();
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
    const int n = std::clamp(state_.NumNodes, 0, 8);
    ignoreFailure([&] {
        state_.NodeLabels.clear();
        for (int i = 1; i <= n; ++i)
            state_.NodeLabels << ui_.txtRelSGanchor[size_t(i)]->text() + texts::NodeLabelUnit;
    });
    const std::vector<SeriesBinding> series = timeSeries(head(), n, state_.NodeLabels);
    // Points prepared for another head or node count are not these.
    if (points && !points->prepared) points = nullptr;
    for (const SeriesBinding& s : series)
        if (points && !points->column(s.column)) points = nullptr;
    ignoreFailure([&] {
        chart.clearTitle();
        chart.addTitleLine(sensorNumber());
    });
    ignoreFailure([&] { chart.setAxisTitle(Axis::Bottom, QString()); });
    ignoreFailure([&] {
        for (int i = 0; i < chart.seriesCount(); ++i) {
            chart.clearSeries(i);
            chart.setActive(i, false);
        }
        // The graph is drawn once, at the end.
        chart.restoreHome();
    });
    ignoreFailure([&] { chart.setAxisTitle(Axis::Left, texts::LeftAxisTitle); });

    QString firstDate, lastDate;
    store::RowSet* rs = nullptr;
    if (points) {
        // Prepared in memory just now: nothing to read again.
        state_.rsGraphData.reset();
        firstDate = points->firstDate;
        lastDate = points->lastDate;
    } else {
        OpenGraphData(state_, GraphKind::Time);
        rs = state_.rsGraphData.get();
        ignoreFailure([&] {
            rs->MoveLast();
            lastDate = readings::shownValue(rs->value(QStringLiteral("ReadingDate")));
            rs->MoveFirst();
            firstDate = readings::shownValue(rs->value(QStringLiteral("ReadingDate")));
        });
    }
    const int span = spanDays(firstDate, lastDate);
    ignoreFailure([&] { chart.setAutomatic(Axis::Left, true); });
    ignoreFailure([&] {
        for (const SeriesBinding& s : series) {
            if (points)
                chart.setPoints(s.index, points->keys, *points->column(s.column));
            else
                chart.bind(s.index, rs, QStringLiteral("fulldate"), s.column);
            chart.setSeriesTitle(s.index, s.title);
            chart.setActive(s.index, true);
        }
    });
    ignoreFailure([&] {
        if (rs) rs->MoveLast();
        chart.setAutomatic(Axis::Left, false);
    });
    ignoreFailure([&] {
        const AxisScale s = leftScale(GraphKind::Time, ui_.cboScale->currentText(),
                                      chart.leftMinimum(), chart.leftMaximum());
        chart.setMinimum(Axis::Left, s.minimum);
        chart.setIncrement(Axis::Left, s.increment);
        chart.setMaximum(Axis::Left, s.maximum);
    });
    ignoreFailure([&] {
        switch (timeAxisFor(span)) {
        case TimeAxis::Hours:
        case TimeAxis::CoarseHours:
            chart.setIncrement(Axis::Bottom,
                               Chart::dateTimeStep(timeAxisFor(span) == TimeAxis::Hours ? 11 : 12));
            chart.setDateTimeFormat(QStringLiteral("hh:nn"));
            chart.setAxisTitle(Axis::Bottom, firstDate);
            break;
        case TimeAxis::Dates:
            chart.setIncrement(Axis::Bottom, 0);
            chart.setDateTimeFormat(QStringLiteral("yyyy/mm/dd"));
            chart.setAutomaticMinimum(Axis::Bottom);
            break;
        }
    });
    ignoreFailure([&] { chart.replot(QCustomPlot::rpImmediateRefresh); });
}

void GraphPanel::DrawSgraph() {
    Chart& chart = *ui_.ChartS;
    app::logAndLeave(state_.log, texts::DrawSgraphLabel, [&] {
        chart.clearTitle();
        chart.addTitleLine(sensorNumber());
        chart.setAxisTitle(Axis::Left, texts::LeftAxisTitle);
        OpenGraphData(state_, GraphKind::Length);
        store::RowSet& rs = *state_.rsGraphData;
        if (rs.RecordCount() > 0) rs.MoveFirst();
        for (int i = 0; i < chart.seriesCount(); ++i) {
            chart.clearSeries(i);
            chart.setActive(i, false);
        }
        // The graph is drawn once, at the end.
        chart.restoreHome();
        chart.setMinimum(Axis::Bottom, 0);

        const ProfileWindow window = profileWindow(rs.RecordCount());
        ui_.lblW15->setVisible(window.tooMany);
        if (window.tooMany) rs.setAbsolutePosition(window.first + 1);

        ProfileLayout layout;
        layout.head = head();
        layout.numNodes = state_.NumNodes;
        layout.recess = ui_.txtRecess->text();
        layout.headLocation = ui_.txtHead->text();
        for (size_t k = 1; k <= 8; ++k)
            layout.anchors[k] = ui_.txtRelSGanchor[k]->text();
        profileTimes_.assign(size_t(chart.seriesCount()), QString());
        auto value = [&](const QString& column) -> std::optional<double> {
            const QVariant v = rs.value(column);
            if (v.isNull()) return std::nullopt;
            return app::toNumber(readings::shownValue(v));
        };
        for (int i = 1; i <= window.count; ++i) {
            chart.setActive(i, true);
            const QString date = readings::shownValue(rs.value(QStringLiteral("ReadingDate")));
            const std::optional<QDate> d = app::toDate(date);
            chart.setSeriesTitle(i, d ? d->toString(QStringLiteral("yyyy/MM/dd")) : date);
            profileTimes_[size_t(i)] = QStringLiteral("%1 %2").arg(
                chart.graph(i)->name(),
                readings::shownValue(rs.value(QStringLiteral("ReadingTime"))));
            for (const QPointF& p : profilePoints(layout, value))
                chart.addPoint(i, p.x(), p.y());
            chart.setMinimum(Axis::Bottom, 0);
            chart.setMaximum(Axis::Bottom, lengthAxisMaximum(chart.seriesMaximumX(i)));
            rs.MoveNext();
        }
        if (rs.RecordCount() > 0) rs.MoveLast();
        const AxisScale s = leftScale(GraphKind::Length, ui_.cboScale->currentText(),
                                      chart.leftMinimum(), chart.leftMaximum());
        chart.setMinimum(Axis::Left, s.minimum);
        chart.setIncrement(Axis::Left, s.increment);
        chart.setMaximum(Axis::Left, s.maximum);
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
