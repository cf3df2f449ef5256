// The log file: entry layout, order, re-creation and the failure rules.
#include "app/Log.h"
#include "support/Support.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

using namespace testing_support;

namespace {

class LogTest : public TolvaneTest {
protected:
    QString logText() {
        QFile f(dataFile(app::LogFileName));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(LogTest, EachEntryIsABlankLineAsterisksAndTheStampedMessage) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    state->log.WriteLog(QStringLiteral("first"));
    clock.time = clock.time.addSecs(61);
    state->log.WriteLog(QStringLiteral("second"));

    const QStringList lines = logText().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7); // two entries of three lines, and the end of the last
    const QString stars(89, QLatin1Char('*'));
    EXPECT_EQ(lines[0], QString());
    EXPECT_EQ(lines[1], stars);
    EXPECT_EQ(lines[3], QString());
    EXPECT_EQ(lines[4], stars);
    EXPECT_EQ(lines[6], QString());
    QLocale::setDefault(QLocale::c());
    const QRegularExpression stamp(
        QStringLiteral(R"(^12/7/(20)?26 \d{1,2}:\d{2}:\d{2}.* - first$)"));
    EXPECT_TRUE(stamp.match(lines[2]).hasMatch()) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(" - first")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("3:04:05")));
    EXPECT_TRUE(lines[5].endsWith(QStringLiteral(" - second")));
    EXPECT_TRUE(lines[5].contains(QStringLiteral("3:05:06")));
    expectLog(QStringLiteral("first"));
    expectLog(QStringLiteral("second"));
}

TEST_F(LogTest, DeletedLogIsCreatedAgainWithOneEntry) {
    state->log.WriteLog(QStringLiteral("one"));
    ASSERT_TRUE(QFile::remove(dataFile(app::LogFileName)));
    state->log.WriteLog(QStringLiteral("two"));
    EXPECT_EQ(logMessages(dataFile(app::LogFileName)), QStringList{QStringLiteral("two")});
    expectLog(QStringLiteral("two"));
}

// A log that cannot be written (no folder, a full disk) makes no folder and
// leaves its entry on standard error.
TEST_F(LogTest, AnEntryTheLogCannotTakeGoesToStandardError) {
    app::Log log(documents.filePath(QStringLiteral("no/such/folder")), &clock);
    testing::internal::CaptureStderr();
    log.WriteLog(QStringLiteral("Err #13: database or disk is full G_savefields"));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Err #13: database or disk is full G_savefields"), std::string::npos)
        << said;
    EXPECT_FALSE(QDir(documents.filePath(QStringLiteral("no"))).exists());
}

// An engine's report can span lines (an integrity check) or run long; the
// entry stays three lines and keeps its label at the end.
TEST_F(LogTest, AnEntryIsOneLineWhateverTheDescription) {
    app::logAndLeave(state->log, QStringLiteral(" G_RestoreDB"), [] {
        throw store::Error(11, QStringLiteral("*** in database main ***\nPage 5: bad\r\n\nend"));
    });
    app::logAndLeave(state->log, QStringLiteral(" G_x"),
                     [] { throw std::runtime_error(std::string(10000, 'y')); });
    const QStringList messages = logMessages(dataFile(app::LogFileName));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], "Err #11: *** in database main *** / Page 5: bad / end G_RestoreDB");
    EXPECT_EQ(messages[1], "Err #51: " + QString(500, 'y') + "... G_x");
    expectLog(QStringLiteral(" G_RestoreDB"));
    expectLog(QStringLiteral(" G_x"));
}

} // namespace
