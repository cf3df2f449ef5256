// One writer per database file: two windows whose data folders name the same
// database, a database file made read-only, and the lock beside the file.
#include "support/WindowSupport.h"

#include "app/Texts.h"
#include "store/RowSet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSysInfo>
#include <QTabWidget>

using namespace testing_support;
namespace texts = app::texts;

namespace {

const QString Sensor = QStringLiteral("202421001");

class DatabaseFileTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        hadUser_ = qEnvironmentVariableIsSet("USER");
        savedUser_ = qgetenv("USER");
        qputenv("USER", "geotech1");
    }
    void TearDown() override {
        WindowTest::TearDown();
        if (hadUser_)
            qputenv("USER", savedUser_);
        else
            qunsetenv("USER");
    }
    QString database() const { return dataFile(texts::DefaultDatabaseName); }
    QString notesInFile() const {
        store::Statement st =
            store::Database::open(database(), true)
                ->prepare(QStringLiteral("SELECT Notes FROM Sensors WHERE InstrumentID = '") +
                          Sensor + "'");
        return st.step() ? st.text(0) : QStringLiteral("<no row>");
    }
    // A window of its own documents folder whose location file names path.
    std::unique_ptr<app::MainWindow> startOtherWindow(const QString& path) {
        const QString folder = otherDocuments.filePath(QStringLiteral("Vornhald/Tolvane"));
        EXPECT_TRUE(QDir().mkpath(folder));
        QFile location(folder + QStringLiteral("/mpbx_location.txt"));
        EXPECT_TRUE(location.open(QIODevice::WriteOnly));
        location.write(path.toLocal8Bit());
        location.close();
        app::Environment other = env;
        other.documentsFolder = otherDocuments.path();
        auto w = std::make_unique<app::MainWindow>(other);
        EXPECT_TRUE(w->startUp());
        w->show();
        return w;
    }
    static void saveNotes(QWidget* w, const QString& notes) {
        w->findChild<QLineEdit*>(QStringLiteral("txtNotes"))->setText(notes);
        w->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
    }

    QTemporaryDir otherDocuments;

private:
    bool hadUser_ = false;
    QByteArray savedUser_;
};

TEST_F(DatabaseFileTest, SecondWindowOnTheSameFileReadsOnlyAndUndoesNothing) {
    makeDefaultDatabase({Sensor});
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane MPBX/ROVA"));

    auto second = startOtherWindow(database());
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text, QStringLiteral("TolvaneMPBX.mdb is open in Tolvane on ") +
                                            QSysInfo::machineHostName() +
                                            QStringLiteral(" (geotech1); it is opened read-only"));
    EXPECT_EQ(prompter.prompts[0].title, QStringLiteral("Tolvane"));
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Warning);
    EXPECT_EQ(second->windowTitle(), QStringLiteral("Tolvane MPBX/ROVA (read-only)"));

    // The first saves an edit; the second, still showing the old record, ends.
    saveNotes(window.get(), QStringLiteral("anchor 3 sheared"));
    ASSERT_EQ(notesInFile(), QStringLiteral("anchor 3 sheared"));
    second->close();
    second->shutDown();
    second.reset();
    EXPECT_EQ(notesInFile(), QStringLiteral("anchor 3 sheared"));
    EXPECT_FALSE(QFileInfo::exists(dataFile(QStringLiteral("Copy_TolvaneMPBX.mdb"))));

    // The first still writes to the file it opened.
    saveNotes(window.get(), QStringLiteral("anchor 3 and 4 sheared"));
    EXPECT_EQ(notesInFile(), QStringLiteral("anchor 3 and 4 sheared"));
    EXPECT_EQ(prompter.prompts.size(), 1u);

    // Once the first has ended, the other data folder writes to the file.
    closeWindow();
    EXPECT_FALSE(QFileInfo::exists(database() + QStringLiteral(".lock")));
    second = startOtherWindow(database());
    EXPECT_EQ(second->windowTitle(), QStringLiteral("Tolvane MPBX/ROVA"));
    EXPECT_EQ(prompter.prompts.size(), 1u);
    saveNotes(second.get(), QStringLiteral("replaced"));
    EXPECT_EQ(notesInFile(), QStringLiteral("replaced"));
    second->close();
    second->shutDown();
}

TEST_F(DatabaseFileTest, LockOfAProcessThatIsGoneDoesNotMakeTheFileReadOnly) {
    makeDefaultDatabase({Sensor});
    QFile lock(database() + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("2147483646\ntolvane\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    ASSERT_TRUE(startWindow());
    EXPECT_TRUE(prompter.prompts.empty()) << promptTexts().join('|').toStdString();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane MPBX/ROVA"));
    saveNotes(window.get(), QStringLiteral("checked"));
    EXPECT_EQ(notesInFile(), QStringLiteral("checked"));
}

// A file the user made read-only stays exactly as it is: read, backed up, but
// never restored over nor replaced by a compacted copy.
TEST_F(DatabaseFileTest, ReadOnlyFileIsOpenedReadOnlyAndNeverReplaced) {
    makeDefaultDatabase();
    {
        auto db = store::Database::open(database());
        db->execute(QStringLiteral("CREATE TABLE Bloat (x); WITH RECURSIVE n(i) AS (SELECT 1 "
                                   "UNION ALL SELECT i + 1 FROM n WHERE i < 200) INSERT INTO "
                                   "Bloat SELECT zeroblob(1000) FROM n; DROP TABLE Bloat"));
    }
    const QByteArray before = fileBytes(database());
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(database(), readOnly));

    ASSERT_TRUE(startWindow());
    const QString told = QStringLiteral("TolvaneMPBX.mdb cannot be written (the file or its folder "
                                        "is read-only); it is opened read-only");
    EXPECT_EQ(promptTexts(), QStringList({told, texts::NoSensors}));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane MPBX/ROVA (read-only)"));

    control<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(5);
    prompter.prompts.clear();
    click(QStringLiteral("imgBackup"));
    auto* list = control<QListWidget>(QStringLiteral("lstFiles"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(promptTexts(), QStringList({"Backup was successful", texts::NoSensors}));
    list->setCurrentRow(1);
    prompter.prompts.clear();
    click(QStringLiteral("imgRestore"));
    EXPECT_EQ(promptTexts(),
              QStringList({"TolvaneMPBX.mdb is opened read-only\r\nNothing has been restored"}));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane MPBX/ROVA (read-only)"));

    closeWindow();
    EXPECT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(fileBytes(database()), before);
    EXPECT_FALSE(QFileInfo(database()).permissions() &
                 (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
    EXPECT_FALSE(QFileInfo::exists(dataFile(QStringLiteral("Copy_TolvaneMPBX.mdb"))));
}

} // namespace
