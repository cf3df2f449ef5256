// The change of database, and the exit with its compaction of the database in use.
#include "support/WindowSupport.h"

#include "app/Texts.h"
#include "app/shell/Compaction.h"
#include "store/RowSet.h"
#include "store/Schema.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>

#include <stdexcept>

using namespace testing_support;
namespace texts = app::texts;

namespace {

class ShutdownTest : public WindowTest {
protected:
    QString database() const { return dataFile(texts::DefaultDatabaseName); }
    QString copy() const { return dataFile(QStringLiteral("Copy_TolvaneMPBX.mdb")); }
    QString locationLine() {
        return QString::fromLocal8Bit(fileBytes(dataFile(texts::LocationFileName))).trimmed();
    }
    // Leaves free pages behind, so that compaction has something to do.
    void makeBloatedDatabase() {
        makeDefaultDatabase({"202421001", "202421002"});
        auto db = store::Database::open(database());
        addReadings(*db, QStringLiteral("202421001"), 2000);
        db->execute(QStringLiteral("DELETE FROM `202421001`"));
    }
    void expectCompactionMessage() {
        ASSERT_FALSE(prompter.prompts.empty());
        const app::Prompt& p = prompter.prompts.back();
        EXPECT_EQ(p.text, QStringLiteral("Error compacting TolvaneMPBX.mdb"));
        EXPECT_EQ(p.title, QStringLiteral("Tolvane"));
        EXPECT_EQ(p.icon, app::Icon::None);
        EXPECT_EQ(p.buttons, app::Buttons::Ok);
    }
};

TEST_F(ShutdownTest, ExitCompactsTheDatabaseInPlace) {
    makeBloatedDatabase();
    const qint64 before = QFileInfo(database()).size();
    ASSERT_TRUE(startWindow());
    closeWindow();
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_LT(QFileInfo(database()).size(), before);
    EXPECT_FALSE(QFileInfo::exists(copy()));
    auto db = store::Database::open(database());
    EXPECT_EQ(rowCount(*db, QStringLiteral("Sensors")), 2);
    EXPECT_TRUE(db->hasTable(QStringLiteral("202421002")));
}

// A file with next to nothing to give back is not rewritten at every exit.
TEST_F(ShutdownTest, ACompactDatabaseIsLeftAsItIs) {
    makeDefaultDatabase({"202421001"});
    addReadings(*store::Database::open(database()), QStringLiteral("202421001"), 500);
    const QByteArray before = fileBytes(database());
    ASSERT_TRUE(startWindow());
    closeWindow();
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_EQ(fileBytes(database()), before);
    EXPECT_FALSE(QFileInfo::exists(copy()));
}

// A killed exit leaves its compacted copy, a killed restore its new file; the
// holder of the database's lock removes both, and compaction goes on.
TEST_F(ShutdownTest, LeftoversOfKilledRunsAreRemoved) {
    makeBloatedDatabase();
    const qint64 before = QFileInfo(database()).size();
    for (const QString& left : {copy(), database() + QStringLiteral(".part")}) {
        QFile file(left);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("left over");
    }
    ASSERT_TRUE(startWindow());
    EXPECT_FALSE(QFileInfo::exists(database() + QStringLiteral(".part")));
    closeWindow();
    EXPECT_TRUE(prompter.prompts.empty()) << promptTexts().join('|').toStdString();
    EXPECT_FALSE(QFileInfo::exists(copy()));
    EXPECT_LT(QFileInfo(database()).size(), before);
    EXPECT_EQ(rowCount(*store::Database::open(database()), QStringLiteral("Sensors")), 2);
}

TEST_F(ShutdownTest, InterruptionBeforeTheRenameLeavesTheOriginal) {
    makeBloatedDatabase();
    const QByteArray before = fileBytes(database());
    EXPECT_FALSE(app::CompactDB(database(), prompter, state->log,
                                [] { throw std::runtime_error("power cut"); }));
    expectLog(QStringLiteral(" G_CompactDB"));
    expectCompactionMessage();
    EXPECT_EQ(fileBytes(database()), before);
    EXPECT_FALSE(QFileInfo::exists(copy()));
}

// The exit compacts the file in use, not a default file that may not exist.
TEST_F(ShutdownTest, DatabaseNamedByTheLocationFileIsTheOneCompacted) {
    const QString other = makeDatabaseAt(QStringLiteral("other.mdb"), {"202421001"});
    {
        auto db = store::Database::open(other);
        addReadings(*db, QStringLiteral("202421001"), 2000);
        db->execute(QStringLiteral("DELETE FROM `202421001`"));
    }
    const qint64 before = QFileInfo(other).size();
    QFile location(dataFile(texts::LocationFileName));
    ASSERT_TRUE(location.open(QIODevice::WriteOnly));
    location.write(other.toLocal8Bit());
    location.close();
    ASSERT_TRUE(startWindow());
    closeWindow();
    EXPECT_TRUE(prompter.prompts.empty()) << promptTexts().join('|').toStdString();
    EXPECT_LT(QFileInfo(other).size(), before);
    EXPECT_FALSE(QFileInfo::exists(documents.filePath(QStringLiteral("Copy_other.mdb"))));
    EXPECT_FALSE(QFileInfo::exists(database()));
}

TEST_F(ShutdownTest, ChangeOfDatabaseListsTheNewSensorsLowestFirst) {
    makeDefaultDatabase({"202421001", "202421002"});
    const QString other =
        makeDatabaseAt(QStringLiteral("mine b.mdb"), {"202461005", "202431002", "202481009"});
    ASSERT_TRUE(startWindow());
    prompter.chooseFile(other);
    chooseFileLocationNext();
    click(QStringLiteral("Image3"));
    EXPECT_EQ(prompter.fileFilters, QStringList({"MPBX Database (*.mdb) | *.mdb"}));
    EXPECT_EQ(locationLine(), other);
    auto* list = control<QComboBox>(QStringLiteral("cboSensors"));
    EXPECT_EQ(itemsOf(list), QStringList({"202431002", "202461005", "202481009"}));
    EXPECT_EQ(list->currentText(), QStringLiteral("202431002"));
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("txtSCount"))->text(), QStringLiteral("3"));
    EXPECT_TRUE(prompter.prompts.empty());

    // The choice holds at the next start.
    closeWindow();
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboSensors"))),
              QStringList({"202481009", "202461005", "202431002"}));
}

TEST_F(ShutdownTest, ChangeOfDatabaseCancelledChangesNothing) {
    makeDefaultDatabase({"202421001"});
    ASSERT_TRUE(startWindow());
    chooseFileLocationNext();
    click(QStringLiteral("Image3"));
    EXPECT_FALSE(QFileInfo::exists(dataFile(texts::LocationFileName)));
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboSensors"))), QStringList({"202421001"}));
}

TEST_F(ShutdownTest, ChangeToAnEmptyDatabaseSaysSo) {
    makeDefaultDatabase({"202421001"});
    const QString other = makeDatabaseAt(QStringLiteral("empty.mdb"), {});
    ASSERT_TRUE(startWindow());
    prompter.chooseFile(other);
    chooseFileLocationNext();
    click(QStringLiteral("Image3"));
    EXPECT_EQ(promptTexts(), QStringList({texts::NoSensors}));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cboSensors"))->count(), 0);
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("txtSCount"))->text(), QStringLiteral("0"));
}

TEST_F(ShutdownTest, ChangeToAFileThatWillNotOpenEndsTheProgram) {
    makeDefaultDatabase({"202421001"});
    ASSERT_TRUE(startWindow());
    QSignalSpy ended(window.get(), &app::MainWindow::endRequested);
    const QString missing = documents.filePath(QStringLiteral("missing.mdb"));
    prompter.chooseFile(missing);
    expectLog(QStringLiteral(" Image3_Click"));
    chooseFileLocationNext();
    click(QStringLiteral("Image3"));
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].title, QStringLiteral("Database connection error"));
    // The location was written before the file was tried, and is kept.
    EXPECT_EQ(locationLine(), missing);
    EXPECT_FALSE(QFileInfo::exists(missing));
    closeWindow();
    EXPECT_EQ(prompter.prompts.size(), 1u);
}

TEST_F(ShutdownTest, ChangeToAFileWithoutOurTablesEmptiesTheList) {
    makeDefaultDatabase({"202421001"});
    const QString foreign = documents.filePath(QStringLiteral("foreign.mdb"));
    {
        store::createDatabaseFile(foreign);
        store::Database::open(foreign)->execute(QStringLiteral("DROP TABLE Configuration"));
    }
    ASSERT_TRUE(startWindow());
    prompter.chooseFile(foreign);
    expectLog(QStringLiteral(" Image3_Click"));
    chooseFileLocationNext();
    click(QStringLiteral("Image3"));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cboSensors"))->count(), 0);
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("txtSCount"))->text(), QStringLiteral("0"));
}

} // namespace
