// The operations the window and the tool share, without any widget: each
// refusal leaves nothing behind, the numbers are the graphs' own, and a
// writer beside the window never writes into a file that was replaced.
#include "support/Support.h"

#include "app/shell/Compaction.h"
#include "graphs/GraphData.h"
#include "operations/Operations.h"
#include "store/RowSet.h"

#include <QFile>

#include <sqlite3.h>

using namespace testing_support;

namespace {

// Run on a file and on a server alike.
class OperationsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        db = &openNewDatabase();
    }
    int tables() { return int(db->tableNames().size()); }
    void setChannels(const QString& sensor, int k, const QString& assignments) {
        db->execute(QStringLiteral("UPDATE `%1` SET %2 WHERE DateTimeKey = '%3'")
                        .arg(sensor, assignments, readingKey(sensor, start.addSecs(3600LL * k))));
    }
    static operations::NewSensor newSensor(const QString& number) {
        operations::NewSensor s;
        s.number = number;
        return s;
    }
    store::Database* db = nullptr;
    const QDateTime start{QDate(2025, 3, 1), QTime(0, 0)};
};

TEST_P(OperationsTest, AddSensorRefusesWithoutLeavingAnythingAndAddsWithDefaults) {
    const int before = tables();
    for (const QString& number : {QStringLiteral("2025x1001"), QStringLiteral("20254100"),
                                  QStringLiteral("202599001"), QStringLiteral("202541000")})
        EXPECT_THROW(operations::addSensor(*db, newSensor(number)), store::Error)
            << number.toStdString();
    EXPECT_EQ(rowCount(*db, QStringLiteral("Sensors")), 0);
    EXPECT_EQ(tables(), before);

    operations::NewSensor rova = newSensor(QStringLiteral("202581002"));
    rova.mpbx = false;
    rova.level = QStringLiteral(" L 12 ");
    rova.location = QStringLiteral("Drive, north");
    rova.installDate = QDate(2025, 1, 2);
    operations::addSensor(*db, rova);
    store::Statement row = db->prepare(QStringLiteral(
        "SELECT Family, Model, SensorType, Level, Location, InstallDate, Destroyed, "
        "HeadLocation, LengthofCable, Recess FROM Sensors WHERE InstrumentID = '202581002'"));
    ASSERT_TRUE(row.step());
    QStringList values;
    for (int c = 0; c < 10; ++c)
        values << row.text(c);
    EXPECT_EQ(values.join('|'), "q7ROVA|EX|81|L 12|Drive, north|2025/01/02|No|1|0.0|0.0");
    if (!db->isServer()) {
        EXPECT_EQ(db->tableDefinition(QStringLiteral("202581002")).section('(', 1),
                  db->tableDefinition(QStringLiteral("sensordata")).section('(', 1));
    }
    QStringList made, kept;
    for (const auto& c : db->columns(QStringLiteral("202581002")))
        made << c.name + ' ' + c.type;
    for (const auto& c : db->columns(QStringLiteral("sensordata")))
        kept << c.name + ' ' + c.type;
    EXPECT_EQ(made, kept);
    // Once there, the number is refused again and nothing is added twice.
    EXPECT_THROW(operations::addSensor(*db, newSensor(QStringLiteral("202581002"))), store::Error);
    EXPECT_EQ(rowCount(*db, QStringLiteral("Sensors")), 1);
}

TEST_P(OperationsTest, ListsTheRegisterLowestFirstWithWhatEachTableHolds) {
    addSensor(*db, QStringLiteral("202541002"));
    addSensor(*db, QStringLiteral("202521001"));
    addReadings(*db, QStringLiteral("202541002"), 30, start);
    const auto list = operations::listSensors(*db);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].number, "202521001");
    EXPECT_EQ(list[0].anchors, 1);
    EXPECT_EQ(list[0].readings, 0);
    EXPECT_EQ(list[0].firstReading, "");
    EXPECT_EQ(list[1].anchors, 3);
    EXPECT_EQ(list[1].readings, 30);
    EXPECT_EQ(list[1].firstReading, "2025/03/01 00:00:00");
    EXPECT_EQ(list[1].lastReading, "2025/03/02 05:00:00");
}

// The displacements listed are the ones the time graph stores, with the head
// at either end, and whole days are taken from both ends of the range.
TEST_P(OperationsTest, ReadingsOfWholeDaysWithTheGraphsDisplacements) {
    const QString sensor = QStringLiteral("202541001");
    addSensor(*db, sensor);
    addReadings(*db, sensor, 72, start);
    setChannels(sensor, 0, QStringLiteral("Plottemporal = 0")); // the zero is the second
    setChannels(sensor, 5, QStringLiteral("Channel2 = NULL"));
    for (const bool collar : {true, false}) {
        db->execute(QStringLiteral("UPDATE Sensors SET HeadLocation = %1").arg(collar ? 1 : 0));
        graphs::prepareTimeGraph(
            *db, sensor, collar ? readings::HeadLocation::Collar : readings::HeadLocation::Toe, 3);
        std::vector<operations::ReadingLine> lines;
        const operations::ReadingsOf of = operations::forEachReading(
            *db, sensor, QDate(2025, 3, 1), QDate(2025, 3, 2),
            [&](const operations::ReadingLine& l) { lines.push_back(l); });
        EXPECT_EQ(of.anchors, 3);
        ASSERT_EQ(lines.size(), 48u); // 1 and 2 March, not the 3rd
        EXPECT_EQ(lines.back().date, "2025/03/02");
        store::Statement stored = db->prepare(
            QStringLiteral("SELECT Disp1, Disp2, Disp3 FROM `%1` ORDER BY FullDate").arg(sensor));
        for (size_t k = 0; k < lines.size() && stored.step(); ++k) {
            if (k == 0) continue; // not ticked: the graph leaves it alone
            for (int a = 0; a < 3; ++a) {
                const std::optional<double> graph = stored.number(a);
                const std::optional<double>& listed = lines[k].displacements[size_t(a)];
                ASSERT_EQ(listed.has_value(), graph.has_value()) << "reading " << k;
                if (graph) {
                    EXPECT_NEAR(*listed, *graph, 1e-9)
                        << "reading " << k << " anchor " << a + 1 << (collar ? " collar" : " toe");
                }
            }
        }
        EXPECT_DOUBLE_EQ(*lines[5].channels[0], 1.05);
        EXPECT_FALSE(lines[5].channels[1].has_value());
    }
    int all = 0;
    operations::forEachReading(*db, sensor, std::nullopt, std::nullopt,
                               [&](const operations::ReadingLine&) { ++all; });
    EXPECT_EQ(all, 72);
}

class ImportTest : public OperationsTest {
protected:
    QString loggerFile(const QStringList& lines) {
        const QString path = documents.filePath(Sensor + ".txt");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((lines.join("\r\n") + "\r\n").toLatin1());
        return path;
    }
    static QString line(int hour) {
        return QDateTime(QDate(2025, 4, 1), QTime(6, 0))
                   .addSecs(3600LL * hour)
                   .toString("yyyy/MM/dd HH:mm:ss") +
               ",TR01,91,005,21.46,1.25,2.5,3,4,5,6,7,8,9,10,x";
    }
    operations::ImportOutcome import(const QString& file, bool all = false, bool dryRun = false) {
        operations::ImportRequest r;
        r.file = file;
        r.sensor = Sensor;
        r.all = all;
        r.dryRun = dryRun;
        return operations::importLoggerFile(*db, dataFolder, r, QDate(2026, 12, 7));
    }
    const QString Sensor = QStringLiteral("202541001");
};

TEST_P(ImportTest, TheProposalOrEveryLineInOneTransaction) {
    addSensor(*db, Sensor);
    QStringList lines;
    for (int h = 0; h < 50; ++h)
        lines << line(h);
    lines << "not a date,1,2";
    const QString file = loggerFile(lines);

    operations::ImportOutcome dry = import(file, false, true);
    EXPECT_EQ(dry.appended, 3); // 06:00 on the 1st, 2nd and 3rd
    EXPECT_EQ(dry.notProposed, 48);
    EXPECT_EQ(rowCount(*db, Sensor), 0); // a dry run stores nothing

    EXPECT_EQ(import(file).appended, 3);
    const operations::ImportOutcome all = import(file, true);
    EXPECT_EQ(all.lines, 51);
    EXPECT_EQ(all.appended, 47);
    EXPECT_EQ(all.duplicates, 3);
    EXPECT_EQ(all.notDates, 1);
    EXPECT_EQ(rowCount(*db, Sensor), 50);

    // A failure midway stores none of the file.
    db->execute(QStringLiteral("DELETE FROM `%1`").arg(Sensor));
    refuseWrites(*db, QStringLiteral("refuse"), Sensor, QStringLiteral("INSERT"),
                 QStringLiteral("new.ReadingTime = '08:00:00'"), QStringLiteral("refused"));
    EXPECT_THROW(import(file, true), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
}

TEST_P(ImportTest, RefusesWhatIsNoLoggerFileOfAKnownSensor) {
    addSensor(*db, Sensor);
    EXPECT_THROW(import(documents.filePath("missing.txt")), store::Error);
    const QString binary = documents.filePath("zeros.txt");
    QFile f(binary);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, '\0'));
    f.close();
    EXPECT_THROW(import(binary), store::Error);
    operations::ImportRequest other;
    other.file = loggerFile({line(0)});
    other.sensor = QStringLiteral("202541009");
    EXPECT_THROW(operations::importLoggerFile(*db, dataFolder, other, QDate()), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
}

TEST_P(OperationsTest, CsvExportQuotesAsSpreadsheetsReadIt) {
    const QString sensor = QStringLiteral("202521001");
    addSensor(*db, sensor);
    addReadings(*db, sensor, 2, start);
    db->execute(
        QStringLiteral("UPDATE `%1` SET ReadingTime = 'a \"b\", c' WHERE _rowid_ = 1").arg(sensor));
    const QString path = documents.filePath("out.csv");
    operations::exportCsv(*db, sensor, path);
    const QStringList lines = QString::fromUtf8(fileBytes(path)).split("\r\n");
    ASSERT_EQ(lines.size(), 4); // header, two readings, the empty end
    EXPECT_EQ(lines[0].toStdString(),
              "DateTime Key,ReadingDate,R. Time,ChannelT,Channel1,PlotTemporal");
    EXPECT_EQ(lines[1].toStdString(),
              "202521001 2025/03/01 00:00:00,2025/03/01,\"a \"\"b\"\", c\",20,1,TRUE");
    EXPECT_EQ(lines[2].toStdString(),
              "202521001 2025/03/01 01:00:00,2025/03/01,01:00:00,20,1.01,TRUE");
    EXPECT_THROW(operations::exportCsv(*db, "202521009", path), store::Error);
    EXPECT_EQ(fileBytes(path).count('\n'), 3); // the earlier file is still whole
}

TEST_P(OperationsTest, CheckNamesEverySensorWithoutItsTableOrColumns) {
    addSensor(*db, QStringLiteral("202521001"));
    addSensor(*db, QStringLiteral("202521002"));
    EXPECT_TRUE(operations::checkDatabase(*db).empty());
    db->execute("DROP TABLE `202521001`");
    db->execute("ALTER TABLE `202521002` DROP COLUMN Reference");
    const auto found = operations::checkDatabase(*db);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].subject, "202521001");
    EXPECT_EQ(found[1].problem, "the column Reference is missing");
}

// The window's compaction at exit renames a new file over the one the tool
// may be writing to: no write may land in between, and a writer that waited
// writes to the new file or not at all.
TEST_P(OperationsTest, NoWriteIsLostToACompactionBesideIt) {
    if (db->isServer()) GTEST_SKIP() << "a server database is never compacted by this program";
    addSensor(*db, QStringLiteral("202521001"));
    addReadings(*db, QStringLiteral("202521001"), 3000, start);
    db->execute("DELETE FROM `202521001`"); // plenty of free pages to give back
    state->releaseDatabase();
    const QString path = dataFile("TolvaneMPBX.mdb");
    auto tool = store::Database::open(path);
    sqlite3_busy_timeout(tool->handle(), 0);
    bool blocked = false;
    ASSERT_TRUE(app::CompactDB(path, prompter, state->log, [&] {
        try {
            operations::writeTransaction(*tool, [&] { tool->execute("DELETE FROM Prefs"); });
        } catch (const store::Error& e) {
            blocked = (e.number() & 0xff) == SQLITE_BUSY;
        }
    }));
    EXPECT_TRUE(blocked);
    EXPECT_TRUE(tool->hasMoved());
    EXPECT_THROW(operations::writeTransaction(*tool, [&] { tool->execute("DELETE FROM Prefs"); }),
                 store::Error);
    auto after = store::Database::open(path, true);
    EXPECT_EQ(rowCount(*after, "Prefs"), 1);
}

TOLVANE_ON_BOTH_ENGINES(OperationsTest);
TOLVANE_ON_BOTH_ENGINES(ImportTest);

} // namespace
