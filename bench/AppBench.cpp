// The main window's start-up, and the compaction at exit against a file copy.
#include "Bare.h"
#include "DataSet.h"
#include "Windows.h"

#include "app/shell/Compaction.h"
#include "app/shell/StartUp.h"
#include "app/SystemServices.h"
#include "app/Texts.h"
#include "app/ui/MainWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        if (list->count() != sensors || prompter.shown != 0) {
            st.SkipWithError("register not shown");
            break;
        }
        window.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

// Compaction and its reference on the realistic site's database.
void BM_CompactDB(benchmark::State& st) {
    // A file with pages to give back, every time: compaction does its whole job.
    const QString freed = bench::siteWithFreePages();
    Documents documents(freed);
    QuietPrompter prompter;
    const app::Log log(documents.dataFolder, nullptr);
    for (auto _ : st) {
        st.PauseTiming();
        QFile::remove(documents.database);
        QFile::copy(freed, documents.database);
        const qint64 before = QFileInfo(documents.database).size();
        st.ResumeTiming();
        const bool compacted = app::CompactDB(documents.database, prompter, log);
        st.PauseTiming();
        if (!compacted || QFileInfo(documents.database).size() >= before) {
            st.SkipWithError("not compacted");
            break;
        }
        st.ResumeTiming();
    }
}
BENCHMARK(BM_CompactDB)->Unit(benchmark::kMillisecond);

// From closing the window to the end of the compaction at exit, on a copy of
// dataSet, put in place again before every closing when the exit rewrites it.
void exitCompaction(benchmark::State& st, const QString& dataSet, bool rewritten) {
    Documents documents(dataSet);
    QuietPrompter prompter;
    NoDesktop desktop;
    app::SystemClock clock;
    const app::Environment env{documents.folder.path(), &prompter, &desktop, &clock};
    for (auto _ : st) {
        st.PauseTiming();
        if (rewritten) {
            QFile::remove(documents.database);
            QFile::copy(dataSet, documents.database);
        }
        auto window = std::make_unique<app::MainWindow>(env);
        if (!window->startUp()) {
            st.SkipWithError("start-up failed");
            break;
        }
        window->show();
        bench::painted(window.get());
        st.ResumeTiming();
        window->close();
        window->shutDown();
        st.PauseTiming();
        window.reset();
        if (prompter.shown != 0 ||
            QFile::exists(documents.dataFolder + "/Copy_" + app::texts::DefaultDatabaseName)) {
            st.SkipWithError("not compacted");
            break;
        }
        st.ResumeTiming();
    }
}

// The site as generated: nothing to give back, so the exit leaves it as it is.
void BM_ExitCompaction(benchmark::State& st) {
    exitCompaction(st, bench::siteDataSet(), false);
}
BENCHMARK(BM_ExitCompaction)->Unit(benchmark::kMillisecond);

// The site after old readings were deleted: the exit compacts it every time.
void BM_ExitCompactionFreed(benchmark::State& st) {
    exitCompaction(st, bench::siteWithFreePages(), true);
}
BENCHMARK(BM_ExitCompactionFreed)->Unit(benchmark::kMillisecond);

// The reference: a plain copy of the same file, flushed and renamed into place.
void BM_FileCopy(benchmark::State& st) {
    Documents documents(bench::siteDataSet());
    const QString target = documents.dataFolder + QStringLiteral("/plain copy.mdb");
    for (auto _ : st) {
        if (!bench::safeCopy(documents.database, target)) st.SkipWithError("copy failed");
    }
}
BENCHMARK(BM_FileCopy)->Unit(benchmark::kMillisecond);

} // namespace
