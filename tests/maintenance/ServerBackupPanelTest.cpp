// The Utilities tab on a server's database: the backup is a pg_dump archive
// made while the window turns, a cancel leaves nothing, and a restore is the
// server administrator's.
#include "support/WindowSupport.h"

#include "app/DataFolder.h"
#include "maintenance/Backup.h"
#include "maintenance/ServerBackup.h"
#include "maintenance/Texts.h"
#include "store/ServerAddress.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace testing_support;

namespace {

class ServerBackupPanelTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        TOLVANE_REQUIRE_POSTGRES();
        engine = Engine::Server;
        makeDefaultDatabase({"202421001", "202421002"});
        engine = Engine::File;
        address = store::parseServerAddress(serverDatabase->url());
        app::writeLocationFile(dataFolder, serverDatabase->url());
        ASSERT_TRUE(startWindow());
        control<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(5);
        prompter.prompts.clear();
    }
    QString folder() const { return maintenance::backupFolder(dataFolder); }
    QString expected() const {
        return QDir(folder()).filePath(
            maintenance::serverBackupFileName(address, clock.now().date()));
    }
    QStringList listed() {
        QStringList items;
        auto* list = control<QListWidget>(QStringLiteral("lstFiles"));
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }

    store::ServerAddress address;
};

TEST_F(ServerBackupPanelTest, BackupWritesADumpThatPgRestoreReads) {
    click(QStringLiteral("imgBackup"));
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text,
              maintenance::texts::serverBackupDone(QDir::toNativeSeparators(expected())));
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Information);
    // Only the archive: no temporary file, nothing beside it.
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QFileInfo(expected()).fileName()}));
    EXPECT_TRUE(expected().endsWith(".dump"));

    const QString pgRestore = maintenance::findPgRestore();
    ASSERT_FALSE(pgRestore.isEmpty());
    QProcess list;
    list.start(pgRestore, {QStringLiteral("--list"), expected()});
    ASSERT_TRUE(list.waitForFinished(60000));
    EXPECT_EQ(list.exitCode(), 0) << list.readAllStandardError().toStdString();
    const QString contents = QString::fromUtf8(list.readAllStandardOutput());
    EXPECT_TRUE(contents.contains("TABLE DATA public sensors", Qt::CaseInsensitive))
        << contents.toStdString();
    EXPECT_TRUE(contents.contains("202421002")) << contents.toStdString();

    EXPECT_EQ(listed(),
              QStringList({maintenance::texts::ListHeading, QFileInfo(expected()).fileName()}));
    // The window goes on with the server as it was.
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboSensors"))),
              QStringList({"202421002", "202421001"}));
}

TEST_F(ServerBackupPanelTest, ACancelledBackupLeavesNothingAndIsNoFailure) {
    bool cancelled = false;
    onNextModal([&](QDialog* d) {
        auto* progress = qobject_cast<QProgressDialog*>(d);
        ASSERT_NE(progress, nullptr) << d->objectName().toStdString();
        EXPECT_EQ(progress->objectName(), QStringLiteral("frmServerBackup"));
        EXPECT_TRUE(progress->isVisible());
        auto* button = progress->findChild<QPushButton*>();
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        cancelled = true;
    });
    click(QStringLiteral("imgBackup"));
    EXPECT_TRUE(cancelled);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text,
              maintenance::texts::backupCancelled(store::displayName(address)));
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Information);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(ServerBackupPanelTest, RestoreIsRefusedAndNamesTheAdministrator) {
    click(QStringLiteral("imgBackup"));
    auto* list = control<QListWidget>(QStringLiteral("lstFiles"));
    list->setCurrentRow(1);
    prompter.prompts.clear();
    click(QStringLiteral("imgRestore"));
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text, maintenance::serverRestoreRefusal(address));
    EXPECT_EQ(prompter.prompts[0].buttons, app::Buttons::Ok);
    EXPECT_EQ(rowCount(*store::Database::connect(serverDatabase->url()), "Sensors"), 2);
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboSensors"))),
              QStringList({"202421002", "202421001"}));
}

} // namespace
