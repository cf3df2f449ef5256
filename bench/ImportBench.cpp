// The logger import: opening a long logger file (copy, read, the review grid
// filled with its proposal) against reading the same file into sixteen
// strings a line, and appending every line against SQLite inserting the same
// rows with one prepared statement in one transaction.
#include "DataSet.h"
#include "Windows.h"

#include "app/AppState.h"
#include "importer/Append.h"
#include "importer/Proposal.h"
#include "importer/ReviewModel.h"
#include "importer/TroveData.h"
#include "store/Database.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

// The sensor the lines are appended to: type 91, nine channels and the
// temperature, the most an import stores.
const int SensorIndex = 7;
const int Sensors = SensorIndex + 1;

// A logger file of hourly lines, as the logger writes them, made once a run.
QString loggerFile(int lines) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(
        QStringLiteral("%1-%2.txt").arg(bench::sensorNumber(SensorIndex)).arg(lines));
    if (QFile::exists(path)) return path;
    std::mt19937 random(20261207);
    std::normal_distribution<double> noise(0.0, 0.05);
    QByteArray bytes;
    for (int k = 0; k < lines; ++k) {
        QString line =
            bench::generatedReadingTime(k).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
            QStringLiteral(",TR0042,91,005,") +
            QString::number(20.0 + 5.0 * std::sin(k / 24.0) + noise(random), 'f', 2);
        for (int c = 1; c <= 10; ++c)
            line += QLatin1Char(',') +
                    QString::number(10.0 * c + k * 0.0004 * c + noise(random), 'f', 3);
        bytes += line.toLatin1() + ",0\r\n";
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}

struct ImportState {
    bench::QuietPrompter prompter;
    QTemporaryDir dataFolder;
    app::Environment env{QString(), &prompter, nullptr, nullptr};
    app::AppState state{env};
    ImportState() { state.setDataFolder(dataFolder.path(), dataFolder.path()); }
};

void BM_OpenLoggerFile(benchmark::State& st) {
    const int lines = int(st.range(0));
    const QString path = loggerFile(lines);
    ImportState open;
    importer::ReviewModel model;
    for (auto _ : st) {
        auto table = importer::OpenTroveData(open.state, QStringLiteral("logger.txt"), path);
        model.PopulateSFlexGrid(table.get(), open.state.NoTroveData, 24,
                                importer::systemDayOrder());
        if (model.rowCount() != lines || !model.isTicked(24)) st.SkipWithError("not all read");
    }
}
BENCHMARK(BM_OpenLoggerFile)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_BareCsvRead(benchmark::State& st) {
    const int lines = int(st.range(0));
    const QString path = loggerFile(lines);
    for (auto _ : st) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) st.SkipWithError("cannot read");
        const QByteArray bytes = f.readAll();
        std::vector<std::array<QString, 16>> rows;
        qsizetype start = 0;
        while (start < bytes.size()) {
            qsizetype end = bytes.indexOf('\n', start);
            if (end < 0) end = bytes.size();
            const QByteArrayView line(bytes.constData() + start, end - start);
            std::array<QString, 16>& row = rows.emplace_back();
            qsizetype from = 0;
            for (int c = 0; c < 16 && from <= line.size(); ++c) {
                qsizetype comma = line.indexOf(',', from);
                if (comma < 0) comma = line.size();
                row[size_t(c)] = QString::fromLatin1(line.sliced(from, comma - from));
                from = comma + 1;
            }
            start = end + 1;
        }
        if (int(rows.size()) != lines) st.SkipWithError("not all read");
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_BareCsvRead)->Arg(100000)->Unit(benchmark::kMillisecond);

// A fresh copy of the data set with the sensor's empty reading table.
struct FreshDatabase {
    bench::Documents copy{bench::sharedDataSet(Sensors, 0)};
    std::unique_ptr<store::Database> db = store::Database::open(copy.database);
};

void BM_AppendImport(benchmark::State& st) {
    const int lines = int(st.range(0));
    ImportState open;
    const auto table =
        importer::OpenTroveData(open.state, QStringLiteral("logger.txt"), loggerFile(lines));
    const std::vector<std::uint8_t> ticks(size_t(lines), 1);
    const QString number = bench::sensorNumber(SensorIndex);
    const importer::AppendTarget target{number, number.mid(4, 2), true};
    for (auto _ : st) {
        st.PauseTiming();
        auto fresh = std::make_unique<FreshDatabase>();
        st.ResumeTiming();
        const auto outcome =
            importer::appendReadings(*fresh->db, target, *table, ticks,
                                     importer::DateLayout::YearFirst, importer::systemDayOrder());
        st.PauseTiming();
        if (outcome.appended != lines) st.SkipWithError("not all appended");
        fresh.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_AppendImport)->Arg(100000)->Unit(benchmark::kMillisecond);

struct Row {
    QString key, date, time, fullDate;
    std::array<double, 10> values; // the temperature, then nine channels
};

void BM_BareInsert(benchmark::State& st) {
    const int lines = int(st.range(0));
    const QString number = bench::sensorNumber(SensorIndex);
    std::vector<Row> rows(static_cast<size_t>(lines));
    for (int k = 0; k < lines; ++k) {
        const QDateTime when = bench::generatedReadingTime(k);
        Row& r = rows[size_t(k)];
        r.key = bench::generatedReadingKey(number, k);
        r.date = when.toString(QStringLiteral("yyyy/MM/dd"));
        r.time = when.toString(QStringLiteral("HH:mm:ss"));
        r.fullDate = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        for (int c = 0; c < 10; ++c)
            r.values[size_t(c)] = 10.0 * c + k * 0.001;
    }
    const QString sql =
        QStringLiteral("INSERT INTO %1 (DateTimeKey, ReadingDate, ReadingTime, FullDate, ChannelT, "
                       "Channel1, Channel2, Channel3, Channel4, Channel5, Channel6, Channel7, "
                       "Channel8, Channel9, IsDirty, Plottemporal, PlotSpatial) VALUES (?1, ?2, "
                       "?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, 1, 1, 0)")
            .arg(store::quoteName(number));
    for (auto _ : st) {
        st.PauseTiming();
        auto fresh = std::make_unique<FreshDatabase>();
        st.ResumeTiming();
        store::Database& db = *fresh->db;
        db.transaction([&] {
            store::Statement insert = db.prepare(sql);
            for (const Row& r : rows) {
                insert.bind(1, r.key);
                insert.bind(2, r.date);
                insert.bind(3, r.time);
                insert.bind(4, r.fullDate);
                for (int c = 0; c < 10; ++c)
                    insert.bind(5 + c, r.values[size_t(c)]);
                insert.run();
            }
        });
        st.PauseTiming();
        fresh.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_BareInsert)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
