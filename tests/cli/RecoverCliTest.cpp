// tolvane-cli recover as a script runs it: the list, the recovery with its
// counts, the keys skipped on standard error, and the exit statuses.
#include "support/Support.h"

#include "cli/CliRun.h"

#include "readings/ReadingStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace testing_support;

namespace {

using Result = CliResult;

class RecoverCliTest : public ::testing::Test {
protected:
    Result cli(const QStringList& arguments) { return runCli(documents.path(), arguments); }
    std::unique_ptr<store::Database> open() {
        return store::Database::open(
            documents.filePath(QStringLiteral("Vornhald/Tolvane/TolvaneMPBX.mdb")));
    }
    // The sensor with three days of hourly readings from 2025-03-01, the 2nd
    // and 3rd deleted by "mira".
    void withDeletedDays() {
        ASSERT_EQ(cli({"add-sensor", Sensor}).status, 0);
        auto db = open();
        db->setActor(
            {QStringLiteral("mira"), [] { return QDateTime(QDate(2025, 4, 1), QTime(9, 30)); }});
        addReadings(*db, Sensor, 72, QDateTime(QDate(2025, 3, 1), QTime(0, 0)));
        ASSERT_EQ(readings::deleteBetween(*db, Sensor, QDate(2025, 3, 2), QDate(2025, 3, 3)), 48);
    }
    QTemporaryDir documents;
    const QString Sensor = QStringLiteral("202541001");
};

TEST_F(RecoverCliTest, ListsThenPutsBackAndNamesTheKeysInUse) {
    withDeletedDays();
    Result r = cli({"recover", Sensor, "--list", "--from", "2025/03/03"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    QStringList lines = r.out.split("\r\n");
    EXPECT_EQ(lines.size(), 26); // the header, 24 readings, the empty end
    EXPECT_EQ(lines[0], "date,time,deletedAt,deletedBy,quality");
    EXPECT_EQ(lines[1], "2025/03/03,00:00:00,2025-04-01 09:30:00,mira,");
    r = cli({"recover", Sensor, "--list", "--json", "--to", "2025/03/02"});
    const QJsonArray listed = QJsonDocument::fromJson(r.out.toUtf8()).array();
    ASSERT_EQ(listed.size(), 24) << r.out.left(200).toStdString();
    EXPECT_EQ(listed[23].toObject()["key"].toString(), Sensor + " 2025/03/02 23:00:00");

    // One moment read in again meanwhile.
    addReadings(*open(), Sensor, 1, QDateTime(QDate(2025, 3, 3), QTime(5, 0)));
    r = cli({"recover", Sensor, "--from", "2025/03/03", "--to", "2025/03/03"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Sensor 202541001: 23 reading(s) recovered, 1 skipped\n");
    EXPECT_EQ(r.err,
              "tolvane-cli: skipped 202541001 2025/03/03 05:00:00: its key is in use again\n");
    EXPECT_EQ(rowCount(*open(), Sensor), 48);

    r = cli({"recover", Sensor, "--from", "2025/03/03", "--json"});
    EXPECT_EQ(r.status, 0);
    const QJsonObject counts = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(counts["recovered"].toInt(), 0);
    EXPECT_EQ(counts["skipped"].toArray().size(), 1);
    r = cli({"recover", Sensor, "--from", "2025/03/03"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Sensor 202541001: nothing recovered, every key is in use again; 1 skipped\n");

    EXPECT_EQ(cli({"recover", Sensor}).out,
              "Sensor 202541001: 24 reading(s) recovered, 1 skipped\n");
    EXPECT_EQ(rowCount(*open(), Sensor), 72);
}

TEST_F(RecoverCliTest, WrongUsageAndUnknownSensors) {
    ASSERT_EQ(cli({"add-sensor", Sensor}).status, 0);
    for (const QStringList& wrong :
         {QStringList{"recover"}, QStringList{"recover", Sensor, "--from", "March"},
          QStringList{"recover", Sensor, "--all"}, QStringList{"recover", Sensor, "202541002"}}) {
        const Result r = cli(wrong);
        EXPECT_EQ(r.status, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("\nusage: tolvane-cli recover NUMBER")) << r.err.toStdString();
    }
    EXPECT_EQ(cli({"recover", Sensor}).out, "Sensor 202541001: no deleted readings to recover\n");
    EXPECT_EQ(cli({"recover", Sensor, "--list"}).out, "date,time,deletedAt,deletedBy,quality\r\n");
    for (const char* list : {"--list", "--json"}) {
        const Result r = cli({"recover", "202541009", list});
        EXPECT_EQ(r.status, 1) << list;
        EXPECT_EQ(r.err.count('\n'), 1);
        EXPECT_TRUE(r.err.contains("202541009 is neither in the register nor a deleted sensor"))
            << r.err.toStdString();
    }
    const Result help = cli({"recover", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("recycle area")) << help.out.toStdString();
}

} // namespace
