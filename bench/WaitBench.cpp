// What a user waits for on a ten-year sensor (87,600 hourly readings): the
// first time graph, a change of sensor and the report, each against the
// engine and QCustomPlot doing the same work directly.
#include "Bare.h"
#include "DataSet.h"
#include "Windows.h"

#include "graphs/ui/Chart.h"
#include "readings/Quality.h"
#include "readings/ZeroHistory.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPageSize>
#include <QPdfWriter>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

using bench::RunningWindow;

constexpr int ReadingsTab = 2, TimeTab = 3, LengthTab = 4;

QString lastOf(int readings) {
    return QStringLiteral("%1 of %1").arg(readings);
}

// A window on a fresh copy of two ten-year sensors (or dataSet), the readings
// of the site's own ten-year sensor shown.
std::unique_ptr<RunningWindow> onReadings(app::Prompter* answers = nullptr,
                                          const QString& dataSet = {}) {
    auto w = std::make_unique<RunningWindow>(dataSet.isEmpty() ? bench::tenYearDataSet(2) : dataSet,
                                             nullptr, answers);
    auto* list = w->control<QComboBox>("cboSensors");
    const int first = list->findText(bench::tenYearSensor(0));
    list->setCurrentIndex(first);
    emit list->activated(first);
    w->control<QTabWidget>("SSTab1")->setCurrentIndex(ReadingsTab);
    w->painted();
    return w;
}

constexpr int SuspectReadings = 200, InvalidReadings = 200;

// The ten-year data set as ten years of a site leave it: suspect and invalid
// readings spread over the years, and three stored zero readings, the second
// carrying the record over a replaced anchor. Made once a run.
QString flaggedTenYearDataSet() {
    static QTemporaryDir folder;
    static QString made;
    if (!made.isEmpty()) return made;
    const QString path = folder.filePath(QStringLiteral("ten_years_flagged.mdb"));
    if (!QFile::copy(bench::tenYearDataSet(2), path)) qFatal("the data set was not copied");
    try {
        auto db = store::Database::open(path);
        const QString sensor = bench::tenYearSensor(0);
        const int step = bench::TenYears / (SuspectReadings + InvalidReadings);
        QStringList suspect, invalid;
        QSet<int> left;
        for (int i = 0; i < SuspectReadings + InvalidReadings; ++i) {
            const int k = step / 2 + i * step;
            (i % 2 ? invalid : suspect) << bench::generatedReadingKey(sensor, k);
            if (i % 2) left.insert(k);
        }
        readings::setQuality(*db, sensor, suspect, readings::Quality::Suspect,
                             QStringLiteral("spike"));
        readings::setQuality(*db, sensor, invalid, readings::Quality::Invalid,
                             QStringLiteral("logger fault"));
        for (const int years : {2, 5, 8}) {
            int k = years * 8766; // hours
            while (left.contains(k))
                ++k;
            readings::setZero(
                *db, sensor,
                bench::generatedReadingTime(k).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                QStringLiteral("anchors checked"), years == 5);
        }
    } catch (const store::Error& e) {
        qFatal("%s", qPrintable(e.description()));
    }
    return made = path;
}

void BM_FirstTimeGraph(benchmark::State& st) {
    // Invalid readings are not drawn.
    const int readings = int(st.range(0)) - InvalidReadings;
    const QString dataSet = flaggedTenYearDataSet();
    for (auto _ : st) {
        st.PauseTiming();
        const auto w = onReadings(nullptr, dataSet);
        st.ResumeTiming();
        w->control<QTabWidget>("SSTab1")->setCurrentIndex(TimeTab);
        w->painted();
        st.PauseTiming();
        if (w->control<graphs::Chart>("ChartT")->graph(0)->dataCount() != readings ||
            w->prompter.shown != 0) {
            st.SkipWithError("the graph was not drawn");
            break;
        }
        st.ResumeTiming();
    }
}
BENCHMARK(BM_FirstTimeGraph)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

// The points and ranges of a chart as the program drew them.
struct Picture {
    std::vector<QVector<QCPGraphData>> series;
    QCPRange keys, values;

    explicit Picture(QCustomPlot& chart)
        : keys(chart.xAxis->range()), values(chart.yAxis->range()) {
        for (int i = 0; i < chart.graphCount(); ++i) {
            QVector<QCPGraphData>& points = series.emplace_back();
            for (const QCPGraphData& p : *chart.graph(i)->data())
                points.append(p);
        }
    }
    void draw(QCustomPlot& chart) const {
        for (size_t i = 0; i < series.size(); ++i)
            chart.graph(int(i))->data()->set(series[i], true);
        chart.xAxis->setRange(keys);
        chart.yAxis->setRange(values);
        chart.replot(QCustomPlot::rpImmediateRefresh);
    }
};

// The graph's own work on the engine: its selected rows read in order, and
// one transaction giving every one of them its derived columns.
void deriveColumns(sqlite3* db, const QString& table, const char* flag) {
    const QByteArray quoted = ('`' + table + '`').toUtf8();
    QByteArray select = "SELECT _rowid_, ChannelT";
    for (int i = 1; i <= 8; ++i)
        select += ", Channel" + QByteArray::number(i);
    select += " FROM " + quoted + " WHERE " + flag + " = 1 ORDER BY FullDate";
    QByteArray update = "UPDATE " + quoted + " SET NumTemp = ?1, Reference = ?2";
    for (int i = 1; i <= 8; ++i)
        update += ", zero" + QByteArray::number(i) + " = ?" + QByteArray::number(2 + i) + ", Disp" +
                  QByteArray::number(i) + " = ?" + QByteArray::number(10 + i);
    update += " WHERE _rowid_ = ?19";
    struct Row {
        std::int64_t rowid;
        std::array<double, 9> values;
    };
    std::vector<Row> rows;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, select.constData(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        Row& r = rows.emplace_back();
        r.rowid = sqlite3_column_int64(st, 0);
        for (int c = 0; c < 9; ++c)
            r.values[size_t(c)] = sqlite3_column_double(st, c + 1);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, update.constData(), -1, &st, nullptr);
    for (const Row& r : rows) {
        const Row& zero = rows.front();
        sqlite3_bind_double(st, 1, r.values[0]);
        sqlite3_bind_double(st, 2, r.values[8] - zero.values[8]);
        for (int i = 1; i <= 8; ++i) {
            const double moved = r.values[size_t(i)] - zero.values[size_t(i)];
            sqlite3_bind_double(st, 2 + i, moved);
            sqlite3_bind_double(st, 10 + i, r.values[8] - zero.values[8] - moved);
        }
        sqlite3_bind_int64(st, 19, r.rowid);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// The program's pictures, taken once, and fresh copies of the data to
// derive the columns in.
struct GraphLimit {
    std::unique_ptr<RunningWindow> w = onReadings();
    graphs::Chart* timeChart = w->control<graphs::Chart>("ChartT");
    graphs::Chart* lengthChart = w->control<graphs::Chart>("ChartS");
    std::unique_ptr<Picture> time, length;
    GraphLimit() {
        auto* tabs = w->control<QTabWidget>("SSTab1");
        tabs->setCurrentIndex(TimeTab);
        w->painted();
        time = std::make_unique<Picture>(*timeChart);
        tabs->setCurrentIndex(LengthTab);
        w->painted();
        length = std::make_unique<Picture>(*lengthChart);
        tabs->setCurrentIndex(TimeTab);
        w->painted();
    }
};

// The same on a server through libpq alone: the rows read in one round trip,
// and every one of them written by one statement of arrays.
void deriveColumns(PGconn* db, const QString& table, const char* flag) {
    const QByteArray quoted = '"' + table.toUtf8() + '"';
    QByteArray select = "SELECT \"_rowid_\", \"ChannelT\"";
    for (int i = 1; i <= 8; ++i)
        select += ", \"Channel" + QByteArray::number(i) + '"';
    select += " FROM " + quoted + " WHERE \"" + flag + "\" = 1 ORDER BY \"FullDate\" NULLS FIRST";
    PGresult* r = PQexec(db, select.constData());
    const int rows = PQntuples(r);
    // NumTemp, Reference, zero1..8 and Disp1..8, then the rowids.
    std::array<QByteArray, 19> arrays;
    for (QByteArray& a : arrays)
        a = "{";
    const auto value = [&](int row, int column) {
        return PQgetisnull(r, row, column) ? 0.0 : std::strtod(PQgetvalue(r, row, column), nullptr);
    };
    for (int row = 0; row < rows; ++row) {
        const char* comma = row ? "," : "";
        const double reference = value(row, 9) - value(0, 9);
        arrays[0] += comma + bench::pgNumber(value(row, 1));
        arrays[1] += comma + bench::pgNumber(reference);
        for (int i = 1; i <= 8; ++i) {
            const double moved = value(row, 1 + i) - value(0, 1 + i);
            arrays[size_t(1 + i)] += comma + bench::pgNumber(moved);
            arrays[size_t(9 + i)] += comma + bench::pgNumber(reference - moved);
        }
        arrays[18] += comma + QByteArray(PQgetvalue(r, row, 0));
    }
    PQclear(r);
    QByteArray update = "UPDATE " + quoted + " AS t SET \"NumTemp\" = u.c1, \"Reference\" = u.c2";
    QByteArray names = "c1, c2";
    for (int i = 1; i <= 8; ++i) {
        update += ", \"zero" + QByteArray::number(i) + "\" = u.c" + QByteArray::number(2 + i) +
                  ", \"Disp" + QByteArray::number(i) + "\" = u.c" + QByteArray::number(10 + i);
        names += ", c" + QByteArray::number(2 + i) + ", c" + QByteArray::number(10 + i);
    }
    update += " FROM unnest(";
    for (int i = 1; i <= 18; ++i)
        update += "$" + QByteArray::number(i) + "::float8[], ";
    update += "$19::int8[]) AS u(" + names + ", id) WHERE t.\"_rowid_\" = u.id";
    std::array<const char*, 19> values{};
    for (size_t i = 0; i < arrays.size(); ++i) {
        arrays[i] += '}';
        values[i] = arrays[i].constData();
    }
    PQclear(PQexec(db, "BEGIN"));
    r = PQexecParams(db, update.constData(), 19, nullptr, values.data(), nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_COMMAND_OK || std::atoi(PQcmdTuples(r)) != rows)
        qFatal("the derived columns were not written: %s", PQresultErrorMessage(r));
    PQclear(r);
    PQclear(PQexec(db, "COMMIT"));
}

// A fresh copy of the two ten-year sensors, opened by the engine's own calls.
struct FreshCopy {
    bench::Documents copy{bench::tenYearDataSet(2)};
    sqlite3* db = nullptr;
    std::unique_ptr<bench::PgConnection> server;
    FreshCopy() {
        if (bench::onServer()) {
            server = std::make_unique<bench::PgConnection>(copy.database);
            if (!server->ok()) qFatal("%s", server->error());
            return;
        }
        sqlite3_open_v2(QFile::encodeName(copy.database).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr);
    }
    ~FreshCopy() { sqlite3_close(db); }
    void derive(const QString& table, const char* flag) const {
        if (server)
            deriveColumns(server->get(), table, flag);
        else
            deriveColumns(db, table, flag);
    }
    int keyset(const QString& table, bool last) const {
        return server ? bench::bareKeyset(server->get(), table, last)
                      : bench::bareKeyset(db, table, last);
    }
};

// Runs work on a fresh copy every iteration; making and removing it is not timed.
template <class Work> void onFreshCopies(benchmark::State& st, Work work) {
    for (auto _ : st) {
        st.PauseTiming();
        auto fresh = std::make_unique<FreshCopy>();
        st.ResumeTiming();
        work(*fresh);
        st.PauseTiming();
        fresh.reset();
        st.ResumeTiming();
    }
}

void BM_FirstTimeGraphLimit(benchmark::State& st) {
    GraphLimit limit;
    if (limit.time->series[0].size() != st.range(0)) st.SkipWithError("no picture to draw");
    onFreshCopies(st, [&](const FreshCopy& data) {
        data.derive(bench::tenYearSensor(0), "Plottemporal");
        limit.time->draw(*limit.timeChart);
    });
}
BENCHMARK(BM_FirstTimeGraphLimit)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

// From the choice in the list to the Readings tab drawn at the other
// sensor's last reading.
void BM_SwitchSensor(benchmark::State& st) {
    const int readings = int(st.range(0));
    RunningWindow w(bench::tenYearDataSet(2));
    auto* tabs = w.control<QTabWidget>("SSTab1");
    auto* list = w.control<QComboBox>("cboSensors");
    auto* counter = w.control<QLineEdit>("txtRcount");
    auto* number = w.control<QLineEdit>("txtReadingID");
    if (!w.ok || list->count() != 2) st.SkipWithError("start-up failed");
    int sensor = 0;
    for (auto _ : st) {
        st.PauseTiming();
        tabs->setCurrentIndex(0);
        w.painted();
        sensor = 1 - sensor;
        st.ResumeTiming();
        list->setCurrentIndex(sensor);
        emit list->activated(sensor);
        tabs->setCurrentIndex(ReadingsTab);
        w.painted();
        st.PauseTiming();
        if (counter->text() != lastOf(readings) ||
            !number->text().startsWith(list->itemText(sensor))) {
            st.SkipWithError("not at the other sensor's last reading");
            break;
        }
        st.ResumeTiming();
    }
    if (w.prompter.shown != 0) st.SkipWithError("a message was shown");
}
BENCHMARK(BM_SwitchSensor)->Arg(bench::TenYears)->Unit(benchmark::kMicrosecond);

// The keyset of the other sensor and its last row.
void BM_SwitchSensorLimit(benchmark::State& st) {
    const int readings = int(st.range(0));
    FreshCopy data;
    int sensor = 0;
    for (auto _ : st) {
        sensor = 1 - sensor;
        if (data.keyset(bench::tenYearSensor(sensor), true) != readings)
            st.SkipWithError("rows missing");
    }
}
BENCHMARK(BM_SwitchSensorLimit)->Arg(bench::TenYears)->Unit(benchmark::kMicrosecond);

// The report command with both graphs, on a fresh copy: the graphs are
// prepared, drawn and pictured (or drawn into the PDF), and the document written.
void report(benchmark::State& st, const char* format, const QString& ending) {
    for (auto _ : st) {
        st.PauseTiming();
        const auto w = onReadings();
        const QString report =
            w->documents.dataFolder + QStringLiteral("/Report ") + bench::tenYearSensor(0) + ending;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialog->findChild<QRadioButton*>(QString::fromLatin1(format))->setChecked(true);
            dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        });
        st.ResumeTiming();
        w->control<QToolButton>("imgReport")->click();
        w->painted();
        st.PauseTiming();
        if (!QFile::exists(report) || w->prompter.shown != 0) {
            const std::string why =
                "no report written: " +
                QDir(w->documents.dataFolder).entryList().join(' ').toStdString() + ", " +
                std::to_string(w->prompter.shown) + " prompts";
            st.SkipWithError(why.c_str());
            break;
        }
        st.ResumeTiming();
    }
}

void BM_Report(benchmark::State& st) {
    report(st, "optDocx", QStringLiteral(".docx"));
}
BENCHMARK(BM_Report)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

void BM_ReportPdf(benchmark::State& st) {
    report(st, "optPdf", QStringLiteral(".pdf"));
}
BENCHMARK(BM_ReportPdf)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

// At print resolution, as the report's pictures.
void savePicture(QCustomPlot& chart, const QString& path) {
    const double scale = double(graphs::Chart::PrintWidth) / chart.width();
    if (!chart.toPixmap(chart.width(), chart.height(), scale).save(path, "JPG", 92))
        qFatal("cannot save %s", qPrintable(path));
}

// Both graphs' limits, and their pictures written.
void BM_ReportLimit(benchmark::State& st) {
    GraphLimit limit;
    QTemporaryDir pictures;
    if (limit.time->series[0].size() != st.range(0)) st.SkipWithError("no picture to draw");
    onFreshCopies(st, [&](const FreshCopy& data) {
        data.derive(bench::tenYearSensor(0), "Plottemporal");
        limit.time->draw(*limit.timeChart);
        savePicture(*limit.timeChart, pictures.filePath(QStringLiteral("time.jpg")));
        data.derive(bench::tenYearSensor(0), "PlotSpatial");
        limit.length->draw(*limit.lengthChart);
        savePicture(*limit.lengthChart, pictures.filePath(QStringLiteral("length.jpg")));
    });
}
BENCHMARK(BM_ReportLimit)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

// Both graphs' limits, drawn as vectors onto A4 pages as wide as the text.
void BM_ReportPdfLimit(benchmark::State& st) {
    GraphLimit limit;
    QTemporaryDir pages;
    if (limit.time->series[0].size() != st.range(0)) st.SkipWithError("no picture to draw");
    onFreshCopies(st, [&](const FreshCopy& data) {
        QPdfWriter writer(pages.filePath(QStringLiteral("report.pdf")));
        writer.setResolution(1440);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QCPPainter painter(&writer);
        const auto page = [&](QCustomPlot& chart) {
            painter.save();
            painter.setMode(QCPPainter::pmVectorized);
            painter.setMode(QCPPainter::pmNoCaching);
            painter.translate(1440, 2400);
            const double scale = (11906.0 - 2 * 1440) / chart.width();
            painter.scale(scale, scale);
            chart.toPainter(&painter, chart.width(), chart.height());
            painter.restore();
        };
        data.derive(bench::tenYearSensor(0), "Plottemporal");
        limit.time->draw(*limit.timeChart);
        page(*limit.timeChart);
        writer.newPage();
        data.derive(bench::tenYearSensor(0), "PlotSpatial");
        limit.length->draw(*limit.lengthChart);
        page(*limit.lengthChart);
        painter.end();
    });
}
BENCHMARK(BM_ReportPdfLimit)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

} // namespace
