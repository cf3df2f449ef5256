// The spreadsheet file read back from its package: cells, their kinds and
// styles, the frozen header, column widths, the sheet's name, and a file that
// is replaced whole or not at all.
#include "support/Support.h"

#include "WorkbookSheet.h"

#include "outputs/Workbook.h"
#include "store/Error.h"

#include <QDir>

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
                                       {"R. Time", SheetKind::Text},
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
    EXPECT_EQ(sheet.shown("C2"), "20:33:08");
    EXPECT_NE(sheet.cells["C2"].type, "n");
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
