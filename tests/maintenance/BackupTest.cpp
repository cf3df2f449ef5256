// Backup, the backup list and restore: on files (what is kept, what is refused,
// what an interruption leaves) and through the real main window.
#include "support/WindowSupport.h"

#include "maintenance/Backup.h"
#include "maintenance/Texts.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>

#include <stdexcept>

using namespace testing_support;
using maintenance::BeforeReplace;
namespace texts = maintenance::texts;

namespace {

const QString Sensor = QStringLiteral("202421001");
const QString Today = QStringLiteral("MPBXbackup_2026-12-07.mdb");
const BeforeReplace powerCut = [] { throw std::runtime_error("power cut"); };

// Three sensors (start-up shows the highest first), 500 readings on the lowest.
class BackupTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        makeDefaultDatabase({"202431003", Sensor, "202421002"});
        addReadings(*store::Database::open(database()), Sensor, 500);
        QDir().mkpath(maintenance::backupFolder(dataFolder));
    }
    QString database() const { return dataFile(QStringLiteral("TolvaneMPBX.mdb")); }
    QString kept(const QString& name) const {
        return QDir(maintenance::backupFolder(dataFolder)).filePath(name);
    }
    bool backup(const BeforeReplace& hook = {}) {
        return maintenance::BackupDB(dataFolder, database(), clock.time.date(), prompter,
                                     state->log, hook);
    }
    bool restore(const QString& name, const BeforeReplace& hook = {}) {
        return maintenance::RestoreDB(dataFolder, database(), name, prompter, state->log, hook);
    }
    void addLaterReadings(int month) {
        addReadings(*store::Database::open(database()), Sensor, 100,
                    QDateTime(QDate(2026, month, 1), {}));
    }
    // The readings of a file that passes the full check.
    static int readings(const QString& path) {
        maintenance::checkOurDatabase(path);
        return rowCount(*store::Database::open(path, true), Sensor);
    }
    // No temporary file or journal beside the database or the backups.
    void expectNoLeftovers() const {
        const QStringList names = QDir(dataFolder).entryList(QDir::Files | QDir::Hidden) +
                                  QDir(kept({})).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(names.filter(QRegularExpression("part|journal")), QStringList());
    }
    void startOnUtilities() {
        ASSERT_TRUE(startWindow());
        control<QTabWidget>("SSTab1")->setCurrentIndex(5);
    }
    QListWidget* list() const { return control<QListWidget>("lstFiles"); }
    QString shown() const { return control<QLineEdit>("txtSensor")->text(); }
    void expectReloadedLowestFirst() const {
        EXPECT_EQ(itemsOf(control("cboSensors")), QStringList({Sensor, "202421002", "202431003"}));
        EXPECT_EQ(control<QComboBox>("cboSensors")->currentText(), Sensor);
        EXPECT_EQ(shown(), Sensor);
        EXPECT_EQ(control<QLineEdit>("txtSCount")->text(), "3");
    }
};

TEST_F(BackupTest, OneBackupADayHoldingTheLastGoodCopy) {
    EXPECT_EQ(maintenance::listBackups(dataFolder), QStringList());
    ASSERT_TRUE(backup());
    // What a run killed on another day left behind goes with the next backup.
    QFile(kept(Today)).copy(kept("MPBXbackup_2026-11-30.mdb.part"));
    addLaterReadings(1);
    ASSERT_TRUE(backup());
    EXPECT_EQ(maintenance::listBackups(dataFolder), QStringList({"List of Backups:", Today}));
    EXPECT_EQ(readings(kept(Today)), 600);

    addLaterReadings(6);
    expectLog(texts::BackupLabel);
    EXPECT_FALSE(backup(powerCut));
    EXPECT_EQ(promptTexts().last(), "Error encountered during backup process of TolvaneMPBX.mdb");
    EXPECT_EQ(readings(kept(Today)), 600);
    expectNoLeftovers();
}

TEST_F(BackupTest, InterruptedRestoreLeavesTheDatabaseWhole) {
    ASSERT_TRUE(backup());
    addLaterReadings(1);
    expectLog(texts::RestoreLabel);
    EXPECT_FALSE(restore(Today, powerCut));
    EXPECT_EQ(promptTexts().last(), "Error encountered during restore process");
    EXPECT_EQ(readings(database()), 600);
    expectNoLeftovers();
    EXPECT_TRUE(restore(Today));
    EXPECT_EQ(readings(database()), 500);
}

TEST_F(BackupTest, FirstBackupIsListedWithTheHeadingChosen) {
    QDir(kept({})).removeRecursively();
    startOnUtilities();
    EXPECT_EQ(list()->count(), 0);
    click("imgBackup");
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->item(0)->text(), "List of Backups:");
    EXPECT_EQ(list()->item(1)->text(), Today);
    EXPECT_EQ(list()->currentRow(), 0);
    expectReloadedLowestFirst();

    // Neither the heading nor no line at all is a file to restore from.
    click("imgRestore");
    list()->clearSelection();
    click("imgRestore");
    const QString choose = "Please choose a file from the list to restore from";
    EXPECT_EQ(promptTexts(), QStringList({"Backup was successful", choose, choose}));
}

TEST_F(BackupTest, RestoreOnlyAfterYes) {
    ASSERT_TRUE(QFile::copy(database(), kept("MPBXbackup_2026-12-01.mdb")));
    addSensor(*store::Database::open(database()), QStringLiteral("202451009"));
    startOnUtilities();
    const QByteArray before = fileBytes(database());
    list()->setCurrentRow(1);
    prompter.answer(app::Answer::No);
    click("imgRestore");
    const app::Prompt question = prompter.prompts.at(0);
    EXPECT_EQ(question.text, "Restoring Tolvane from backup MPBXbackup_2026-12-01.mdb\r\nwill "
                             "permanently overwrite current database. Continue?");
    EXPECT_EQ(question.title, "Vornhald's TOLVANE");
    EXPECT_EQ(question.icon, app::Icon::Warning);
    EXPECT_EQ(fileBytes(database()), before);
    EXPECT_EQ(shown(), "202451009"); // not reloaded

    prompter.answer(app::Answer::Yes);
    click("imgRestore");
    EXPECT_EQ(promptTexts().last(), "Restore was successful");
    expectReloadedLowestFirst();
}

// A database named by the location file is the one kept and restored: its
// backups carry its own name, and the default file is never made or used.
TEST_F(BackupTest, DatabaseNamedByTheLocationFileIsTheOneBackedUpAndRestored) {
    const QString mine = makeDatabaseAt(QStringLiteral("Mine B.mdb"), {"202451009", "202451010"});
    QFile location(dataFile(QStringLiteral("mpbx_location.txt")));
    ASSERT_TRUE(location.open(QIODevice::WriteOnly));
    location.write(mine.toLocal8Bit());
    location.close();
    ASSERT_TRUE(QFile::remove(database()));
    startOnUtilities();
    click("imgBackup");
    const QString name = QStringLiteral("Mine Bbackup_2026-12-07.mdb");
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->item(1)->text(), name);
    EXPECT_EQ(fileBytes(kept(name)), fileBytes(mine));
    EXPECT_EQ(itemsOf(control("cboSensors")), QStringList({"202451009", "202451010"}));

    addSensor(*store::Database::open(mine), QStringLiteral("202451011"));
    list()->setCurrentRow(1);
    prompter.answer(app::Answer::Yes);
    click("imgRestore");
    EXPECT_EQ(promptTexts(), QStringList({"Backup was successful", texts::restoreQuestion(name),
                                          "Restore was successful"}));
    EXPECT_EQ(itemsOf(control("cboSensors")), QStringList({"202451009", "202451010"}));
    EXPECT_EQ(rowCount(*store::Database::open(mine, true), QStringLiteral("Sensors")), 2);
    EXPECT_FALSE(QFileInfo::exists(database()));
}

// Files in the backup folder that must never replace the database.
struct BrokenBackup {
    const char* name;
    QByteArray (*make)(const QByteArray& goodBackup, const QString& scratch);
    friend void PrintTo(const BrokenBackup& b, std::ostream* os) { *os << b.name; }
};

class BrokenBackupTest : public BackupTest, public ::testing::WithParamInterface<BrokenBackup> {};

// Refused before anything closes: no question, no reload, the database as it was.
TEST_P(BrokenBackupTest, IsRefusedAndTheDatabaseStaysAsItWas) {
    ASSERT_TRUE(backup());
    QFile file(kept(QStringLiteral("notes.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().make(fileBytes(kept(Today)), dataFile(QStringLiteral("scratch"))));
    file.close();
    const QByteArray before = fileBytes(database());
    expectLog(texts::RestoreLabel);
    EXPECT_FALSE(restore(QStringLiteral("notes.txt")));
    startOnUtilities();
    list()->setCurrentRow(2);
    expectLog(texts::RestoreClickLabel);
    click("imgRestore");
    EXPECT_EQ(promptTexts().last(), texts::notABackup("notes.txt"));
    EXPECT_EQ(fileBytes(database()), before);
    EXPECT_EQ(shown(), "202431003");
    expectNoLeftovers();
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenBackupTest,
    ::testing::Values(
        BrokenBackup{"Text",
                     [](const QByteArray&, const QString&) { return QByteArray("a,b\r\n"); }},
        BrokenBackup{"Empty", [](const QByteArray&, const QString&) { return QByteArray(); }},
        BrokenBackup{"Truncated", [](const QByteArray& good,
                                     const QString&) { return good.left(good.size() / 2); }},
        BrokenBackup{"DamagedPage",
                     [](const QByteArray& good, const QString&) {
                         return QByteArray(good).replace(good.size() / 2, 4096,
                                                         QByteArray(4096, 'Z'));
                     }},
        BrokenBackup{"ForeignDatabase",
                     [](const QByteArray&, const QString& scratch) {
                         store::Database::create(scratch)->execute("CREATE TABLE Customers (Name)");
                         return fileBytes(scratch);
                     }}),
    [](const ::testing::TestParamInfo<BrokenBackup>& p) { return std::string(p.param.name); });

} // namespace
