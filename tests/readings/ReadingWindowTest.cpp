// The Readings tab driven through the real main window: adding, storing,
// stepping through, re-dating and deleting readings, and the tab's entry and exit.
#include "support/WindowSupport.h"

#include "app/TextFormat.h"
#include "readings/Texts.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>

using namespace testing_support;
namespace texts = readings::texts;

namespace {

class ReadingWindowTest : public WindowTest {
protected:
    // The sensor (eight anchors: every box open) with n hourly readings from
    // start and one at each extra moment, shown on the Readings tab.
    void startWith(int n, const std::vector<QDateTime>& extra = {}) {
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        addReadings(db, Sensor, n, start);
        for (const QDateTime& when : extra)
            addReadings(db, Sensor, 1, when);
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
        showTab(2);
    }
    std::string query(const QString& sql) const {
        auto db = store::Database::open(dataFile("TolvaneMPBX.mdb"), true);
        store::Statement st = db->prepare(sql);
        return st.step() ? st.text(0).toStdString() : "<no row>";
    }
    // An expression over the columns of the reading stored under when's key.
    std::string stored(const QDateTime& when, const QString& columns) const {
        return query(QStringLiteral("SELECT %1 FROM `%2` WHERE DateTimeKey = '%3'")
                         .arg(columns, Sensor, readingKey(Sensor, when)));
    }
    std::string count() const { return query("SELECT count(*) FROM `" + Sensor + "`"); }
    QLineEdit* box(const QString& name) const { return control<QLineEdit>(name); }
    std::string text(const QString& name) const { return box(name)->text().toStdString(); }
    std::string counter() const { return text("txtRcount"); }
    QString shownMessage() const {
        return control<QLabel>("lblError")->isVisible() ? control<QLabel>("lblError")->text() : "";
    }
    // "title: text" of every prompt so far, joined by " / ".
    std::string prompts() const {
        QStringList shown;
        for (const app::Prompt& p : prompter.prompts)
            shown << p.title + ": " + p.text;
        return shown.join(" / ").toStdString();
    }
    void showTab(int index) const { control<QTabWidget>("SSTab1")->setCurrentIndex(index); }
    // A user's edit of a picker ends with editingFinished.
    void editDate(const QDate& date) const {
        control<QDateEdit>("dtpRdate")->setDate(date);
        emit control<QDateEdit>("dtpRdate")->editingFinished();
    }
    // The delete command, answered in frmBatchDel by a button, after choosing
    // the days of a batch on calendars that open on today.
    void deleteWith(const char* button, QDate first = {}, QDate last = {}) {
        onNextModal([=, today = clock.time.date()](QDialog* dialog) {
            ASSERT_EQ(dialog->objectName(), "frmBatchDel");
            for (auto [name, day] : {std::pair("DelStart", first), std::pair("DelEnd", last)}) {
                auto* calendar = dialog->findChild<QCalendarWidget*>(name);
                ASSERT_NE(calendar, nullptr) << name;
                EXPECT_EQ(calendar->selectedDate(), today) << name;
                if (day.isValid()) calendar->setSelectedDate(day);
            }
            dialog->findChild<QPushButton*>(button)->click();
        });
        click("imgDeleteReading");
    }

    const QString Sensor = QStringLiteral("201391005");
    const QDateTime start{QDate(2013, 12, 3), QTime(20, 33, 8)};
    QDateTime hour(int k) const { return start.addSecs(3600 * k); }
};

TEST_F(ReadingWindowTest, AddingReadingsStampedNow) {
    startWith(0);
    EXPECT_EQ(counter(), "0 of 0");
    EXPECT_EQ(shownMessage(), texts::NoReadingsYet);
    editDate(QDate(2013, 1, 1)); // no reading to move
    for (const char* step : {"imgFirst", "imgLast", "imgNextData", "imgPrevData"})
        click(step);
    EXPECT_EQ(prompts(), "");

    clock.time = QDateTime(QDate(2026, 12, 7), QTime(15, 4, 5, 100));
    click("imgAddReading");
    EXPECT_EQ(counter(), "1 of 1");
    EXPECT_EQ(text("txtReadingID"), "201391005 2026/12/07 15:04:05");
    EXPECT_EQ(shownMessage(), "");
    EXPECT_TRUE(control<QCheckBox>("chkTemporal")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("chkSpatial")->isChecked());
    EXPECT_EQ(stored(QDateTime(clock.time.date(), QTime(15, 4, 5)),
                     "FullDate||'|'||ReadingDate||'|'||ReadingTime||'|'||Plottemporal||"
                     "PlotSpatial||IsDirty||'|'||ifnull(Channel1, 'none')"),
              "2026-12-07 15:04:05|2026/12/07|15:04:05|101|none");

    clock.time = clock.time.addMSecs(800); // still the same second
    click("imgAddReading");
    EXPECT_EQ(prompts(), "Duplicate Reading: There is already a reading with that date and time");
    clock.time = clock.time.addSecs(1);
    click("imgAddReading");
    EXPECT_EQ(counter(), "2 of 2");
}

// The duplicate look-up moves to the reading that holds the key; a refused add
// must leave the reading shown current, or the next save writes over another.
TEST_F(ReadingWindowTest, ARefusedAddLeavesTheShownReadingCurrent) {
    startWith(2);
    click("imgAddReading");
    click("imgFirst");
    click("imgAddReading"); // the same second
    box("txtChannel1")->setText("9");
    click("imgNextData");
    EXPECT_EQ(counter(), "2 of 3");
    EXPECT_EQ(stored(hour(0), "Channel1"), "9.0");
}

TEST_F(ReadingWindowTest, LeavingAReadingStoresWhatIsShown) {
    startWith(3);
    click("imgFirst");
    box("txtChannel1")->setText("12.3456");
    for (const char* name : {"txtChannel2", "txtChannel3", "txtChannel4", "txtChannelT"})
        box(name)->clear();
    // Keys other than those of a number never reach a box.
    QTest::keyClicks(box("txtChannel2"), "a.5");
    QTest::keyClicks(box("txtChannel4"), "-3e");
    QTest::keyClicks(box("txtChannelT"), "2x1.5 C");
    control<QCheckBox>("chkTemporal")->setChecked(false);
    control<QCheckBox>("chkSpatial")->setChecked(true);
    click("imgNextData");
    EXPECT_EQ(stored(hour(0), "typeof(Channel1)||'|'||Channel1||'|'||Channel2||'|'||"
                              "ifnull(Channel3, 'none')||'|'||Channel4||'|'||ChannelT||'|'||"
                              "Plottemporal||PlotSpatial"),
              "real|12.35|0.5|none|-3.0|21.5|01");

    click("imgPrevData");
    EXPECT_EQ(text("txtChannel1"), "12.35");
    EXPECT_FALSE(control<QCheckBox>("chkTemporal")->isChecked());
    control<QCheckBox>("chkSpatial")->setChecked(false);
    showTab(0);
    EXPECT_EQ(stored(hour(0), "PlotSpatial"), "0");

    // A comma is a decimal mark, stored as a point.
    showTab(2);
    box("txtChannel2")->clear();
    QTest::keyClicks(box("txtChannel2"), "1,5");
    click("imgPrevData");
    EXPECT_EQ(stored(hour(2), "Channel2"), "1.5");
}

// A value its column refuses stops the save there: the user is told once what
// was not saved and why, and the reading stays shown with what was typed.
TEST_F(ReadingWindowTest, ARefusedValueIsToldOnceAndTheTypingStays) {
    startWith(3);
    box("txtChannel1")->setText("7");
    box("txtChannel2")->clear();
    QTest::keyClicks(box("txtChannel2"), "1,2.5");
    box("txtChannel3")->setText("9");
    expectLog(texts::SaveReadingsLabel);
    expectLog(texts::SaveReadingsLabel);
    click("imgPrevData");
    click("imgFirst");
    checkLog();
    EXPECT_EQ(prompts(), "Tolvane: The reading of 2013/12/03 at 22:33:08 of sensor 201391005 was "
                         "not saved: \u20181,2.5\u2019 is not a number: use a point as the "
                         "decimal mark.");
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Warning);
    EXPECT_EQ(counter(), "3 of 3");
    EXPECT_EQ(text("txtChannel2"), "1,2.5");
    EXPECT_EQ(text("txtChannel3"), "9");
    // The columns before the refused one are stored, as before.
    EXPECT_EQ(stored(hour(2), "Channel1||'|'||Channel2||'|'||Channel3"), "7.0|2.02|3.02");

    // Leaving the tab cannot store it either; coming back shows it again.
    expectLog(texts::SaveReadingsLabel);
    showTab(0);
    showTab(2);
    checkLog();
    EXPECT_EQ(counter(), "3 of 3");
    EXPECT_EQ(text("txtChannel2"), "1,2.5");

    box("txtChannel2")->setText("1.25");
    click("imgPrevData");
    EXPECT_EQ(counter(), "2 of 3");
    EXPECT_EQ(stored(hour(2), "Channel1||'|'||Channel2||'|'||Channel3"), "7.0|1.25|9.0");
}

// Another program's edit of the same reading survives a save of this one:
// only the boxes changed here are written.
TEST_F(ReadingWindowTest, ASaveWritesOnlyWhatChangedSinceTheReadingWasShown) {
    startWith(3);
    {
        auto other = store::Database::open(dataFile("TolvaneMPBX.mdb"));
        other->execute(QStringLiteral("UPDATE `%1` SET Channel1 = 42, ChannelT = '19' "
                                      "WHERE DateTimeKey = '%2'")
                           .arg(Sensor, readingKey(Sensor, hour(2))));
    }
    box("txtChannel2")->setText("5");
    click("imgPrevData");
    EXPECT_EQ(stored(hour(2), "Channel1||'|'||Channel2||'|'||ChannelT"), "42.0|5.0|19.0");
}

TEST_F(ReadingWindowTest, ADateEditMovesTheReadingUnlessTheKeyIsTaken) {
    startWith(3);
    const QDateTime moved(QDate(2013, 12, 2), QTime(22, 33, 8));
    box("txtChannel2")->setText("7.25"); // typed, then the date changed: kept
    editDate(moved.date());              // the last reading becomes the first
    EXPECT_EQ(counter(), "1 of 3");
    EXPECT_EQ(stored(moved, "FullDate||'|'||ReadingDate||'|'||ReadingTime||'|'||Channel2"),
              "2013-12-02 22:33:08|2013/12/02|22:33:08|7.25");
    EXPECT_EQ(text("txtChannel2"), "7.25");

    click("imgLast");
    auto* time = control<QTimeEdit>("dtpRtime");
    time->setTime(QTime(20, 33, 8));
    emit time->editingFinished();
    EXPECT_EQ(prompts(), "Duplicate Reading: There is already a reading on 2013/12/03 at 20:33:08");
    EXPECT_EQ(time->time(), QTime(21, 33, 8));
    EXPECT_EQ(stored(hour(1), "ReadingTime"), "21:33:08");
    emit time->editingFinished(); // unchanged: no check
    EXPECT_EQ(prompter.prompts.size(), 1U);

    // Tomorrow is in the future; later today is not.
    const QDate today = clock.time.date();
    editDate(today.addDays(1));
    EXPECT_EQ(shownMessage(), texts::FutureDate);
    click("imgAddReading"); // ends on the last row, the future one
    EXPECT_EQ(counter(), "4 of 4");
    EXPECT_EQ(text("txtReadingID"), "201391005 2026/12/08 21:33:08");
    editDate(today); // 21:33:08, after the clock's 15:04:05
    EXPECT_EQ(shownMessage(), "");
}

// A move the database refuses is told; the reading and the pickers stay at
// the stored date.
TEST_F(ReadingWindowTest, ARefusedDateEditIsToldAndThePickersGoBack) {
    startWith(3);
    {
        auto other = store::Database::open(dataFile("TolvaneMPBX.mdb"));
        other->execute(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE OF FullDate ON `%1` "
                                      "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                           .arg(Sensor));
    }
    expectLog(texts::SaveReadingsLabel);
    editDate(QDate(2013, 12, 2));
    checkLog();
    ASSERT_EQ(prompter.prompts.size(), 1U);
    EXPECT_TRUE(prompter.prompts[0].text.startsWith(
        "The reading of 2013/12/03 at 22:33:08 of sensor 201391005 was not moved to 2013/12/02 "
        "at 22:33:08: "))
        << prompts();
    EXPECT_EQ(control<QDateEdit>("dtpRdate")->date(), QDate(2013, 12, 3));
    EXPECT_EQ(stored(hour(2), "ReadingDate"), "2013/12/03");
    EXPECT_EQ(counter(), "3 of 3");
}

// Enter ends the date edit; leaving the picker for another command ends it
// again, when the readings may have been reopened under it. The reading's
// own key is never a duplicate of itself.
TEST_F(ReadingWindowTest, ADateEditEndedTwiceIsNoDuplicateOfItself) {
    startWith(3);
    click("imgFirst");
    auto* date = control<QDateEdit>("dtpRdate");
    QApplication::setActiveWindow(window.get());
    date->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), date);
    date->setDate(QDate(2013, 12, 5)); // as typed: no edit has ended yet
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(counter(), "3 of 3");
    bool opened = false;
    onNextModal([&](QDialog* dialog) {
        opened = true;
        dialog->close();
    });
    click("imgDatasheet");
    EXPECT_TRUE(opened);
    EXPECT_EQ(prompts(), "");
    EXPECT_EQ(date->date(), QDate(2013, 12, 5));
    EXPECT_EQ(text("txtReadingID"), "201391005 2013/12/05 20:33:08");
    EXPECT_EQ(stored(QDateTime(QDate(2013, 12, 5), QTime(20, 33, 8)), "count(*)"), "1");
}

// After any deletion the last reading left is shown, not a neighbour.
TEST_F(ReadingWindowTest, DeletingOneReadingADateRangeOrAll) {
    const QDate first(2013, 12, 1), last(2013, 12, 3), after(2013, 12, 4);
    const QDateTime single(QDate(2013, 12, 2), QTime(12, 0)), lastOne(after, QTime(12, 0));
    startWith(0,
              {QDateTime(QDate(2013, 11, 30), QTime(23, 59, 59)), QDateTime(first, QTime(0, 0)),
               single, QDateTime(last, QTime(23, 59, 59)), QDateTime(after, QTime(0, 0)), lastOne});
    click("imgFirst");
    deleteWith("CancelButton");
    click("imgNextData");
    click("imgNextData");
    deleteWith("cmdSingleDel");
    EXPECT_EQ(stored(single, "1"), "<no row>");
    EXPECT_EQ(counter(), "5 of 5");

    click("imgFirst");
    deleteWith("OKButton", first, last);
    // A start after the end deletes nothing; the calendars open on today again.
    deleteWith("OKButton", after, first);
    EXPECT_EQ(prompts(),
              ("Tolvane: 2 readings were deleted from " + app::shortDate(first) + " and " +
               app::shortDate(last) + " / Tolvane: 0 readings were deleted from " +
               app::shortDate(after) + " and " + app::shortDate(first))
                  .toStdString());
    EXPECT_EQ(query("SELECT group_concat(ReadingTime, ',') FROM (SELECT ReadingTime FROM "
                    "`201391005` ORDER BY FullDate)"),
              "23:59:59,00:00:00,12:00:00");
    EXPECT_EQ(counter(), "3 of 3");
    EXPECT_EQ(text("txtReadingID"), readingKey(Sensor, lastOne).toStdString());

    deleteWith("Command1");
    EXPECT_EQ(count(), "0");
    EXPECT_EQ(counter(), "0 of 0");
    EXPECT_EQ(text("txtReadingID") + text("txtChannel1"), "");
    EXPECT_EQ(shownMessage(), texts::NoReadingsYet);
}

TEST_F(ReadingWindowTest, SteppingAndReturningToTheReadingLeft) {
    startWith(5);
    for (const char* step : {"imgNextData", "imgLast", "imgFirst", "imgPrevData", "imgFirst"})
        click(step);
    EXPECT_EQ(prompts(), "Tolvane: End of readings / Tolvane: End of readings / Tolvane: Start "
                         "of readings / Tolvane: Start of readings");
    click("imgNextData");
    EXPECT_EQ(counter(), "2 of 5");

    box("txtChannel1")->setText("4.5");
    showTab(1);
    EXPECT_EQ(stored(hour(1), "Channel1"), "4.5");
    const QString leftOver = dataFile(texts::ImportWorkingFile);
    ASSERT_TRUE(QFile(leftOver).open(QIODevice::WriteOnly));
    showTab(2);
    EXPECT_EQ(counter(), "2 of 5");
    EXPECT_EQ(text("txtChannel1"), "4.5");
    EXPECT_FALSE(QFile::exists(leftOver));

    showTab(0); // the register: the tab starts at the last reading again
    showTab(2);
    EXPECT_EQ(counter(), "5 of 5");

    // Closing the window on this tab stores the reading too.
    box("txtChannel1")->setText("8");
    closeWindow();
    EXPECT_EQ(stored(hour(4), "Channel1"), "8.0");
}

} // namespace
