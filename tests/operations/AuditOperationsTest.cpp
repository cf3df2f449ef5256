// The operations the window and the tool share, and their audit entries: a
// sensor added, a logger file imported, a backup restored.
#include "maintenance/Backup.h"
#include "operations/Operations.h"
#include "support/Support.h"

#include <QFile>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("202541001");

class AuditOperationsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        db = &openNewDatabase();
        db->setActor(actor);
    }
    QString loggerFile(int hours) {
        QStringList lines;
        for (int h = 0; h < hours; ++h)
            lines << QDateTime(QDate(2025, 4, 1), QTime(6, 0))
                             .addSecs(3600LL * h)
                             .toString("yyyy/MM/dd HH:mm:ss") +
                         ",TR01,91,005,21.46,1.25,2.5,3";
        const QString path = documents.filePath("Logger " + Sensor + ".txt");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((lines.join("\r\n") + "\r\n").toLatin1());
        return path;
    }
    operations::ImportOutcome import(const QString& file, bool dryRun = false) {
        operations::ImportRequest r;
        r.file = file;
        r.sensor = Sensor;
        r.all = true;
        r.dryRun = dryRun;
        return operations::importLoggerFile(*db, dataFolder, r, QDate(2026, 12, 7));
    }

    const store::Actor actor{QStringLiteral("mira"), [this] { return clock.now(); }};
    store::Database* db = nullptr;
};

TEST_P(AuditOperationsTest, AnAddedSensorIsOneEntry) {
    operations::NewSensor s;
    s.number = Sensor;
    s.level = QStringLiteral("L 12");
    operations::addSensor(*db, s);
    EXPECT_THROW(operations::addSensor(*db, s), store::Error); // refused: no entry
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::SensorAdded);
    EXPECT_EQ(trail[0].entry.sensor, Sensor);
    // A server's trail names its own user as well.
    EXPECT_EQ(trail[0].user, db->isServer() ? "mira (as " + db->databaseUser() + ")" : "mira");
}

TEST_P(AuditOperationsTest, AnImportIsOneEntryWithTheFileAndTheCount) {
    addSensor(*db, Sensor);
    const QString file = loggerFile(30);
    EXPECT_EQ(import(file, true).appended, 30); // a dry run is taken back, entry and all
    EXPECT_TRUE(auditTrail(*db).empty());
    EXPECT_EQ(import(file).appended, 30);
    EXPECT_EQ(import(file).appended, 0); // every line a duplicate: no change, no entry
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::ReadingsImported);
    EXPECT_EQ(trail[0].entry.sensor, Sensor);
    EXPECT_EQ(trail[0].entry.target, "Logger 202541001.txt");
    EXPECT_EQ(trail[0].entry.count, 30);
}

TEST_P(AuditOperationsTest, ARefusedEntryStoresNoneOfTheImport) {
    addSensor(*db, Sensor);
    refuseAuditEntries(*db);
    EXPECT_THROW(import(loggerFile(30)), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
}

// The entry is in the file as restored: its trail tells of the restore
// that made it, and nothing of what came after the backup.
TEST_P(AuditOperationsTest, ARestoredFileHoldsTheRestoresEntry) {
    if (db->isServer()) GTEST_SKIP() << "a server database is restored by its administrator";
    const operations::Workspace w{dataFolder, state->DBPath};
    operations::addSensor(*db, {Sensor, true, {}, {}, QDate(2025, 1, 2)});
    const QString backup = operations::backup(w, QDate(2026, 12, 6));
    operations::addSensor(*db, {QStringLiteral("202541002"), true, {}, {}, QDate(2025, 1, 2)});
    state->releaseDatabase();

    clock.time = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    operations::restore(w, QFileInfo(backup).fileName(), actor);
    db = &*(state->cnDatabase = store::Database::open(state->DBPath));
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 2u);
    EXPECT_EQ(trail[0].entry.sensor, Sensor);
    EXPECT_EQ(trail[1].entry.operation, store::operation::BackupRestored);
    EXPECT_EQ(trail[1].entry.target, backup);
    EXPECT_EQ(trail[1].at, "2026-12-08 09:30:00");
    EXPECT_EQ(trail[1].user, "mira");

    // A restore that fails changes nothing, the trail included.
    state->releaseDatabase();
    const QByteArray before = fileBytes(state->DBPath);
    const QString damaged = documents.filePath("damaged.mdb");
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(fileBytes(backup).left(4096));
    f.close();
    EXPECT_THROW(operations::restore(w, damaged, actor), store::Error);
    EXPECT_EQ(fileBytes(state->DBPath), before);
}

TOLVANE_ON_BOTH_ENGINES(AuditOperationsTest);

} // namespace
