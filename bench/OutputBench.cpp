// The datasheet on a sensor with few and with very many readings: opening it
// (its first screen drawn) must not cost more with more readings. And its
// export against libxlsxwriter writing the same cells straight from memory.
#include "Bare.h"
#include "DataSet.h"
#include "Windows.h"

#include "store/ReadingTables.h"
#include "store/RowSet.h"

#include <benchmark/benchmark.h>

#include <QDialog>
#include <QFile>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <xlsxwriter.h>

#include <functional>

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

// The same cells from memory straight into the library: key, date, time,
// ChannelT, Channel1 and the time-graph flag, the header bold and frozen.
void BM_BareXlsx(benchmark::State& st) {
    const int readings = int(st.range(0));
    struct Row {
        QByteArray key, time;
        lxw_datetime date;
        double temperature, channel;
        bool plotted;
    };
    std::vector<Row> rows;
    {
        bench::Documents copy(bench::sharedDataSet(1, readings));
        auto db = store::Database::open(copy.database);
        store::RowSet rs(*db, store::readingsQuery(bench::sensorNumber(0)));
        for (const auto& values : rs.fetchRows(0, rs.RecordCount())) {
            const QDate d = QDate::fromString(values[1].toString(), QStringLiteral("yyyy/MM/dd"));
            rows.push_back({values[0].toString().toUtf8(), values[2].toString().toUtf8(),
                            lxw_datetime{d.year(), d.month(), d.day(), 0, 0, 0.0},
                            values[3].toDouble(), values[4].toDouble(),
                            values[rs.fieldIndex("Plottemporal")].toLongLong() != 0});
        }
    }
    QTemporaryDir folder;
    // Written aside, flushed and renamed into place, as the program does.
    const QString target = folder.filePath(QStringLiteral("bare.xlsx"));
    const QByteArray path = QFile::encodeName(target + QStringLiteral(".part"));
    const QByteArray name = bench::sensorNumber(0).toUtf8();
    const char* titles[] = {"DateTime Key", "ReadingDate", "R. Time",
                            "ChannelT",     "Channel1",    "PlotTemporal"};
    for (auto _ : st) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(path.constData(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(book, name.constData());
        lxw_format* bold = workbook_add_format(book);
        format_set_bold(bold);
        lxw_format* date = workbook_add_format(book);
        format_set_num_format(date, "yyyy/mm/dd");
        worksheet_freeze_panes(sheet, 1, 0);
        for (lxw_col_t c = 0; c < 6; ++c)
            worksheet_write_string(sheet, 0, c, titles[c], bold);
        lxw_row_t r = 1;
        for (Row& row : rows) {
            worksheet_write_string(sheet, r, 0, row.key.constData(), nullptr);
            worksheet_write_datetime(sheet, r, 1, &row.date, date);
            worksheet_write_string(sheet, r, 2, row.time.constData(), nullptr);
            worksheet_write_number(sheet, r, 3, row.temperature, nullptr);
            worksheet_write_number(sheet, r, 4, row.channel, nullptr);
            worksheet_write_boolean(sheet, r, 5, row.plotted, nullptr);
            ++r;
        }
        const double widths[] = {31, 12, 9, 8, 9, 14};
        for (lxw_col_t c = 0; c < 6; ++c)
            worksheet_set_column(sheet, c, c, widths[c], nullptr);
        if (workbook_close(book) != LXW_NO_ERROR ||
            !bench::flushAndRename(QFile::decodeName(path), target)) {
            st.SkipWithError("the workbook was not written");
            break;
        }
    }
}
BENCHMARK(BM_BareXlsx)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
