// The logger import through the real main window: the command and its checks,
// the review window, the append and the return to the Readings tab. What is
// appended and found already stored runs on both engines.
#include "support/WindowSupport.h"

#include "importer/Texts.h"
#include "importer/ui/ReviewDialog.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace testing_support;
namespace texts = importer::texts;
using importer::ReviewDialog;

namespace {

class ImportWindowTest : public WindowEngineTest {
protected:
    void startWith(const QString& sensor, int readings = 0) {
        store::Database& db = openNewDatabase();
        addSensor(db, sensor);
        addReadings(db, sensor, readings);
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
        control<QTabWidget>("SSTab1")->setCurrentIndex(2);
    }
    // A logger line: channel k holds k, but channel 1 "1.255" and channel 2 "abc".
    static QString line(const QString& when) {
        return when + QStringLiteral(",TR01,91,005,21.46,1.255,abc,3,4,5,6,7,8,9,10,x");
    }
    static QString hourly(int k) {
        return QDateTime(QDate(2025, 4, 1), QTime(6, 0))
            .addSecs(3600LL * k)
            .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    }
    QString loggerFile(const QString& name, const QStringList& lines) const {
        const QString path = documents.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
        return path;
    }
    // The import command on path; inWindow runs in the review window, which
    // is closed afterwards unless it closed itself.
    void importFile(const QString& path, std::function<void(ReviewDialog&)> inWindow = {}) {
        prompter.chooseFile(path);
        if (inWindow)
            onNextModal([inWindow](QDialog* dialog) {
                auto* review = qobject_cast<ReviewDialog*>(dialog);
                ASSERT_NE(review, nullptr);
                inWindow(*review);
                if (review->isVisible()) review->reject();
            });
        click("imgAddTroveData");
    }
    void append(ReviewDialog& w, app::Answer answer) {
        prompter.answer(answer);
        w.findChild<QPushButton*>(QStringLiteral("cmdAppend"))->click();
    }
    static std::string ticks(const ReviewDialog& w) {
        std::string t;
        for (int r = 0; r < w.model().rowCount(); ++r)
            t += w.model().isTicked(r) ? '1' : '0';
        return t;
    }
    // The first row's columns joined by '|' ("NULL" for no value).
    std::string query(const QString& sql) const {
        const QStringList row = firstRow(*openAgain(), sql);
        return row.isEmpty() ? "<no row>" : row.join('|').toStdString();
    }
    std::string prompts() const { return promptTexts().join(QStringLiteral(" / ")).toStdString(); }
    std::string counter() const { return control<QLineEdit>("txtRcount")->text().toStdString(); }

    const QString Sensor = QStringLiteral("201391005");
};

// The logger file itself, its name and the transfer folder: nothing of them
// differs by engine.
class ImportFileTest : public ImportWindowTest {};

TEST_P(ImportFileTest, AFileNamedForAnotherSensorIsImportedOnlyAfterAWarning) {
    startWith(Sensor);
    click("imgAddTroveData"); // cancelled: nothing happens
    EXPECT_EQ(prompter.fileFilters, QStringList{"Text (*.txt) | *.txt"});

    prompter.answer(app::Answer::No);
    prompter.chooseFile(loggerFile(QStringLiteral("201391006.txt"), {line(hourly(0))}));
    click("imgAddTroveData");
    ASSERT_EQ(prompter.prompts.size(), 1U);
    const app::Prompt& warning = prompter.prompts[0];
    EXPECT_EQ(warning.text.toStdString(),
              "WARNING:\r\n201391006.txt is not a match for the current sensor of 201391005\r\n"
              "Are you sure you want to append this data to the database?\r\n\r\n"
              "This may cause undesirable results including corruption and loss of database");
    EXPECT_EQ(warning.title, "Vornhald's TOLVANE");
    EXPECT_EQ(warning.icon, app::Icon::Warning);
    EXPECT_EQ(warning.buttons, app::Buttons::YesNo);
    EXPECT_TRUE(warning.defaultNo);
    EXPECT_FALSE(QFile::exists(dataFile(texts::ImportWorkingFile)));

    // Letter case counts; Yes imports into the current sensor all the same.
    prompter.answer(app::Answer::Yes);
    bool opened = false;
    importFile(loggerFile(QStringLiteral("201391005.TXT"), {line(hourly(0))}),
               [&](ReviewDialog&) { opened = true; });
    EXPECT_TRUE(opened);
    EXPECT_EQ(prompter.prompts.size(), 2U);
}

TEST_P(ImportWindowTest, TheReviewWindowShowsTheLinesWithTheProposal) {
    startWith(Sensor);
    QStringList lines;
    for (int k = 0; k < 30; ++k)
        lines << line(k == 12 ? texts::MarkerLine : hourly(k));
    const QString path = loggerFile(Sensor + ".txt", lines);
    EXPECT_EQ(control<QComboBox>("cboTroveInt")->currentText(), "24");
    importFile(path, [&](ReviewDialog& w) {
        EXPECT_EQ(w.objectName(), "frmTroveData");
        EXPECT_EQ(w.windowTitle(), "Import DataFiles");
        EXPECT_EQ(w.findChild<QLabel*>("lblHeader")->text(),
                  "Click to download textfile data to Sensor 201391005");
        EXPECT_EQ(w.findChild<QGroupBox*>("Frame1")->title(), "Datafile Date Format:");
        QStringList options;
        for (int i = 0; i < 3; ++i) {
            auto* o = w.findChild<QRadioButton*>(QStringLiteral("optDateFormat%1").arg(i));
            options << o->text() + (o->isChecked() ? "*" : "");
        }
        EXPECT_EQ(options.join(' '), "YYYY/MM/DD* DD/MM/YYYY MM/DD/YYYY");
        EXPECT_EQ(w.findChild<QPushButton*>("cmdAppend")->text(), "append");
        EXPECT_TRUE(w.findChild<QPushButton*>("cmdAppend")->isEnabled());

        auto* grid = w.findChild<QTableView*>("MSFlexGrid1");
        ASSERT_NE(grid, nullptr);
        QAbstractItemModel* model = grid->model();
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        ASSERT_EQ(model->rowCount(), 30);
        ASSERT_EQ(model->columnCount(), 16);
        QStringList titles;
        for (int c = 0; c < 16; ++c)
            titles << model->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(titles.join('|'), "Reading Date & Time|TROVE ID|Type ID|SensorNo|ChannelT|"
                                    "Channel1|Channel2|Channel3|Channel4|Channel5|Channel6|"
                                    "Channel7|Channel8|Channel9|Channel10|Append");
        EXPECT_EQ(grid->columnWidth(0), 19 * 8);
        EXPECT_EQ(grid->columnWidth(15), 6 * 8);
        EXPECT_EQ(model->index(2, 0).data().toString(), hourly(2));
        EXPECT_EQ(model->index(2, 14).data().toString(), "10");
        EXPECT_FALSE(model->index(2, 15).data().isValid()); // column 16 is never shown
        EXPECT_EQ(ticks(w), "100000000000000000000000100000");

        // A click anywhere in the tick cell flips it, and only there.
        const QRect cell = grid->visualRect(model->index(1, 15));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(2, 2));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        const QRect text = grid->visualRect(model->index(2, 3));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, text.center());
        EXPECT_EQ(model->index(1, 15).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        EXPECT_EQ(ticks(w), "110000000000000000000000100000");

        EXPECT_FALSE(QFile::exists(dataFile(texts::SchemaFileName)));
        EXPECT_EQ(fileBytes(dataFile(texts::ImportWorkingFile)), fileBytes(path));
    });
    EXPECT_EQ(prompts(), "");
    EXPECT_EQ(query("SELECT count(*) FROM `201391005`"), "0");
}

TEST_P(ImportWindowTest, AppendingTwiceAppendsOnceAndReportsTheDuplicates) {
    startWith(Sensor);
    control<QComboBox>("cboTroveInt")->setCurrentText("1");
    // The fourth line repeats the first: its key is taken by the time it comes.
    const QString path = loggerFile(
        Sensor + ".txt", {line(hourly(0)), line(hourly(1)), line(hourly(2)), line(hourly(0))});
    importFile(path, [&](ReviewDialog& w) {
        EXPECT_EQ(ticks(w), "1110");
        w.model().flip(3);
        append(w, app::Answer::Yes);
    });
    EXPECT_EQ(prompts(), "All the checked data will be added to sensor:  201391005 ? / "
                         "201391005 2025/04/01 06:00:00 is a duplicate reading and cannot be "
                         "appended. /  3 records appended to 201391005");
    EXPECT_EQ(prompter.prompts[0].buttons, app::Buttons::YesNo);
    EXPECT_EQ(prompter.prompts[0].title, "Tolvane");
    EXPECT_EQ(query("SELECT DateTimeKey, ReadingDate, ReadingTime, FullDate, ChannelT, Channel1, "
                    "Channel2, Channel9, Channel10, IsDirty, Plottemporal, PlotSpatial "
                    "FROM `201391005` WHERE ReadingTime = '07:00:00'"),
              "201391005 2025/04/01 07:00:00|2025/04/01|07:00:00|2025-04-01 07:00:00|21.5|1.26|"
              "0.0|9.0|NULL|1|1|0");
    EXPECT_EQ(counter(), "3 of 3"); // none was shown before: the last

    prompter.prompts.clear();
    importFile(path, [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    EXPECT_EQ(prompts(), "All the checked data will be added to sensor:  201391005 ? / "
                         "3 lines were already in the database and were skipped:\r\n"
                         "2025/04/01 06:00:00\r\n2025/04/01 07:00:00\r\n2025/04/01 08:00:00 / "
                         " No data was found to append");
    EXPECT_EQ(query("SELECT count(*) FROM `201391005`"), "3");
}

// The logger's file grows: each import brings every earlier line again. On a
// file only: a server takes seconds over the lines (AppendingTwiceAppendsOnce...
// covers its duplicates), and its speed is for a benchmark to show.
TEST_P(ImportFileTest, ReimportingAHundredThousandLinesSaysSoOnce) {
    startWith(Sensor);
    control<QComboBox>("cboTroveInt")->setCurrentText("1");
    QStringList lines;
    for (int k = 0; k < 100000; ++k)
        lines << line(hourly(k));
    importFile(loggerFile(Sensor + ".txt", lines),
               [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    EXPECT_EQ(prompter.prompts.back().text, " 100000 records appended to 201391005");

    prompter.prompts.clear();
    lines << line(hourly(100000));
    importFile(loggerFile(Sensor + ".txt", lines),
               [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    QStringList firstTen;
    for (int k = 0; k < 10; ++k)
        firstTen << hourly(k);
    EXPECT_EQ(promptTexts(),
              QStringList({texts::appendQuestion(Sensor),
                           "100000 lines were already in the database and were skipped:\r\n" +
                               firstTen.join("\r\n") + "\r\nand 99990 more",
                           " 1 records appended to 201391005"}));
    EXPECT_EQ(query("SELECT count(*) FROM `201391005`"), "100001");
}

TEST_P(ImportWindowTest, ASensorOfType21StoresTwoChannels) {
    const QString sensor = QStringLiteral("201321005");
    startWith(sensor);
    importFile(loggerFile(sensor + ".txt", {line(hourly(0))}),
               [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    EXPECT_EQ(query("SELECT ChannelT, Channel1, Channel2, coalesce(Channel3, Channel4, Channel5, "
                    "Channel6, Channel7, Channel8, Channel9, Channel10) FROM `201321005`"),
              "21.5|1.26|0.0|NULL");
}

TEST_P(ImportWindowTest, NoToTheQuestionAppendsNothing) {
    startWith(Sensor);
    bool closed = false;
    importFile(loggerFile(Sensor + ".txt", {line(hourly(0))}), [&](ReviewDialog& w) {
        append(w, app::Answer::No);
        closed = !w.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(prompts(), texts::appendQuestion(Sensor).toStdString());
    EXPECT_EQ(query("SELECT count(*) FROM `201391005`"), "0");
}

TEST_P(ImportWindowTest, TheMainWindowReturnsToTheSavedReading) {
    startWith(Sensor, 3);
    click("imgFirst");
    control<QLineEdit>("txtChannel1")->setText("9"); // stored when the import starts
    importFile(loggerFile(Sensor + ".txt", {line(hourly(0)), line(hourly(24))}),
               [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    EXPECT_EQ(counter(), "1 of 5");
    EXPECT_EQ(control<QLineEdit>("txtReadingID")->text(),
              readingKey(Sensor, QDateTime(QDate(2025, 3, 1), QTime(0, 0))));
    EXPECT_EQ(control<QLineEdit>("txtChannel1")->text(), "9");

    click("imgNextData");
    importFile(loggerFile(Sensor + ".txt", {line(hourly(48))}), [](ReviewDialog&) {}); // closed
    EXPECT_EQ(counter(), "2 of 5");
}

TEST_P(ImportWindowTest, OtherLayoutsAndLinesWithoutADate) {
    startWith(Sensor);
    importFile(loggerFile(Sensor + ".txt", {line("05/04/2025 10:20:30"), line("junk")}),
               [&](ReviewDialog& w) {
                   EXPECT_EQ(ticks(w), "10");
                   w.model().flip(1);
                   w.findChild<QRadioButton*>("optDateFormat1")->click();
                   append(w, app::Answer::Yes);
               });
    EXPECT_EQ(promptTexts().mid(1).join(" / ").toStdString(),
              "Line 2 was not appended: \"junk\" is not a date and time in the chosen date "
              "format. /  1 records appended to 201391005");
    EXPECT_EQ(query("SELECT DateTimeKey, FullDate FROM `201391005`"),
              "201391005 2025/04/05 10:20:30|2025-04-05 10:20:30");
}

TEST_P(ImportFileTest, TheTransferCopyIsArchivedAfterAnAppend) {
    startWith(Sensor);
    const QDir transfer(dataFile(QStringLiteral("Transfer")));
    ASSERT_TRUE(QDir().mkpath(transfer.filePath("backup")));
    const QString copy = transfer.filePath("TV201391005.txt");
    const QString archive = transfer.filePath("backup/TV201391005_2026-12-07.txt");
    for (const auto& [file, bytes] :
         {std::pair(copy, "from the logger"), std::pair(archive, "old")}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    const QString path = loggerFile(Sensor + ".txt", {line(hourly(0))});
    importFile(path, [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_EQ(fileBytes(archive), "from the logger");
    EXPECT_EQ(transfer.entryList({"*.part"}, QDir::Files).size() +
                  QDir(transfer.filePath("backup")).entryList({"*.part"}, QDir::Files).size(),
              0);

    // Nothing appended: the transfer copy stays.
    QFile f(copy);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    importFile(path, [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    EXPECT_TRUE(QFile::exists(copy));
}

// One transaction: a line the engine refuses takes the lines before it along.
TEST_P(ImportWindowTest, AFailedAppendStoresNothing) {
    startWith(Sensor);
    refuseWrites(*openAgain(), "refuse", Sensor, "INSERT", "new.ReadingTime = '07:00:00'",
                 "refused");
    control<QComboBox>("cboTroveInt")->setCurrentText("1");
    expectLog(texts::AppendLabel);
    importFile(loggerFile(Sensor + ".txt", {line(hourly(0)), line(hourly(1)), line(hourly(2))}),
               [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    EXPECT_EQ(promptTexts().mid(1).join(" / ").toStdString(), "No readings were appended: refused");
    EXPECT_EQ(query("SELECT count(*) FROM `201391005`"), "0");
}

// The server goes away while the lines are stored: nothing is kept, the user
// is told in plain words, and the same window appends them once it is back.
TEST_P(ImportWindowTest, AServerThatGoesAwayInTheAppendStoresNothingAndTheWindowGoesOn) {
    if (GetParam() != Engine::Server) GTEST_SKIP() << "a file has no connection to lose";
    startWith(Sensor);
    // The window's server process ends itself at the second line.
    openAgain()->execute(QStringLiteral(
        "/*server*/CREATE FUNCTION vanish() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF "
        "NEW.\"ReadingTime\" = '07:00:00' THEN PERFORM pg_terminate_backend(pg_backend_pid()); "
        "PERFORM pg_sleep(5); END IF; RETURN NEW; END $$; CREATE TRIGGER vanish BEFORE INSERT ON "
        "\"201391005\" FOR EACH ROW EXECUTE FUNCTION vanish()"));
    control<QComboBox>("cboTroveInt")->setCurrentText("1");
    expectLog(texts::AppendLabel);
    const QString file =
        loggerFile(Sensor + ".txt", {line(hourly(0)), line(hourly(1)), line(hourly(2))});
    importFile(file, [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    const QString said = promptTexts().mid(1).join(" / ");
    EXPECT_TRUE(said.startsWith("No readings were appended: The connection to the database "
                                "server") &&
                said.contains("Nothing of this change was stored."))
        << said.toStdString();
    EXPECT_EQ(query("SELECT count(*) FROM `201391005`"), "0");

    openAgain()->execute(QStringLiteral("/*server*/DROP TRIGGER vanish ON \"201391005\""));
    prompter.prompts.clear();
    importFile(file, [&](ReviewDialog& w) { append(w, app::Answer::Yes); });
    EXPECT_EQ(query("SELECT count(*) FROM `201391005`"), "3");
    EXPECT_EQ(control<QLineEdit>("txtRcount")->text(), "3 of 3");
}

TEST_P(ImportFileTest, AnEmptyFileHasNoReadingsToAppend) {
    startWith(Sensor);
    importFile(loggerFile(Sensor + ".txt", {}), [&](ReviewDialog& w) {
        EXPECT_EQ(w.model().rowCount(), 0);
        EXPECT_EQ(w.model().headerData(0, Qt::Horizontal).toString(), "No Readings");
        append(w, app::Answer::Yes);
    });
    EXPECT_EQ(promptTexts().mid(1).join(" / ").toStdString(), " No data was found to append");
}

TEST_P(ImportFileTest, AMissingFileOpensNoWindow) {
    startWith(Sensor);
    QFile earlier(dataFile(texts::ImportWorkingFile));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    importFile(documents.filePath(Sensor + ".txt"));
    ASSERT_EQ(prompter.prompts.size(), 1U);
    EXPECT_EQ(prompter.prompts[0].text, "There was no data found for this sensor.");
    EXPECT_EQ(prompter.prompts[0].title, "Tolvane");
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Information);
    EXPECT_EQ(fileBytes(dataFile(texts::ImportWorkingFile)), "earlier");
}

TEST_P(ImportFileTest, LinesEndedByNulBytesAreAllAppended) {
    startWith(Sensor);
    control<QComboBox>("cboTroveInt")->setCurrentText("1");
    QByteArray bytes;
    for (int k = 0; k < 10; ++k)
        bytes += line(hourly(k)).toLatin1() + '\0';
    bytes += QByteArray(2048, '\0');
    const QString path = documents.filePath(Sensor + ".txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    importFile(path, [&](ReviewDialog& w) {
        EXPECT_EQ(ticks(w), "1111111111");
        append(w, app::Answer::Yes);
    });
    EXPECT_EQ(promptTexts().mid(1).join(" / ").toStdString(), " 10 records appended to 201391005");
    EXPECT_EQ(query("SELECT max(ReadingTime) FROM `201391005`"), "15:00:00");
}

TEST_P(ImportFileTest, ABinaryFileIsRefusedWithAMessage) {
    startWith(Sensor);
    const QString path = documents.filePath(Sensor + ".txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, '\0'));
    f.close();
    importFile(path); // no review window opens
    ASSERT_EQ(prompter.prompts.size(), 1U);
    EXPECT_EQ(prompter.prompts[0].text, "201391005.txt is not a text file and was not imported.");
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Warning);
    EXPECT_EQ(query("SELECT count(*) FROM `201391005`"), "0");
}

TEST_P(ImportFileTest, AHundredThousandLinesOpenAndScroll) {
    startWith(Sensor);
    QStringList lines;
    for (int k = 0; k < 100000; ++k)
        lines << line(hourly(k));
    importFile(loggerFile(Sensor + ".txt", lines), [&](ReviewDialog& w) {
        auto* grid = w.findChild<QTableView*>("MSFlexGrid1");
        ASSERT_EQ(grid->model()->rowCount(), 100000);
        grid->scrollToBottom();
        EXPECT_EQ(grid->rowAt(grid->viewport()->height() - 2), 99999);
        EXPECT_EQ(grid->model()->index(99999, 0).data().toString(), hourly(99999));
        EXPECT_TRUE(w.model().isTicked(99960));
        EXPECT_FALSE(w.model().isTicked(99999));
    });
}

TOLVANE_ON_BOTH_ENGINES(ImportWindowTest);
TOLVANE_ON_FILE_ONLY(ImportFileTest);

} // namespace
