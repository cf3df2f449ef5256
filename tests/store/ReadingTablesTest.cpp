// The reading tables against a real file: look-up, creation, replacement and
// opening a sensor's readings.
#include "store/ReadingTables.h"
#include "store/Schema.h"
#include "support/Support.h"

#include <QFile>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("123421001");

class ReadingTablesTest : public RegisterTest {
protected:
    void registerSensor(const QString& number = Sensor) { RegisterTest::registerSensor(number); }
    bool exists(const QString& name) { return store::fileHoldsTable(db, state->DBPath, name); }
};

TEST_F(ReadingTablesTest, TableExistsSkipsTheEnginesOwnTables) {
    registerSensor();
    db->execute(QStringLiteral("CREATE TABLE MSysObjects (Name TEXT); CREATE TABLE t (x INTEGER "
                               "PRIMARY KEY AUTOINCREMENT)"));
    EXPECT_TRUE(exists(Sensor));
    EXPECT_TRUE(exists(QStringLiteral("Sensors")));
    EXPECT_FALSE(exists(QStringLiteral("sensors"))); // the name must match exactly
    EXPECT_FALSE(exists(QStringLiteral("123421002")));
    EXPECT_FALSE(exists(QStringLiteral("MSysObjects")));
    EXPECT_FALSE(exists(QStringLiteral("sqlite_schema")));
    EXPECT_FALSE(exists(QStringLiteral("sqlite_sequence")));
    db->execute(QStringLiteral("DROP TABLE `123421001`"));
    EXPECT_FALSE(exists(Sensor));
}

TEST_F(ReadingTablesTest, TableExistsReadsAnotherFileOnItsOwnConnection) {
    const QString other = dataFile(QStringLiteral("other.mdb"));
    store::createDatabaseFile(other);
    {
        auto db2 = store::Database::open(other);
        addSensor(*db2, QStringLiteral("555521001"));
    }
    EXPECT_TRUE(store::fileHoldsTable(db, other, QStringLiteral("555521001")));
    EXPECT_FALSE(exists(QStringLiteral("555521001")));

    // A path that names no file is refused, and no file is left behind.
    const QString missing = dataFile(QStringLiteral("gone.mdb"));
    EXPECT_THROW(store::fileHoldsTable(db, missing, Sensor), store::Error);
    EXPECT_FALSE(QFile::exists(missing));
}

// What holds on a file and on a server alike.
class ReadingTablesOnBoth : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        db = &openNewDatabase();
    }
    // A server keeps no text of its indexes: the unique key is tried instead.
    void expectIndexes(const QString& table) {
        if (db->isServer()) return;
        EXPECT_EQ(db->indexDefinitions(table).size(), 2);
    }
    store::Database* db = nullptr;
};

TEST_P(ReadingTablesOnBoth, CreateMakesAnEmptyTableOnlyWhereNoneIs) {
    addSensor(*db, Sensor);
    db->execute(QStringLiteral("DROP TABLE `123421001`"));
    EXPECT_FALSE(store::readingTableExists(*db, Sensor));
    store::createReadingTable(*db, Sensor);
    EXPECT_TRUE(store::readingTableExists(*db, Sensor));
    expectIndexes(Sensor);
    addReadings(*db, Sensor, 3);
    EXPECT_THROW(store::createReadingTable(*db, Sensor), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 3);
    EXPECT_FALSE(store::readingTableExists(*db, QStringLiteral("sqlite_schema")));
}

TEST_P(ReadingTablesOnBoth, ReplaceEmptiesTheTableOrKeepsItWhole) {
    addSensor(*db, Sensor);
    addReadings(*db, Sensor, 5);
    store::replaceReadingTable(*db, Sensor);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    expectIndexes(Sensor);

    // Without its template the new table cannot be made: the old one stays,
    // readings and indexes.
    addReadings(*db, Sensor, 4);
    db->execute(QStringLiteral("DROP TABLE sensordata"));
    EXPECT_THROW(store::replaceReadingTable(*db, Sensor), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 4);
    expectIndexes(Sensor);
}

TEST_P(ReadingTablesOnBoth, OpenReadingsReadsTheSameSensorAgainInPlace) {
    addSensor(*db, Sensor);
    addSensor(*db, QStringLiteral("123421002"));
    addReadings(*db, Sensor, 2, QDateTime(QDate(2025, 3, 2), QTime(0, 0)));
    std::unique_ptr<store::RowSet> readings;
    store::openReadings(*db, Sensor, readings);
    ASSERT_TRUE(readings);
    const store::RowSet* first = readings.get();
    readings->MoveLast();

    // Added by another writer, and dated before: seen, first again.
    addReadings(*db, Sensor, 1, QDateTime(QDate(2025, 3, 1), QTime(0, 0)));
    store::openReadings(*db, Sensor, readings);
    EXPECT_EQ(readings.get(), first);
    EXPECT_EQ(readings->RecordCount(), 3);
    EXPECT_EQ(readings->AbsolutePosition(), 1);
    EXPECT_EQ(readings->value(QStringLiteral("ReadingDate")).toString(),
              QStringLiteral("2025/03/01"));

    store::openReadings(*db, QStringLiteral("123421002"), readings);
    EXPECT_EQ(readings->tableName(), QStringLiteral("123421002"));
    EXPECT_TRUE(readings->isEOF());

    // A sensor without a table: nothing is left open.
    EXPECT_THROW(store::openReadings(*db, QStringLiteral("123421003"), readings), store::Error);
    EXPECT_FALSE(readings);
}

TOLVANE_ON_BOTH_ENGINES(ReadingTablesOnBoth);

} // namespace
