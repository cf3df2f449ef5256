// tolvane-cli levels and status as a scheduled job runs them: thresholds set
// and shown, bad values refused naming the flag, and the exit status that
// tells the job whether to mail its output.
#include "support/Support.h"

#include "cli/CliRun.h"

#include "store/RowSet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace testing_support;

namespace {

class LevelsCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(cli({"add-sensor", Sensor, "--location", "Drive 4"}).status, 0);
        ASSERT_EQ(cli({"add-sensor", Quiet}).status, 0);
    }
    CliResult cli(const QStringList& arguments) { return runCli(documents.path(), arguments); }
    std::unique_ptr<store::Database> open() {
        return store::Database::open(
            documents.filePath(QStringLiteral("Vornhald/Tolvane/TolvaneMPBX.mdb")));
    }
    // Hourly from 2025-03-01 00:00; anchor 2 of four moved by each value in mm.
    void readingsOf(const QString& number, const std::vector<double>& anchor2) {
        auto db = open();
        for (size_t h = 0; h < anchor2.size(); ++h)
            addReading(*db, number,
                       QDateTime(QDate(2025, 3, 1), QTime(0, 0)).addSecs(3600LL * qint64(h)),
                       {10.0, 10.0 - anchor2[h], 10.0, 10.0});
    }
    QTemporaryDir documents;
    const QString Sensor = QStringLiteral("202551001");
    const QString Quiet = QStringLiteral("202551002");
};

TEST_F(LevelsCliTest, SetsAndShowsThresholds) {
    CliResult r = cli({"levels", Sensor, "--set", "Alert=5,Alarm=10,Action=20", "--rate", "Alarm=1",
                       "--stale-after", "2"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    r = cli({"levels", Sensor, "--anchor", "3", "--set", "Alert=1"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Sensor 202551001, 4 anchor(s)\n"
                     "Levels: Alert, Alarm, Action\n"
                     "Rate window: 24 h\n"
                     "No new data after: 2 h\n"
                     "All anchors: displacement (mm) Alert=5,Alarm=10,Action=20; rate (mm/day) "
                     "Alarm=1\n"
                     "Anchor 3: displacement (mm) Alert=1; rate (mm/day) none\n");
    r = cli({"levels", Sensor, "--json"});
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o["allAnchors"].toObject()["displacement"].toObject()["Alarm"].toDouble(), 10);
    EXPECT_EQ(
        o["anchors"].toObject()["3"].toObject()["displacement"].toObject()["Alert"].toDouble(), 1);
    EXPECT_EQ(o["staleAfterHours"].toDouble(), 2);
    EXPECT_EQ(o["levels"].toArray().size(), 3);

    // Each change is a decision someone signs off.
    r = cli({"history", Sensor});
    EXPECT_EQ(r.out.count("trigger levels changed"), 2) << r.out.toStdString();
    // The anchor's own list goes, the sensor's stays.
    EXPECT_EQ(cli({"levels", Sensor, "--anchor", "3", "--clear"}).status, 0);
    EXPECT_FALSE(cli({"levels", Sensor}).out.contains("Anchor 3"));
}

TEST_F(LevelsCliTest, BadValuesAreRefusedNamingTheFlag) {
    struct Case {
        QStringList arguments;
        QString message;
    };
    const std::vector<Case> cases{
        {{"--set", "Alert=5,Alarm=4"}, "--set: Alarm (4) must be above Alert (5)"},
        {{"--rate", "Alert=-1"}, "--rate: Alert is negative"},
        {{"--set", "Alert=abc"}, "--set: Alert \"abc\" is not a number"},
        {{"--window", "0"}, "--window takes a number of hours above 0, not \"0\""},
        {{"--stale-after", "soon"}, "--stale-after takes a number of hours above 0"},
        {{"--anchor", "5", "--set", "Alert=1"}, "--anchor: sensor 202551001 has 4 anchor(s)"},
    };
    for (const Case& c : cases) {
        const CliResult r = cli(QStringList{"levels", Sensor} + c.arguments);
        EXPECT_EQ(r.status, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_EQ(rowCount(*open(), QStringLiteral("SensorThresholds")), 0);
    EXPECT_EQ(cli({"levels", "202551999", "--set", "Alert=1"}).status, 1);
}

TEST_F(LevelsCliTest, StatusExitsThreeWhenSomethingNeedsAttention) {
    readingsOf(Sensor, {0, 2, 6});
    readingsOf(Quiet, {0, 0.1});
    ASSERT_EQ(cli({"levels", Sensor, "--set", "Alert=5,Alarm=10"}).status, 0);
    ASSERT_EQ(cli({"levels", Quiet, "--set", "Alert=5", "--stale-after", "2"}).status, 0);

    // Both normal an hour after the first readings.
    CliResult r = cli({"status", "--at", "2025/03/01 01:30:00"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "");

    r = cli({"status", "--at", "2025/03/01 02:30:00"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out.toStdString(), "202551001 Alert: anchor 2 at 6.00 mm (by displacement); "
                                   "latest reading 2025/03/01 02:00:00, 0.5 h ago; Drive 4\n");

    // The quiet one stops sending.
    r = cli({"status", "--at", "2025/03/01 05:00:00"});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.out.contains("202551002 no new data; latest reading 2025/03/01 01:00:00, 4.0 h "
                               "ago (limit 2 h)"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith("202551001 Alert")) << "worst first";

    // --json gives every sensor; --level keeps the higher levels.
    r = cli({"status", "--json", "--at", "2025/03/01 01:30:00"});
    const QJsonArray all = QJsonDocument::fromJson(r.out.toUtf8()).array();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0].toObject()["status"].toString(), "normal");
    EXPECT_EQ(r.status, 0);
    r = cli({"status", "--level", "Alarm", "--at", "2025/03/01 02:30:00"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(cli({"status", "--level", "Red"}).status, 2);
    EXPECT_EQ(cli({"status", "--at", "yesterday"}).status, 2);
}

} // namespace
