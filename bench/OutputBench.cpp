// The datasheet on a sensor with few and with very many readings: opening it
// (its first screen drawn) must not cost more with more readings. And its
// export against libxlsxwriter writing the same cells straight from the engine.
#include "Bare.h"
#include "DataSet.h"
#include "Windows.h"

#include <benchmark/benchmark.h>

#include <QDialog>
#include <QFile>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <sqlite3.h>
#include <xlsxwriter.h>

#include <functional>
#include <memory>

namespace {

using bench::RunningWindow;

// The Readings tab of the first sensor, at its last reading.
void toReadings(const RunningWindow& w) {
    w.control<QTabWidget>("SSTab1")->setCurrentIndex(2);
}

// Runs action in the datasheet once it is open, then closes it.
void inDatasheet(const RunningWindow& w, const std::function<void(QDialog*, QTableView*)>& action) {
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        action(dialog, dialog->findChild<QTableView*>(QStringLiteral("MSFlexGrid1")));
        dialog->close();
    });
    w.control<QToolButton>("imgDatasheet")->click();
}

void BM_OpenDatasheet(benchmark::State& st) {
    const int readings = int(st.range(0));
    RunningWindow w(1, readings);
    if (!w.ok) st.SkipWithError("start-up failed");
    toReadings(w);
    bool shown = true;
    for (auto _ : st) {
        inDatasheet(w, [&](QDialog*, QTableView* grid) {
            // The first screen drawn: the rows it shows are read.
            grid->viewport()->grab();
            st.PauseTiming();
            shown = shown && grid->model()->rowCount() == readings &&
                    grid->model()->index(0, 4).data().isValid();
        });
        st.ResumeTiming();
    }
    if (!shown) st.SkipWithError("the datasheet did not show the readings");
    if (w.prompter.shown != 0) st.SkipWithError("a message was shown");
}
BENCHMARK(BM_OpenDatasheet)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

// Image1 on the open datasheet: the workbook written and renamed into place.
void BM_ExportWorkbook(benchmark::State& st) {
    const int readings = int(st.range(0));
    RunningWindow w(1, readings);
    if (!w.ok) st.SkipWithError("start-up failed");
    toReadings(w);
    const QString workbook =
        w.documents.dataFolder + QLatin1Char('/') + bench::sensorNumber(0) + ".xlsx";
    bool ran = false;
    inDatasheet(w, [&](QDialog* dialog, QTableView*) {
        auto* command = dialog->findChild<QToolButton*>(QStringLiteral("Image1"));
        for (auto _ : st) {
            command->click();
            st.PauseTiming();
            ran = QFile::remove(workbook);
            st.ResumeTiming();
        }
    });
    if (!ran) st.SkipWithError("no workbook was written");
    if (w.prompter.shown != 0) st.SkipWithError("a message was shown");
}
BENCHMARK(BM_ExportWorkbook)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

// The same cells straight from the engine into the library: the datasheet's
// key, date, time, ChannelT, Channel1 and time-graph flag, then the sheet of
// displacements (the moment and the one anchor's displacement against the
// first reading ticked for the time graph), each header bold and frozen.
void BM_BareXlsx(benchmark::State& st) {
    const int readings = int(st.range(0));
    bench::Documents copy(bench::sharedDataSet(1, readings));
    sqlite3* db = nullptr;
    std::unique_ptr<bench::PgConnection> server;
    if (bench::onServer()) {
        server = std::make_unique<bench::PgConnection>(copy.database);
        if (!server->ok()) {
            st.SkipWithError(server->error());
            return;
        }
    } else if (sqlite3_open_v2(QFile::encodeName(copy.database).constData(), &db,
                               SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        st.SkipWithError("the data set did not open");
        sqlite3_close(db);
        return;
    }
    // The queries in the engine's own SQL.
    const QByteArray table = server ? '"' + bench::sensorNumber(0).toUtf8() + '"'
                                    : '`' + bench::sensorNumber(0).toUtf8() + '`';
    const auto sql = [&](const char* text) {
        QByteArray q = QByteArray(text).replace("TABLE", table);
        if (!server) return q.replace("\"", "").replace(" NULLS FIRST", "");
        return q;
    };
    const QByteArray gridSql = sql(
        "SELECT \"DateTimeKey\", \"ReadingDate\", \"ReadingTime\", \"ChannelT\", "
        "\"Channel1\", \"Plottemporal\" FROM TABLE ORDER BY \"FullDate\" NULLS FIRST, _rowid_");
    const QByteArray zeroSql = sql("SELECT \"Channel1\" FROM TABLE WHERE \"Plottemporal\" = 1 "
                                   "ORDER BY \"FullDate\" NULLS FIRST, _rowid_ LIMIT 1");
    const QByteArray movedSql = sql("SELECT \"ReadingDate\", \"ReadingTime\", \"Channel1\" FROM "
                                    "TABLE ORDER BY \"FullDate\" NULLS FIRST, _rowid_");
    const auto rowsOf = [&](const QByteArray& q) {
        return server ? std::make_unique<bench::BareRows>(server->get(), q)
                      : std::make_unique<bench::BareRows>(db, q);
    };
    // "2016/01/01" and "00:00:00" from their digits.
    auto digits = [](const unsigned char* s, int n) {
        int v = 0;
        for (int i = 0; i < n; ++i)
            v = v * 10 + (s[i] - '0');
        return v;
    };
    auto moment = [&](const bench::BareRows& row, int date, int time) {
        const auto* d = reinterpret_cast<const unsigned char*>(row.text(date));
        const auto* t = reinterpret_cast<const unsigned char*>(row.text(time));
        return lxw_datetime{digits(d, 4), digits(d + 5, 2), digits(d + 8, 2),
                            digits(t, 2), digits(t + 3, 2), double(digits(t + 6, 2))};
    };

    QTemporaryDir folder;
    // Written aside, flushed and renamed into place, as the program does.
    const QString target = folder.filePath(QStringLiteral("bare.xlsx"));
    const QByteArray path = QFile::encodeName(target + QStringLiteral(".part"));
    const QByteArray name = bench::sensorNumber(0).toUtf8();
    const char* titles[] = {"DateTime Key", "ReadingDate", "R. Time",
                            "ChannelT",     "Channel1",    "PlotTemporal"};
    const char* movedTitles[] = {"Date and Time", "Anchor 1 (2.00 m)"};
    for (auto _ : st) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(path.constData(), &options);
        lxw_format* bold = workbook_add_format(book);
        format_set_bold(bold);
        lxw_format* date = workbook_add_format(book);
        format_set_num_format(date, "yyyy/mm/dd");
        lxw_format* time = workbook_add_format(book);
        format_set_num_format(time, "hh:mm:ss");
        lxw_format* when = workbook_add_format(book);
        format_set_num_format(when, "yyyy/mm/dd hh:mm:ss");

        lxw_worksheet* sheet = workbook_add_worksheet(book, name.constData());
        worksheet_freeze_panes(sheet, 1, 0);
        for (lxw_col_t c = 0; c < 6; ++c)
            worksheet_write_string(sheet, 0, c, titles[c], bold);
        {
            const auto row = rowsOf(gridSql);
            lxw_row_t r = 1;
            while (row->next()) {
                worksheet_write_string(sheet, r, 0, row->text(0), nullptr);
                lxw_datetime day = moment(*row, 1, 2);
                const double seconds = day.hour * 3600.0 + day.min * 60.0 + day.sec;
                day.hour = day.min = 0;
                day.sec = 0;
                worksheet_write_datetime(sheet, r, 1, &day, date);
                worksheet_write_number(sheet, r, 2, seconds / 86400.0, time);
                worksheet_write_number(sheet, r, 3, row->number(3), nullptr);
                worksheet_write_number(sheet, r, 4, row->number(4), nullptr);
                worksheet_write_boolean(sheet, r, 5, row->integer(5) != 0, nullptr);
                ++r;
            }
        }
        const double widths[] = {32, 14, 11, 10, 10, 15};
        for (lxw_col_t c = 0; c < 6; ++c)
            worksheet_set_column(sheet, c, c, widths[c], nullptr);

        lxw_worksheet* moved = workbook_add_worksheet(book, "Displacements");
        worksheet_freeze_panes(moved, 1, 0);
        for (lxw_col_t c = 0; c < 2; ++c)
            worksheet_write_string(moved, 0, c, movedTitles[c], bold);
        double zero = 0;
        if (const auto first = rowsOf(zeroSql); first->next()) zero = first->number(0);
        {
            const auto row = rowsOf(movedSql);
            lxw_row_t r = 1;
            while (row->next()) {
                lxw_datetime at = moment(*row, 0, 1);
                worksheet_write_datetime(moved, r, 0, &at, when);
                // One anchor, the head at the collar: the last anchor against itself.
                const double moved1 = row->number(2) - zero;
                worksheet_write_number(moved, r, 1, moved1 - moved1, nullptr);
                ++r;
            }
        }
        worksheet_set_column(moved, 0, 0, 21.5, nullptr);
        worksheet_set_column(moved, 1, 1, 20.5, nullptr);

        if (workbook_close(book) != LXW_NO_ERROR ||
            !bench::flushAndRename(QFile::decodeName(path), target)) {
            st.SkipWithError("the workbook was not written");
            break;
        }
    }
    sqlite3_close(db);
}
BENCHMARK(BM_BareXlsx)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
