// The append's report of the lines it did not store: the old message for one
// line, one message for many, and never more of a line than a message can show.
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
QByteArray rows(int from, int to) {
    QByteArray bytes;
    for (int k = from; k < to; ++k)
        bytes += row(k);
    return bytes;
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

TEST_P(AppendRefusalTest, SkipsTheLineAndSaysSoOnce) {
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
        RefusalCase{"OneDuplicate",
                    1,
                    rows(0, 2),
                    1,
                    {"201391005 2025/04/01 06:00:00 is a duplicate reading and cannot be "
                     "appended."}},
        RefusalCase{"RepeatedInTheFile",
                    0,
                    rows(0, 2) + rows(0, 2),
                    2,
                    {"2 lines were already in the database and were skipped:\r\n"
                     "2025/04/01 06:00:00\r\n2025/04/01 07:00:00"}},
        RefusalCase{"TwelveDuplicates",
                    12,
                    rows(0, 13),
                    1,
                    {"12 lines were already in the database and were skipped:\r\n"
                     "2025/04/01 06:00:00\r\n2025/04/01 07:00:00\r\n2025/04/01 08:00:00\r\n"
                     "2025/04/01 09:00:00\r\n2025/04/01 10:00:00\r\n2025/04/01 11:00:00\r\n"
                     "2025/04/01 12:00:00\r\n2025/04/01 13:00:00\r\n2025/04/01 14:00:00\r\n"
                     "2025/04/01 15:00:00\r\nand 2 more"}},
        RefusalCase{"ATenMegabyteLine",
                    0,
                    row(0) + QByteArray(10'000'000, 'x') + "\r\n",
                    1,
                    {notADate(2, QString(200, 'x') + "...")}},
        // Only the first bytes are read: the last of them ends inside a character.
        RefusalCase{"LongUtf8",
                    0,
                    ("a" + QString(1000, QChar(0xE9))).toUtf8() + ",1\r\n",
                    0,
                    {notADate(1, "a" + QString(199, QChar(0xE9)) + "...")}},
        RefusalCase{"APairOfSurrogatesIsNotSplit",
                    0,
                    ("a" + Smile.repeated(150)).toUtf8(),
                    0,
                    {notADate(1, "a" + Smile.repeated(99) + "...")}},
        RefusalCase{
            "ExactlyTwoHundred", 0, QByteArray(200, 'y'), 0, {notADate(1, QString(200, 'y'))}},
        RefusalCase{"ManyLinesWithoutADate",
                    0,
                    "j1\nj2\nj3\nj4\nj5\nj6\nj7\nj8\nj9\nj10\n" + row(0) + "j11\nj12\n",
                    1,
                    {"12 lines were not appended: they do not begin with a date and time in the "
                     "chosen date format:\r\nLine 1: \"j1\"\r\nLine 2: \"j2\"\r\nLine 3: "
                     "\"j3\"\r\nLine 4: \"j4\"\r\nLine 5: \"j5\"\r\nLine 6: \"j6\"\r\nLine 7: "
                     "\"j7\"\r\nLine 8: \"j8\"\r\nLine 9: \"j9\"\r\nLine 10: \"j10\"\r\nand 2 "
                     "more"}},
        RefusalCase{"BothKinds",
                    1,
                    row(0) + "junk\n" + QByteArray(300, 'z') + '\n' + row(1) + row(0),
                    1,
                    {"2 lines were not appended: they do not begin with a date and time in the "
                     "chosen date format:\r\nLine 2: \"junk\"\r\nLine 3: \"" +
                         QString(200, 'z') + "...\"",
                     "2 lines were already in the database and were skipped:\r\n"
                     "2025/04/01 06:00:00\r\n2025/04/01 06:00:00"}}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
