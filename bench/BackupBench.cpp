// A dated backup of the database (copied through the engine, checked and
// renamed into place) of the site's database, held against the flushed and
// renamed plain copy of AppBench.cpp.
#include "DataSet.h"
#include "Windows.h"

#include "app/Texts.h"
#include "maintenance/Backup.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Backup(benchmark::State& st) {
    bench::Documents documents(bench::siteDataSet());
    bench::QuietPrompter prompter;
    const app::Log log(documents.dataFolder, nullptr);
    const QDate today(2026, 12, 7);
    for (auto _ : st) {
        // The second and later runs replace the day's backup, as a user's would.
        if (!maintenance::BackupDB(documents.dataFolder,
                                   documents.dataFolder + QLatin1Char('/') +
                                       app::texts::DefaultDatabaseName,
                                   today, prompter, log))
            st.SkipWithError("backup failed");
    }
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond);

} // namespace
