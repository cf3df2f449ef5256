// tolvane-cli as a script runs it: a process on a documents folder, its exit
// status, its standard output and its one line on standard error.
#include "support/Support.h"

#include "cli/CliRun.h"

#include "app/DatabaseLock.h"
#include "store/SchemaVersion.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

using namespace testing_support;

namespace {

using Result = CliResult;

class CliTest : public ::testing::Test {
protected:
    Result cli(const QStringList& arguments) { return runCli(documents.path(), arguments); }
    QString data(const QString& name) const {
        return documents.filePath(QStringLiteral("Vornhald/Tolvane/") + name);
    }
    QString loggerFile(int hours) {
        QStringList lines;
        for (int h = 0; h < hours; ++h)
            lines << QDateTime(QDate(2025, 4, 1), QTime(6, 0))
                             .addSecs(3600LL * h)
                             .toString("yyyy/MM/dd HH:mm:ss") +
                         QStringLiteral(",TR01,91,005,21.46,%1,2.5,3").arg(1 + h / 100.0);
        const QString path = documents.filePath(Sensor + ".txt");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((lines.join("\r\n") + "\r\n").toLatin1());
        return path;
    }
    QTemporaryDir documents;
    const QString Sensor = QStringLiteral("202541001");
};

TEST_F(CliTest, EveryCommandOnAFirstInstallation) {
    Result r = cli({"sensors"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(data("TolvaneMPBX.mdb"))); // made as the first start makes it
    EXPECT_EQ(r.err, "");

    EXPECT_EQ(cli({"add-sensor", Sensor, "--level", "L 12", "--install-date", "2025/03/01"}).status,
              0);
    r = cli({"import", loggerFile(49), "--sensor", Sensor, "--json"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("\"appended\": 3")) << r.out.toStdString();
    EXPECT_EQ(r.err, ""); // no progress where standard error is no terminal
    EXPECT_EQ(cli({"import", loggerFile(49), "--sensor", Sensor, "--all"}).status, 0);

    r = cli({"readings", Sensor, "--from", "2025/04/02", "--to", "2025/04/02"});
    EXPECT_EQ(r.status, 0);
    QStringList lines = r.out.split("\r\n");
    EXPECT_EQ(lines.size(), 26); // the header, 24 hours, the empty end
    EXPECT_EQ(lines[0], "date,time,temperature,channel1,channel2,channel3,displacement1,"
                        "displacement2,displacement3");
    EXPECT_EQ(lines[1], "2025/04/02,00:00:00,21.5,1.18,2.5,3,-0.18,0,0");
    r = cli({"readings", Sensor, "--format", "json", "--to", "2025/04/01"});
    EXPECT_TRUE(r.out.startsWith("[\n  {\"date\": \"2025/04/01\", \"time\": \"06:00:00\""))
        << r.out.left(80).toStdString();

    r = cli({"sensors", "--json"});
    EXPECT_TRUE(r.out.contains("\"readings\": 49")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("\"level\": \"L 12\""));

    const QString csv = documents.filePath("out.csv"), xlsx = documents.filePath("out.xlsx");
    EXPECT_EQ(cli({"export", Sensor, "--csv", csv}).status, 0);
    EXPECT_EQ(fileBytes(csv).count('\n'), 50);
    EXPECT_EQ(cli({"export", Sensor, "--xlsx", xlsx}).status, 0);
    EXPECT_TRUE(fileBytes(xlsx).startsWith("PK"));

    // Both graphs unless named; one without two ticked readings is left out,
    // and said so, unless it was asked for.
    const QString docx = documents.filePath("report.docx");
    r = cli({"report", Sensor, "--docx", docx});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("so the report has no length graph")) << r.err.toStdString();
    // The logo and one graph.
    EXPECT_TRUE(fileBytes(docx).contains("word/media/image2.jpeg"));
    EXPECT_FALSE(fileBytes(docx).contains("word/media/image3.jpeg"));
    EXPECT_EQ(cli({"report", Sensor, "--docx", docx, "--graphs", "length"}).status, 1);
    // The same report as a PDF: the graphs as vectors, so only the logo is a picture.
    const QString pdf = documents.filePath("report.pdf");
    r = cli({"report", Sensor, "--pdf", pdf, "--graphs", "time"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), pdf);
    EXPECT_TRUE(fileBytes(pdf).startsWith("%PDF-"));
    EXPECT_EQ(fileBytes(pdf).count("/Subtype /Image"), 1);

    r = cli({"backup"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.trimmed(), data("MPBXbackup/MPBXbackup_") +
                                   QDate::currentDate().toString("yyyy-MM-dd") + ".mdb");
    EXPECT_EQ(cli({"check"}).status, 0);
    EXPECT_EQ(cli({"add-sensor", "202541002"}).status, 0);
    EXPECT_EQ(cli({"restore", QFileInfo(r.out.trimmed()).fileName()}).status, 0);
    EXPECT_FALSE(cli({"sensors"}).out.contains("202541002")); // back as it was backed up

    EXPECT_EQ(cli({"--version"}).out, "tolvane-cli " TOLVANE_VERSION "\n");
    for (const char* command : {"sensors", "add-sensor", "readings", "import", "export", "report",
                                "backup", "restore", "check", "history"}) {
        r = cli({command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(r.out.startsWith("usage: tolvane-cli")) << command;
    }
}

// 2: wrong usage, with the usage line; 1: one line saying what failed, the
// window's log entry, and nothing changed.
TEST_F(CliTest, ExitStatusesAndNothingHalfDone) {
    for (const QStringList& wrong :
         {QStringList{}, QStringList{"frob"}, QStringList{"readings"},
          QStringList{"readings", Sensor, "--from", "1 April"}, QStringList{"sensors", "--csv"},
          QStringList{"import", "x.txt"}, QStringList{"export", Sensor},
          QStringList{"add-sensor", Sensor, "--family", "rod"}, QStringList{"report", Sensor},
          QStringList{"report", Sensor, "--docx", "a.docx", "--pdf", "a.pdf"}}) {
        const Result r = cli(wrong);
        EXPECT_EQ(r.status, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("\nusage: tolvane-cli")) << r.err.toStdString();
    }

    ASSERT_EQ(cli({"add-sensor", Sensor}).status, 0);
    const QByteArray before = fileBytes(data("TolvaneMPBX.mdb"));
    const QString damaged = documents.filePath("damaged.mdb");
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(before.left(before.size() / 2));
    f.close();
    Result r = cli({"restore", damaged});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith("tolvane-cli: restore failed: " + damaged)) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_EQ(fileBytes(data("TolvaneMPBX.mdb")), before);
    EXPECT_TRUE(logMessages(data("MPBX_logfile.txt")).last().endsWith(" G_RestoreDB"));

    r = cli({"import", documents.filePath("none.txt"), "--sensor", Sensor});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("none.txt")) << r.err.toStdString();
    r = cli({"readings", "202541009"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tolvane-cli: readings failed: no sensor 202541009 in the register\n");
    EXPECT_EQ(cli({"--database", documents.filePath("nothing.mdb"), "sensors"}).status, 1);
    EXPECT_FALSE(QFile::exists(documents.filePath("nothing.mdb"))); // never made
}

// A file an older release wrote is brought up to date by the first command
// that writes to it, after a backup, and the tool says so; one a newer release
// wrote is read but never written.
TEST_F(CliTest, FilesOfOtherSchemaVersions) {
    const QString old = documents.filePath("old.mdb");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVANE_TEST_DATA "/version1.mdb"), old));
    QFile::setPermissions(old, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray before = fileBytes(old);
    Result r = cli({"--database", old, "sensors"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(fileBytes(old), before); // reading changes nothing

    r = cli({"--database", old, "add-sensor", "202541003"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QString backup =
        data("MPBXbackup/oldbackup_" + QDate::currentDate().toString("yyyy-MM-dd") +
             "_before-upgrade.mdb");
    EXPECT_EQ(r.err, "tolvane-cli: old.mdb was brought up to date (schema version 1 to " +
                         QString::number(store::currentSchemaVersion()) +
                         "). A "
                         "copy of it as it was is kept as " +
                         QDir::toNativeSeparators(backup) + ".\n");
    EXPECT_TRUE(QFile::exists(backup));
    r = cli({"--database", old, "add-sensor", "202541004"});
    EXPECT_EQ(r.err, ""); // told once

    {
        auto db = store::Database::open(old);
        db->execute("PRAGMA user_version = 99");
    }
    const QByteArray newer = fileBytes(old);
    r = cli({"--database", old, "add-sensor", "202541005"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("old.mdb was written by a newer version of Tolvane (schema version "
                               "99; this version knows up to " +
                               QString::number(store::currentSchemaVersion()) +
                               "): nothing in it is changed"))
        << r.err.toStdString();
    EXPECT_EQ(cli({"--database", old, "sensors"}).status, 0);
    EXPECT_EQ(fileBytes(old), newer);
}

// The window holds the database's lock while it is open: the tool still
// reads and writes through the engine's own locking, but never replaces the
// file under it.
TEST_F(CliTest, BesideTheWindow) {
    ASSERT_EQ(cli({"add-sensor", Sensor}).status, 0);
    ASSERT_EQ(cli({"backup"}).status, 0);
    app::DatabaseLock window(data("TolvaneMPBX.mdb"));
    ASSERT_TRUE(window.taken());
    EXPECT_EQ(cli({"import", loggerFile(49), "--sensor", Sensor, "--all"}).status, 0);
    const Result r =
        cli({"restore", "MPBXbackup_" + QDate::currentDate().toString("yyyy-MM-dd") + ".mdb"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("close Tolvane first")) << r.err.toStdString();
    EXPECT_TRUE(cli({"sensors"}).out.contains(" 49 ")); // nothing was restored

    // A writer that keeps the file past the engine's wait: the tool gives up
    // with the reason, and stores nothing.
    auto busy = store::Database::open(data("TolvaneMPBX.mdb"));
    busy->execute("BEGIN IMMEDIATE");
    const Result waited = cli({"add-sensor", "202541002"});
    busy->execute("ROLLBACK");
    EXPECT_EQ(waited.status, 1);
    EXPECT_TRUE(waited.err.contains("locked")) << waited.err.toStdString();
    EXPECT_FALSE(cli({"sensors"}).out.contains("202541002"));
}

// The trail as CSV and as JSON, one sensor's or all, by days; and nothing
// but the header from a file that has no trail, which stays untouched.
TEST_F(CliTest, HistoryAsCsvAndJson) {
    ASSERT_EQ(cli({"add-sensor", Sensor}).status, 0);
    ASSERT_EQ(cli({"add-sensor", "202541002"}).status, 0);
    ASSERT_EQ(cli({"import", loggerFile(49), "--sensor", Sensor, "--all"}).status, 0);

    Result r = cli({"history", Sensor});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    QStringList lines = r.out.split("\r\n");
    ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
    EXPECT_EQ(lines[0], "at,user,operation,sensor,target,old,new,count,note");
    EXPECT_TRUE(lines[1].startsWith(today)) << lines[1].toStdString();
    EXPECT_EQ(lines[1].section(',', 2), "sensor added,202541001,,,,,");
    EXPECT_EQ(lines[2].section(',', 2), "readings imported,202541001,202541001.txt,,,49,");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(cli({"history"}).out.count("\r\n"), 4);
    EXPECT_EQ(cli({"history", "--to", "2000/01/01"}).out,
              "at,user,operation,sensor,target,old,new,count,note\r\n");

    r = cli({"history", "--json", "--from", QDate::currentDate().toString("yyyy/MM/dd")});
    EXPECT_EQ(r.status, 0);
    QJsonParseError error;
    const QJsonArray all = QJsonDocument::fromJson(r.out.toUtf8(), &error).array();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[1].toObject()["sensor"].toString(), "202541002");
    EXPECT_EQ(all[2].toObject()["count"].toInt(), 49);
    EXPECT_TRUE(all[0].toObject()["count"].isNull());

    // What a script's own JSON reader makes of it.
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty()) {
        std::printf("python3 is not installed: the JSON is not read by another program\n");
    } else {
        QProcess p;
        p.start(python, {"-c", "import json, sys\n"
                               "d = json.load(sys.stdin)\n"
                               "print(len(d), d[2]['operation'], d[2]['count'], d[0]['note'])"});
        p.write(r.out.toUtf8());
        p.closeWriteChannel();
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), "3 readings imported 49 \n")
            << p.readAllStandardError().toStdString();
    }

    EXPECT_EQ(cli({"history", "--from", "2025/13/01"}).status, 2);
    EXPECT_EQ(cli({"history", Sensor, "202541002"}).status, 2);

    const QString old = documents.filePath("old.mdb");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVANE_TEST_DATA "/version1.mdb"), old));
    QFile::setPermissions(old, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray before = fileBytes(old);
    r = cli({"--database", old, "history"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "at,user,operation,sensor,target,old,new,count,note\r\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(cli({"--database", old, "history", "--json"}).out, "[]\n");
    EXPECT_EQ(fileBytes(old), before); // never upgraded, never written
}

} // namespace

namespace {

// Flags and zeros from a script: what the tool refuses, and what the listing
// and the export then leave out or carry.
TEST_F(CliTest, FlagsAndZeroReadings) {
    ASSERT_EQ(cli({"add-sensor", Sensor}).status, 0);
    ASSERT_EQ(cli({"import", loggerFile(3), "--sensor", Sensor, "--all"}).status, 0);

    Result r = cli({"flag", Sensor, "--at", "2025/04/01 09:00:00", "--quality", "invalid"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("no reading at 2025/04/01 09:00:00")) << r.err.toStdString();
    EXPECT_EQ(cli({"flag", Sensor, "--at", "2025/04/01", "--quality", "invalid"}).status, 2);
    EXPECT_EQ(cli({"flag", Sensor, "--at", "2025/04/01 06:00:00", "--quality", "bad"}).status, 2);

    r = cli({"flag", Sensor, "--at", "2025/04/01 06:00:00", "--quality", "invalid", "--note",
             "logger restarted"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    r = cli({"flag", Sensor, "--at", "2025/04/01 07:00:00", "--to", "2025/04/01 08:00:00",
             "--quality", "suspect"});
    EXPECT_EQ(r.out, "2 of 2 reading(s) of sensor 202541001 now suspect\n");

    // The invalid first reading is left out and is no longer the zero.
    r = cli({"readings", Sensor});
    QStringList lines = r.out.split("\r\n");
    ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
    EXPECT_TRUE(lines[0].endsWith(",quality"));
    EXPECT_EQ(lines[1].toStdString(), "2025/04/01,07:00:00,21.5,1.01,2.5,3,0,0,0,suspect");
    EXPECT_EQ(cli({"readings", Sensor, "--with-invalid"}).out.split("\r\n").size(), 5);

    const QString csv = documents.filePath("out.csv");
    ASSERT_EQ(cli({"export", Sensor, "--csv", csv}).status, 0);
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].endsWith(",Quality"));
    EXPECT_TRUE(rows[1].endsWith(",suspect"));

    // A zero at the invalid reading is refused; one at a good reading is listed.
    EXPECT_EQ(cli({"zero", Sensor, "--at", "2025/04/01 06:00:00", "--reason", "x"}).status, 1);
    r = cli({"zero", Sensor, "--at", "2025/04/01 08:00:00", "--reason", "head replaced",
             "--carry-over"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(cli({"zero", Sensor, "--at", "2025/04/01 08:00:00", "--reason", "again"}).status,
              1); // never overwritten
    EXPECT_EQ(cli({"zero", Sensor, "--at", "2025/04/01 08:00:00", "--reason", "wrong reading",
                   "--retire"})
                  .status,
              0);
    r = cli({"zeros", Sensor});
    lines = r.out.split("\r\n");
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    EXPECT_TRUE(lines[1].startsWith("2025/04/01 08:00:00,head replaced,yes,"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(",wrong reading"));
    r = cli({"zeros", Sensor, "--json"});
    EXPECT_TRUE(r.out.contains("\"retired\": true")) << r.out.toStdString();
}

} // namespace

namespace {

TEST_F(CliTest, ToA5FilesByTheirMappingAndAFolderAtOnce) {
    ASSERT_EQ(cli({"add-sensor", Sensor}).status, 0);
    const QString folder = documents.filePath("incoming");
    QDir().mkpath(folder);
    const QString path = folder + "/CR1000X_Hourly.dat";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\"TOA5\",\"Mine1\",\"CR1000X\",\"1\",\"OS\",\"P\",\"9\",\"Hourly\"\n"
            "\"TIMESTAMP\",\"RECORD\",\"Therm\",\"Freq(1)\"\n\"TS\",\"RN\",\"Ohm\",\"Hz\"\n"
            "\"\",\"\",\"Smp\",\"Smp\"\n"
            "\"2025-04-01 06:00:00\",0,3000,2604.4\n\"2025-04-01 07:00:00\",1,3000,\"NAN\"\n"
            "\"2025-04-01 08:00\",2,3000\n");
    f.close();
    const QStringList map{"--map", "TIMESTAMP=time,Therm=temperature,Freq(1)=channel1"};
    // A raw channel without a calibration: refused, nothing stored or saved.
    Result r = cli(QStringList{"import", path, "--sensor", Sensor} + map);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("no calibration")) << r.err.toStdString();
    EXPECT_EQ(cli({"calibrate", Sensor, "--channel", "1", "--from", "2025/01/01 00:00:00",
                   "--gauge", "0.011906", "--range", "1000,9000"})
                  .status,
              0);
    EXPECT_EQ(cli({"calibrate", Sensor, "--channel", "11", "--from", "2025/01/01 00:00:00",
                   "--gauge", "1"})
                  .status,
              2);
    EXPECT_EQ(cli({"calibrate", Sensor, "--channel", "2", "--from", "2025/01/01 00:00:00",
                   "--gauge", "inf"})
                  .status,
              2);
    r = cli(QStringList{"import", path, "--sensor", Sensor, "--json"} + map);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o["appended"].toInt(), 2);
    EXPECT_EQ(o["wrongFieldCount"].toInt(), 1);
    EXPECT_EQ(o["suspect"].toInt(), 1);
    EXPECT_TRUE(o["messages"].toArray().at(0).toString().contains("line 7")) << r.out.toStdString();

    // The mapping is saved: the folder's next file needs none and is archived.
    QFile next(folder + "/CR1000X_Hourly_2.dat");
    ASSERT_TRUE(next.open(QIODevice::WriteOnly));
    next.write("\"TOA5\",\"Mine1\",\"CR1000X\",\"1\",\"OS\",\"P\",\"9\",\"Hourly\"\n"
               "\"TIMESTAMP\",\"RECORD\",\"Therm\",\"Freq(1)\"\n\"TS\",\"RN\",\"Ohm\",\"Hz\"\n"
               "\"\",\"\",\"Smp\",\"Smp\"\n\"2025-04-01 09:00:00\",3,3000,2604.4\n");
    next.close();
    for (const QString& name : {path, folder + "/CR1000X_Hourly_2.dat"}) {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::ReadWrite));
        old.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                        QFileDevice::FileModificationTime);
    }
    r = cli({"import-folder", folder, "--archive"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.section("\r\n", 0, 0),
              "file,sensor,status,appended,duplicates,skipped,suspect,errors");
    EXPECT_TRUE(r.out.contains("CR1000X_Hourly.dat,202541001,imported,0,2,1,0,"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("CR1000X_Hourly_2.dat,202541001,imported,1,0,0,0,"))
        << r.out.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 0);
    EXPECT_EQ(cli({"import-folder", documents.filePath("nowhere")}).status, 1);
}

} // namespace
