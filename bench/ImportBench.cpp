// The logger import: opening a long logger file (copy, read, the review grid
// filled with its proposal) against a copy of the same file and one pass
// over it, and appending every line against SQLite inserting the same
// rows with one prepared statement in one transaction.
#include "Bare.h"
#include "DataSet.h"
#include "Engine.h"
#include "Windows.h"
#include "importer/ui/WindowImport.h"

#include "app/shell/AppState.h"
#include "importer/Append.h"
#include "importer/Proposal.h"
#include "importer/ReviewModel.h"
#include "importer/TroveData.h"
#include "store/Database.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

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
        // As the import command opens it: held whole, or streamed when large.
        auto file = importer::OpenTroveData(open.state, QStringLiteral("logger.txt"), path, {}, {});
        model.PopulateSFlexGrid(file.get(), file == nullptr, 24, importer::systemDayOrder());
        if (model.rowCount() != lines || !model.isTicked(24)) st.SkipWithError("not all read");
    }
}
BENCHMARK(BM_OpenLoggerFile)->Arg(100000)->Unit(benchmark::kMillisecond);

// The reader's own job done directly: a copy of the file, then one pass that
// records where each line's fields start.
int copyAndIndex(const QString& path, const QString& copy) {
    QFile::remove(copy);
    if (!QFile::copy(path, copy)) return -1;
    QFile f(copy);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = f.readAll();
    std::vector<std::uint32_t> fields;
    fields.reserve(size_t(bytes.size() / 6));
    fields.push_back(0);
    int lines = 0;
    const char* p = bytes.constData();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (p[i] == ',') {
            fields.push_back(std::uint32_t(i + 1));
        } else if (p[i] == '\n') {
            ++lines;
            fields.push_back(std::uint32_t(i + 1));
        }
    }
    benchmark::DoNotOptimize(fields.data());
    return lines;
}

void BM_BareCsvRead(benchmark::State& st) {
    const int lines = int(st.range(0));
    const QString path = loggerFile(lines);
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("copy.txt"));
    for (auto _ : st)
        if (copyAndIndex(path, copy) != lines) st.SkipWithError("not all read");
}
BENCHMARK(BM_BareCsvRead)->Arg(100000)->Unit(benchmark::kMillisecond);

// A fresh copy of the data set with the sensor's empty reading table.
struct FreshDatabase {
    bench::Documents copy{bench::sharedDataSet(Sensors, 0)};
    std::unique_ptr<store::Database> db = bench::openDatabase(copy.database);
};

// Every line of a logger file of n lines, ticked to be appended to the sensor.
struct AllLines {
    ImportState open;
    std::unique_ptr<importer::TextTable> table;
    std::vector<std::uint8_t> ticks;
    QString number = bench::sensorNumber(SensorIndex);
    importer::AppendTarget target{number, number.mid(4, 2), true};

    explicit AllLines(int n)
        : table(importer::OpenTroveData(open.state, QStringLiteral("logger.txt"), loggerFile(n))),
          ticks(size_t(n), 1) {}
    importer::AppendOutcome appendTo(store::Database& db) const {
        return importer::appendReadings(db, target, *table, ticks, importer::DateLayout::YearFirst,
                                        importer::systemDayOrder());
    }
};

void BM_AppendImport(benchmark::State& st) {
    const int lines = int(st.range(0));
    const AllLines file(lines);
    for (auto _ : st) {
        st.PauseTiming();
        auto fresh = std::make_unique<FreshDatabase>();
        st.ResumeTiming();
        const auto outcome = file.appendTo(*fresh->db);
        st.PauseTiming();
        if (outcome.appended != lines) {
            st.SkipWithError("not all appended");
            break;
        }
        fresh.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_AppendImport)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same file appended again: every line is already there, and the user is
// told once, not once a line.
void BM_ReimportDuplicates(benchmark::State& st) {
    const int lines = int(st.range(0));
    const AllLines file(lines);
    FreshDatabase once;
    file.appendTo(*once.db);
    for (auto _ : st) {
        const auto outcome = file.appendTo(*once.db);
        if (outcome.appended != 0 || outcome.duplicates != lines || outcome.messages.size() != 1) {
            st.SkipWithError("not one summary of every line");
            break;
        }
    }
}
BENCHMARK(BM_ReimportDuplicates)->Arg(100000)->Unit(benchmark::kMillisecond);

struct Row {
    QString key, date, time, fullDate;
    std::array<double, 10> values; // the temperature, then nine channels
};

// The same through libpq alone: one prepared statement run for each row in
// one transaction.
void bareInsertOnServer(benchmark::State& st, const QString& number, const std::vector<Row>& rows) {
    const QByteArray sql = "INSERT INTO \"" + number.toUtf8() +
                           "\" (\"DateTimeKey\", \"ReadingDate\", \"ReadingTime\", "
                           "\"FullDate\", \"ChannelT\", \"Channel1\", \"Channel2\", "
                           "\"Channel3\", \"Channel4\", \"Channel5\", \"Channel6\", "
                           "\"Channel7\", \"Channel8\", \"Channel9\", \"IsDirty\", "
                           "\"Plottemporal\", \"PlotSpatial\") VALUES ($1, $2, $3, $4, $5, $6, "
                           "$7, $8, $9, $10, $11, $12, $13, $14, 1, 1, 0)";
    for (auto _ : st) {
        st.PauseTiming();
        auto fresh = std::make_unique<bench::Documents>(bench::sharedDataSet(Sensors, 0));
        auto conn = std::make_unique<bench::PgConnection>(fresh->database);
        if (!conn->ok()) {
            st.SkipWithError(conn->error());
            break;
        }
        st.ResumeTiming();
        PGconn* db = conn->get();
        bool ok = conn->run("BEGIN") == 0;
        PGresult* prepared = PQprepare(db, "insert", sql.constData(), 14, nullptr);
        ok = ok && PQresultStatus(prepared) == PGRES_COMMAND_OK;
        PQclear(prepared);
        std::array<QByteArray, 14> text;
        std::array<const char*, 14> values{};
        for (size_t i = 0; ok && i < rows.size(); ++i) {
            const Row& r = rows[i];
            text[0] = r.key.toUtf8();
            text[1] = r.date.toUtf8();
            text[2] = r.time.toUtf8();
            text[3] = r.fullDate.toUtf8();
            for (size_t c = 0; c < 10; ++c)
                text[4 + c] = bench::pgNumber(r.values[c]);
            for (size_t v = 0; v < text.size(); ++v)
                values[v] = text[v].constData();
            PGresult* done = PQexecPrepared(db, "insert", 14, values.data(), nullptr, nullptr, 0);
            ok = PQresultStatus(done) == PGRES_COMMAND_OK;
            PQclear(done);
        }
        ok = ok && conn->run("COMMIT") == 0;
        st.PauseTiming();
        if (!ok) {
            st.SkipWithError(conn->error());
            break;
        }
        conn.reset();
        fresh.reset();
        st.ResumeTiming();
    }
}

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
    if (bench::onServer()) {
        bareInsertOnServer(st, number, rows);
        return;
    }
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

namespace {

// The import's answers: the logger file chosen, the append confirmed.
class ImportAnswers : public bench::QuietPrompter {
public:
    explicit ImportAnswers(QString file) : file_(std::move(file)) {}
    app::Answer ask(const app::Prompt& p) override {
        bench::QuietPrompter::ask(p);
        return p.buttons == app::Buttons::YesNo ? app::Answer::Yes : app::Answer::Ok;
    }
    QString openFileName(const QString&) override { return file_; }

private:
    QString file_;
};

// The logger file under the sensor's own name, as the import expects it.
QString namedLoggerFile(int lines) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(bench::sensorNumber(SensorIndex) + QStringLiteral(".txt"));
    if (!QFile::exists(path)) QFile::copy(loggerFile(lines), path);
    return path;
}

// The command on the Readings tab of the sensor, the file chosen, the review
// window drawn, Append, and the readings reopened and drawn.
void BM_ImportFile(benchmark::State& st) {
    const int lines = int(st.range(0));
    ImportAnswers answers(namedLoggerFile(lines));
    const QString number = bench::sensorNumber(SensorIndex);
    for (auto _ : st) {
        st.PauseTiming();
        auto w = std::make_unique<bench::RunningWindow>(bench::sharedDataSet(Sensors, 0), nullptr,
                                                        &answers);
        auto* list = w->control<QComboBox>("cboSensors");
        const int index = list->findText(number);
        list->setCurrentIndex(index);
        emit list->activated(index);
        // Every hourly line proposed, as the bare insert stores them all.
        w->control<QComboBox>("cboTroveInt")->setCurrentText(QStringLiteral("1"));
        w->control<QTabWidget>("SSTab1")->setCurrentIndex(2);
        w->painted();
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            bench::painted(dialog);
            dialog->findChild<QPushButton*>(QStringLiteral("cmdAppend"))->click();
        });
        st.ResumeTiming();
        w->control<QToolButton>("imgAddTroveData")->click();
        w->painted();
        st.PauseTiming();
        const QString shown = w->control<QLineEdit>("txtRcount")->text();
        if (shown != QStringLiteral("%1 of %1").arg(lines)) {
            const std::string why = "the readings were not appended: " + shown.toStdString() +
                                    ", " + std::to_string(answers.shown) + " prompts";
            st.SkipWithError(why.c_str());
            break;
        }
        w.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_ImportFile)->Arg(100000)->Unit(benchmark::kMillisecond);

// The import's limit besides the bare insert: the file copied and read in one
// pass, and the keyset of the appended readings with the last one.
void BM_ImportFileLimit(benchmark::State& st) {
    const int lines = int(st.range(0));
    const QString path = namedLoggerFile(lines);
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("copy.txt"));
    FreshDatabase appended;
    {
        ImportState open;
        const auto table =
            importer::OpenTroveData(open.state, QStringLiteral("logger.txt"), loggerFile(lines));
        const std::vector<std::uint8_t> ticks(size_t(lines), 1);
        const QString number = bench::sensorNumber(SensorIndex);
        importer::appendReadings(*appended.db, {number, number.mid(4, 2), true}, *table, ticks,
                                 importer::DateLayout::YearFirst, importer::systemDayOrder());
    }
    // On a server the keyset is read through libpq alone.
    std::unique_ptr<bench::PgConnection> server;
    if (bench::onServer()) server = std::make_unique<bench::PgConnection>(appended.copy.database);
    for (auto _ : st) {
        if (copyAndIndex(path, copy) != lines) st.SkipWithError("not all read");
        const int found =
            server ? bench::bareKeyset(server->get(), bench::sensorNumber(SensorIndex), true)
                   : bench::bareKeyset(appended.db->handle(), bench::sensorNumber(SensorIndex), true);
        if (found != lines) st.SkipWithError("rows missing");
    }
}
BENCHMARK(BM_ImportFileLimit)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
