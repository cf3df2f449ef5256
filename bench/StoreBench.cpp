// The store: table look-up, opening a long reading table, finding a key.
#include "Bare.h"
#include "DataSet.h"
#include "Engine.h"

#include "app/shell/AppState.h"
#include "readings/ui/ReadingTableQuestions.h"
#include "store/ReadingTables.h"
#include "store/RowSet.h"

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <memory>

namespace {

class SilentPrompter : public app::Prompter {
public:
    app::Answer ask(const app::Prompt&) override { return app::Answer::No; }
    std::optional<QString> input(const QString&, const QString&) override { return std::nullopt; }
    QString openFileName(const QString&) override { return {}; }
};

struct OpenState {
    SilentPrompter prompter;
    app::Environment env{QString(), &prompter, nullptr, nullptr};
    app::AppState state{env};

    explicit OpenState(const QString& path) {
        state.cnDatabase = bench::openDataSet(path);
        // A server's database is named as its connection names it.
        state.DBPath = bench::onServer() ? state.cnDatabase->path() : path;
        state.rsSensors = std::make_unique<store::RowSet>(
            *state.cnDatabase,
            QStringLiteral("SELECT Sensors.* FROM Sensors ORDER BY InstrumentID DESC;"));
    }
};

void BM_TableExists(benchmark::State& st) {
    const int tables = int(st.range(0));
    OpenState open(bench::sharedDataSet(tables, 0));
    QStringList names;
    for (int i = 0; i < tables; ++i)
        names << bench::sensorNumber(i);
    const QString absent = QStringLiteral("999991999");
    int i = 0;
    for (auto _ : st) {
        // A present table and an absent one, as the callers meet both.
        const bool present =
            readings::TableExists(open.state, open.state.DBPath, names[i++ % tables]);
        const bool missing = readings::TableExists(open.state, open.state.DBPath, absent);
        if (!present || missing) st.SkipWithError("wrong answer");
    }
}
BENCHMARK(BM_TableExists)->Arg(10)->Arg(1000);

void BM_OpenSensorData(benchmark::State& st) {
    const int readings = int(st.range(0));
    OpenState open(bench::sharedDataSet(1, readings));
    for (auto _ : st) {
        open.state.rsSensorData.reset(); // opened anew, not read again in place
        readings::OpenSensorData(open.state, open.prompter);
        if (!open.state.rsSensorData || open.state.rsSensorData->RecordCount() != readings)
            st.SkipWithError("readings not opened");
        benchmark::DoNotOptimize(open.state.rsSensorData->value(0));
    }
}
BENCHMARK(BM_OpenSensorData)->Arg(100000)->Unit(benchmark::kMillisecond);

// The reference: the keyset cursor's own job by the engine alone, the
// ordered rowids and the first row's values.
void BM_BareKeyset(benchmark::State& st) {
    const int readings = int(st.range(0));
    const QString path = bench::sharedDataSet(1, readings);
    if (bench::onServer()) {
        PGconn* conn = PQconnectdb(bench::serverDataSet(path).toUtf8().constData());
        if (PQstatus(conn) != CONNECTION_OK) st.SkipWithError(PQerrorMessage(conn));
        for (auto _ : st)
            if (bench::bareKeyset(conn, bench::sensorNumber(0), false) != readings)
                st.SkipWithError("rows missing");
        PQfinish(conn);
        return;
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    for (auto _ : st)
        if (bench::bareKeyset(db, bench::sensorNumber(0), false) != readings)
            st.SkipWithError("rows missing");
    sqlite3_close(db);
}
BENCHMARK(BM_BareKeyset)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RowSetFind(benchmark::State& st) {
    const int readings = int(st.range(0));
    OpenState open(bench::sharedDataSet(1, readings));
    store::RowSet rs(*open.state.cnDatabase, store::readingsQuery(bench::sensorNumber(0)));
    const QString criteria =
        QStringLiteral("DateTimeKey = '%1'")
            .arg(bench::generatedReadingKey(bench::sensorNumber(0), readings - 1));
    for (auto _ : st) {
        rs.MoveFirst();
        rs.Find(criteria);
        if (rs.AbsolutePosition() != readings) st.SkipWithError("key not found");
    }
}
BENCHMARK(BM_RowSetFind)->Arg(100)->Arg(100000);

} // namespace
