// The graphs on a sensor with eight anchors and 100,000 selected readings:
// preparing the derived columns against one bare UPDATE of the same columns,
// drawing the time graph against QCustomPlot given the same points, and the
// tab change into the time graph as a user makes it.
#include "Bare.h"
#include "DataSet.h"
#include "Engine.h"
#include "Windows.h"

#include "app/ui/MainControls.h"
#include "graphs/GraphData.h"
#include "graphs/ui/Chart.h"
#include "graphs/ui/GraphPanel.h"
#include "graphs/ui/WindowGraphData.h"
#include "store/RowSet.h"

#include <benchmark/benchmark.h>

#include <QTabWidget>
#include <QTemporaryDir>

#include <limits>
#include <map>

namespace {

constexpr int EightAnchors = 7; // the generator's eighth type code, 91

// A copy of a one-sensor data set whose sensor has eight anchors.
QString eightAnchorDataSet(int readings) {
    static QTemporaryDir folder;
    static std::map<int, QString> made;
    if (auto it = made.find(readings); it != made.end()) return it->second;
    const QString path = folder.filePath(QStringLiteral("graphs_%1.mdb").arg(readings));
    bench::makeDataSet(path, {1, readings, 20261207, EightAnchors});
    return made[readings] = path;
}

// The application state on that data set, its sensor current.
struct GraphState {
    bench::Documents documents;
    bench::QuietPrompter prompter;
    bench::NoDesktop desktop;
    app::SystemClock clock;
    app::AppState state{app::Environment{documents.folder.path(), &prompter, &desktop, &clock}};

    explicit GraphState(int readings) : documents(eightAnchorDataSet(readings)) {
        state.setDataFolder(documents.folder.filePath(QStringLiteral("Vornhald")),
                            documents.dataFolder);
        state.cnDatabase = bench::openDatabase(documents.database);
        // The register at the sensor: the graphs read its record.
        state.rsSensors = std::make_unique<store::RowSet>(*state.cnDatabase,
                                                          QStringLiteral("SELECT * FROM Sensors"));
        state.rsSensors->MoveFirst();
    }
    const sensors::CurrentSensor sensor{bench::sensorNumber(EightAnchors), QStringLiteral("91"), 8,
                                        true};
    QString table() const { return store::quoteName(bench::sensorNumber(EightAnchors)); }
};

void BM_PrepareTimeGraph(benchmark::State& st) {
    GraphState g(int(st.range(0)));
    // The head moved from one end to the other each time: every row changes.
    bool collar = true;
    for (auto _ : st) {
        collar = !collar;
        graphs::GetTemporalData(g.state, g.sensor,
                                collar ? readings::HeadLocation::Collar
                                       : readings::HeadLocation::Toe);
    }
}
BENCHMARK(BM_PrepareTimeGraph)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same through libpq alone, in the server's own SQL.
void bareUpdateOnServer(benchmark::State& st, const GraphState& g) {
    QString zeros, disps;
    for (int i = 1; i <= 10; ++i)
        zeros += QStringLiteral("\"zero%1\" = $1 * coalesce(\"Channel%1\" - %2, 0), ")
                     .arg(i)
                     .arg(10.0 + 5 * i);
    for (int i = 1; i <= 8; ++i)
        disps += QStringLiteral("\"Disp%1\" = $1 * (coalesce(\"Channel8\", 0) - "
                                "coalesce(\"Channel%1\", 0)), ")
                     .arg(i);
    const QByteArray sql = QStringLiteral("UPDATE \"%1\" SET %2 \"NumTemp\" = \"ChannelT\", %3 "
                                          "\"Reference\" = $1 * coalesce(\"Channel8\", 0) WHERE "
                                          "\"Plottemporal\" = 1")
                               .arg(bench::sensorNumber(EightAnchors), zeros, disps)
                               .toUtf8();
    const bench::PgConnection conn(g.documents.database);
    if (!conn.ok()) {
        st.SkipWithError(conn.error());
        return;
    }
    double sign = 1;
    for (auto _ : st) {
        sign = -sign;
        const bool begun = conn.run("BEGIN") == 0;
        const long long rows = conn.run(sql, {bench::pgNumber(sign)});
        if (!begun || conn.run("COMMIT") != 0 || rows != st.range(0)) {
            st.SkipWithError(rows < 0 ? conn.error() : "not every row written");
            break;
        }
    }
}

// The same columns of the same rows written by the engine alone, each row
// given the other of two values every time, as the head's move does.
void BM_BareUpdate(benchmark::State& st) {
    GraphState g(int(st.range(0)));
    if (bench::onServer()) {
        bareUpdateOnServer(st, g);
        return;
    }
    QString zeros, disps;
    for (int i = 1; i <= 10; ++i)
        zeros +=
            QStringLiteral("zero%1 = ?1 * ifnull(Channel%1 - %2, 0), ").arg(i).arg(10.0 + 5 * i);
    for (int i = 1; i <= 8; ++i)
        disps +=
            QStringLiteral("Disp%1 = ?1 * (ifnull(Channel8, 0) - ifnull(Channel%1, 0)), ").arg(i);
    const QString sql = QStringLiteral("UPDATE %1 SET %2 NumTemp = ChannelT, %3 Reference = "
                                       "?1 * ifnull(Channel8, 0) WHERE Plottemporal = True")
                            .arg(g.table(), zeros, disps);
    store::Database& db = *g.state.cnDatabase;
    store::Statement update = db.prepare(sql);
    double sign = 1;
    for (auto _ : st) {
        sign = -sign;
        db.transaction([&] {
            update.bind(1, sign);
            update.run();
        });
        if (db.changes() != st.range(0)) st.SkipWithError("not every row written");
    }
}
BENCHMARK(BM_BareUpdate)->Arg(100000)->Unit(benchmark::kMillisecond);

// The main window's controls on a shown tab control, the time graph's tab up.
struct GraphTab {
    QTabWidget tabs;
    app::MainControls ui = app::buildMainControls(&tabs);
    GraphTab() {
        tabs.resize(1100, 720);
        tabs.show();
        tabs.setCurrentIndex(3);
        QCoreApplication::processEvents();
    }
};

void BM_DrawTimeGraph(benchmark::State& st) {
    GraphState g(int(st.range(0)));
    GraphTab tab;
    graphs::GraphPanel panel(g.state, tab.ui.graphUi, [&g] { return g.sensor; });
    const graphs::TimePoints points =
        graphs::GetTemporalData(g.state, g.sensor, readings::HeadLocation::Collar);
    for (auto _ : st) {
        panel.DrawTgraph(&points);
    }
    if (tab.ui.graphUi.ChartT->graph(9)->dataCount() != st.range(0)) st.SkipWithError("not drawn");
}
BENCHMARK(BM_DrawTimeGraph)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same picture from points already in memory: the chart set up once by
// DrawTgraph (axes, tickers, ranges, series styles), then given the points a
// bare query read and drawn. With a width, the picture is drawn at that width
// (the chart's proportions) and written as a JPEG, as an export is.
void bareReplot(benchmark::State& st, int width) {
    GraphState g(int(st.range(0)));
    GraphTab tab;
    graphs::GraphPanel panel(g.state, tab.ui.graphUi, [&g] { return g.sensor; });
    graphs::GetTemporalData(g.state, g.sensor, readings::HeadLocation::Collar);
    panel.DrawTgraph();
    graphs::Chart& chart = *tab.ui.graphUi.ChartT;
    const QImage drawn = chart.toPixmap().toImage();
    const QCPRange keys = chart.xAxis->range(), values = chart.yAxis->range();

    const std::vector<graphs::SeriesBinding> bindings =
        graphs::timeSeries(readings::HeadLocation::Collar, 8, {});
    std::vector<QVector<QCPGraphData>> series(bindings.size());
    {
        QStringList columns;
        for (const graphs::SeriesBinding& b : bindings)
            columns << b.column;
        store::Statement rows = g.state.cnDatabase->prepare(
            QStringLiteral(
                "SELECT FullDate, %1 FROM %2 WHERE Plottemporal = True ORDER BY FullDate")
                .arg(columns.join(QLatin1Char(',')), g.table()));
        const double gap = std::numeric_limits<double>::quiet_NaN();
        while (rows.step()) {
            const double key = *graphs::dateTimeKey(rows.utf8(0));
            for (size_t s = 0; s < bindings.size(); ++s)
                series[s].append(QCPGraphData(key, rows.number(int(s) + 1).value_or(gap)));
        }
    }
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("bare.jpg"));
    auto draw = [&] {
        for (size_t s = 0; s < bindings.size(); ++s)
            chart.graph(bindings[s].index)->data()->set(series[s], true);
        chart.xAxis->setRange(keys);
        chart.yAxis->setRange(values);
        if (width == 0) {
            chart.replot(QCustomPlot::rpImmediateRefresh);
            return;
        }
        const QPixmap pixmap =
            chart.toPixmap(chart.width(), chart.height(), double(width) / chart.width());
        if (!pixmap.save(picture, "JPG", 92)) st.SkipWithError("no picture written");
    };
    if (chart.graph(9)->dataCount() != st.range(0)) st.SkipWithError("not drawn");
    for (const graphs::SeriesBinding& b : bindings)
        chart.graph(b.index)->data()->clear();
    draw();
    if (chart.toPixmap().toImage() != drawn) st.SkipWithError("not the same picture");
    for (auto _ : st)
        draw();
}

void BM_BareReplot(benchmark::State& st) {
    bareReplot(st, 0);
}
BENCHMARK(BM_BareReplot)->Arg(100000)->Unit(benchmark::kMillisecond);

// The time graph of the ten-year sensor as the picture export writes it: at
// print resolution, the graph alone, into a JPEG file.
void BM_ExportPicture(benchmark::State& st) {
    GraphState g(int(st.range(0)));
    GraphTab tab;
    graphs::GraphPanel panel(g.state, tab.ui.graphUi, [&g] { return g.sensor; });
    const graphs::TimePoints points =
        graphs::GetTemporalData(g.state, g.sensor, readings::HeadLocation::Collar);
    panel.DrawTgraph(&points);
    graphs::Chart& chart = *tab.ui.graphUi.ChartT;
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("Temporal.jpg"));
    if (chart.graph(9)->dataCount() != st.range(0)) st.SkipWithError("not drawn");
    for (auto _ : st)
        if (!chart.exportJpeg(picture)) st.SkipWithError("no picture written");
    if (QImage(picture).width() != graphs::Chart::PrintWidth) st.SkipWithError("not at print size");
}
BENCHMARK(BM_ExportPicture)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

// The same picture at the same size from bare points: BM_BareReplot/print.
const auto* const BarePrintReplot =
    benchmark::RegisterBenchmark("BM_BareReplot/print", [](benchmark::State& st) {
        bareReplot(st, graphs::Chart::PrintWidth);
    }) -> Arg(bench::TenYears) -> Unit(benchmark::kMillisecond);

// Readings tab to time graph in the running window: the readings stored, the
// selection counted, prepared and drawn.
void BM_EnterTimeGraph(benchmark::State& st) {
    bench::Documents documents(eightAnchorDataSet(int(st.range(0))));
    bench::QuietPrompter prompter;
    bench::NoDesktop desktop;
    app::SystemClock clock;
    app::MainWindow window({documents.folder.path(), &prompter, &desktop, &clock});
    if (!window.startUp()) st.SkipWithError("start-up failed");
    window.show();
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    for (auto _ : st) {
        st.PauseTiming();
        tabs->setCurrentIndex(2);
        st.ResumeTiming();
        tabs->setCurrentIndex(3);
        QCoreApplication::processEvents();
    }
    if (prompter.shown != 0 || tabs->currentIndex() != 3) st.SkipWithError("refused");
    window.close();
    window.shutDown();
}
BENCHMARK(BM_EnterTimeGraph)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
