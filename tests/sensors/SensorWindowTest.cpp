// The sensor register driven through the real main window: adding, editing,
// stepping through, deleting and filtering sensors, and the installation diagram.
#include "support/WindowSupport.h"

#include "sensors/Texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

using namespace testing_support;
namespace texts = sensors::texts;
using app::Answer;
using app::Icon;

namespace {

class SensorWindowTest : public WindowTest {
protected:
    void startWith(const std::vector<SensorRow>& rows, const QString& setup = {}) {
        store::Database& db = openNewDatabase();
        for (const SensorRow& r : rows)
            addSensor(db, r);
        if (!setup.isEmpty()) db.execute(setup);
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
    }
    // The first value a query reads from the file, which the window writes straight to.
    std::string query(const QString& sql) const {
        auto db = store::Database::open(dataFile("TolvaneMPBX.mdb"), true);
        store::Statement st = db->prepare(sql);
        return st.step() ? st.text(0).toStdString() : "<no row>";
    }
    std::string stored(const QString& number, const QString& column) const {
        return query(
            QStringLiteral("SELECT %1 FROM Sensors WHERE InstrumentID = '%2'").arg(column, number));
    }
    bool hasTable(const QString& name) const {
        return query("SELECT count(*) FROM sqlite_schema WHERE name = '" + name + "'") == "1";
    }
    QLineEdit* box(const QString& name) const { return control<QLineEdit>(name); }
    std::string text(const QString& name) const { return box(name)->text().toStdString(); }
    QComboBox* list() const { return control<QComboBox>("cboSensors"); }
    void choose(QComboBox* combo, const QString& item) const {
        const int index = combo->findText(item);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void showTab(int index) const { control<QTabWidget>("SSTab1")->setCurrentIndex(index); }
    void expectPrompt(size_t i, const QString& text, const QString& title, Icon icon = Icon::None) {
        ASSERT_LT(i, prompter.prompts.size());
        EXPECT_EQ(prompter.prompts[i].text, text);
        EXPECT_EQ(prompter.prompts[i].title, title);
        EXPECT_EQ(prompter.prompts[i].icon, icon);
    }
    void addNew(const QString& number, Answer isMpbx) {
        prompter.typeIn(number);
        prompter.answer(Answer::Yes);
        prompter.answer(isMpbx);
        click("imgAddSensor");
    }

    const std::vector<SensorRow> three{{"202421001"}, {"202421002"}, {"202431003"}};
};

TEST_F(SensorWindowTest, NewNumbersThatAreRefused) {
    startWith({{"202421001"}});
    for (const char* typed : {"", "20262100", "20262100a", "202621000", "202421001"}) {
        prompter.typeIn(*typed ? std::optional<QString>(typed) : std::nullopt);
        click("imgAddSensor");
    }
    ASSERT_EQ(prompter.prompts.size(), 5U);
    expectPrompt(0, "No sensor entered", "Tolvane");
    expectPrompt(1, "Sensor # must be 9 digits", "Invalid Sensor Number");
    expectPrompt(2, texts::MustBeNumeric, texts::InvalidNumberTitle);
    expectPrompt(3, texts::SerialRange, texts::InvalidNumberTitle);
    expectPrompt(4,
                 "Sensor 202421001 already exists\r\n\r\nType a new sensor number in the 'Add or "
                 "Select Sensor' combo box\r\nThen click 'Add New' or hit the Enter key",
                 "Vornhald's Tolvane", Icon::Information);
    EXPECT_EQ(query("SELECT count(*) FROM Sensors"), "1");
}

TEST_F(SensorWindowTest, AddingAnMpbxAndARova) {
    startWith({{"202421001"}});
    addNew("202631005", Answer::Yes);
    EXPECT_EQ(promptTexts(), QStringList({texts::addQuestion("202631005"), texts::IsMpbxQuestion}));
    const std::vector<std::pair<const char*, const char*>> row{
        {"Family", "q2MPBX"},     {"InstallDate", "2026/12/07"},
        {"Destroyed", "No"},      {"HeadLocation", "1"},
        {"SensorType", "31"},     {"SensorNo", "005"},
        {"LengthofCable", "0.0"}, {"Recess", "0.0"}};
    for (const auto& [column, value] : row)
        EXPECT_EQ(stored("202631005", column), value) << column;
    EXPECT_TRUE(hasTable("202631005"));
    EXPECT_TRUE(itemsOf(list()).contains("202631005"));
    EXPECT_EQ(text("txtSCount"), "2");
    EXPECT_EQ(text("txtSensor"), "202631005");
    EXPECT_EQ(control<QLabel>("lbl")->text(), "Length of MPBX (m):");

    addNew("202631006", Answer::No); // a ROVA of the same model
    EXPECT_EQ(stored("202631006", "Family"), "q2ROVA");
    EXPECT_EQ(text("txtSensor"), "202631006");
    EXPECT_EQ(text("txtSCount"), "3");
    EXPECT_EQ(control<QLabel>("lbl")->text(), "Length of ROVA (m):");
}

// A sensor the filter hides is added, shown and stored like any other.
TEST_F(SensorWindowTest, AddingWhileAFilterIsInForce) {
    startWith({{"202421001"}, {"202421002", "O'Brien Drift"}});
    showTab(5);
    box("txtFilterLevel")->setText("O'Brien Drift");
    click("imgFilter");
    showTab(0);
    addNew("202631005", Answer::Yes);
    EXPECT_EQ(prompter.prompts.size(), 2U) << promptTexts().join(" / ").toStdString();
    EXPECT_EQ(text("txtSensor"), "202631005");
    box("txtLevel")->setText("L7");
    click("cmdSave");
    EXPECT_EQ(stored("202631005", "Level"), "L7");
}

TEST_F(SensorWindowTest, SaveStoresTheBoxesAndPlacesTheAnchors) {
    startWith({{"202441004"}}); // three anchors
    box("txtLengthofCable")->setText("12");
    QTest::keyClicks(box("txtNode1"), "1a.5"); // letters are refused
    box("txtNode2")->setText("2");
    box("txtNode3")->setText("1,256"); // a comma is a decimal mark
    box("txtRecess")->setText("0,3");
    click("cmdSave");
    const std::vector<std::pair<const char*, double>> row{
        {"LengthofCable", 12.0}, {"NodeLocation1", 1.5}, {"NodeLocation2", 2.0},
        {"NodeLocation3", 1.26}, {"Recess", 0.3},        {"HeadLocation", 1}};
    for (const auto& [column, value] : row)
        EXPECT_EQ(std::stod(stored("202441004", column)), value) << column;
    EXPECT_EQ(text("txtHead"), "0.30");
    EXPECT_EQ(text("txtRelSGanchor1"), "1.80");
    EXPECT_EQ(text("txtRelSGanchor3"), "1.56");

    // Head at the toe: the anchors hang from length plus recess.
    click("Option2");
    click("cmdSave");
    EXPECT_EQ(stored("202441004", "HeadLocation"), "0");
    EXPECT_EQ(text("txtHead"), "12.30");
    EXPECT_EQ(text("txtRelSGanchor1"), "10.80");
    EXPECT_EQ(text("txtRelSGanchor3"), "11.04");

    // A recess that is no number stops the save before the head option; the
    // user is told once, and the box keeps what was typed.
    box("txtRecess")->setText("abc");
    click("Option1");
    expectLog(texts::SavefieldsLabel);
    click("cmdSave");
    checkLog();
    EXPECT_EQ(text("txtRecess"), "abc");
    expectLog(texts::SavefieldsLabel); // the close tries once more
    closeWindow();
    EXPECT_EQ(promptTexts(), QStringList({"The changes to sensor 202441004 were not saved: "
                                          "\u2018abc\u2019 is not a number."}));
    EXPECT_EQ(stored("202441004", "HeadLocation"), "0");
    EXPECT_EQ(stored("202441004", "Recess"), "0.3");
}

// Another program holding the database: the save fails, the user is told
// once why, and the sensor stays shown with what was typed until it is stored.
TEST_F(SensorWindowTest, ASaveTheDatabaseRefusesIsToldAndTheTypingStays) {
    startWith(three);
    box("txtNotes")->setText("cracked collar");
    {
        auto other = store::Database::open(dataFile("TolvaneMPBX.mdb"));
        other->execute(QStringLiteral("BEGIN EXCLUSIVE"));
        expectLog(texts::SavefieldsLabel);
        click("imgNext");
        checkLog();
        other->execute(QStringLiteral("ROLLBACK"));
    }
    ASSERT_EQ(prompter.prompts.size(), 1U);
    expectPrompt(0,
                 "The changes to sensor 202431003 were not saved: the database is locked by "
                 "another program.",
                 "Tolvane", Icon::Warning);
    EXPECT_EQ(text("txtSnav"), "1 of 3");
    EXPECT_EQ(text("txtNotes"), "cracked collar");
    click("imgNext");
    EXPECT_EQ(stored("202431003", "Notes"), "cracked collar");
    EXPECT_EQ(text("txtSnav"), "2 of 3");
}

// Only the boxes changed here are written: another program's edit of the same
// sensor survives this window's save.
TEST_F(SensorWindowTest, ASaveWritesOnlyWhatChangedSinceTheSensorWasShown) {
    startWith(three);
    store::Database::open(dataFile("TolvaneMPBX.mdb"))
        ->execute("UPDATE Sensors SET Notes = 'from the other office', NodeLocation1 = 4.5 "
                  "WHERE InstrumentID = '202431003'");
    box("txtLevel")->setText("L9");
    click("imgNext");
    EXPECT_EQ(stored("202431003", "Level||'|'||Notes||'|'||NodeLocation1"),
              "L9|from the other office|4.5");
}

TEST_F(SensorWindowTest, DestroyedByListAndByKey) {
    startWith({{"202421001"}});
    auto* destroyed = control<QComboBox>("cboDestroyed");
    const std::string today =
        QLocale::system().toString(QDate(2026, 12, 7), QLocale::ShortFormat).toStdString();
    choose(destroyed, "Yes");
    EXPECT_EQ(text("txtDestructionDate"), today);
    EXPECT_EQ(stored("202421001", "Destroyed"), "Yes");
    EXPECT_EQ(stored("202421001", "DestructionDate"), today);
    choose(destroyed, "No");
    EXPECT_EQ(text("txtDestructionDate"), "");
    EXPECT_EQ(stored("202421001", "Destroyed"), "No");
    EXPECT_EQ(stored("202421001", "DestructionDate"), today); // the date is kept

    box("txtDestructionDate")->setText("01/02/2025");
    QTest::keyClick(destroyed, 'y');
    EXPECT_EQ(text("txtDestructionDate"), today);
    EXPECT_EQ(stored("202421001", "Destroyed"), "Yes");
    QTest::keyClick(destroyed, 'n');
    EXPECT_EQ(text("txtDestructionDate"), "");
    EXPECT_EQ(stored("202421001", "Destroyed"), "No");
}

// Tab moves on from the Destroyed box as from a box without a key filter.
TEST_F(SensorWindowTest, TabLeavesTheDestroyedBox) {
    startWith({{"202421001"}});
    auto* destroyed = control<QComboBox>("cboDestroyed");
    QApplication::setActiveWindow(window.get()); // focus moves only in the active window
    box("txtDestructionDate")->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(box("txtDestructionDate"), Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), box("txtDestructionDate"));
    destroyed->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(destroyed, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), destroyed);
}

TEST_F(SensorWindowTest, ChoosingAndTypingInTheSensorList) {
    startWith(three);
    EXPECT_EQ(itemsOf(list()), QStringList({"202431003", "202421002", "202421001"}));
    EXPECT_EQ(text("txtSnav"), "1 of 3");
    box("txtLevel")->setText("L9");
    choose(list(), "202421001");
    EXPECT_EQ(stored("202431003", "Level"), "L9");
    EXPECT_EQ(text("txtSensor"), "202421001");
    EXPECT_EQ(text("txtSnav"), "3 of 3");

    // Keys go where a keyboard sends them: to the focused widget, which is the
    // list itself, not its line edit.
    QLineEdit* edit = list()->lineEdit();
    QApplication::setActiveWindow(window.get());
    list()->setFocus(Qt::OtherFocusReason);
    QWidget* keys = QApplication::focusWidget();
    ASSERT_NE(keys, nullptr);
    edit->clear();
    QTest::keyClicks(keys, "2024"); // the search starts at the second item
    EXPECT_EQ(edit->text(), "202421002");
    QTest::keyClicks(keys, "3");
    EXPECT_EQ(edit->text(), "202431003");
    EXPECT_EQ(edit->selectedText(), "1003");
    // Backspace and Delete stop the completion, so a completed number can be shortened.
    QTest::keyClick(keys, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "20243");
    QTest::keyClick(keys, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "2024");
    QTest::keyClick(keys, Qt::Key_Home);
    QTest::keyClick(keys, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), "024");
    // A character is refused only while the text is longer than nine.
    edit->clear();
    QTest::keyClicks(keys, "2024310039");
    EXPECT_EQ(edit->text(), "2024310039");
    QTest::keyClick(keys, '8');
    EXPECT_EQ(edit->text(), "2024310039");

    // Enter shows a listed number, and offers to add one not listed.
    edit->clear();
    QTest::keyClicks(keys, "202421002");
    QTest::keyClick(keys, Qt::Key_Return);
    EXPECT_EQ(text("txtSensor"), "202421002");
    EXPECT_EQ(text("txtSnav"), "2 of 3");
    edit->clear();
    QTest::keyClicks(keys, "202431009");
    prompter.answer(Answer::No);
    QTest::keyClick(keys, Qt::Key_Return);
    EXPECT_EQ(promptTexts(), QStringList({texts::addQuestion("202431009")}));
}

TEST_F(SensorWindowTest, NextAndPreviousStopAtTheEnds) {
    startWith(three);
    box("txtLevel")->setText("Top");
    click("imgPrevious");
    expectPrompt(0, "Start of Sensors", "Tolvane");
    EXPECT_EQ(stored("202431003", "Level"), "L1");
    click("imgNext");
    EXPECT_EQ(stored("202431003", "Level"), "Top");
    EXPECT_EQ(text("txtSensor"), "202421002");
    EXPECT_EQ(list()->currentText(), "202421002");
    EXPECT_EQ(text("txtSnav"), "2 of 3");
    click("imgNext");
    box("txtLevel")->setText("Bottom");
    click("imgNext");
    expectPrompt(1, "End of sensors", "Tolvane");
    EXPECT_EQ(stored("202421001", "Level"), "L1");
    click("imgPrevious");
    EXPECT_EQ(list()->currentText(), "202421002");
}

// A type code no type has is announced; the boxes keep the anchors of the
// sensor shown before it.
TEST_F(SensorWindowTest, AnUnknownTypeIsAnnouncedAndKeepsTheAnchorsShownLast) {
    startWith({{"202451001"}, {"202422002"}});
    EXPECT_EQ(prompter.prompts.size(), 0U);
    click("imgNext");
    EXPECT_EQ(text("txtSensor"), "202422002");
    expectPrompt(0, "unknown sensor type!", "Tolvane");
    EXPECT_TRUE(box("txtNode4")->isEnabled());
    EXPECT_FALSE(box("txtNode5")->isEnabled());
}

TEST_F(SensorWindowTest, DeleteRemovesTheSensorAndOneNetworkRow) {
    startWith({{"202421001"}, {"202421002"}},
              "INSERT INTO NetworkConfig (SensorID, LoggerID, Channel) VALUES ('202421002', "
              "'A', 1), ('202421002', 'B', 2); DROP TABLE `202421001`");
    prompter.answer(Answer::No);
    click("imgDelete");
    expectPrompt(0, texts::deleteQuestion("202421002"), "Vornhald's TOLVANE");
    EXPECT_TRUE(hasTable("202421002"));
    EXPECT_EQ(query("SELECT count(*) FROM Sensors"), "2");

    prompter.answer(Answer::Yes);
    click("imgDelete");
    EXPECT_FALSE(hasTable("202421002"));
    EXPECT_EQ(stored("202421002", "Level"), "<no row>");
    EXPECT_EQ(query("SELECT group_concat(LoggerID) FROM NetworkConfig WHERE SensorID = "
                    "'202421002'"),
              "B");
    EXPECT_EQ(itemsOf(list()), QStringList({"202421001"}));
    EXPECT_EQ(text("txtSensor"), "202421001");
    EXPECT_EQ(text("txtSCount"), "1");

    // The last one, whose reading table is already gone.
    prompter.answer(Answer::Yes);
    click("imgDelete");
    EXPECT_EQ(query("SELECT count(*) FROM Sensors"), "0");
    EXPECT_TRUE(itemsOf(list()).isEmpty());
    EXPECT_EQ(text("txtSensor"), "");
    EXPECT_EQ(text("txtSnav"), "No records");
    EXPECT_EQ(text("txtSCount"), "0");
}

TEST_F(SensorWindowTest, FilterByLevelAndRemoveIt) {
    startWith({{"202421001"},
               {"202421002", "O'Brien Drift", "Drive 4", "2024/01/15", "Yes"},
               {"202431003", "O'Brien Drift"}});
    showTab(5);
    auto* filterState = control<QLabel>("lblFilterState");
    box("txtFilterLevel")->setText("Nowhere");
    click("imgFilter");
    expectPrompt(0, "There are no sensors that meet the criteria", "Vornhald's Tolvane",
                 Icon::Warning);
    EXPECT_EQ(filterState->text(), "Apply Filter");
    EXPECT_EQ(text("txtSCount"), "3");

    box("txtFilterLevel")->setText("O'Brien Drift");
    auto* hideDestroyed = control<QCheckBox>("chkDontShowDestroyed");
    hideDestroyed->setChecked(true);
    click("imgFilter");
    EXPECT_EQ(itemsOf(list()), QStringList({"202431003"}));
    EXPECT_EQ(text("txtSCount"), "1");
    EXPECT_EQ(filterState->text(), "Remove Filter");
    EXPECT_TRUE(control("lblFilter")->isVisible());

    click("imgFilter");
    EXPECT_EQ(itemsOf(list()), QStringList({"202431003", "202421002", "202421001"}));
    EXPECT_EQ(text("txtSCount"), "3");
    EXPECT_EQ(filterState->text(), "Apply Filter");
    EXPECT_FALSE(control("lblFilter")->isVisible());
    EXPECT_EQ(text("txtFilterLevel"), "");
    EXPECT_FALSE(hideDestroyed->isChecked());
    EXPECT_EQ(prompter.prompts.size(), 1U);
}

TEST_F(SensorWindowTest, LeavingAStartDateThatIsNoDate) {
    startWith({{"202421001"}});
    showTab(5);
    QLineEdit* start = box("txtStartDate");
    start->setText("2024/13/45");
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(start, &leave);
    expectPrompt(0, "Start Date is not a valid date\r\nPlease type a date in the format yyyy/mm/dd",
                 "Tolvane", Icon::Warning);
    // Another window coming up does not leave the box.
    QFocusEvent toWindow(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(start, &toWindow);
    EXPECT_EQ(prompter.prompts.size(), 1U);
}

TEST_F(SensorWindowTest, InstallationDiagramFollowsTheHeadOption) {
    startWith({{"202421001"}});
    click("Option2");
    showTab(1);
    EXPECT_EQ(control<QLabel>("lbloption")->text(), "Option 3 - Head at Toe");
    EXPECT_EQ(control<QLabel>("lblRecess")->text(), "m recess");
    EXPECT_EQ(box("txtHead")->y(), 3190 / 15);
    EXPECT_EQ(box("txtRelSGanchor1")->pos(), QPoint(8800 / 15, 4170 / 15));

    showTab(0);
    EXPECT_TRUE(control<QRadioButton>("Option2")->isChecked());
    click("Option1");
    showTab(1);
    EXPECT_EQ(control<QLabel>("lbloption")->text(), "Option 1 and 2 - Head at Borehole Collar");
    EXPECT_EQ(box("txtHead")->y(), 8800 / 15);
    EXPECT_EQ(box("txtRelSGanchor1")->pos(), QPoint(9000 / 15, 7900 / 15));

    // Leaving the tab stores what was typed on it.
    box("txtLevel")->setText("Shaft 2");
    showTab(0);
    EXPECT_EQ(stored("202421001", "Level"), "Shaft 2");
    EXPECT_EQ(stored("202421001", "HeadLocation"), "1");
}

} // namespace
