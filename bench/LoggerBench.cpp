// Logger files as loggers write them: a long TOA5 file of eight vibrating-wire
// channels and a thermistor, converted and appended to one sensor, against
// SQLite inserting the same rows plus a bare read of the file; and a folder of
// two hundred small files into two hundred sensors, against the same rows
// inserted by bare SQLite, one transaction per file.
#include "Bare.h"
#include "DataSet.h"
#include "Engine.h"
#include "Windows.h"

#include "importer/Mapping.h"
#include "operations/Operations.h"
#include "store/Database.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <array>
#include <cmath>
#include <memory>
#include <random>

namespace {

// Type 91: nine channels and the temperature.
const int SensorIndex = 7;
const int Sensors = SensorIndex + 1;
const int FolderFiles = 200;
const int FolderLines = 24;

QByteArray toa5Header(const QByteArray& station, int channels, const QByteArray& unit) {
    QByteArray h =
        "\"TOA5\",\"" + station +
        "\",\"CR1000X\",\"1234\",\"CR1000X.Std.06\",\"CPU:vw.CR1X\",\"999\",\"Hourly\"\r\n"
        "\"TIMESTAMP\",\"RECORD\",\"Therm\"";
    for (int c = 1; c <= channels; ++c)
        h += ",\"Freq(" + QByteArray::number(c) + ")\"";
    h += "\r\n\"TS\",\"RN\",\"Ohm\"";
    for (int c = 1; c <= channels; ++c)
        h += ",\"" + unit + "\"";
    h += "\r\n\"\",\"\",\"Smp\"";
    for (int c = 1; c <= channels; ++c)
        h += ",\"Smp\"";
    return h + "\r\n";
}

// Readings of lines hours from the data set's first day: frequencies about
// 2600 Hz drifting slowly, a thermistor about 3 kΩ.
QByteArray toa5Lines(int lines, const QByteArray& unit, std::mt19937& random) {
    std::normal_distribution<double> noise(0.0, 0.2);
    QByteArray bytes;
    bytes.reserve(lines * 120);
    for (int k = 0; k < lines; ++k) {
        bytes += '"' + bench::generatedReadingTime(k).toString("yyyy-MM-dd HH:mm:ss").toLatin1() +
                 "\"," + QByteArray::number(k) + ',' +
                 QByteArray::number(3000.0 + 200.0 * std::sin(k / 24.0), 'f', 1);
        for (int c = 1; c <= 8; ++c)
            bytes += ',' + QByteArray::number(unit == "Hz" ? 2600.0 + c + k * 0.001 + noise(random)
                                                           : 10.0 * c + k * 0.001,
                                              'f', 3);
        bytes += "\r\n";
    }
    return bytes;
}

QString toa5File(int lines) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("vw-%1.dat").arg(lines));
    if (QFile::exists(path)) return path;
    std::mt19937 random(20261207);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(toa5Header("Bench", 8, "Hz") + toa5Lines(lines, "Hz", random));
    return path;
}

struct Fresh {
    explicit Fresh(int sensors) : copy(bench::sharedDataSet(sensors, 0)) {
        db = bench::openDatabase(copy.database);
    }
    bench::Documents copy;
    std::unique_ptr<store::Database> db;
};

const QString Map = QStringLiteral(
    "TIMESTAMP=time,Therm=temperature,Freq(1)=channel1,Freq(2)=channel2,Freq(3)=channel3,"
    "Freq(4)=channel4,Freq(5)=channel5,Freq(6)=channel6,Freq(7)=channel7,Freq(8)=channel8");

void BM_ImportToa5(benchmark::State& st) {
    const int lines = int(st.range(0));
    const QString path = toa5File(lines);
    const QString number = bench::sensorNumber(SensorIndex);
    for (auto _ : st) {
        st.PauseTiming();
        auto fresh = std::make_unique<Fresh>(Sensors);
        for (int c = 1; c <= 8; ++c) {
            operations::CalibrationRequest r;
            r.sensor = number;
            r.channel = c;
            r.validFrom = QStringLiteral("2000-01-01 00:00:00");
            r.kind = QStringLiteral("linear");
            r.gaugeFactor = 0.011906;
            r.thermalM = 0.0001;
            r.thermalB = 0.2;
            r.minDigits = 1000;
            r.maxDigits = 9000;
            operations::setCalibration(*fresh->db, r);
        }
        operations::ImportRequest r;
        r.file = path;
        r.sensor = number;
        r.map = Map;
        r.now = QDateTime(QDate(2100, 1, 1), QTime(0, 0));
        st.ResumeTiming();
        const operations::ImportOutcome o =
            operations::importLoggerFile(*fresh->db, fresh->copy.dataFolder, r, r.now.date());
        st.PauseTiming();
        if (o.appended != lines) {
            st.SkipWithError("not every line appended");
            break;
        }
        fresh.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_ImportToa5)->Arg(100000)->Unit(benchmark::kMillisecond);

// What any reader of the file must do: read it and find its fields.
void BM_BareToa5Read(benchmark::State& st) {
    const int lines = int(st.range(0));
    const QString path = toa5File(lines);
    for (auto _ : st) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) st.SkipWithError("cannot read");
        const QByteArray bytes = f.readAll();
        std::vector<std::uint32_t> fields;
        fields.reserve(size_t(bytes.size() / 8));
        int found = 0;
        const char* p = bytes.constData();
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (p[i] == ',')
                fields.push_back(std::uint32_t(i + 1));
            else if (p[i] == '\n')
                ++found;
        }
        benchmark::DoNotOptimize(fields.data());
        if (found != lines + 4) st.SkipWithError("not all read");
    }
}
BENCHMARK(BM_BareToa5Read)->Arg(100000)->Unit(benchmark::kMillisecond);

// Two hundred files of a day's hourly lines, each of its own logger mapped to
// its own sensor, settled long ago.
struct Folder {
    QTemporaryDir dir;
    Folder() {
        std::mt19937 random(20261207);
        for (int i = 0; i < FolderFiles; ++i) {
            QFile f(dir.filePath(QStringLiteral("logger%1.dat").arg(i, 3, 10, QLatin1Char('0'))));
            if (!f.open(QIODevice::WriteOnly)) continue;
            f.write(toa5Header("L" + QByteArray::number(i), 8, "mm") +
                    toa5Lines(FolderLines, "mm", random));
            f.flush();
            f.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)),
                          QFileDevice::FileModificationTime);
        }
    }
};

void mapFolder(store::Database& db) {
    db.transaction([&] {
        for (int i = 0; i < FolderFiles; ++i) {
            importer::Mapping m;
            m.logger = QStringLiteral("TOA5 L%1/Hourly").arg(i);
            m.sensor = bench::sensorNumber(i);
            m.fields.push_back({QStringLiteral("TIMESTAMP"),
                                {importer::Target::Time, 0},
                                importer::Unit::AsIs,
                                std::nullopt});
            m.fields.push_back({QStringLiteral("Therm"),
                                {importer::Target::Temperature, 0},
                                importer::Unit::Ohm,
                                std::nullopt});
            for (int c = 1; c <= 8; ++c)
                m.fields.push_back({QStringLiteral("Freq(%1)").arg(c),
                                    {importer::Target::Channel, c},
                                    importer::Unit::Millimetre,
                                    std::nullopt});
            importer::saveMapping(db, m);
        }
    });
}

void BM_ImportFolder(benchmark::State& st) {
    const Folder folder;
    for (auto _ : st) {
        st.PauseTiming();
        auto fresh = std::make_unique<Fresh>(FolderFiles);
        mapFolder(*fresh->db);
        operations::FolderRequest r;
        r.folder = folder.dir.path();
        r.now = QDateTime(QDate(2100, 1, 1), QTime(0, 0));
        st.ResumeTiming();
        const auto list = operations::importFolder(*fresh->db, fresh->copy.dataFolder, r);
        st.PauseTiming();
        int appended = 0;
        for (const auto& f : list)
            appended += f.appended;
        if (appended != FolderFiles * FolderLines) {
            st.SkipWithError("not every line appended");
            break;
        }
        fresh.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_ImportFolder)->Unit(benchmark::kMillisecond);

// The same rows by the engine's own calls: one prepared insert a table, one
// transaction a file.
// On a server through libpq alone: one prepared insert a table, one
// transaction a file.
void bareFolderInsertOnServer(benchmark::State& st) {
    for (auto _ : st) {
        st.PauseTiming();
        auto fresh = std::make_unique<bench::Documents>(bench::sharedDataSet(FolderFiles, 0));
        bench::PgConnection conn(fresh->database);
        if (!conn.ok()) {
            st.SkipWithError(conn.error());
            break;
        }
        st.ResumeTiming();
        bool ok = true;
        for (int i = 0; ok && i < FolderFiles; ++i) {
            const QByteArray name = "insert" + QByteArray::number(i);
            const QByteArray sql =
                "INSERT INTO \"" + bench::sensorNumber(i).toUtf8() +
                "\" (\"DateTimeKey\", \"ReadingDate\", \"ReadingTime\", \"FullDate\", "
                "\"ChannelT\", \"Channel1\", \"Channel2\", \"Channel3\", \"Channel4\", "
                "\"Channel5\", \"Channel6\", \"Channel7\", \"Channel8\", \"IsDirty\", "
                "\"Plottemporal\", \"PlotSpatial\") VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, "
                "$10, $11, $12, $13, 1, 1, 0)";
            ok = conn.run("BEGIN") == 0;
            PGresult* prepared = PQprepare(conn.get(), name.constData(), sql.constData(), 13,
                                           nullptr);
            ok = ok && PQresultStatus(prepared) == PGRES_COMMAND_OK;
            PQclear(prepared);
            std::array<QByteArray, 13> text;
            std::array<const char*, 13> values{};
            for (int k = 0; ok && k < FolderLines; ++k) {
                const QDateTime when = bench::generatedReadingTime(k);
                text[0] = bench::generatedReadingKey(bench::sensorNumber(i), k).toUtf8();
                text[1] = when.toString("yyyy/MM/dd").toLatin1();
                text[2] = when.toString("HH:mm:ss").toLatin1();
                text[3] = when.toString("yyyy-MM-dd HH:mm:ss").toLatin1();
                for (int c = 0; c < 9; ++c)
                    text[size_t(4 + c)] = bench::pgNumber(10.0 * c + k * 0.001);
                for (size_t v = 0; v < text.size(); ++v)
                    values[v] = text[v].constData();
                PGresult* done = PQexecPrepared(conn.get(), name.constData(), 13, values.data(),
                                                nullptr, nullptr, 0);
                ok = PQresultStatus(done) == PGRES_COMMAND_OK;
                PQclear(done);
            }
            ok = ok && conn.run("COMMIT") == 0;
        }
        st.PauseTiming();
        if (!ok) {
            st.SkipWithError(conn.error());
            break;
        }
        st.ResumeTiming();
    }
}

void BM_BareFolderInsert(benchmark::State& st) {
    if (bench::onServer()) {
        bareFolderInsertOnServer(st);
        return;
    }
    for (auto _ : st) {
        st.PauseTiming();
        auto fresh = std::make_unique<Fresh>(FolderFiles);
        sqlite3* db = fresh->db->handle();
        st.ResumeTiming();
        for (int i = 0; i < FolderFiles; ++i) {
            const QByteArray sql =
                "INSERT INTO `" + bench::sensorNumber(i).toUtf8() +
                "` (DateTimeKey, ReadingDate, ReadingTime, FullDate, ChannelT, Channel1, "
                "Channel2, Channel3, Channel4, Channel5, Channel6, Channel7, Channel8, IsDirty, "
                "Plottemporal, PlotSpatial) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
                "?12, ?13, 1, 1, 0)";
            sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            sqlite3_stmt* insert = nullptr;
            sqlite3_prepare_v2(db, sql.constData(), -1, &insert, nullptr);
            for (int k = 0; k < FolderLines; ++k) {
                const QDateTime when = bench::generatedReadingTime(k);
                const QByteArray key =
                    bench::generatedReadingKey(bench::sensorNumber(i), k).toUtf8();
                const QByteArray date = when.toString("yyyy/MM/dd").toLatin1();
                const QByteArray time = when.toString("HH:mm:ss").toLatin1();
                const QByteArray full = when.toString("yyyy-MM-dd HH:mm:ss").toLatin1();
                sqlite3_bind_text(insert, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 3, time.constData(), int(time.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 4, full.constData(), int(full.size()), SQLITE_TRANSIENT);
                for (int c = 0; c < 9; ++c)
                    sqlite3_bind_double(insert, 5 + c, 10.0 * c + k * 0.001);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
            sqlite3_finalize(insert);
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        }
        st.PauseTiming();
        fresh.reset();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_BareFolderInsert)->Unit(benchmark::kMillisecond);

} // namespace
