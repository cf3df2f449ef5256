// The main window's start-up, and the compaction at exit against a file copy.
#include "DataSet.h"
#include "Windows.h"

#include "app/Compaction.h"
#include "app/StartUp.h"
#include "app/SystemServices.h"
#include "app/Texts.h"
#include "app/ui/MainWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using bench::Documents;
using bench::NoDesktop;
using bench::QuietPrompter;

// From a new window to the first sensor shown (the window shown and painted),
// as at every start. Closing the window is not part of it.
void BM_StartUp(benchmark::State& st) {
    const int sensors = int(st.range(0));
    Documents documents(bench::sharedDataSet(sensors, 24));
    QuietPrompter prompter;
    NoDesktop desktop;
    app::SystemClock clock;
    const app::Environment env{documents.folder.path(), &prompter, &desktop, &clock};
    for (auto _ : st) {
        auto window = std::make_unique<app::MainWindow>(env);
        if (!window->startUp()) st.SkipWithError("start-up failed");
        window->show();
        QCoreApplication::processEvents();
        st.PauseTiming();
        const auto* list = window->findChild<QComboBox*>(QStringLiteral("cboSensors"));
        if (list->count() != sensors || prompter.shown != 0) st.SkipWithError("register not shown");
        window.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_CompactDB(benchmark::State& st) {
    Documents documents(bench::sharedDataSet(int(st.range(0)), 1000));
    QuietPrompter prompter;
    const app::Log log(documents.dataFolder, nullptr);
    for (auto _ : st) {
        if (!app::CompactDB(app::defaultDatabasePath(documents.dataFolder), prompter, log))
            st.SkipWithError("compaction failed");
    }
}
BENCHMARK(BM_CompactDB)->Arg(100)->Unit(benchmark::kMillisecond);

// The reference: a plain copy of the same file.
void BM_FileCopy(benchmark::State& st) {
    Documents documents(bench::sharedDataSet(int(st.range(0)), 1000));
    const QString target = documents.dataFolder + QStringLiteral("/plain copy.mdb");
    for (auto _ : st) {
        QFile::remove(target);
        if (!QFile::copy(documents.database, target)) st.SkipWithError("copy failed");
    }
}
BENCHMARK(BM_FileCopy)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace
