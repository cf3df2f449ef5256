// The append's report of the lines it did not store: never more of a line
// than a message can show.
#include "support/Support.h"

#include "importer/Append.h"
#include "importer/SchemaIni.h"
#include "importer/Texts.h"

using namespace testing_support;
using namespace importer;

namespace {

const QString Sensor = QStringLiteral("201391005");

QDateTime hourly(int k) {
    return QDateTime(QDate(2025, 4, 1), QTime(6, 0)).addSecs(3600LL * k);
}
QByteArray row(int k) {
    return hourly(k).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")).toLatin1() +
           ",T1,91,005,20.0,1,2\r\n";
}
QString notADate(int line, const QString& quoted) {
    return QStringLiteral("Line %1 was not appended: \"%2\" is not a date and time in the "
                          "chosen date format.")
        .arg(line)
        .arg(quoted);
}

struct RefusalCase {
    const char* name;
    int stored; // readings stored before, hourly from the first line's time
    QByteArray file;
    int appended;
    QStringList messages;
};

class AppendRefusalTest : public TolvaneTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(AppendRefusalTest, SkipsTheLineAndQuotesItInPart) {
    store::Database& db = openNewDatabase();
    addSensor(db, Sensor);
    addReadings(db, Sensor, GetParam().stored, hourly(0));
    const TextTable table(GetParam().file,
                          *columnDescription(schemaBytes(), texts::ImportWorkingFile));
    const std::vector<std::uint8_t> ticks(size_t(table.RecordCount()), 1);
    const AppendOutcome outcome = appendReadings(db, {Sensor, QStringLiteral("91"), true}, table,
                                                 ticks, DateLayout::YearFirst, DayOrder::DayFirst);
    EXPECT_EQ(outcome.appended, GetParam().appended);
    EXPECT_EQ(outcome.messages, GetParam().messages);
    EXPECT_EQ(rowCount(db, Sensor), GetParam().stored + GetParam().appended);
}

const QString Smile = QString::fromUtf8("\xF0\x9F\x98\x80");

INSTANTIATE_TEST_SUITE_P(
    Lines, AppendRefusalTest,
    ::testing::Values(
        RefusalCase{"ATenMegabyteLine",
                    0,
                    row(0) + QByteArray(10'000'000, 'x') + "\r\n",
                    1,
                    {notADate(2, QString(200, 'x') + "...")}},
        RefusalCase{"LongUtf8",
                    0,
                    QString(300, QChar(0xE9)).toUtf8() + ",1\r\n",
                    0,
                    {notADate(1, QString(200, QChar(0xE9)) + "...")}},
        RefusalCase{"APairOfSurrogatesIsNotSplit",
                    0,
                    ("a" + Smile.repeated(150)).toUtf8(),
                    0,
                    {notADate(1, "a" + Smile.repeated(99) + "...")}},
        RefusalCase{
            "ExactlyTwoHundred", 0, QByteArray(200, 'y'), 0, {notADate(1, QString(200, 'y'))}}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
