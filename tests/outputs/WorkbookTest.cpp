// The spreadsheet file read back from its package: cells, their kinds and
// styles, the frozen header, column widths, the sheet's name, and a file that
// is replaced whole or not at all; the export's sheet of the graphs'
// displacements, and the file as a reader nobody here wrote sees it.
#include "support/Support.h"

#include "WorkbookSheet.h"

#include "operations/Operations.h"
#include "outputs/DatasheetModel.h"
#include "outputs/Workbook.h"
#include "store/Error.h"
#include "store/ReadingTables.h"
#include "store/RowSet.h"

#include <QDir>
#include <QProcess>

using namespace testing_support;
using outputs::SheetColumn;
using outputs::SheetKind;

namespace {

class Rows : public outputs::SheetRows {
public:
    explicit Rows(std::vector<std::vector<QVariant>> rows) : rows_(std::move(rows)) {}
    int sheetRowCount() const override { return int(rows_.size()); }
    std::vector<std::vector<QVariant>> sheetRows(int first, int count) const override {
        ++blocks;
        return {rows_.begin() + first, rows_.begin() + first + count};
    }
    mutable int blocks = 0;

private:
    std::vector<std::vector<QVariant>> rows_;
};

const std::vector<SheetColumn> Columns{{"DateTime Key", SheetKind::Text},
                                       {"ReadingDate", SheetKind::Date},
                                       {"R. Time", SheetKind::Time},
                                       {"Channel1", SheetKind::Number},
                                       {"PlotTemporal", SheetKind::Flag}};

// n rows whose first cell counts them.
Rows counted(int n) {
    std::vector<std::vector<QVariant>> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back(
            {QStringLiteral("row %1").arg(i + 1), QVariant(), QVariant(), i * 0.5, true});
    return Rows(std::move(rows));
}

class WorkbookTest : public TolvaneTest {
protected:
    QString target() const { return dataFile("201391005.xlsx"); }
    QStringList filesLeft() const { return QDir(dataFolder).entryList(QDir::Files); }
};

TEST_F(WorkbookTest, CellsAreWrittenByTheirColumnsKind) {
    const Rows rows({
        {"201391005 2013/12/03 20:33:08", "2013/12/03", "20:33:08", 12.35, true},
        {"201391005 2014/01/04 01:00:00", "2014/01/04", "01:00:00", "7.5", false},
        {"201391005 2014/01/05 01:00:00", QVariant(), QVariant(), QVariant(), true},
        {"201391005 2014/01/06 01:00:00", "not a date", "", "1.2.3", false},
    });
    ASSERT_TRUE(outputs::writeWorkbook(target(), "201391005", Columns, rows));
    const ReadSheet sheet = readSheet(target());

    EXPECT_EQ(sheet.name, "201391005");
    for (const char* ref : {"A1", "B1", "C1", "D1", "E1"})
        EXPECT_TRUE(sheet.isBold(ref)) << ref;
    EXPECT_FALSE(sheet.isBold("A2"));
    EXPECT_EQ(sheet.shown("B1"), "ReadingDate");
    EXPECT_EQ(sheet.shown("E1"), "PlotTemporal");
    EXPECT_EQ(sheet.frozenCell, "A2");

    EXPECT_EQ(sheet.shown("A2"), "201391005 2013/12/03 20:33:08");
    // Dates are day numbers shown year first; 2013-12-03 is day 41611.
    EXPECT_EQ(sheet.cells["B2"].type, "n");
    EXPECT_EQ(sheet.shown("B2"), "41611");
    EXPECT_EQ(sheet.formatOf("B2"), "yyyy/mm/dd");
    EXPECT_EQ(sheet.shown("B3"), "41643");
    // Times are fractions of a day shown as times.
    EXPECT_EQ(sheet.cells["C2"].type, "n");
    EXPECT_NEAR(sheet.shown("C2").toDouble(), (20 * 3600 + 33 * 60 + 8) / 86400.0, 1e-12);
    EXPECT_EQ(sheet.formatOf("C2"), "hh:mm:ss");
    EXPECT_NEAR(sheet.shown("C3").toDouble(), 1 / 24.0, 1e-12);
    EXPECT_EQ(sheet.cells["D2"].type, "n");
    EXPECT_EQ(sheet.shown("D2"), "12.35");
    EXPECT_EQ(sheet.cells["D3"].type, "n");
    EXPECT_EQ(sheet.shown("D3"), "7.5");
    EXPECT_EQ(sheet.shown("E2"), "TRUE");
    EXPECT_EQ(sheet.shown("E3"), "FALSE");

    // No value, no cell; text that is no date or number stays text.
    for (const char* ref : {"B4", "C4", "D4", "C5"})
        EXPECT_FALSE(sheet.cells.contains(ref)) << ref;
    EXPECT_EQ(sheet.shown("B5"), "not a date");
    EXPECT_EQ(sheet.cells["B5"].type, "inlineStr");
    EXPECT_EQ(sheet.shown("D5"), "1.2.3");
    EXPECT_EQ(sheet.cells.size(), 5 + 5 + 5 + 2 + 4);

    // Each column as wide as its widest content.
    ASSERT_EQ(sheet.widths.keys(), QList<int>({1, 2, 3, 4, 5}));
    EXPECT_GT(sheet.widths[1], 29);
    EXPECT_LT(sheet.widths[3], sheet.widths[2]);
    EXPECT_GT(sheet.widths[5], 12);
    EXPECT_EQ(filesLeft(), QStringList{"201391005.xlsx"});
}

// A finished file replaces the old one whole; a stopped one leaves it as it was.
TEST_F(WorkbookTest, TheOldFileIsReplacedWholeOrNotAtAll) {
    ASSERT_TRUE(outputs::writeWorkbook(target(), "201391005", Columns, counted(3)));
    ASSERT_TRUE(outputs::writeWorkbook(target(), "201391005", Columns, counted(1)));
    const QByteArray before = fileBytes(target());
    EXPECT_EQ(readSheet(target()).shown("A2"), "row 1");
    EXPECT_FALSE(readSheet(target()).cells.contains("A3"));
    // Long sheets go a block at a time; the stop comes between blocks.
    const Rows rows = counted(2500);
    std::vector<int> written;
    EXPECT_FALSE(
        outputs::writeWorkbook(target(), "201391005", Columns, rows, [&](int done, int all) {
            EXPECT_EQ(all, 2500);
            written.push_back(done);
            return done < 2000;
        }));
    EXPECT_EQ(written, (std::vector<int>{0, 1000, 2000}));
    EXPECT_EQ(rows.blocks, 2);
    EXPECT_EQ(fileBytes(target()), before);
    EXPECT_EQ(filesLeft(), QStringList{"201391005.xlsx"});
}

TEST_F(WorkbookTest, AFolderThatIsNotThereFailsAndMakesNothing) {
    const QString path = dataFile("missing/201391005.xlsx");
    EXPECT_THROW(outputs::writeWorkbook(path, "201391005", Columns, counted(3)), store::Error);
    EXPECT_FALSE(QDir(dataFile("missing")).exists());
    EXPECT_EQ(filesLeft(), QStringList());
}

// Moments are day numbers with the time as their fraction; what reads as no
// time or moment stays text.
TEST_F(WorkbookTest, TimesAndMomentsThatAreNoneStayText) {
    const std::vector<SheetColumn> columns{{"Time", SheetKind::Time},
                                           {"Moment", SheetKind::DateTime}};
    const Rows rows({
        {"8:05", "2013/12/03 20:33:08"},
        {"25:00:00", "2013/12/03"},
        {"noon", "2013/12/03 noon"},
    });
    ASSERT_TRUE(outputs::writeWorkbook(target(), "x", columns, rows));
    const ReadSheet sheet = readSheet(target());
    EXPECT_NEAR(sheet.shown("A2").toDouble(), (8 * 60 + 5) / 1440.0, 1e-12);
    EXPECT_NEAR(sheet.shown("B2").toDouble(), 41611 + (20 * 3600 + 33 * 60 + 8) / 86400.0, 1e-9);
    EXPECT_EQ(sheet.formatOf("B2"), "yyyy/mm/dd hh:mm:ss");
    EXPECT_EQ(sheet.shown("B3"), "41611");
    EXPECT_EQ(sheet.formatOf("B3"), "yyyy/mm/dd hh:mm:ss");
    for (const char* ref : {"A3", "A4", "B4"})
        EXPECT_EQ(sheet.cells[ref].type, "inlineStr") << ref;
    EXPECT_GT(sheet.widths[2], 19);
}

// The tool's export: the datasheet, then the graphs' displacements of the
// same readings under the anchors' depths.
class ExportTest : public WorkbookTest {
protected:
    void SetUp() override {
        WorkbookTest::SetUp();
        db = &openNewDatabase();
        addSensor(*db, Sensor);
        addReadings(*db, Sensor, 6);
        // Head at the toe: the displacement is the anchor's own movement; the
        // zero is the second reading.
        db->execute(QStringLiteral("UPDATE Sensors SET HeadLocation = 0, NodeLocation1 = 2.3, "
                                   "NodeLocation2 = 4.567"));
        // The fourth reading has a channel the zero lacks: no displacement.
        db->execute(QStringLiteral("UPDATE `%1` SET Plottemporal = 0 WHERE _rowid_ = 1; "
                                   "UPDATE `%1` SET Channel9 = 5 WHERE _rowid_ = 4")
                        .arg(Sensor));
        operations::exportWorkbook(*db, Sensor, target());
    }
    store::Database* db = nullptr;
    const QString Sensor = QStringLiteral("202541001");
};

TEST_F(ExportTest, TheSecondSheetHoldsTheGraphsDisplacements) {
    const ReadSheet first = readSheet(target());
    EXPECT_EQ(first.names, QStringList({Sensor, "Displacements"}));
    EXPECT_EQ(first.shown("C1"), "R. Time");
    EXPECT_EQ(first.formatOf("C3"), "hh:mm:ss");

    const ReadSheet sheet = readSheet(target(), 2);
    EXPECT_EQ(sheet.shown("A1"), "Date and Time");
    EXPECT_EQ(sheet.shown("B1"), "Anchor 1 (2.30 m)");
    EXPECT_EQ(sheet.shown("C1"), "Anchor 2 (4.57 m)");
    EXPECT_EQ(sheet.shown("D1"), "Anchor 3");
    EXPECT_FALSE(sheet.cells.contains("E1"));
    EXPECT_TRUE(sheet.isBold("D1"));
    EXPECT_EQ(sheet.frozenCell, "A2");
    EXPECT_EQ(sheet.formatOf("A3"), "yyyy/mm/dd hh:mm:ss");

    int row = 2;
    operations::forEachReading(
        *db, Sensor, std::nullopt, std::nullopt, [&](const operations::ReadingLine& line) {
            EXPECT_NEAR(sheet.shown(QStringLiteral("A%1").arg(row)).toDouble(),
                        45717 + (row - 2) / 24.0, 1e-9);
            for (int a = 0; a < 3; ++a) {
                const QString ref = QString(QChar('B' + a)) + QString::number(row);
                const std::optional<double>& d = line.displacements[size_t(a)];
                ASSERT_EQ(sheet.cells.contains(ref), d.has_value()) << ref.toStdString();
                if (d) {
                    EXPECT_NEAR(sheet.shown(ref).toDouble(), *d, 1e-6) << ref.toStdString();
                }
            }
            ++row;
        });
    EXPECT_EQ(row, 8);
    EXPECT_FALSE(sheet.cells.contains("A8"));
    EXPECT_EQ(sheet.shown("B6"), "0.03"); // 4 hours on, 3 after the zero, without binary dust
    for (const char* ref : {"B5", "C5", "D5"})
        EXPECT_FALSE(sheet.cells.contains(ref)) << ref;
}

// The window's export, stopped while it walks the displacements: the earlier
// file stays whole and nothing is left beside it.
TEST_F(ExportTest, AStopInTheSecondSheetLeavesTheEarlierFile) {
    const QByteArray before = fileBytes(target());
    store::RowSet rs(*db, store::readingsQuery(Sensor));
    outputs::DatasheetModel grid;
    ASSERT_TRUE(grid.populate(&rs, Sensor));
    std::vector<int> asked;
    EXPECT_FALSE(operations::exportWorkbook(*db, Sensor, target(), grid, [&](int done, int total) {
        EXPECT_EQ(total, 12);
        asked.push_back(done);
        return done < 6;
    }));
    EXPECT_EQ(asked, (std::vector<int>{0, 6}));
    grid.release();
    EXPECT_EQ(fileBytes(target()), before);
    EXPECT_EQ(QDir(dataFolder).entryList({"201391005.xlsx*"}, QDir::Files),
              QStringList{"201391005.xlsx"});
}

// The first python3 that has openpyxl: the one on the path, else the
// system's, where the Debian package puts it.
QString pythonWithOpenpyxl() {
    for (const QString& python : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
        if (probe.waitForFinished(60000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return python;
    }
    return {};
}

// What another program makes of the file: openpyxl's reading of it.
TEST_F(ExportTest, AnotherProgramReadsTimesDatesAndTitles) {
    const QString python = pythonWithOpenpyxl();
    if (python.isEmpty())
        GTEST_SKIP() << "no python3 with openpyxl (python3-openpyxl) is installed";
    const char* script = R"(import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1], read_only=True)
print(book.sheetnames)
readings, moved = book[book.sheetnames[0]], book["Displacements"]
rows = list(readings.iter_rows(values_only=True))
print(list(rows[0]))
print(repr(rows[2][1]), repr(rows[2][2]))
rows = list(moved.iter_rows(values_only=True))
print(list(rows[0]))
print(repr(rows[5][0]), round(rows[5][1], 9), rows[4][2])
)";
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"), script, target()});
    ASSERT_TRUE(reader.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(reader.readAllStandardError()), "");
    EXPECT_EQ(
        QString::fromUtf8(reader.readAllStandardOutput()).split('\n'),
        QStringList({"['202541001', 'Displacements']",
                     "['DateTime Key', 'ReadingDate', 'R. Time', 'ChannelT', 'Channel1', "
                     "'Channel2', 'Channel3', 'PlotTemporal']",
                     "datetime.datetime(2025, 3, 1, 0, 0) datetime.time(1, 0)",
                     "['Date and Time', 'Anchor 1 (2.30 m)', 'Anchor 2 (4.57 m)', 'Anchor 3']",
                     "datetime.datetime(2025, 3, 1, 4, 0) 0.03 None", ""}));
}

// A status sheet's colours as another program sees them: the fill, and
// letters that read on it.
TEST_F(WorkbookTest, FilledCellsKeepTheirColourInAnotherProgram) {
    const QString python = pythonWithOpenpyxl();
    if (python.isEmpty())
        GTEST_SKIP() << "no python3 with openpyxl (python3-openpyxl) is installed";
    {
        outputs::WorkbookWriter book(target());
        const int sheet = book.addSheet(QStringLiteral("Status"),
                                        {{QStringLiteral("Status"), outputs::SheetKind::Text},
                                         {QStringLiteral("Value"), outputs::SheetKind::Number},
                                         {QStringLiteral("Plain"), outputs::SheetKind::Text}});
        book.addRow(sheet, {QStringLiteral("Alarm"), 12.5, QStringLiteral("x")},
                    {QColor(0xff, 0xbf, 0x00), QColor(0x20, 0x20, 0x60), QColor()});
        book.addRow(sheet, {QStringLiteral("normal"), 1.0, QStringLiteral("y")});
        book.finish();
    }
    const char* script = R"(import sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).active
for row in sheet.iter_rows(min_row=2):
    print([(c.value, c.fill.fill_type, c.fill.fgColor.rgb if c.fill.fill_type else None,
            c.font.color.rgb if c.fill.fill_type else None) for c in row])
)";
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"), script, target()});
    ASSERT_TRUE(reader.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(reader.readAllStandardError()), "");
    EXPECT_EQ(reader.readAllStandardOutput().toStdString(),
              "[('Alarm', 'solid', 'FFFFBF00', 'FF000000'), (12.5, 'solid', 'FF202060', "
              "'FFFFFFFF'), ('x', None, None, None)]\n"
              "[('normal', None, None, None), (1, None, None, None), ('y', None, None, None)]\n");
}

// A name a sheet cannot have keeps the default one.
class SheetNameTest : public WorkbookTest,
                      public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(SheetNameTest, NamesTheSheet) {
    ASSERT_TRUE(outputs::writeWorkbook(target(), GetParam().first, Columns, counted(1)));
    EXPECT_EQ(readSheet(target()).name, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Names, SheetNameTest,
                         ::testing::Values(std::pair("201391005", "201391005"),
                                           std::pair("", "Sheet1"), std::pair("a[1]", "Sheet1"),
                                           std::pair("a name longer than thirty-one letters",
                                                     "Sheet1")));

} // namespace
