// Stepping through, choosing and filtering sensors in the real main window,
// with a small and a large register: a step, until the window is drawn again,
// must not cost more with more sensors.
#include "DataSet.h"
#include "Windows.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

namespace {

using bench::RunningWindow;

void BM_NextSensor(benchmark::State& st) {
    const int sensors = int(st.range(0));
    RunningWindow w(sensors);
    auto* next = w.control<QToolButton>("imgNext");
    auto* list = w.control<QComboBox>("cboSensors");
    const QString last = QStringLiteral("%1 of %1").arg(sensors);
    auto* position = w.control<QLineEdit>("txtSnav");
    if (!w.ok) st.SkipWithError("start-up failed");
    for (auto _ : st) {
        if (position->text() == last) {
            st.PauseTiming();
            list->setCurrentIndex(0);
            emit list->activated(0);
            st.ResumeTiming();
        }
        next->click();
        w.painted();
    }
    if (w.prompter.shown != 0) st.SkipWithError("a message was shown");
}
BENCHMARK(BM_NextSensor)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A click in the list on the middle sensor (and on its neighbour, so that every
// click changes the sensor shown).
void BM_SelectSensor(benchmark::State& st) {
    const int sensors = int(st.range(0));
    RunningWindow w(sensors);
    auto* list = w.control<QComboBox>("cboSensors");
    if (!w.ok) st.SkipWithError("start-up failed");
    int index = sensors / 2;
    for (auto _ : st) {
        index = index == sensors / 2 ? sensors / 2 + 1 : sensors / 2;
        list->setCurrentIndex(index);
        emit list->activated(index);
        w.painted();
    }
    if (w.prompter.shown != 0) st.SkipWithError("a message was shown");
}
BENCHMARK(BM_SelectSensor)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A level filter applied and removed again.
void BM_ApplyFilter(benchmark::State& st) {
    const int sensors = int(st.range(0));
    RunningWindow w(sensors);
    auto* level = w.control<QLineEdit>("txtFilterLevel");
    auto* filter = w.control<QToolButton>("imgFilter");
    auto* count = w.control<QLineEdit>("txtSCount");
    if (!w.ok) st.SkipWithError("start-up failed");
    for (auto _ : st) {
        level->setText(QStringLiteral("400 Level"));
        filter->click();
        w.painted();
        if (count->text().toInt() >= sensors) st.SkipWithError("the filter was not applied");
        filter->click();
        w.painted();
    }
    if (w.prompter.shown != 0 || count->text().toInt() != sensors)
        st.SkipWithError("the filter was not removed");
}
BENCHMARK(BM_ApplyFilter)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace
