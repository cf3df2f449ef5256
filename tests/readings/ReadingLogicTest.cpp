// The reading key, the keys a value box takes and the displacement rule,
// without the window.
#include "readings/Displacement.h"
#include "readings/ReadingKey.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>

using namespace readings;

namespace {

TEST(ReadingKeys, KeepTheirSeparatorsAndDigitsWhateverTheLocale) {
    const QLocale before;
    for (const QLocale& locale :
         {QLocale(QLocale::Arabic, QLocale::Egypt), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(readingKey("131221005", QDate(2013, 12, 3), QTime(20, 33, 8)),
                  "131221005 2013/12/03 20:33:08")
            << locale.name().toStdString();
        EXPECT_EQ(readingKey("131221005", QDateTime(QDate(987, 1, 5), QTime(7, 0, 9, 999))),
                  "131221005 0987/01/05 07:00:09");
        EXPECT_EQ(fullDateText(QDate(2013, 12, 3), QTime(20, 33, 8)), "2013-12-03 20:33:08");
    }
    QLocale::setDefault(before);
}

TEST(ValueBoxKeys, DigitsSeparatorsMinusAndEditingKeysOnly) {
    for (QChar c : QStringLiteral("0123456789.,-\b\t\r\x7f"))
        EXPECT_TRUE(acceptsValueKey(c)) << int(c.unicode());
    for (QChar c : QStringLiteral("/:+eE aZ\n\x1b\u0663\uff11"))
        EXPECT_FALSE(acceptsValueKey(c)) << int(c.unicode());
}

// Channel1, Channel2, ... of a row; a null QVariant is no value.
Channels row(std::initializer_list<QVariant> values) {
    Channels c;
    std::copy(values.begin(), values.end(), c.begin() + 1);
    return c;
}

// Zero1..zeroN (NaN: no value) and the expected Disp1..DispN (NaN: no value).
// Disp columns past N and, at the collar, Reference keep what the row held.
struct HeadCase {
    HeadLocation head;
    std::vector<double> zeros, disp;
};
class HeadLocations : public ::testing::TestWithParam<HeadCase> {};

TEST_P(HeadLocations, MeasureFromTheFixedEnd) {
    const HeadCase& c = GetParam();
    const size_t n = c.zeros.size();
    Displacements r;
    r.disp.fill(99.0);
    r.reference = 99.0;
    for (size_t i = 1; i <= n; ++i)
        if (!std::isnan(c.zeros[i - 1])) r.zero[i] = c.zeros[i - 1];
    SetHeadlocs(c.head, int(n), r);
    for (size_t i = 1; i <= 8; ++i) {
        const double want = i <= n ? c.disp[i - 1] : 99.0;
        EXPECT_EQ(r.disp[i].has_value(), !std::isnan(want)) << "Disp" << i;
        EXPECT_NEAR(r.disp[i].value_or(0), std::isnan(want) ? 0 : want, 1e-9) << "Disp" << i;
    }
    EXPECT_EQ(r.reference, c.head == HeadLocation::Toe ? 0.0 : 99.0);
}

const double None = std::nan("");
const HeadLocation Collar = HeadLocation::Collar, Toe = HeadLocation::Toe;
INSTANTIATE_TEST_SUITE_P(Anchors, HeadLocations,
                         ::testing::Values(HeadCase{Collar, {0.5, 0.2, 0.0}, {-0.5, -0.2, 0}},
                                           HeadCase{Toe, {0.5, 0.2, 0.0}, {0.5, 0.2, 0.0}},
                                           HeadCase{Collar, {3.7}, {0}},
                                           HeadCase{Collar,
                                                    {1, 2, 3, 4, 5, 6, 7, 8.5},
                                                    {7.5, 6.5, 5.5, 4.5, 3.5, 2.5, 1.5, 0}},
                                           HeadCase{Collar, {0.5, None, 0.1}, {None, None, 0}},
                                           HeadCase{Toe, {0.5, None, 0.1}, {0.5, None, 0.1}}));

TEST(Displacement, ZerosAgainstTheZeroReading) {
    const Offsets zero = GetOffsets(row({10.0, 12.0, 15.0, QVariant()}));
    // The worked example, the zero reading itself, and channels without a value.
    for (const auto& [channels, expected] :
         {std::pair(row({10.5, 12.2, 15.0}), std::array{0.5, 0.2, 0.0}),
          std::pair(row({10.0, 12.0, 15.0}), std::array{0.0, 0.0, 0.0}),
          std::pair(row({QVariant(), QString(), 14.5}), std::array{0.0, 0.0, -0.5})}) {
        Displacements r;
        ASSERT_TRUE(SetZeros(zero, channels, QVariant(), r));
        for (size_t i = 1; i <= 10; ++i)
            EXPECT_NEAR(r.zero[i].value_or(99), i <= 3 ? expected[i - 1] : 0.0, 1e-9) << i;
    }
    // Channel 4 has a value where the zero reading has none: the row stops there.
    Displacements kept;
    kept.zero.fill(99.0);
    kept.numTemp = 99.0;
    EXPECT_FALSE(SetZeros(zero, row({11.0, 12.0, 16.0, 5.0, 1.0}), 21.5, kept));
    for (size_t i = 1; i <= 10; ++i)
        EXPECT_EQ(kept.zero[i], (i <= 3 ? std::array{1.0, 0.0, 1.0}[i - 1] : 99.0)) << "zero" << i;
    EXPECT_EQ(kept.numTemp, 99.0);
}

TEST(Displacement, TemperatureIsTheNumberAtTheStartOfItsText) {
    const std::vector<std::pair<QVariant, double>> temperatures{
        {"21.5", 21.5},    {21.5, 21.5},      {"", 0},   {QVariant(), 0},
        {" 12.5 C", 12.5}, {"-3.25x", -3.25}, {"abc", 0}};
    for (const auto& [text, want] : temperatures) {
        Displacements r;
        ASSERT_TRUE(SetZeros(Offsets{}, Channels{}, text, r));
        EXPECT_EQ(r.numTemp, want) << text.toString().toStdString();
    }
}

} // namespace
