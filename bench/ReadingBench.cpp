// The Readings tab in the real main window, on a sensor with few and with very
// many readings: entering the tab, stepping, adding and moving a reading must
// not cost more with more readings, nor much more for their audit entries.
// And the batch deletion against one bare DELETE of the same rows.
#include "Bare.h"
#include "DataSet.h"
#include "Engine.h"
#include "Windows.h"

#include "store/Audit.h"
#include "store/Database.h"

#include <benchmark/benchmark.h>

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include <map>

namespace {

using bench::RunningWindow;

// A second later at every call, after the generated readings: each new
// reading gets a key of its own.
class SteppingClock : public app::Clock {
public:
    QDateTime now() const override { return start_.addSecs(calls_++); }

private:
    QDateTime start_ = QDateTime(QDate(2030, 1, 1), QTime(0, 0));
    mutable qint64 calls_ = 0;
};

QTabWidget* tabsOf(const RunningWindow& w) {
    return w.control<QTabWidget>("SSTab1");
}

// The Readings tab open on the last reading but one: one step back from where
// the tab opens, not half the table's steps from the first, each of which
// stores the reading shown (minutes of disk flushes before the case).
void toLateReading(const RunningWindow& w) {
    tabsOf(w)->setCurrentIndex(2);
    w.control<QToolButton>("imgPrevData")->click();
}

// Entering the tab on another sensor each time: the sensor is changed while
// the clock is stopped, so that every entry opens a keyset of its own.
void BM_EnterReadingsTab(benchmark::State& st) {
    const int readings = int(st.range(0));
    RunningWindow w(2, readings);
    QTabWidget* tabs = tabsOf(w);
    auto* counter = w.control<QLineEdit>("txtRcount");
    auto* list = w.control<QComboBox>("cboSensors");
    if (!w.ok) st.SkipWithError("start-up failed");
    const QString last = QStringLiteral("%1 of %1").arg(readings);
    int sensor = 0;
    for (auto _ : st) {
        tabs->setCurrentIndex(2);
        w.painted();
        st.PauseTiming();
        if (counter->text() != last) {
            st.SkipWithError("not on the last reading");
            break;
        }
        tabs->setCurrentIndex(0); // the next visit starts at the last reading again
        sensor = 1 - sensor;
        list->setCurrentIndex(sensor);
        emit list->activated(sensor);
        st.ResumeTiming();
    }
    if (w.prompter.shown != 0) st.SkipWithError("a message was shown");
}
BENCHMARK(BM_EnterReadingsTab)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The shared data set without the audit trail, as a file of the version
// before it: the same window does the same work, without writing the entries.
QString unauditedDataSet(int sensors, int readingsPerSensor) {
    static QTemporaryDir folder;
    static std::map<std::pair<int, int>, QString> made;
    const auto key = std::make_pair(sensors, readingsPerSensor);
    if (auto it = made.find(key); it != made.end()) return it->second;
    const QString path =
        QDir(folder.path())
            .filePath(QStringLiteral("unaudited_%1_%2.mdb").arg(sensors).arg(readingsPerSensor));
    QFile::copy(bench::sharedDataSet(sensors, readingsPerSensor), path);
    store::Database::open(path)->execute(QStringLiteral("DROP TABLE AuditTrail"));
    // A server's copy is made with the whole schema: its trail goes too.
    if (bench::onServer())
        bench::openDatabase(bench::serverDataSet(path))
            ->execute(QStringLiteral("DROP TABLE IF EXISTS AuditTrail"));
    return made[key] = path;
}

qint64 auditEntries(const QString& database) {
    auto db = bench::openDatabase(database, true);
    if (!store::hasAuditTrail(*db)) return 0;
    store::Statement st = db->prepare(QStringLiteral("SELECT count(*) FROM AuditTrail"));
    return st.step() ? st.int64(0) : 0;
}

// Next and Previous in turn from the last reading but one: every click stores the
// reading shown and moves. Nothing changes, so nothing is written to the trail.
void stepReading(benchmark::State& st, const QString& dataSet) {
    const int readings = int(st.range(0));
    RunningWindow w(dataSet);
    toLateReading(w);
    auto* next = w.control<QToolButton>("imgNextData");
    auto* previous = w.control<QToolButton>("imgPrevData");
    auto* counter = w.control<QLineEdit>("txtRcount");
    if (!w.ok) st.SkipWithError("start-up failed");
    // A server's copy starts with the entry of its copy.
    const qint64 entries = auditEntries(w.documents.database);
    bool forward = true;
    for (auto _ : st) {
        (forward ? next : previous)->click();
        w.painted();
        forward = !forward;
    }
    const int position = counter->text().section(QLatin1Char(' '), 0, 0).toInt();
    if (position < readings - 1) st.SkipWithError("the reading moved away from the end");
    if (w.prompter.shown != 0) st.SkipWithError("a message was shown");
    if (auditEntries(w.documents.database) != entries) st.SkipWithError("a step wrote an entry");
}
void BM_StepReading(benchmark::State& st) {
    stepReading(st, bench::sharedDataSet(1, int(st.range(0))));
}
BENCHMARK(BM_StepReading)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
void BM_StepReadingUnaudited(benchmark::State& st) {
    stepReading(st, unauditedDataSet(1, int(st.range(0))));
}
BENCHMARK(BM_StepReadingUnaudited)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The add command: the shown reading stored, a new row and its audit entry, the
// requery and the move to the new last row. A fixed number of adds keeps the
// two sizes apart.
void addReading(benchmark::State& st, const QString& dataSet, bool audited) {
    const int readings = int(st.range(0));
    SteppingClock clock;
    RunningWindow w(dataSet, &clock);
    tabsOf(w)->setCurrentIndex(2);
    auto* add = w.control<QToolButton>("imgAddReading");
    auto* counter = w.control<QLineEdit>("txtRcount");
    if (!w.ok) st.SkipWithError("start-up failed");
    const qint64 entries = auditEntries(w.documents.database);
    int count = readings;
    for (auto _ : st) {
        add->click();
        w.painted();
        ++count;
    }
    if (counter->text() != QStringLiteral("%1 of %1").arg(count))
        st.SkipWithError("the new reading is not shown last");
    if (w.prompter.shown != 0) st.SkipWithError("a message was shown");
    if (auditEntries(w.documents.database) - entries != (audited ? count - readings : 0))
        st.SkipWithError("not one entry for each reading added");
}
void BM_AddReading(benchmark::State& st) {
    addReading(st, bench::sharedDataSet(1, int(st.range(0))), true);
}
BENCHMARK(BM_AddReading)->Arg(100)->Arg(100000)->Iterations(500)->Unit(benchmark::kMicrosecond);
void BM_AddReadingUnaudited(benchmark::State& st) {
    addReading(st, unauditedDataSet(1, int(st.range(0))), false);
}
BENCHMARK(BM_AddReadingUnaudited)
    ->Arg(100)
    ->Arg(100000)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

// The last reading but one's time moved one second on and back again, as a user's
// edit of the time picker: each move is stored and re-sorted.
void BM_CheckDateTime(benchmark::State& st) {
    const int readings = int(st.range(0));
    RunningWindow w(1, readings);
    toLateReading(w);
    auto* time = w.control<QTimeEdit>("dtpRtime");
    auto* key = w.control<QLineEdit>("txtReadingID");
    if (!w.ok) st.SkipWithError("start-up failed");
    const QTime stored = time->time();
    const QString storedKey = key->text();
    bool away = true;
    for (auto _ : st) {
        time->setTime(away ? stored.addSecs(1) : stored);
        emit time->editingFinished();
        w.painted();
        away = !away;
    }
    if (away && key->text() != storedKey) st.SkipWithError("the reading was not moved back");
    if (w.prompter.shown != 0) st.SkipWithError("a message was shown");
}
BENCHMARK(BM_CheckDateTime)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The days holding the middle readings of a 100,000-reading sensor: about
// half of them, whole days.
struct MiddleDays {
    QDate start;
    QDate end;
    explicit MiddleDays(int deleted) {
        start = bench::generatedReadingTime(25000).date();
        end = start.addDays(deleted / 24 - 1);
    }
};

// Through the delete command and its window, the batch button pressed.
void BM_BatchDelete(benchmark::State& st) {
    const int deleted = int(st.range(0));
    const MiddleDays days(deleted);
    for (auto _ : st) {
        st.PauseTiming();
        auto w = std::make_unique<RunningWindow>(1, 2 * deleted);
        tabsOf(*w)->setCurrentIndex(2);
        auto* counter = w->control<QLineEdit>("txtRcount");
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialog->findChild<QCalendarWidget*>(QStringLiteral("DelStart"))
                ->setSelectedDate(days.start);
            dialog->findChild<QCalendarWidget*>(QStringLiteral("DelEnd"))
                ->setSelectedDate(days.end);
            st.ResumeTiming();
            dialog->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        });
        w->control<QToolButton>("imgDeleteReading")->click();
        w->painted();
        st.PauseTiming();
        const int left = counter->text().section(QLatin1Char(' '), 2).toInt();
        if (left != 2 * deleted - days.start.daysTo(days.end) * 24 - 24) {
            st.SkipWithError("not the expected readings deleted");
            break;
        }
        // The window's exit and compaction are no part of the deletion.
        w.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_BatchDelete)->Arg(50000)->Iterations(5)->Unit(benchmark::kMillisecond);

// The same through libpq alone.
void bareDeleteOnServer(benchmark::State& st, const QString& number, const MiddleDays& days) {
    const QByteArray sql = "DELETE FROM \"" + number.toUtf8() +
                           "\" WHERE \"ReadingDate\" >= $1 AND \"ReadingDate\" <= $2";
    const std::vector<QByteArray> range{days.start.toString(QStringLiteral("yyyy/MM/dd")).toUtf8(),
                                        days.end.toString(QStringLiteral("yyyy/MM/dd")).toUtf8()};
    const int expected = int(days.start.daysTo(days.end) + 1) * 24;
    for (auto _ : st) {
        st.PauseTiming();
        auto copy =
            std::make_unique<bench::Documents>(bench::sharedDataSet(1, 2 * int(st.range(0))));
        auto conn = std::make_unique<bench::PgConnection>(copy->database);
        st.ResumeTiming();
        const long long deleted = conn->run(sql, range);
        st.PauseTiming();
        if (deleted != expected) {
            st.SkipWithError(deleted < 0 ? conn->error() : "not the expected readings deleted");
            break;
        }
        conn.reset();
        copy.reset();
        st.ResumeTiming();
    }
}

// One DELETE of the same days on a copy of the same table.
void BM_BareDelete(benchmark::State& st) {
    const int deleted = int(st.range(0));
    const MiddleDays days(deleted);
    const QString number = bench::sensorNumber(0);
    if (bench::onServer()) {
        bareDeleteOnServer(st, number, days);
        return;
    }
    for (auto _ : st) {
        st.PauseTiming();
        auto copy = std::make_unique<bench::Documents>(bench::sharedDataSet(1, 2 * deleted));
        auto db = bench::openDatabase(copy->database);
        auto del = std::make_unique<store::Statement>(db->prepare(
            QStringLiteral("DELETE FROM %1 WHERE ReadingDate >= ?1 AND ReadingDate <= ?2")
                .arg(store::quoteName(number))));
        del->bind(1, days.start.toString(QStringLiteral("yyyy/MM/dd")));
        del->bind(2, days.end.toString(QStringLiteral("yyyy/MM/dd")));
        st.ResumeTiming();
        del->run();
        st.PauseTiming();
        if (db->changes() != int(days.start.daysTo(days.end) + 1) * 24) {
            st.SkipWithError("not the expected readings deleted");
            break;
        }
        del.reset();
        db.reset();
        copy.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_BareDelete)->Arg(50000)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
