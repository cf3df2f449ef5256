// Numbers and dates as the boxes write and read them.
#include "app/TextFormat.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(NumberText, FormatsRoundingHalvesAwayFromZeroOnTheWrittenDecimal) {
    using enum app::NumberFormat;
    const std::tuple<double, app::NumberFormat, const char*> cases[] = {
        {12, Fixed2, "12.00"},   {0.3, Fixed2, "0.30"},     {1234.5, Fixed2, "1234.50"},
        {2.675, Fixed2, "2.68"}, {-1.005, Fixed2, "-1.01"}, {-0.004, Fixed2, "0.00"},
        {1.5, UpTo2, "1.5"},     {2, UpTo2, "2.0"},         {1.256, UpTo2, "1.26"},
        {1.255, UpTo2, "1.26"},  {2.999, UpTo2, "3.0"},     {-0.001, UpTo2, "0.0"},
        {21.46, Fixed1, "21.5"}, {0.25, Fixed1, "0.3"},     {-0.04, Fixed1, "0.0"}};
    for (const auto& [value, format, text] : cases)
        EXPECT_EQ(app::formatNumber(value, format), QString::fromLatin1(text)) << value;
    EXPECT_EQ(app::formatNumber(QStringLiteral(" 2 "), UpTo2), QStringLiteral("2.0"));
    for (const char* text : {"abc", "", "1,5", "inf"})
        EXPECT_EQ(app::formatNumber(QString::fromLatin1(text), Fixed2), QString::fromLatin1(text));
}

class NotANumber : public ::testing::TestWithParam<const char*> {};

TEST_P(NotANumber, IsRefused) {
    EXPECT_EQ(app::toNumber(QString::fromLatin1(GetParam())), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Texts, NotANumber,
                         ::testing::Values("inf", "nan", "-inf", "1,5", "", "   ", "0x10", "abc",
                                           "1.2.3", "--1", "1e999", "12 mm"));

TEST(NumberText, ReadsNumbersWithBlanksAroundAndNumbersAtTheStart) {
    EXPECT_EQ(app::toNumber(QStringLiteral(" 2.5 ")), 2.5);
    EXPECT_EQ(app::toNumber(QStringLiteral("-1e3")), -1000.0);
    const std::pair<const char*, double> leading[] = {
        {" 12.5 mm", 12.5}, {"-3e2x", -300}, {"abc", 0},  {"1 2", 12},  {"7e", 7}, {"", 0},
        {"1.2.3", 1.2},     {"- 5", -5},     {".5", 0.5}, {"3e-1", 0.3}};
    for (const auto& [text, number] : leading)
        EXPECT_DOUBLE_EQ(app::leadingNumber(QString::fromLatin1(text)), number) << text;
}

TEST(DateText, ReadsYearFirstDatesWithAnySeparator) {
    EXPECT_EQ(app::toDate(QStringLiteral("2024/1/5")), QDate(2024, 1, 5));
    EXPECT_EQ(app::toDate(QStringLiteral("2024-01-05")), QDate(2024, 1, 5));
    EXPECT_EQ(app::toDate(QStringLiteral(" 2024.1.5 ")), QDate(2024, 1, 5));
    EXPECT_EQ(app::toDate(QStringLiteral("2024/2/29")), QDate(2024, 2, 29));
    for (const char* text : {"2024/13/01", "2023/2/29", "2024/1/32", "abc", "", "2024/1"})
        EXPECT_EQ(app::toDate(QString::fromLatin1(text)), std::nullopt) << text;
    EXPECT_EQ(app::yearFirst(QDate(2024, 1, 5)), QStringLiteral("2024/01/05"));
}

} // namespace
