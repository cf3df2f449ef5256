// Mapped logger files into the store: converted values, suspect readings with
// their reasons, every skipped line named by its number, one file stored
// whole or not at all, and a folder of files each on its own.
#include "support/Support.h"

#include "importer/Calibration.h"
#include "importer/Mapping.h"
#include "operations/Operations.h"

#include <QDir>
#include <QFile>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("202541001");
const QString Other = QStringLiteral("202541002");

QByteArray toa5(const QByteArray& station, const QByteArray& lines) {
    return "\"TOA5\",\"" + station +
           "\",\"CR1000X\",\"1234\",\"CR1000X.Std.06\",\"CPU:vw.CR1X\",\"999\",\"Hourly\"\r\n"
           "\"TIMESTAMP\",\"RECORD\",\"Therm\",\"Freq(1)\",\"Dig(2)\",\"Disp(3)\"\r\n"
           "\"TS\",\"RN\",\"Ohm\",\"Hz\",\"digits\",\"m\"\r\n"
           "\"\",\"\",\"Smp\",\"Smp\",\"Smp\",\"Smp\"\r\n" +
           lines;
}

const QString Map = QStringLiteral(
    "TIMESTAMP=time,Therm=temperature,Freq(1)=channel1,Dig(2)=channel2,Disp(3)=channel3");

class MappedImportTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
        db->setActor({QStringLiteral("tester"), [this] { return clock.now(); }});
        addSensor(*db, Sensor);
        addSensor(*db, Other);
    }
    QString write(const QString& name, const QByteArray& bytes, const QString& folder = {}) {
        const QString path = QDir(folder.isEmpty() ? documents.path() : folder).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    void calibrate(const QString& sensor, int channel, const QString& from, double g,
                   std::optional<double> r0 = std::nullopt) {
        operations::CalibrationRequest r;
        r.sensor = sensor;
        r.channel = channel;
        r.validFrom = from;
        r.kind = QStringLiteral("linear");
        r.gaugeFactor = g;
        r.zeroDigits = r0;
        if (channel == 2) {
            r.minDigits = 1000;
            r.maxDigits = 9000;
        }
        operations::setCalibration(*db, r);
    }
    operations::ImportOutcome import(const QString& path, const QString& map = {},
                                     const QString& sensor = Sensor) {
        operations::ImportRequest r;
        r.file = path;
        r.sensor = sensor;
        r.map = map;
        r.now = clock.now();
        return operations::importLoggerFile(*db, dataFolder, r, clock.now().date());
    }
    // "date time|T|c1|c2|c3" per reading, in date order.
    QStringList rows(const QString& sensor = Sensor) {
        store::Statement st = db->prepare(
            QStringLiteral("SELECT FullDate, ChannelT, Channel1, Channel2, Channel3 FROM `%1` "
                           "ORDER BY FullDate")
                .arg(sensor));
        QStringList list;
        while (st.step()) {
            QStringList row{st.text(0)};
            for (int c = 1; c < 5; ++c)
                row << (st.number(c) ? QString::number(*st.number(c), 'f', 2) : QString());
            list << row.join('|');
        }
        return list;
    }
    QStringList flags() {
        store::Statement st = db->prepare(QStringLiteral(
            "SELECT DateTimeKey, Quality, Note FROM ReadingQuality ORDER BY DateTimeKey"));
        QStringList list;
        while (st.step())
            list << st.text(0) + '|' + st.text(1) + '|' + st.text(2);
        return list;
    }
    int operations(const QString& name) {
        int n = 0;
        for (const store::AuditRecord& r : auditTrail(*db))
            n += r.entry.operation == name;
        return n;
    }
    store::Database* db = nullptr;
};

TEST_F(MappedImportTest, ConvertsFlagsAndNamesEveryLineItSkips) {
    calibrate(Sensor, 1, "2026-01-01 00:00:00", 0.011906);
    calibrate(Sensor, 2, "2026-01-01 00:00:00", 0.01, 5000);
    const QString path =
        write("site.dat",
              toa5("Mine1", "\"2026-11-01 00:00:00\",0,3000,2604.4,5000,0.001\r\n"        // line 5
                            "\"2026-11-01 01:00:00\",1,3000,2688.5,\"NAN\",0.0015\r\n"    // 6
                            "\"2026-11-01 02:00:00\",2,3000,2688.5,9500,0.002\r\n"        // 7
                            "\"2026-11-01 03:00:00\",3,3000,2688.5\r\n"                   // 8
                            "\"2026-13-01 04:00:00\",4,3000,2688.5,5100,0.002\r\n"        // 9
                            "\"2026-12-07 15:04:06\",5,3000,2688.5,5100,0.002\r\n"        // 10
                            "\"2026-11-01 01:00:00.5\",6,3000,1,5100,0.002\r\n"           // 11
                            "\"2026-11-01 05:00:00\",7,-9999999,2688.5,5100,0.002\r\n")); // 12
    const operations::ImportOutcome o = import(path, Map);
    EXPECT_TRUE(o.mapped);
    EXPECT_EQ(o.lines, 8);
    EXPECT_EQ(o.appended, 4);
    EXPECT_EQ(o.wrongFieldCount, 1);
    EXPECT_EQ(o.notDates, 1);
    EXPECT_EQ(o.future, 1);
    EXPECT_EQ(o.repeated, 1);
    EXPECT_EQ(o.suspect, 3);
    // Hz² / 1000 digits; the first reading under the calibration is its zero.
    EXPECT_EQ(rows().join('\n'), "2026-11-01 00:00:00|24.99|0.00|0.00|1.00\n"
                                 "2026-11-01 01:00:00|24.99|5.30||1.50\n"
                                 "2026-11-01 02:00:00|24.99|5.30||2.00\n"
                                 "2026-11-01 05:00:00||5.30|1.00|2.00");
    EXPECT_EQ(flags().join('\n'),
              "202541001 2026/11/01 01:00:00|suspect|channel2: logger fault marker NAN\n"
              "202541001 2026/11/01 02:00:00|suspect|channel2: 9500.0 digits outside the "
              "gauge's range\n"
              "202541001 2026/11/01 05:00:00|suspect|temperature: logger fault marker "
              "-9999999");
    const QString told = o.messages.join('\n');
    EXPECT_TRUE(told.contains("too few or too many fields were skipped: line 8 (4 of 6 fields)"))
        << told.toStdString();
    EXPECT_TRUE(told.contains("no date and time were skipped: line 9")) << told.toStdString();
    EXPECT_TRUE(told.contains("in the future were skipped: line 10")) << told.toStdString();
    EXPECT_TRUE(told.contains("earlier line of the file and were skipped: line 11"))
        << told.toStdString();
    // One entry for the import and one for its flags, not one a line.
    EXPECT_EQ(operations(store::operation::ReadingsImported), 1);
    EXPECT_EQ(operations(store::operation::ReadingsFlagged), 1);
    EXPECT_EQ(operations(store::operation::MappingSaved), 1);
    EXPECT_EQ(operations(store::operation::CalibrationZeroSet), 1);
    const auto cal = importer::calibrations(*db, Sensor);
    ASSERT_EQ(cal.size(), 2u);
    EXPECT_NEAR(*cal[0].zeroDigits, 2604.4 * 2604.4 / 1000, 1e-9);
    EXPECT_NEAR(*cal[0].zeroTemperature, 24.99, 0.005);
}

TEST_F(MappedImportTest, AFailureLeavesNothingOfTheFileBehind) {
    const QString path =
        write("site.dat", toa5("Mine1", "\"2026-11-01 00:00:00\",0,3000,2604.4,5000,0.001\r\n"));
    // Channel 1 is read in Hz but has no calibration.
    EXPECT_THROW(import(path, Map), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    EXPECT_EQ(rowCount(*db, "LoggerMappings"), 0);
    // A mapping that names no field of the file, or no time, is refused.
    for (const QString& map :
         {QStringLiteral("TIMESTAMP=time,Gone=channel1"), QStringLiteral("Disp(3)=channel3"),
          QStringLiteral("TIMESTAMP=time,Disp(3)=channel3:furlong"),
          QStringLiteral("TIMESTAMP=time,Disp(3)=channel3,Therm=channel3"),
          QStringLiteral("TIMESTAMP=time,Therm=channel11")})
        EXPECT_THROW(import(path, map), store::Error) << map.toStdString();
    // Without a mapping, none is guessed.
    EXPECT_THROW(import(path), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    EXPECT_EQ(rowCount(*db, "LoggerMappings"), 0);
}

TEST_F(MappedImportTest, TheSavedMappingServesTheNextFileOfTheLogger) {
    const QByteArray first = "\"2026-11-01 00:00:00\",0,3000,2604.4,5000,0.001\r\n";
    const QString map = QStringLiteral("TIMESTAMP=time,Therm=temperature,Disp(3)=channel1:mm");
    EXPECT_EQ(import(write("a.dat", toa5("Mine1", first)), map).appended, 1);
    // Another file of the same logger, under any name: no --map needed; the
    // reading stored already is counted, never stored twice.
    const operations::ImportOutcome o = import(
        write("b.bak", toa5("Mine1", first + "\"2026-11-01 01:00:00\",1,3000,1,1,0.25\r\n")));
    EXPECT_EQ(o.appended, 1);
    EXPECT_EQ(o.duplicates, 1);
    EXPECT_EQ(rows().join('\n'), "2026-11-01 00:00:00|24.99|0.00||\n"
                                 "2026-11-01 01:00:00|24.99|0.25||");
    // Another station is another logger.
    EXPECT_THROW(import(write("c.dat", toa5("Mine2", first))), store::Error);
}

TEST_F(MappedImportTest, AReplacedGaugeLeavesOlderReadingsOnTheirCalibration) {
    calibrate(Sensor, 1, "2026-01-01 00:00:00", 0.01, 5000);
    calibrate(Sensor, 1, "2026-11-01 02:00:00", 0.02, 6000);
    import(write("a.dat", toa5("Mine1", "\"2026-11-01 01:00:00\",0,3000,2449.49,1,1\r\n"
                                        "\"2026-11-01 02:00:00\",1,3000,2449.49,1,1\r\n")),
           QStringLiteral("TIMESTAMP=time,Freq(1)=channel1"));
    // 2449.49 Hz is 6000 digits: 10 mm by the old gauge, 0 by the new one.
    EXPECT_EQ(rows().join('\n'), "2026-11-01 01:00:00||10.00||\n"
                                 "2026-11-01 02:00:00||0.00||");
}

TEST_F(MappedImportTest, OneFileFeedsSeveralSensorsEachByItsOwnMapping) {
    const QString path =
        write("a.dat", toa5("Mine1", "\"2026-11-01 00:00:00\",0,3000,2604.4,5000,0.001\r\n"));
    import(path, QStringLiteral("TIMESTAMP=time,Disp(3)=channel1"));
    import(path, QStringLiteral("TIMESTAMP=time,Therm=temperature,Dig(2)=channel2:mm"), Other);
    EXPECT_EQ(rows(Sensor).join('\n'), "2026-11-01 00:00:00||1.00||");
    EXPECT_EQ(rows(Other).join('\n'), "2026-11-01 00:00:00|24.99||5000.00|");
    EXPECT_EQ(importer::savedMappings(*db, "TOA5 Mine1/Hourly").size(), 2u);
}

TEST_F(MappedImportTest, AFolderIsImportedFileByFileAndOneFailureStopsNoOther) {
    QTemporaryDir folder;
    // a.dat feeds both sensors; b.dat's mapping needs a calibration it lacks;
    // c.dat is still being written; notes.txt is nobody's.
    const QByteArray line = "\"2026-11-01 00:00:00\",0,3000,2604.4,5000,0.001\r\n";
    import(write("seed.dat", toa5("Mine1", line)),
           QStringLiteral("TIMESTAMP=time,Disp(3)=channel1"));
    import(write("seed2.dat", toa5("Mine1", line)),
           QStringLiteral("TIMESTAMP=time,Dig(2)=channel2:mm"), Other);
    db->execute("DELETE FROM `202541001`; DELETE FROM `202541002`");
    importer::Mapping needsCalibration;
    needsCalibration.logger = "TOA5 Mine2/Hourly";
    needsCalibration.sensor = Other;
    needsCalibration.fields = {
        {"TIMESTAMP", {importer::Target::Time, 0}, importer::Unit::AsIs, {}},
        {"Freq(1)", {importer::Target::Channel, 1}, importer::Unit::Hertz, {}}};
    importer::saveMapping(*db, needsCalibration);

    const QDateTime settled = clock.now().addSecs(-3600);
    for (const auto& [name, bytes, when] : std::vector<std::tuple<QString, QByteArray, QDateTime>>{
             {"a.dat", toa5("Mine1", line), settled},
             {"b.dat", toa5("Mine2", line), settled},
             {"c.dat", toa5("Mine1", line), clock.now().addSecs(-5)},
             {"notes.txt", "hello\r\n", settled},
             {"TV202541001.txt", "2026/11/02 06:00:00,TR01,41,001,21.5,1.5,2.5,3.5\r\n",
              settled}}) {
        QFile f(write(name, bytes, folder.path()));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    operations::FolderRequest r;
    r.folder = folder.path();
    r.archive = true;
    r.now = clock.now();
    const auto list = operations::importFolder(*db, dataFolder, r);
    QStringList summary;
    for (const operations::FolderFileOutcome& f : list)
        summary << QStringLiteral("%1|%2|%3|%4|%5")
                       .arg(f.file, f.sensor, operations::statusName(f.status))
                       .arg(f.appended)
                       .arg(f.duplicates);
    EXPECT_EQ(summary.join('\n'), "TV202541001.txt|202541001|imported|1|0\n"
                                  "a.dat|202541001|imported|1|0\n"
                                  "a.dat|202541002|imported|1|0\n"
                                  "b.dat||failed|0|0\n"
                                  "c.dat||waiting|0|0\n"
                                  "notes.txt||not mapped|0|0");
    EXPECT_TRUE(list[3].error.contains("no calibration")) << list[3].error.toStdString();
    EXPECT_EQ(rowCount(*db, Sensor), 2);
    EXPECT_EQ(rowCount(*db, Other), 1);
    const QDir archive(folder.filePath("imported/2026-12-07"));
    EXPECT_EQ(archive.entryList(QDir::Files, QDir::Name).join(','), "TV202541001.txt,a.dat");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files, QDir::Name).join(','),
              "b.dat,c.dat,notes.txt");
}

TEST_F(MappedImportTest, AHeadedCsvIsMappedByItsNamePattern) {
    // Semicolons, decimal commas, the day first: seen from the lines, not guessed.
    const QByteArray lines = "Zeit;Weg 1;Temp\r\n01.11.2026 06:00;1,5;20,5\r\n"
                             "13.11.2026 06:00;-0,25;21\r\n";
    const operations::ImportOutcome o =
        import(write("site_20261113.csv", lines),
               QStringLiteral("Zeit=time,Weg 1=channel1:mm,Temp=temperature"));
    EXPECT_EQ(o.appended, 2);
    EXPECT_EQ(rows().join('\n'), "2026-11-01 06:00:00|20.50|1.50||\n"
                                 "2026-11-13 06:00:00|21.00|-0.25||");
    // The next day's file of the same logger needs no mapping.
    EXPECT_EQ(
        import(write("site_20261114.csv", "Zeit;Weg 1;Temp\r\n14.11.2026 06:00;2;21\r\n")).appended,
        1);
    // Another logger's headed file: no mapping is guessed, and it is said so.
    EXPECT_THROW(import(write("other_20261114.csv", lines)), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 3);
}

} // namespace
