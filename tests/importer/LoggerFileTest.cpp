// The reader of logger files as loggers write them, on TOA5 files written by
// loggers and kept by other projects (tests/data/toa5/README.md), and on the
// dialects of headed CSV; then the conversions of vibrating-wire gauges and
// thermistors against the worked examples of instrument manuals.
#include "importer/LoggerFile.h"
#include "importer/Calibration.h"
#include "importer/Mapping.h"

#include <QBuffer>
#include <QFile>

#include <gtest/gtest.h>

using namespace importer;

namespace {

struct Read {
    LoggerHeader header;
    std::vector<std::vector<std::string>> lines;
    std::vector<int> numbers;
};

Read readAll(QIODevice& device) {
    LoggerReader reader(device);
    Read r;
    r.header = reader.header();
    LoggerReader::Line line;
    while (reader.next(line)) {
        r.numbers.push_back(line.number);
        r.lines.emplace_back(line.fields.begin(), line.fields.end());
    }
    return r;
}

Read readBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readAll(buffer);
}

Read readData(const QString& name) {
    QFile file(QStringLiteral(TOLVANE_TEST_DATA "/toa5/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return readAll(file);
}

QStringList names(const LoggerHeader& h) {
    QStringList list;
    for (const LoggerField& f : h.fields)
        list << f.name;
    return list;
}

TEST(LoggerFileTest, ReadsTheHeaderAndArraysOfARealToa5File) {
    const Read r = readData(QStringLiteral("TestLogger_Hourly_1.dat"));
    ASSERT_EQ(r.header.format, LoggerFormat::Toa5);
    EXPECT_EQ(r.header.station(), "TestLogger");
    EXPECT_EQ(r.header.table(), "Hourly");
    EXPECT_EQ(r.header.environment.value(2), "CR1000X");
    EXPECT_EQ(names(r.header).join('|'),
              "TIMESTAMP|RECORD|BattV|PTemp_C_Min|PTemp_C_Max|AirT_C(42)|RelHumid_Avg(3)");
    EXPECT_EQ(r.header.fields[3].unit, "Deg C");
    EXPECT_EQ(r.header.fields[3].process, "Min");
    EXPECT_EQ(unitFromText(r.header.fields[3].unit), Unit::Celsius);
    ASSERT_EQ(r.lines.size(), 3u);
    EXPECT_EQ(r.numbers, (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(r.lines[2][0], "2021-06-18 23:00:00");
    EXPECT_EQ(r.lines[2][6], "63.28");
    EXPECT_EQ(loggerKey(r.header, QStringLiteral("whatever.bak")), "TOA5 TestLogger/Hourly");
}

TEST(LoggerFileTest, ReadsEveryLineOfALongRealFileWithCrLfAndAUtf8Unit) {
    // RECORD restarts at 0 in this file: the key never comes from it.
    const Read r = readData(QStringLiteral("DemoOutputToa5.dat"));
    ASSERT_EQ(r.header.format, LoggerFormat::Toa5);
    EXPECT_EQ(r.header.fields[2].unit, QStringLiteral("°C"));
    EXPECT_EQ(unitFromText(r.header.fields[2].unit), Unit::Celsius);
    ASSERT_GT(r.lines.size(), 1000u);
    std::optional<When> previous;
    for (size_t i = 0; i < r.lines.size(); ++i) {
        ASSERT_EQ(r.lines[i].size(), 5u) << "line " << r.numbers[i];
        const auto when = loggerStamp(r.lines[i][0], DateOrder::YearFirst);
        ASSERT_TRUE(when) << r.lines[i][0];
        if (previous) {
            EXPECT_EQ(
                QDateTime(previous->date, previous->time).secsTo(QDateTime(when->date, when->time)),
                300)
                << "line " << r.numbers[i];
        }
        previous = when;
        EXPECT_EQ(r.numbers[i], int(i) + 5);
    }
}

TEST(LoggerFileTest, ReadsUnquotedToa5WithoutSecondsAndTrailingEmptyFields) {
    const Read r = readData(QStringLiteral("Station_Table.dat"));
    ASSERT_EQ(r.header.format, LoggerFormat::Toa5);
    EXPECT_EQ(r.header.table(), "Table");
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[1].size(), r.header.fields.size());
    const auto when = loggerStamp(r.lines[1][0], DateOrder::YearFirst);
    ASSERT_TRUE(when);
    EXPECT_EQ(when->time, QTime(0, 0));
    EXPECT_EQ(loggerNumber(r.lines[1][2], '.'), 12.56);
}

TEST(LoggerFileTest, StreamsAcrossItsBufferWithoutLosingOrMergingLines) {
    QByteArray bytes = "\xEF\xBB\xBF\"TOA5\",\"S\",\"M\",\"1\",\"OS\",\"P\",\"9\",\"T\"\r\n"
                       "\"TIMESTAMP\",\"RECORD\",\"Value\"\r\n\"TS\",\"RN\",\"mm\"\r\n"
                       "\"\",\"\",\"Smp\"\r\n";
    const QDateTime start(QDate(2020, 1, 1), QTime(0, 0));
    const int count = 40000; // about 1.7 MB: several buffers, CR LF split between them
    for (int i = 0; i < count; ++i)
        bytes += "\"" + start.addSecs(60LL * i).toString("yyyy-MM-dd HH:mm:ss").toLatin1() + "\"," +
                 QByteArray::number(i) + "," + QByteArray::number(i * 0.25) + "\r\n";
    const Read r = readBytes(bytes);
    ASSERT_EQ(int(r.lines.size()), count);
    for (int i = 0; i < count; i += 997) {
        ASSERT_EQ(r.lines[size_t(i)].size(), 3u);
        EXPECT_EQ(r.lines[size_t(i)][1], std::to_string(i));
        EXPECT_EQ(r.numbers[size_t(i)], i + 5);
    }
    EXPECT_EQ(r.numbers.back(), count + 4);
}

TEST(LoggerFileTest, TheSixteenColumnLayoutIsNeverTakenForAHeadedFile) {
    const std::vector<std::pair<QByteArray, LoggerFormat>> cases{
        {"2025/04/01 06:00:00,TR01,91,005,21.5\r\n", LoggerFormat::Sixteen},
        {"2000/01/01 00:00:80,TR01,91,005,21.5\r\n", LoggerFormat::Sixteen}, // the marker line
        {"05/04/25 10:20,TR01,91,005,21.5\r\n", LoggerFormat::Sixteen},
        {"Time,A\r\n2025-04-01 06:00,1\r\n", LoggerFormat::Csv}};
    for (const auto& [bytes, format] : cases)
        EXPECT_EQ(readLoggerHeader(bytes).format, format) << bytes.toStdString();
    EXPECT_TRUE(readLoggerHeader("Time,A\r\n2025-04-01 06:00,1\r\n").headed);
    // A line of text above the readings is no header of theirs.
    EXPECT_FALSE(readLoggerHeader("Logger export\r\n2025/04/01 06:00:00,TR01,91\r\n").headed);
}

struct Dialect {
    const char* name;
    QByteArray text;
    char delimiter;
    char decimal;
    std::optional<DateOrder> order;
    int headerLines;
    const char* lastValue; // of field 2 on the last line, as a number
};

class CsvDialectTest : public ::testing::TestWithParam<Dialect> {};

TEST_P(CsvDialectTest, IsRecognisedFromItsLinesNotGuessedFromOne) {
    const Dialect& d = GetParam();
    const Read r = readBytes(d.text);
    ASSERT_EQ(r.header.format, LoggerFormat::Csv);
    EXPECT_EQ(r.header.delimiter, d.delimiter);
    EXPECT_EQ(r.header.decimal, d.decimal);
    EXPECT_EQ(r.header.dateOrder, d.order);
    EXPECT_EQ(r.header.headerLines, d.headerLines);
    ASSERT_FALSE(r.lines.empty());
    ASSERT_EQ(r.lines.back().size(), r.header.fields.size());
    EXPECT_EQ(loggerNumber(r.lines.back()[1], r.header.decimal), std::atof(d.lastValue));
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, CsvDialectTest,
    ::testing::Values(
        Dialect{"comma", "Time,Disp1,Temp\n2026-11-01 06:00,1.5,20\n2026-11-01 07:00,1.75,21\n",
                ',', '.', DateOrder::YearFirst, 1, "1.75"},
        // The day is seen to be first only on the third line.
        Dialect{"semicolonCommaDecimal",
                "Zeit;Weg;T\r\n01.11.2026 06:00:00;1,5;20\r\n02.11.2026 06:00:00;2;21\r\n"
                "13.11.2026 06:00:00;-0,25;22\r\n",
                ';', ',', DateOrder::DayFirst, 1, "-0.25"},
        Dialect{"tabMonthFirst",
                "Date\tD1\tT\n11/01/2026 6:00\t3.5\t20\n11/30/2026 6:00\t3.25\t20\n", '\t', '.',
                DateOrder::MonthFirst, 1, "3.25"},
        Dialect{"undecided", "When,D1\n01/02/2026 06:00,1\n03/04/2026 06:00,2\n", ',', '.',
                std::nullopt, 1, "2"},
        Dialect{"quotedWithUnitsLine",
                "\"Date Time\",\"Disp, anchor 1\",\"Temp\"\n\"\",\"mm\",\"Deg C\"\n"
                "\"2026-11-01T06:00:00Z\",\"4.5\",\"20\"\n",
                ',', '.', DateOrder::YearFirst, 2, "4.5"},
        // Both marks seen: the point, and "1,5" is then no number.
        Dialect{"semicolonMixedMarks", "t;a;b\n2026-11-01 06:00;1,5;2\n2026-11-02 06:00;1.25;2\n",
                ';', '.', DateOrder::YearFirst, 1, "1.25"}),
    [](const ::testing::TestParamInfo<Dialect>& i) { return std::string(i.param.name); });

struct StampCase {
    const char* text;
    DateOrder order;
    const char* expected; // "yyyy-MM-dd HH:mm:ss", or "" for none
};

class StampTest : public ::testing::TestWithParam<StampCase> {};

TEST_P(StampTest, ReadsTheFormsLoggersWrite) {
    const StampCase& c = GetParam();
    const auto when = loggerStamp(c.text, c.order);
    if (!*c.expected) {
        EXPECT_FALSE(when) << c.text;
        return;
    }
    ASSERT_TRUE(when) << c.text;
    EXPECT_EQ(QDateTime(when->date, when->time).toString("yyyy-MM-dd HH:mm:ss"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StampTest,
    ::testing::Values(
        StampCase{"2026-11-03 06:00:00", DateOrder::YearFirst, "2026-11-03 06:00:00"},
        StampCase{"2026-11-03 06:00:00.25", DateOrder::YearFirst, "2026-11-03 06:00:00"},
        StampCase{"2026-11-03T06:00:59Z", DateOrder::YearFirst, "2026-11-03 06:00:59"},
        StampCase{"2026/11/03 6:05", DateOrder::YearFirst, "2026-11-03 06:05:00"},
        StampCase{"03.11.2026 06:00:00", DateOrder::DayFirst, "2026-11-03 06:00:00"},
        StampCase{"11/03/2026 06:00", DateOrder::MonthFirst, "2026-11-03 06:00:00"},
        StampCase{"2026-11-03", DateOrder::YearFirst, "2026-11-03 00:00:00"},
        StampCase{"2026-02-30 06:00:00", DateOrder::YearFirst, ""},
        StampCase{"2026-11-03 24:00:00", DateOrder::YearFirst, ""},
        StampCase{"2026-11/03 06:00:00", DateOrder::YearFirst, ""},
        StampCase{"03/11/2026 06:00", DateOrder::YearFirst, ""},
        StampCase{"2026-11-03 06:00:00 PM", DateOrder::YearFirst, ""},
        StampCase{"2026-11-03 06:00:00.", DateOrder::YearFirst, ""},
        StampCase{"NAN", DateOrder::DayFirst, ""}));

TEST(LoggerFileTest, FaultMarkersAndNumbers) {
    for (const char* marker : {"NAN", "nan", "INF", "-INF", "-9999999", "-555555", " NAN "})
        EXPECT_TRUE(isFaultMarker(marker)) << marker;
    for (const char* value : {"0", "-999", "1e5", "", "abc"})
        EXPECT_FALSE(isFaultMarker(value)) << value;
    EXPECT_EQ(loggerNumber("-0,25", ','), -0.25);
    EXPECT_EQ(loggerNumber("1.5e3", '.'), 1500.0);
    EXPECT_FALSE(loggerNumber("1,5", '.'));
    EXPECT_FALSE(loggerNumber("inf", '.'));
    EXPECT_FALSE(loggerNumber("0x10", '.'));
}

// ---------------------------------------------------------------- conversions

TEST(CalibrationTest, WorkedExamplesOfTheManuals) {
    // A vibrating-wire displacement gauge: G = 0.011906 mm/digit.
    Calibration c;
    c.gaugeFactor = 0.011906;
    c.zeroDigits = 6783;
    EXPECT_NEAR(displacement(c, 7228, std::nullopt), 5.30, 0.005);
    // The common 3 kΩ thermistor at 3000 Ω.
    ASSERT_TRUE(thermistorCelsius(3000));
    EXPECT_NEAR(*thermistorCelsius(3000), 24.99, 0.005);
    EXPECT_DOUBLE_EQ(digitsFromHertz(2400), 5760);
}

TEST(CalibrationTest, ThermalAndPolynomialTermsAreZeroAtTheZeroReading) {
    Calibration linear;
    linear.gaugeFactor = 0.01;
    linear.thermalM = 0.0001;
    linear.thermalB = 0.5;
    linear.zeroDigits = 7000;
    linear.zeroTemperature = 20;
    EXPECT_DOUBLE_EQ(displacement(linear, 7000, 20.0), 0.0);
    // K = (R1 × M + B) × G = (7100 × 0.0001 + 0.5) × 0.01 = 0.0121 per °C.
    EXPECT_NEAR(displacement(linear, 7100, 25.0), 0.01 * 100 + 0.0121 * 5, 1e-12);
    // No temperature: no thermal term, never a made-up one.
    EXPECT_NEAR(displacement(linear, 7100, std::nullopt), 1.0, 1e-12);

    Calibration poly;
    poly.kind = GaugeKind::Polynomial;
    poly.polyA = 2e-7;
    poly.polyB = 0.012;
    poly.zeroDigits = 6500;
    EXPECT_NEAR(displacement(poly, 6500, std::nullopt), 0.0, 1e-12);
    EXPECT_NEAR(displacement(poly, 7000, std::nullopt),
                2e-7 * (7000.0 * 7000 - 6500.0 * 6500) + 0.012 * 500, 1e-9);
}

TEST(CalibrationTest, AResistanceThatGivesNoTemperatureGivesNone) {
    for (double ohms : {0.0, -5.0, std::nan("")})
        EXPECT_FALSE(thermistorCelsius(ohms)) << ohms;
    EXPECT_FALSE(thermistorCelsius(3000, Thermistor{-1, 0, 0}));
}

TEST(CalibrationTest, TheCalibrationInForceIsTheLatestFromTheReadingOrBefore) {
    std::vector<Calibration> list(3);
    list[0].channel = 1;
    list[0].validFrom = "2025-01-01 00:00:00";
    list[1].channel = 1;
    list[1].validFrom = "2026-06-01 12:00:00"; // the gauge replaced
    list[2].channel = 2;
    list[2].validFrom = "2024-01-01 00:00:00";
    EXPECT_EQ(calibrationAt(list, 1, "2024-12-31 23:59:59"), nullptr);
    EXPECT_EQ(calibrationAt(list, 1, "2026-06-01 11:59:59"), &list[0]);
    EXPECT_EQ(calibrationAt(list, 1, "2026-06-01 12:00:00"), &list[1]);
    EXPECT_EQ(calibrationAt(list, 2, "2030-01-01 00:00:00"), &list[2]);
}

} // namespace
