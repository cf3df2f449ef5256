// The copy of a database file into a server's database, as the operation
// that the tool calls: its progress, a cancel in the middle, and what it
// refuses before it writes anything.
#include "support/Support.h"

#include "operations/ServerCopy.h"
#include "store/Schema.h"

#include <QDir>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("202541001");

class ServerCopyTest : public PostgresTest {
protected:
    void SetUp() override {
        PostgresTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        source = folder.filePath(QStringLiteral("source.mdb"));
        store::createDatabaseFile(source);
        auto db = store::Database::open(source);
        addSensor(*db, Sensor);
        addReadings(*db, Sensor, 1234);
    }
    QTemporaryDir folder;
    QString source;
};

TEST_F(ServerCopyTest, ReportsEachBatchOfReadingsAndACancelLeavesTheDatabaseEmpty) {
    auto target = store::Database::connect(url());
    std::vector<qint64> seen;
    const operations::ServerCopy copied = operations::copyIntoServer(
        *target, source, [&](const QString& table, qint64 done, qint64 total) {
            if (table == Sensor) {
                EXPECT_EQ(total, 1234);
                seen.push_back(done);
            }
            return true;
        });
    EXPECT_EQ(seen, (std::vector<qint64>{500, 1000, 1234}));
    EXPECT_TRUE(copied.initialised);
    EXPECT_EQ(rowCount(*target, Sensor), 1234);

    // Stopped in the middle of the readings: nothing of it stays.
    PostgresDatabase other(*postgresUrl());
    auto empty = store::Database::connect(other.url());
    try {
        operations::copyIntoServer(*empty, source, [&](const QString& table, qint64 done, qint64) {
            return table != Sensor || done < 1000;
        });
        ADD_FAILURE() << "the cancelled copy went through";
    } catch (const store::Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("cancelled")))
            << e.description().toStdString();
    }
    EXPECT_EQ(empty->tableNames(), QStringList());
}

TEST_F(ServerCopyTest, AServerThatGoesAwayInTheMiddleKeepsNoneOfTheCopy) {
    auto target = store::Database::connect(url());
    auto administrator = store::Database::connect(url());
    try {
        operations::copyIntoServer(*target, source, [&](const QString& table, qint64, qint64) {
            // The copy's connection ends, as when the server restarts.
            if (table == Sensor)
                administrator->execute(QStringLiteral(
                    "/*server*/SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                    "datname = current_database() AND pid <> pg_backend_pid()"));
            return true;
        });
        ADD_FAILURE() << "the copy went through without its connection";
    } catch (const store::Error& e) {
        EXPECT_EQ(e.number(), store::code::IoErr) << e.description().toStdString();
    }
    // The tables were made in the copy's own transaction: the server undid all.
    EXPECT_EQ(administrator->tableNames(), QStringList());
}

TEST_F(ServerCopyTest, RefusesAFileTargetAndASourceThatIsNotOurs) {
    const QString file = folder.filePath(QStringLiteral("target.mdb"));
    store::createDatabaseFile(file);
    auto local = store::Database::open(file);
    EXPECT_THROW(operations::copyIntoServer(*local, source), store::Error);

    const QString foreign = folder.filePath(QStringLiteral("foreign.sqlite"));
    {
        store::createDatabaseFile(foreign);
        auto db = store::Database::open(foreign);
        db->execute(QStringLiteral("DROP TABLE Sensors"));
    }
    auto target = store::Database::connect(url());
    for (const QString& path : {foreign, folder.filePath(QStringLiteral("missing.mdb"))}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_THROW(operations::copyIntoServer(*target, path), store::Error);
        EXPECT_EQ(target->tableNames(), QStringList());
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3); // no copies left beside
}

} // namespace
