// The window on files of other schema versions: an older one brought up to
// date and the user told once; a newer one, or one whose upgrade fails, used
// read-only and left exactly as it was.
#include "support/WindowSupport.h"

#include "app/Texts.h"
#include "store/SchemaVersion.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

using namespace testing_support;
namespace texts = app::texts;

namespace {

class UpgradeWindowTest : public WindowTest {
protected:
    QString database() const { return dataFile(QStringLiteral("TolvaneMPBX.mdb")); }
    void placeOldFile() const {
        ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVANE_TEST_DATA "/version1.mdb"), database()));
        QFile::setPermissions(database(), QFile::ReadOwner | QFile::WriteOwner);
    }
    int version() const { return store::schemaVersion(*store::Database::open(database(), true)); }
};

TEST_F(UpgradeWindowTest, AnOlderFileIsBroughtUpToDateAndTheUserToldOnce) {
    placeOldFile();
    ASSERT_TRUE(startWindow());
    const QString backup =
        dataFile(QStringLiteral("MPBXbackup/MPBXbackup_2026-12-07_before-upgrade.mdb"));
    ASSERT_EQ(prompter.prompts.size(), 1U) << promptTexts().join('|').toStdString();
    EXPECT_EQ(prompter.prompts[0].text,
              texts::upgraded("TolvaneMPBX.mdb", 1, store::currentSchemaVersion(),
                              QDir::toNativeSeparators(backup)));
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Information);
    EXPECT_TRUE(QFileInfo::exists(backup));
    EXPECT_EQ(control<QLineEdit>("txtSCount")->text(), "2");
    EXPECT_FALSE(window->windowTitle().contains(texts::ReadOnlyCaption));
    closeWindow();
    EXPECT_EQ(version(), store::currentSchemaVersion());

    ASSERT_TRUE(startWindow()); // once: now it is current
    EXPECT_EQ(prompter.prompts.size(), 1U);
}

TEST_F(UpgradeWindowTest, ANewerFileIsUsedReadOnlyAndNeverChanged) {
    makeDefaultDatabase({"202421001"});
    store::setSchemaVersion(*store::Database::open(database()),
                            store::currentSchemaVersion() + 1);
    const QByteArray before = fileBytes(database());
    ASSERT_TRUE(startWindow());
    ASSERT_EQ(prompter.prompts.size(), 1U) << promptTexts().join('|').toStdString();
    EXPECT_EQ(prompter.prompts[0].text,
              texts::newerSchema("TolvaneMPBX.mdb", store::currentSchemaVersion() + 1,
                                 store::currentSchemaVersion()));
    EXPECT_TRUE(window->windowTitle().contains(texts::ReadOnlyCaption));
    EXPECT_EQ(control<QLineEdit>("txtSCount")->text(), "1");
    closeWindow();
    EXPECT_EQ(fileBytes(database()), before);
}

// A table of the name the upgrade adds, made by hand: the upgrade fails, the
// file stays as it was, and the user is told.
TEST_F(UpgradeWindowTest, AFailedUpgradeLeavesTheFileAsItWas) {
    placeOldFile();
    store::Database::open(database())->execute(QStringLiteral("CREATE TABLE Settings (x)"));
    const QByteArray before = fileBytes(database());
    expectLog(texts::UpgradeLabel);
    ASSERT_TRUE(startWindow());
    checkLog();
    ASSERT_EQ(prompter.prompts.size(), 1U) << promptTexts().join('|').toStdString();
    EXPECT_TRUE(prompter.prompts[0].text.startsWith(
        "TolvaneMPBX.mdb could not be brought up to date ("));
    EXPECT_TRUE(prompter.prompts[0].text.endsWith(
        "); it is left exactly as it was and opened read-only"));
    EXPECT_TRUE(window->windowTitle().contains(texts::ReadOnlyCaption));
    closeWindow();
    EXPECT_EQ(fileBytes(database()), before);
}

} // namespace
