// Schema versions: a file an older release wrote brought up to date after a
// checked backup, a newer one left alone, and the end of the program in the
// middle of an upgrade.
#include "support/Support.h"

#include "maintenance/Backup.h"
#include "maintenance/Upgrade.h"
#include "store/Audit.h"
#include "store/SchemaVersion.h"
#include "store/Settings.h"

#include <QFile>
#include <QFileInfo>

#include <sys/wait.h>
#include <unistd.h>

using namespace testing_support;

namespace {

class UpgradeTest : public TolvaneTest {
protected:
    // What the release before schema versions wrote: two sensors, ten readings.
    QString oldFile() const {
        const QString path = dataFile(QStringLiteral("TolvaneMPBX.mdb"));
        EXPECT_TRUE(QFile::copy(QStringLiteral(TOLVANE_TEST_DATA "/version1.mdb"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
    static int versionOf(const QString& path) {
        return store::schemaVersion(*store::Database::open(path, true));
    }
    static std::string count(const QString& path, const QString& table) {
        auto db = store::Database::open(path, true);
        store::Statement st = db->prepare(QStringLiteral("SELECT count(*) FROM `%1`").arg(table));
        return st.step() ? st.text(0).toStdString() : "-";
    }
    const QDate today{2026, 12, 7};
};

TEST_F(UpgradeTest, AnOlderFileIsBroughtUpToDateAfterACheckedBackup) {
    const QString path = oldFile();
    ASSERT_EQ(versionOf(path), 1);
    auto db = store::Database::open(path);
    EXPECT_FALSE(maintenance::isNewerThanProgram(*db));
    const auto done = maintenance::upgradeDatabase(*db, dataFolder, path, today);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->from, 1);
    EXPECT_EQ(done->to, store::currentSchemaVersion());
    EXPECT_EQ(store::schemaVersion(*db), store::currentSchemaVersion());
    EXPECT_EQ(QFileInfo(done->backup).fileName(), "MPBXbackup_2026-12-07_before-upgrade.mdb");
    EXPECT_EQ(QFileInfo(done->backup).dir().dirName(), "MPBXbackup");
    // The copy is the file as it was, whole; the file keeps its readings.
    EXPECT_EQ(versionOf(done->backup), 1);
    EXPECT_NO_THROW(maintenance::checkOurDatabase(done->backup));
    EXPECT_EQ(count(done->backup, "202541001"), "10");
    EXPECT_EQ(count(path, "202541001"), "10");
    EXPECT_EQ(count(path, "Sensors"), "2");
    // What version 2 brings works at once; a second opening changes nothing.
    store::writeFlag(*db, QStringLiteral("TemperatureOwnAxis"), true);
    EXPECT_TRUE(store::readFlag(*db, QStringLiteral("TemperatureOwnAxis"), false));
    // The upgrade is the trail's first entry, stamped by the connection's actor.
    std::vector<store::AuditRecord> trail;
    store::forEachAuditRecord(*db, {}, [&](const store::AuditRecord& r) {
        trail.push_back(r);
        return true;
    });
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::SchemaUpgraded);
    EXPECT_EQ(trail[0].entry.oldValue, "1");
    EXPECT_EQ(trail[0].entry.newValue, QString::number(store::currentSchemaVersion()));
    EXPECT_FALSE(trail[0].user.isEmpty());
    EXPECT_FALSE(maintenance::upgradeDatabase(*db, dataFolder, path, today));
}

TEST_F(UpgradeTest, ANewFileIsOfTheCurrentVersion) {
    store::Database& db = openNewDatabase();
    EXPECT_EQ(store::schemaVersion(db), store::currentSchemaVersion());
    EXPECT_TRUE(db.hasTable(store::SettingsTable));
    for (const char* table :
         {"ReadingQuality", "ZeroReadings", "RecycledReadings", "RecycledSensors", "AuditTrail"})
        EXPECT_TRUE(db.hasTable(QString::fromLatin1(table))) << table;
    EXPECT_EQ(count(state->DBPath, "AuditTrail"), "0"); // a file being made is no upgrade
    EXPECT_FALSE(maintenance::upgradeDatabase(db, dataFolder, state->DBPath, today));
    EXPECT_FALSE(QFileInfo::exists(maintenance::backupFolder(dataFolder)));
}

TEST_F(UpgradeTest, ANewerFileIsRefusedAndLeftAsItWas) {
    store::Database& db = openNewDatabase();
    store::setSchemaVersion(db, store::currentSchemaVersion() + 1);
    const QByteArray before = fileBytes(state->DBPath);
    EXPECT_TRUE(maintenance::isNewerThanProgram(db));
    EXPECT_THROW(maintenance::upgradeDatabase(db, dataFolder, state->DBPath, today), store::Error);
    EXPECT_THROW(store::upgradeSchema(db), store::Error);
    EXPECT_EQ(fileBytes(state->DBPath), before);
    EXPECT_FALSE(QFileInfo::exists(maintenance::backupFolder(dataFolder)));
}

// The program ended (killed, the power gone) after the steps ran and before
// they were committed: the old file opens whole, and the next start upgrades.
TEST_F(UpgradeTest, AnEndMidUpgradeLeavesTheOldFileWhole) {
    const QString path = oldFile();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            auto db = store::Database::open(path);
            store::upgradeSchema(*db, [](int) { ::_exit(9); });
        } catch (...) {
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 9) << "the child did not end mid-upgrade";

    EXPECT_NO_THROW(maintenance::checkOurDatabase(path));
    EXPECT_EQ(versionOf(path), 1);
    EXPECT_FALSE(store::Database::open(path, true)->hasTable(store::SettingsTable));
    EXPECT_EQ(count(path, "202541001"), "10");
    auto db = store::Database::open(path);
    ASSERT_TRUE(maintenance::upgradeDatabase(*db, dataFolder, path, today));
    EXPECT_EQ(store::schemaVersion(*db), store::currentSchemaVersion());
}

} // namespace
