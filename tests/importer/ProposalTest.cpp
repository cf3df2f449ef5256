// The review window's proposal, the date layouts of column 1, and the numbers
// stored from logger fields.
#include "importer/Proposal.h"
#include "app/TextFormat.h"
#include "importer/Append.h"
#include "importer/LoggerDates.h"
#include "importer/SchemaIni.h"
#include "importer/Texts.h"

#include <gtest/gtest.h>

using namespace importer;

namespace {

const char* const Marker = "2000/01/01 00:00:80";

struct ProposalCase {
    const char* name;
    int period;
    std::vector<const char*> column1;
    const char* ticks; // "1" ticked, "0" empty, line by line
};

class ProposalTest : public ::testing::TestWithParam<ProposalCase> {};

TEST_P(ProposalTest, TicksOneLinePerPeriod) {
    QByteArray file;
    for (const char* c : GetParam().column1)
        file += QByteArray(c) + ",T1,91,005,20.0\r\n";
    const TextTable table(file, *columnDescription(schemaBytes(), texts::ImportWorkingFile));
    ASSERT_EQ(table.RecordCount(), int(GetParam().column1.size()));
    std::string ticks;
    for (std::uint8_t t : proposeTicks(table, GetParam().period, DayOrder::DayFirst))
        ticks += t ? '1' : '0';
    EXPECT_EQ(ticks, GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(
    Periods, ProposalTest,
    ::testing::Values(
        // Clock hours: 10:59 to 11:00 is one.
        ProposalCase{"OneHour",
                     1,
                     {"2024/01/01 10:00:00", "2024/01/01 10:59:59", "2024/01/01 11:00:00",
                      "2024/01/01 12:30:00", "2024/01/01 12:31:00"},
                     "10110"},
        ProposalCase{"EightHours",
                     8,
                     {"2024/01/01 00:00:00", "2024/01/01 04:00:00", "2024/01/01 08:00:00",
                      "2024/01/01 12:00:00", "2024/01/01 16:00:00"},
                     "10101"},
        ProposalCase{"OneDay",
                     24,
                     {"2024/01/01 10:30:00", "2024/01/01 23:00:00", "2024/01/02 09:59:00",
                      "2024/01/02 10:00:00", "2024/01/03 10:00:00", "2024/01/02 10:00:00"},
                     "100110"},
        ProposalCase{"MarkerFirstProposesNothing",
                     24,
                     {Marker, "2024/01/01 00:00:00", "2024/01/03 00:00:00"},
                     "000"},
        // The marker keeps H from the line before, but is never ticked nor R.
        ProposalCase{"MarkerInTheMiddle",
                     24,
                     {"2024/01/01 00:00:00", "2024/01/02 00:00:00", Marker, "2024/01/02 12:00:00",
                      "2024/01/03 00:00:00"},
                     "11001"},
        // 35,064 hours do not fit in H: it stays 0, and so does everything after.
        ProposalCase{"GapBeyondSixteenBitsFromTheFirstLine",
                     24,
                     {"2010/01/01 00:00:00", "2014/01/01 00:00:00", "2014/01/02 00:00:00"},
                     "100"},
        // ... or it keeps the 24 of the line before, which ticks the line.
        ProposalCase{"GapBeyondSixteenBitsAfterATick",
                     24,
                     {"2010/01/01 00:00:00", "2010/01/02 00:00:00", "2014/06/01 00:00:00",
                      "2014/06/01 01:00:00", "2014/06/02 00:00:00"},
                     "11101"},
        // A first line that is no date is ticked, and R stays in 1899.
        ProposalCase{"NoDateFirst", 1, {"abc", "2024/01/01 00:00:00"}, "10"},
        ProposalCase{"LinesWithoutADateKeepH",
                     1,
                     {"2024/01/01 00:00:00", "2024/01/01 05:00:00", "", "junk"},
                     "1111"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Proposal, PeriodIsTheWholeNumberOfTheBox) {
    for (auto [text, hours] : {std::pair("24", 24), std::pair(" 8", 8), std::pair("12.7", 12),
                               std::pair("abc", 0), std::pair("99999999", 40000)})
        EXPECT_EQ(periodHours(QString::fromLatin1(text)), hours) << text;
}

struct LayoutCase {
    const char* text;
    DateLayout layout;
    const char* expected; // "yyyy/MM/dd HH:mm:ss", or "none"
};

class LayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, GivesTheKeysDateAndTime) {
    const auto when = keyParts(GetParam().text, GetParam().layout, DayOrder::MonthFirst);
    const std::string shown = when ? QStringLiteral("%1 %2")
                                         .arg(when->date.toString(QStringLiteral("yyyy/MM/dd")),
                                              when->time.toString(QStringLiteral("HH:mm:ss")))
                                         .toStdString()
                                   : "none";
    EXPECT_EQ(shown, GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    ThreeLayouts, LayoutTest,
    ::testing::Values(
        LayoutCase{"2024/01/05 10:20:30", DateLayout::YearFirst, "2024/01/05 10:20:30"},
        LayoutCase{" 2024-1-5 9:05 ", DateLayout::YearFirst, "2024/01/05 09:05:00"},
        LayoutCase{"2024/01/05", DateLayout::YearFirst, "2024/01/05 00:00:00"},
        LayoutCase{"2024/01/05 10:20:30 PM", DateLayout::YearFirst, "2024/01/05 22:20:30"},
        LayoutCase{"01/13/2024 08:00:00", DateLayout::YearFirst, "2024/01/13 08:00:00"},
        LayoutCase{"13/01/2024 08:00:00", DateLayout::YearFirst, "2024/01/13 08:00:00"},
        LayoutCase{"2024/02/30 10:00:00", DateLayout::YearFirst, "none"},
        LayoutCase{"2024/01/05 10:20", DateLayout::DayFirst, "none"},
        LayoutCase{"05/01/2024 10:20:30", DateLayout::DayFirst, "2024/01/05 10:20:30"},
        LayoutCase{"05.01.2024 10:20:30.5", DateLayout::DayFirst, "2024/01/05 10:20:30"},
        LayoutCase{"05/01/2024 10:20:30", DateLayout::MonthFirst, "2024/05/01 10:20:30"},
        LayoutCase{"31/01/2024 10:20:30", DateLayout::MonthFirst, "none"},
        LayoutCase{"5/1/2024 10:20:30", DateLayout::DayFirst, "none"},
        LayoutCase{"05/01/2024 24:00:00", DateLayout::DayFirst, "none"},
        LayoutCase{Marker, DateLayout::YearFirst, "none"},
        LayoutCase{Marker, DateLayout::DayFirst, "none"},
        LayoutCase{"", DateLayout::MonthFirst, "none"}));

TEST(ColumnValue, RoundsAsTheNumberFormatsDo) {
    EXPECT_EQ(columnValue("1.255", 2), 1.26);
    EXPECT_EQ(columnValue("-0.005", 2), -0.01);
    EXPECT_EQ(columnValue("21.46", 1), 21.5);
    EXPECT_EQ(columnValue("abc", 2), 0.0);
    for (const char* text :
         {"12.345", "-0.004", "1.2549", "", "12abc", "1e3", "7", "+3.14159", ".5", "-.5", "5.",
          "99999999999999999.995", "0.1234567890123456", "-", "1 2.5", "123456789012.345"}) {
        for (const auto& [decimals, format] :
             {std::pair(1, app::NumberFormat::Fixed1), std::pair(2, app::NumberFormat::Fixed2)}) {
            const QString expected =
                app::formatNumber(app::leadingNumber(QString::fromLatin1(text)), format);
            EXPECT_EQ(columnValue(text, decimals), expected.toDouble()) << text;
        }
    }
}

TEST(ColumnValue, ChannelsUpToTheTypesFirstDigit) {
    for (auto [type, channels] : {std::pair("21", 2), std::pair("91", 9), std::pair("", 0),
                                  std::pair("x1", 0), std::pair("\xd9\xa3", 0)})
        EXPECT_EQ(importedChannels(QString::fromUtf8(type)), channels) << type;
}

} // namespace
