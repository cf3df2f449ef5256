// A dated backup of the database (copied through the engine, checked and
// renamed into place), held against the plain file copy of AppBench.cpp.
#include "DataSet.h"
#include "Windows.h"

#include "app/Texts.h"
#include "maintenance/Backup.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Backup(benchmark::State& st) {
    bench::Documents documents(bench::sharedDataSet(int(st.range(0)), 1000));
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
BENCHMARK(BM_Backup)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace
