// Trigger levels: every sensor's status of the site computed from nothing
// against one bare query per sensor; an import of a day of readings with the
// board brought up to date against the same import without levels; and the
// Status tab opened in the window against filling a table of the same rows.
#include "Bare.h"
#include "DataSet.h"
#include "Engine.h"
#include "Windows.h"

#include "levels/SensorStatus.h"
#include "levels/StatusModel.h"
#include "operations/Operations.h"
#include "store/Database.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>

#include <cmath>
#include <memory>

#include <unistd.h>

namespace {

constexpr int SiteAll = bench::SiteSensors + 1;

void BM_SiteStatus(benchmark::State& st) {
    auto db = bench::openDataSet(bench::siteWithLevels(), true);
    for (auto _ : st) {
        const std::vector<levels::SensorStatus> all = levels::siteStatus(*db);
        if (all.size() != size_t(SiteAll) || all.front().noReadings)
            st.SkipWithError("not every sensor's status");
    }
}
BENCHMARK(BM_SiteStatus)->Unit(benchmark::kMillisecond);

// The same on a server through libpq alone.
void siteStatusBare(benchmark::State& st, PGconn* db) {
    const QByteArray columns = "\"ChannelT\", \"Channel1\", \"Channel2\", \"Channel3\", "
                               "\"Channel4\", \"Channel5\", \"Channel6\", \"Channel7\", "
                               "\"Channel8\", \"Channel9\", \"Channel10\", \"FullDate\"";
    for (auto _ : st) {
        PGresult* list =
            PQexec(db, "SELECT \"InstrumentID\" FROM \"Sensors\" ORDER BY \"InstrumentID\"");
        std::vector<QByteArray> numbers;
        for (int i = 0; i < PQntuples(list); ++i)
            numbers.emplace_back(PQgetvalue(list, i, 0));
        PQclear(list);
        int found = 0;
        double sum = 0;
        for (const QByteArray& number : numbers) {
            const QByteArray t = '"' + number + '"';
            const QByteArray sql =
                "(SELECT " + columns + " FROM " + t +
                " ORDER BY \"FullDate\" DESC NULLS LAST LIMIT 1) UNION ALL (SELECT " + columns + " FROM " + t +
                " WHERE \"FullDate\" <= to_char((SELECT max(\"FullDate\") FROM " + t +
                ")::timestamp - interval '24 hours', 'YYYY-MM-DD HH24:MI:SS') ORDER BY "
                "\"FullDate\" DESC NULLS LAST LIMIT 1)";
            PGresult* q = PQexec(db, sql.constData());
            if (PQresultStatus(q) != PGRES_TUPLES_OK) {
                st.SkipWithError(PQresultErrorMessage(q));
                PQclear(q);
                return;
            }
            for (int r = 0; r < PQntuples(q); ++r) {
                ++found;
                for (int c = 0; c < 11; ++c)
                    if (!PQgetisnull(q, r, c)) sum += std::strtod(PQgetvalue(q, r, c), nullptr);
            }
            PQclear(q);
        }
        benchmark::DoNotOptimize(sum);
        if (found != 2 * SiteAll) st.SkipWithError("not two readings of every sensor");
    }
}

// One query per sensor: its latest reading and the one a day before it.
void BM_SiteStatusBare(benchmark::State& st) {
    if (bench::onServer()) {
        PGconn* conn =
            PQconnectdb(bench::serverDataSet(bench::siteWithLevels()).toUtf8().constData());
        if (PQstatus(conn) == CONNECTION_OK)
            siteStatusBare(st, conn);
        else
            st.SkipWithError(PQerrorMessage(conn));
        PQfinish(conn);
        return;
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2(bench::siteWithLevels().toUtf8().constData(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    for (auto _ : st) {
        std::vector<QByteArray> numbers;
        sqlite3_stmt* list = nullptr;
        sqlite3_prepare_v2(db, "SELECT InstrumentID FROM Sensors ORDER BY InstrumentID", -1, &list,
                           nullptr);
        while (sqlite3_step(list) == SQLITE_ROW)
            numbers.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
        sqlite3_finalize(list);
        int found = 0;
        double sum = 0;
        for (const QByteArray& number : numbers) {
            const QByteArray t = '`' + number + '`';
            const QByteArray columns = "ChannelT, Channel1, Channel2, Channel3, Channel4, "
                                       "Channel5, Channel6, Channel7, Channel8, Channel9, "
                                       "Channel10, FullDate";
            const QByteArray sql =
                "SELECT * FROM (SELECT " + columns + " FROM " + t +
                " ORDER BY FullDate DESC LIMIT 1) UNION ALL SELECT * FROM (SELECT " + columns +
                " FROM " + t + " WHERE FullDate <= datetime((SELECT max(FullDate) FROM " + t +
                "), '-24 hours') ORDER BY FullDate DESC LIMIT 1)";
            sqlite3_stmt* q = nullptr;
            sqlite3_prepare_v2(db, sql.constData(), -1, &q, nullptr);
            while (sqlite3_step(q) == SQLITE_ROW) {
                ++found;
                for (int c = 0; c < 11; ++c)
                    sum += sqlite3_column_double(q, c);
            }
            sqlite3_finalize(q);
        }
        benchmark::DoNotOptimize(sum);
        if (found != 2 * SiteAll) st.SkipWithError("not two readings of every sensor");
    }
    sqlite3_close(db);
}
BENCHMARK(BM_SiteStatusBare)->Unit(benchmark::kMillisecond);

// A copy of a site, and a day of hourly logger lines for one of its sensors
// after its last reading, a new day each time.
struct DayImport {
    bench::Documents documents;
    std::unique_ptr<store::Database> db;
    QString sensor;
    QString file = documents.folder.filePath(QStringLiteral("day.txt"));
    int day = 0;
    QString lastAt; // the newest line written, as the store keeps it

    explicit DayImport(const QString& dataSet) : documents(dataSet) {
        // The copy's pages on disk first: its write-back would otherwise land
        // in the first commits' flushes.
        ::sync();
        db = bench::openDatabase(documents.database);
        store::Statement st = db->prepare(QStringLiteral(
            "SELECT InstrumentID FROM Sensors WHERE InstrumentID <> ?1 ORDER BY InstrumentID "
            "LIMIT 1 OFFSET 10"));
        st.bind(1, bench::siteTenYearSensor());
        if (st.step()) sensor = st.text(0);
    }
    void writeDay() {
        QByteArray bytes;
        for (int h = 0; h < 24; ++h) {
            const int k = bench::SiteReadings + 24 * day + h;
            QString line =
                bench::generatedReadingTime(k).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
                QStringLiteral(",TR0042,91,005,") + QString::number(20.0 + h * 0.1, 'f', 2);
            for (int c = 1; c <= 10; ++c)
                line += QLatin1Char(',') + QString::number(10.0 + 5.0 * c + k * 0.001, 'f', 3);
            bytes += line.toLatin1() + ",0\r\n";
            lastAt = bench::generatedReadingTime(k).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        ++day;
        QFile f(file);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
    bool import() {
        operations::ImportRequest request;
        request.file = file;
        request.sensor = sensor;
        request.all = true;
        return operations::importLoggerFile(*db, documents.dataFolder, request,
                                            QDate::currentDate())
                   .appended == 24;
    }
};

void BM_ImportNoLevels(benchmark::State& st) {
    DayImport run(bench::siteDataSet());
    for (auto _ : st) {
        st.PauseTiming();
        run.writeDay();
        st.ResumeTiming();
        if (!run.import()) st.SkipWithError("not appended");
    }
}
BENCHMARK(BM_ImportNoLevels)->Unit(benchmark::kMillisecond);

void BM_StatusAfterImport(benchmark::State& st) {
    DayImport run(bench::siteWithLevels());
    levels::StatusBoard board(*run.db);
    board.refresh();
    for (auto _ : st) {
        st.PauseTiming();
        run.writeDay();
        st.ResumeTiming();
        if (!run.import()) st.SkipWithError("not appended");
        const std::set<QString> changed = board.refresh();
        st.PauseTiming();
        const levels::SensorStatus* s = board.find(run.sensor);
        if (changed != std::set<QString>{run.sensor} || !s || s->latestAt != run.lastAt)
            st.SkipWithError("the board did not follow the import");
        st.ResumeTiming();
    }
}
BENCHMARK(BM_StatusAfterImport)->Unit(benchmark::kMillisecond);

// The window a user opened a while ago (the board built after start-up),
// then the Status tab: the statuses brought up to date, the table filled and
// the window drawn.
void BM_OpenStatusTab(benchmark::State& st) {
    bench::RunningWindow w(bench::siteWithLevels());
    if (!w.ok) {
        st.SkipWithError("start-up failed");
        return;
    }
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    auto* tabs = w.control<QTabWidget>("SSTab1");
    auto* table = w.control<QTableView>("tblStatus");
    for (auto _ : st) {
        st.PauseTiming();
        tabs->setCurrentIndex(0);
        w.painted();
        st.ResumeTiming();
        tabs->setCurrentIndex(6);
        w.painted();
        st.PauseTiming();
        if (!table->model() || table->model()->rowCount() != SiteAll)
            st.SkipWithError("not every sensor shown");
        st.ResumeTiming();
    }
}
BENCHMARK(BM_OpenStatusTab)->Unit(benchmark::kMillisecond);

// The same rows' texts from memory into a plain model on a view as large as
// the tab's, laid out and drawn.
void BM_FillStatusTable(benchmark::State& st) {
    std::vector<QStringList> rows;
    {
        auto db = bench::openDataSet(bench::siteWithLevels(), true);
        levels::StatusModel model;
        const QDateTime now = QDateTime::currentDateTime();
        model.setStatuses(levels::siteStatus(*db), levels::siteLevels(*db), now);
        for (int r = 0; r < model.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model.columnCount(); ++c)
                cells << model.cellText(r, c);
            rows.push_back(cells);
        }
    }
    // The tab's own table size, as the window lays it out.
    bench::RunningWindow w(bench::sharedDataSet(1, 24));
    w.control<QTabWidget>("SSTab1")->setCurrentIndex(6);
    w.painted();
    const QSize size = w.control<QTableView>("tblStatus")->size();
    QTableView view;
    view.resize(size.isValid() && size.width() > 100 ? size : QSize(900, 500));
    view.show();
    for (auto _ : st) {
        auto model = std::make_unique<QStandardItemModel>(int(rows.size()), 9);
        model->setHorizontalHeaderLabels(levels::StatusModel::titles());
        for (size_t r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                model->setItem(int(r), c, new QStandardItem(rows[r][c]));
        view.setModel(model.get());
        view.resizeColumnsToContents();
        bench::painted(&view);
        st.PauseTiming();
        if (view.model()->rowCount() != SiteAll) st.SkipWithError("not every row");
        view.setModel(nullptr);
        model.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_FillStatusTable)->Unit(benchmark::kMillisecond);

} // namespace
