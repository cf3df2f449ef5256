// The program started as a user starts it, in a process of its own, until its
// main window is first drawn on the site's database; against a minimal Qt
// program showing one widget after counting the same register. The page
// cache is dropped before each start where the system permits it.
#include "DataSet.h"
#include "Windows.h"

#include <benchmark/benchmark.h>

#include <QProcess>
#include <QProcessEnvironment>

#include <unistd.h>

#include <fstream>

namespace {

bool dropPageCache() {
    ::sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return drop.good();
}

// Runs program to its "painted" line, timed; the exit afterwards is not.
void timeStarts(benchmark::State& st, const QString& program, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TOLVANE_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    bool dropped = true;
    for (auto _ : st) {
        st.PauseTiming();
        dropped = dropPageCache() && dropped;
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        st.ResumeTiming();
        process.start(program, arguments);
        while (!process.canReadLine() && process.waitForReadyRead(60000)) {
        }
        st.PauseTiming();
        if (process.readLine().trimmed() != "painted") {
            st.SkipWithError("the window was not drawn");
            break;
        }
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            st.SkipWithError("the program did not end at once");
            break;
        }
        st.ResumeTiming();
    }
    st.counters["cache_dropped"] = dropped ? 1 : 0;
}

// One copy of the site for every start: a start that ends at its first paint
// changes nothing in it.
const bench::Documents& site() {
    static const bench::Documents documents(bench::siteDataSet());
    return documents;
}

void BM_ColdStart(benchmark::State& st) {
    timeStarts(st, QStringLiteral(TOLVANE_EXECUTABLE),
               {QStringLiteral("--documents"), site().folder.path()});
}
BENCHMARK(BM_ColdStart)->Unit(benchmark::kMillisecond);

void BM_ColdStartLimit(benchmark::State& st) {
    timeStarts(st, QStringLiteral(TOLVANE_MINIMAL_EXECUTABLE), {site().database});
}
BENCHMARK(BM_ColdStartLimit)->Unit(benchmark::kMillisecond);

} // namespace
