// The tool listing the ten-year sensor's readings as CSV into a file, as a
// scheduled job runs it, against a bare engine loop writing the same columns
// with fprintf.
#include "DataSet.h"
#include "Engine.h"
#include "Windows.h"

#include "store/Database.h"
#include "store/Schema.h"

#include <benchmark/benchmark.h>

#include <QProcess>

#include <sqlite3.h>

#include <cstdio>

namespace {

void BM_CliReadingsCsv(benchmark::State& st) {
    bench::Documents documents(bench::tenYearDataSet(1));
    const QString out = documents.folder.filePath(QStringLiteral("readings.csv"));
    for (auto _ : st) {
        QProcess tool;
        tool.setStandardOutputFile(out);
        tool.start(QStringLiteral(TOLVANE_CLI_EXECUTABLE),
                   {QStringLiteral("--documents"), documents.folder.path(),
                    QStringLiteral("readings"), bench::tenYearSensor(0)});
        if (!tool.waitForFinished(120000) || tool.exitCode() != 0)
            st.SkipWithError("the tool failed");
    }
    QFile written(out);
    if (!written.open(QIODevice::ReadOnly) || written.readAll().count('\n') != st.range(0) + 1)
        st.SkipWithError("not every reading listed");
}
BENCHMARK(BM_CliReadingsCsv)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

// Date, time, temperature, eight channels and eight displacements of every
// reading, in date order, by the engine and fprintf alone.
void BM_BareReadingsCsv(benchmark::State& st) {
    bench::Documents documents(bench::tenYearDataSet(1));
    const QByteArray out = documents.folder.filePath(QStringLiteral("bare.csv")).toLocal8Bit();
    auto db = bench::openDatabase(documents.database, true);
    QString columns = QStringLiteral("ReadingDate, ReadingTime, ChannelT");
    for (int i = 1; i <= 8; ++i)
        columns += QStringLiteral(", Channel%1").arg(i);
    for (int i = 1; i <= 8; ++i)
        columns += QStringLiteral(", Disp%1").arg(i);
    const QString sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY FullDate")
                            .arg(columns, store::quoteName(bench::tenYearSensor(0)));
    for (auto _ : st) {
        std::FILE* f = std::fopen(out.constData(), "wb");
        store::Statement rows = db->prepare(sql);
        std::fprintf(f, "date,time,temperature\r\n");
        while (rows.step()) {
            sqlite3_stmt* s = rows.get();
            std::fprintf(f, "%s,%s", sqlite3_column_text(s, 0), sqlite3_column_text(s, 1));
            for (int c = 2; c < 19; ++c)
                std::fprintf(f, ",%.15g", sqlite3_column_double(s, c));
            std::fprintf(f, "\r\n");
        }
        std::fclose(f);
    }
}
BENCHMARK(BM_BareReadingsCsv)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

} // namespace
