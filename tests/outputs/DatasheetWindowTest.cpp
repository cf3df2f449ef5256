// The datasheet through the real main window: opened from the Readings tab,
// keys typed into its grid and clicks on its tick boxes, the write-back when
// it closes, the return to the reading shown before, and the export. What it
// shows and stores runs on both engines.
#include "support/WindowSupport.h"

#include "WorkbookSheet.h"

#include "app/Texts.h"
#include "operations/Operations.h"
#include "outputs/Texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace testing_support;
namespace texts = outputs::texts;

namespace {

class DatasheetWindowTest : public WindowEngineTest {
protected:
    // The one-anchor sensor with n readings (hourly from 2025/03/01 00:00),
    // on the Readings tab at its last reading.
    void startWith(int n, const QString& number = QStringLiteral("202121007")) {
        sensor = number;
        store::Database& db = openNewDatabase();
        addSensor(db, number);
        addReadings(db, number, n);
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
        control<QTabWidget>("SSTab1")->setCurrentIndex(2);
        watcher = openAgain();
    }
    // Opens the datasheet, runs action in it and closes it as a user does.
    void inDatasheet(const std::function<void(QDialog*)>& action) {
        bool ran = false;
        onNextModal([&](QDialog* dialog) {
            ran = true;
            grid = dialog->findChild<QTableView*>("MSFlexGrid1");
            ASSERT_NE(grid, nullptr);
            QApplication::setActiveWindow(dialog); // as the desktop does for a new window
            action(dialog);
            dialog->close();
        });
        click("imgDatasheet");
        EXPECT_TRUE(ran);
        grid = nullptr;
    }
    // The table's values in order, for comparing before and after: the key,
    // ChannelT, Channel1, Channel2, Plottemporal and PlotSpatial of each row.
    QList<QStringList> table() const {
        QList<QStringList> rows;
        store::Statement st = watcher->prepare(
            QStringLiteral("SELECT DateTimeKey, ChannelT, Channel1, Channel2, Plottemporal, "
                           "PlotSpatial FROM `%1` ORDER BY FullDate")
                .arg(sensor));
        while (st.step()) {
            QStringList row;
            for (int c = 0; c < st.columnCount(); ++c)
                row << (st.kind(c) == store::Statement::Kind::Null ? QStringLiteral("NULL")
                                                                   : st.text(c));
            rows << row;
        }
        return rows;
    }
    // Changes when the window's connection commits anything: on a file the
    // engine's own counter, on a server the audit trail every write adds to.
    qint64 dataVersion() const {
        if (engine == Engine::Server) return qint64(auditTrail(*watcher).size());
        store::Statement st = watcher->prepare(QStringLiteral("PRAGMA data_version"));
        st.step();
        return st.int64(0);
    }
    // Keys go where a keyboard sends them: to the focused widget.
    void key(Qt::Key k) const { QTest::keyClick(QApplication::focusWidget(), k); }
    void keys(const QString& typed) const { QTest::keyClicks(QApplication::focusWidget(), typed); }
    QString cellText(int row, int column) const {
        return grid->model()->index(row, column).data().toString();
    }
    bool ticked(int row, int column) const {
        return grid->model()->index(row, column).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    void clickCell(int row, int column, QPoint offset = {}) const {
        const QRect r = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          offset.isNull() ? r.center() : r.topLeft() + offset);
    }
    QModelIndex current() const { return grid->currentIndex(); }
    app::Prompt lastPrompt() const {
        return prompter.prompts.empty() ? app::Prompt{} : prompter.prompts.back();
    }
    std::string counter() const { return control<QLineEdit>("txtRcount")->text().toStdString(); }
    QString workbook() const { return dataFile(sensor + ".xlsx"); }
    // Files of the data folder the export may have left: only the workbook.
    QStringList exportFiles() const {
        return QDir(dataFolder)
            .entryList({sensor + ".xlsx*"}, QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    QString sensor;
    std::unique_ptr<store::Database> watcher;
    QTableView* grid = nullptr;
};

// The file's own locking and the export's file: nothing of them differs by engine.
class DatasheetFileTest : public DatasheetWindowTest {};

TEST_P(DatasheetWindowTest, ShowsTheSensorsReadingsAndReturnsToTheReadingShown) {
    startWith(3);
    click("imgPrevData");
    ASSERT_EQ(counter(), "2 of 3");
    const QList<QStringList> before = table();
    qint64 version = 0;
    inDatasheet([&](QDialog* dialog) {
        version = dataVersion();
        EXPECT_EQ(dialog->objectName(), "frmDatasheet");
        EXPECT_EQ(dialog->windowTitle(), "Tolvane DataSheet");
        EXPECT_EQ(dialog->findChild<QLabel*>("lblHeader")->text(), "Data for Sensor 202121007");
        EXPECT_NE(dialog->findChild<QToolButton*>("Image1"), nullptr);
        QStringList titles;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            titles << grid->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(titles, QStringList({"DateTime Key", "ReadingDate", "R. Time", "ChannelT",
                                       "Channel1", "PlotTemporal", "PlotSpatial"}));
        // At least as the twips say (2600 and 120 a letter), and the key shown whole.
        QHeaderView* header = grid->horizontalHeader();
        EXPECT_GE(header->sectionSize(0), 173);
        EXPECT_GT(header->sectionSize(0), grid->fontMetrics().horizontalAdvance(cellText(0, 0)));
        EXPECT_GE(header->sectionSize(5), 96);
        ASSERT_EQ(grid->model()->rowCount(), 3);
        EXPECT_EQ(cellText(2, 0), "202121007 2025/03/01 02:00:00");
        EXPECT_EQ(cellText(2, 4), "1.02");
        EXPECT_TRUE(ticked(2, 5));
        EXPECT_FALSE(ticked(2, 6));
        EXPECT_EQ(current(), grid->model()->index(0, 0));
    });
    // Closed without a change: nothing was written.
    EXPECT_EQ(dataVersion(), version);
    EXPECT_EQ(table(), before);
    EXPECT_EQ(counter(), "2 of 3");
    EXPECT_EQ(control<QLineEdit>("txtReadingID")->text(), "202121007 2025/03/01 01:00:00");
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_P(DatasheetWindowTest, KeysAndClicksChangeTheGridAndClosingStoresThem) {
    startWith(3);
    const QList<QStringList> before = table();
    inDatasheet([&](QDialog*) {
        keys("5"); // on the key
        EXPECT_EQ(lastPrompt().text, texts::OnlyChannelsEditable);
        EXPECT_EQ(lastPrompt().title, "Vornhald's Tolvane");
        EXPECT_EQ(lastPrompt().icon, app::Icon::Information);
        EXPECT_EQ(cellText(0, 0), "202121007 2025/03/01 00:00:00");

        for (int i = 0; i < 4; ++i)
            key(Qt::Key_Tab);
        ASSERT_EQ(current(), grid->model()->index(0, 4));
        key(Qt::Key_Backspace);
        keys("2.5");
        EXPECT_EQ(cellText(0, 4), "2.5");
        keys("x");
        EXPECT_EQ(lastPrompt().text, texts::ChannelsNumeric);
        EXPECT_EQ(prompter.prompts.size(), 2u);
        EXPECT_EQ(cellText(0, 4), "2.5");

        // Past the last column to the next row, past the last cell to the top left.
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        EXPECT_EQ(current(), grid->model()->index(1, 0));
        grid->setCurrentIndex(grid->model()->index(2, 5));
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        EXPECT_EQ(current(), grid->model()->index(0, 0));

        // A click anywhere in a tick box flips it.
        clickCell(1, 5);
        EXPECT_FALSE(ticked(1, 5));
        clickCell(2, 6, {3, 3});
        EXPECT_TRUE(ticked(2, 6));
        clickCell(2, 4);
        EXPECT_EQ(cellText(2, 4), "1.02");
    });
    QList<QStringList> expected = before;
    expected[0][2] = "2.5";
    expected[1][4] = "0";
    expected[2][5] = "1";
    EXPECT_EQ(table(), expected);
    // Back on the last reading, shown as stored now.
    EXPECT_EQ(counter(), "3 of 3");
    EXPECT_TRUE(control<QCheckBox>("chkSpatial")->isChecked());
}

TEST_P(DatasheetWindowTest, ARefusedValueStoresNothingAndSaysWhere) {
    startWith(3);
    const QList<QStringList> before = table();
    expectLog(texts::WriteBackLabel);
    prompter.answer(app::Answer::No); // close without the changes
    inDatasheet([&](QDialog*) {
        clickCell(0, 5);
        grid->setCurrentIndex(grid->model()->index(1, 4));
        key(Qt::Key_Backspace);
        keys("1..2");
    });
    EXPECT_EQ(table(), before);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(lastPrompt().text.toStdString(),
              (texts::cellRefused("202121007 2025/03/01 01:00:00", "Channel1", "1.01..2") +
               texts::BackToDatasheet)
                  .toStdString());
    EXPECT_EQ(lastPrompt().icon, app::Icon::Warning);
    EXPECT_EQ(counter(), "3 of 3");
}

// A write-back the database refuses part-way stores none of the edits; the
// user goes back to them, and they are stored once the database takes them.
TEST_P(DatasheetWindowTest, ARefusedWriteBackStoresNoneOfTheEditsUntilTaken) {
    startWith(3);
    const QList<QStringList> before = table();
    refuseWrites(*watcher, "refuse", sensor, "UPDATE", "new.Channel1 = 7.5", "refused");
    bool back = false;
    expectLog(texts::WriteBackLabel);
    prompter.answer(app::Answer::Yes);
    inDatasheet([&](QDialog*) {
        for (const auto& [row, typed] : {std::pair(0, "3.5"), std::pair(1, "7.5")}) {
            grid->setCurrentIndex(grid->model()->index(row, 4));
            for (int i = 0; i < 4; ++i)
                key(Qt::Key_Backspace);
            keys(typed);
        }
        onNextModal([&](QDialog* again) {
            back = true;
            EXPECT_EQ(cellText(0, 4), "3.5");
            EXPECT_EQ(cellText(1, 4), "7.5");
            EXPECT_EQ(table(), before); // the first row's edit went back too
            allowWrites(*watcher, "refuse", sensor);
            again->close();
        });
    });
    EXPECT_TRUE(back);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(
        lastPrompt().text.toStdString(),
        (texts::datasheetNotSaved("202121007", "refused") + texts::BackToDatasheet).toStdString());
    QList<QStringList> expected = before;
    expected[0][2] = "3.5";
    expected[1][2] = "7.5";
    EXPECT_EQ(table(), expected);
}

// Another program holding the database when the datasheet closes: the user is
// told why, goes back to the edits, and they are stored once it lets go.
TEST_P(DatasheetFileTest, AWriteBackTheDatabaseRefusesGoesBackToTheEdits) {
    startWith(3);
    auto other = openAgain();
    QString typed;
    bool back = false;
    expectLog(texts::WriteBackLabel);
    prompter.answer(app::Answer::Yes);
    inDatasheet([&](QDialog*) {
        grid->setCurrentIndex(grid->model()->index(1, 4));
        for (int i = 0; i < 4; ++i)
            key(Qt::Key_Backspace);
        keys("7.5");
        typed = cellText(1, 4);
        ASSERT_EQ(typed, "7.5");
        other->execute(QStringLiteral("BEGIN EXCLUSIVE"));
        onNextModal([&](QDialog* again) {
            back = true;
            EXPECT_EQ(cellText(1, 4), typed);
            other->execute(QStringLiteral("ROLLBACK"));
            again->close();
        });
    });
    EXPECT_TRUE(back);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(lastPrompt().text, texts::datasheetNotSaved("202121007", app::texts::WhyLocked) +
                                     texts::BackToDatasheet);
    EXPECT_EQ(table()[1][2], "7.5");
}

TEST_P(DatasheetFileTest, TheExportWritesTheGridAsShownAndOpensIt) {
    startWith(3, "201391005");
    inDatasheet([&](QDialog* dialog) {
        grid->setCurrentIndex(grid->model()->index(1, 5));
        keys("7");
        clickCell(2, 12);
        QTest::mouseClick(dialog->findChild<QToolButton*>("Image1"), Qt::LeftButton);
    });
    EXPECT_EQ(desktop.opened, QStringList{workbook()});
    EXPECT_EQ(exportFiles(), QStringList{"201391005.xlsx"});
    const ReadSheet sheet = readSheet(workbook());
    EXPECT_EQ(sheet.name, "201391005");
    EXPECT_EQ(sheet.shown("A1"), "DateTime Key");
    EXPECT_EQ(sheet.shown("M1"), "PlotTemporal");
    EXPECT_FALSE(sheet.cells.contains("N1")); // the last grid column stays out
    EXPECT_EQ(sheet.shown("A3"), "201391005 2025/03/01 01:00:00");
    EXPECT_EQ(sheet.shown("B2"), "45717"); // 2025/03/01
    EXPECT_EQ(sheet.formatOf("B2"), "yyyy/mm/dd");
    EXPECT_EQ(sheet.shown("C2"), "0"); // midnight
    EXPECT_EQ(sheet.formatOf("C2"), "hh:mm:ss");
    EXPECT_EQ(sheet.shown("D2"), "20");
    EXPECT_EQ(sheet.shown("F3"), "2.017"); // typed, not yet stored
    EXPECT_EQ(sheet.shown("M3"), "TRUE");
    EXPECT_EQ(sheet.shown("M4"), "FALSE");
    EXPECT_FALSE(sheet.cells.contains("A5"));
    EXPECT_EQ(sheet.frozenCell, "A2");
    EXPECT_EQ(sheet.names, QStringList({"201391005", "Displacements"}));
}

// The window's export is the tool's: both sheets alike, cell for cell.
TEST_P(DatasheetWindowTest, TheWindowWritesTheToolsWorkbook) {
    startWith(30, "202541001");
    inDatasheet([&](QDialog* dialog) { dialog->findChild<QToolButton*>("Image1")->click(); });
    const QString tool = dataFile("tool.xlsx");
    operations::exportWorkbook(*watcher, sensor, tool);
    for (const int n : {1, 2}) {
        const ReadSheet shown = readSheet(workbook(), n), written = readSheet(tool, n);
        EXPECT_EQ(shown.names, written.names);
        EXPECT_EQ(shown.cells.size(), written.cells.size()) << n;
        EXPECT_EQ(shown.widths, written.widths) << n;
        for (auto c = written.cells.begin(); c != written.cells.end(); ++c)
            EXPECT_EQ(shown.cells.value(c.key()).value, c.value().value) << c.key().toStdString();
    }
    EXPECT_EQ(readSheet(tool, 2).shown("D31"), "0"); // the head at the collar: the last anchor
}

TEST_P(DatasheetWindowTest, NoReadingsAndNoProgramToOpenTheFile) {
    startWith(0);
    desktop.result = false;
    inDatasheet([&](QDialog* dialog) {
        EXPECT_EQ(grid->model()->rowCount(), 0);
        EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "No Readings");
        keys("5");
        dialog->findChild<QToolButton*>("Image1")->click();
    });
    EXPECT_EQ(readSheet(workbook()).shown("A1"), "No Readings");
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(lastPrompt().text, texts::workbookSaved(workbook()));
    EXPECT_EQ(lastPrompt().icon, app::Icon::Information);
    EXPECT_EQ(counter(), "0 of 0");
}

TEST_P(DatasheetFileTest, AnExportThatCannotBeWrittenSaysSoAndLeavesNothing) {
    startWith(2);
    ASSERT_TRUE(QDir(dataFolder).mkdir("202121007.xlsx")); // in the way of the rename
    expectLog(texts::ExportLabel);
    inDatasheet([&](QDialog* dialog) { dialog->findChild<QToolButton*>("Image1")->click(); });
    EXPECT_EQ(lastPrompt().text, texts::workbookFailed(workbook()));
    EXPECT_EQ(lastPrompt().icon, app::Icon::Warning);
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_EQ(exportFiles(), QStringList{"202121007.xlsx"});
}

TOLVANE_ON_BOTH_ENGINES(DatasheetWindowTest);
TOLVANE_ON_FILE_ONLY(DatasheetFileTest);

} // namespace
