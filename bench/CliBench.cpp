// The tool listing the ten-year sensor's readings as CSV into a file, as a
// scheduled job runs it, against a bare engine loop writing the same columns
// with fprintf.
#include "Bare.h"
#include "DataSet.h"
#include "Engine.h"
#include "Windows.h"

#include "store/Database.h"
#include "store/Schema.h"

#include <benchmark/benchmark.h>

#include <QProcess>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

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
    sqlite3* db = nullptr;
    std::unique_ptr<bench::PgConnection> server;
    if (bench::onServer())
        server = std::make_unique<bench::PgConnection>(documents.database);
    else
        sqlite3_open_v2(QFile::encodeName(documents.database).constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr);
    // In the engine's own SQL: names double-quoted on a server.
    const char* q = server ? "\"" : "";
    QByteArray columns = QByteArray(q) + "ReadingDate" + q + ", " + q + "ReadingTime" + q + ", " +
                         q + "ChannelT" + q;
    for (int i = 1; i <= 8; ++i)
        columns += QByteArray(", ") + q + "Channel" + QByteArray::number(i) + q;
    for (int i = 1; i <= 8; ++i)
        columns += QByteArray(", ") + q + "Disp" + QByteArray::number(i) + q;
    const char* t = server ? "\"" : "`";
    const QByteArray sql = "SELECT " + columns + " FROM " + t + bench::tenYearSensor(0).toUtf8() +
                           t + " ORDER BY " + q + "FullDate" + q + (server ? " NULLS FIRST" : "");
    for (auto _ : st) {
        std::FILE* f = std::fopen(out.constData(), "wb");
        const auto rows = server ? std::make_unique<bench::BareRows>(server->get(), sql)
                                 : std::make_unique<bench::BareRows>(db, sql);
        std::fprintf(f, "date,time,temperature\r\n");
        while (rows->next()) {
            std::fprintf(f, "%s,%s", rows->text(0), rows->text(1));
            for (int c = 2; c < 19; ++c)
                std::fprintf(f, ",%.15g", rows->number(c));
            std::fprintf(f, "\r\n");
        }
        std::fclose(f);
    }
    sqlite3_close(db);
}
BENCHMARK(BM_BareReadingsCsv)->Arg(bench::TenYears)->Unit(benchmark::kMillisecond);

} // namespace
