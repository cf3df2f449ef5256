// Opening files, the first-installation database and the reading-table template.
#include "store/Database.h"
#include "store/RowSet.h"
#include "store/Schema.h"
#include "support/Support.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

using namespace testing_support;

namespace {

class DatabaseTest : public TolvaneTest {};
// What holds on a file and on a server alike.
class StoreTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        base = &openNewDatabase();
    }
    store::Database* base = nullptr;
};

QStringList columnsOf(store::Database& db, const QString& table, QStringList* types = nullptr) {
    QStringList names;
    for (const store::Database::ColumnInfo& c : db.columns(table)) {
        names << c.name;
        if (types) *types << c.type;
    }
    return names;
}

TEST_F(DatabaseTest, OpeningNeverCreatesAFile) {
    const QString missing = dataFile(QStringLiteral("nothing.mdb"));
    try {
        store::Database::open(missing);
        ADD_FAILURE() << "opened a file that does not exist";
    } catch (const store::Error& e) {
        EXPECT_EQ(e.number(), SQLITE_CANTOPEN);
    }
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(QDir(dataFolder).entryList(QDir::Files).size(), 0);
    EXPECT_THROW(store::Database::open(dataFolder), store::Error);
    EXPECT_THROW(store::Database::open(QString()), store::Error);
}

TEST_F(DatabaseTest, AFileThatIsNoDatabaseIsRefused) {
    QFile text(dataFile(QStringLiteral("notes.mdb")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("Standard Jet DB, or so it says. ").repeated(200));
    text.close();
    try {
        store::Database::open(text.fileName());
        ADD_FAILURE() << "opened a text file";
    } catch (const store::Error& e) {
        EXPECT_EQ(e.number(), SQLITE_NOTADB);
        EXPECT_FALSE(e.description().isEmpty());
    }
}

TEST_P(StoreTest, NewDatabaseHoldsTheFixedTablesAndOneRowOfEach) {
    store::Database& db = *base;
    const QStringList tables = db.tableNames();
    for (const QString& t :
         {QStringLiteral("Sensors"), QStringLiteral("Configuration"), QStringLiteral("Prefs"),
          QStringLiteral("NetworkConfig"), QStringLiteral("sensordata")})
        EXPECT_TRUE(tables.contains(t)) << t.toStdString();
    EXPECT_EQ(rowCount(db, QStringLiteral("Configuration")), 1);
    EXPECT_EQ(rowCount(db, QStringLiteral("Prefs")), 1);
    EXPECT_EQ(rowCount(db, QStringLiteral("Sensors")), 0);
    EXPECT_EQ(rowCount(db, QStringLiteral("sensordata")), 0);
    EXPECT_EQ(columnsOf(db, QStringLiteral("Sensors")), store::sensorColumns());
    EXPECT_EQ(columnsOf(db, QStringLiteral("sensordata")), store::readingColumns());

    // The start-up queries read what was made.
    store::RowSet prefs(db, QStringLiteral("SELECT Prefs.* FROM Prefs;"));
    prefs.MoveFirst();
    EXPECT_FALSE(prefs.value(QStringLiteral("MaxY")).toString().isEmpty());
    store::RowSet config(db, QStringLiteral("SELECT * FROM Configuration ORDER BY SensorType"));
    EXPECT_NO_THROW(config.MoveFirst());
}

TEST_F(DatabaseTest, AFirstInstallationNeverReplacesAFile) {
    openNewDatabase();
    EXPECT_THROW(store::createDatabaseFile(state->DBPath), store::Error);
    EXPECT_EQ(QDir(dataFolder).entryList(QDir::Files),
              QStringList{QStringLiteral("TolvaneMPBX.mdb")});
}

TEST_P(StoreTest, ReadingTableIsAnExactCopyOfTheTemplateWithoutItsRows) {
    store::Database& db = *base;
    // Rows in the template must not travel into a new table.
    db.execute(QStringLiteral("INSERT INTO sensordata (DateTimeKey, FullDate) VALUES "
                              "('x', '2020-01-01 00:00:00'), (NULL, NULL)"));
    store::copyTemplate(db, QStringLiteral("000121007"));

    QStringList templateTypes, copyTypes;
    const QStringList copy = columnsOf(db, QStringLiteral("000121007"), &copyTypes);
    EXPECT_EQ(copy, columnsOf(db, QStringLiteral("sensordata"), &templateTypes));
    EXPECT_EQ(copyTypes, templateTypes);
    EXPECT_EQ(copy.mid(0, 14),
              (QStringList{"DateTimeKey", "ReadingDate", "ReadingTime", "ChannelT", "Channel1",
                           "Channel2", "Channel3", "Channel4", "Channel5", "Channel6", "Channel7",
                           "Channel8", "Channel9", "Channel10"}));
    EXPECT_EQ(rowCount(db, QStringLiteral("000121007")), 0);
    // The key stayed unique.
    db.execute(QStringLiteral("INSERT INTO `000121007` (DateTimeKey) VALUES ('k')"));
    EXPECT_THROW(db.execute(QStringLiteral("INSERT INTO `000121007` (DateTimeKey) VALUES ('k')")),
                 store::Error);
    if (!db.isServer()) {
        EXPECT_TRUE(
            db.tableDefinition(QStringLiteral("000121007")).contains(QStringLiteral("STRICT")));
        // Indexes came along: the key is unique, FullDate is indexed.
        const QStringList indexes = db.indexDefinitions(QStringLiteral("000121007"));
        ASSERT_EQ(indexes.size(), 2);
        EXPECT_TRUE(indexes.join(QLatin1Char('\n'))
                        .contains(QStringLiteral("UNIQUE INDEX `000121007_DateTimeKey`")));
        EXPECT_TRUE(
            indexes.join(QLatin1Char('\n')).contains(QStringLiteral("`000121007_FullDate`")));
    }

    // Leading zeros are kept in the name; the table answers the readings query.
    EXPECT_TRUE(db.hasTable(QStringLiteral("000121007")));
    EXPECT_FALSE(db.hasTable(QStringLiteral("121007")));
    EXPECT_NO_THROW(
        store::RowSet(db, QStringLiteral("SELECT * FROM `000121007` ORDER BY FullDate")));
    // Copying onto an existing name fails and changes nothing.
    EXPECT_THROW(store::copyTemplate(db, QStringLiteral("000121007")), store::Error);
}

TEST_P(StoreTest, TransactionKeepsAllOrNothing) {
    store::Database& db = *base;
    addSensor(db, QStringLiteral("123421001"));
    EXPECT_THROW(db.transaction([&] {
        db.execute(QStringLiteral("DELETE FROM Sensors"));
        db.execute(QStringLiteral("DROP TABLE `123421001`"));
        db.execute(QStringLiteral("INSERT INTO nowhere VALUES (1)"));
    }),
                 store::Error);
    EXPECT_EQ(rowCount(db, QStringLiteral("Sensors")), 1);
    EXPECT_TRUE(db.hasTable(QStringLiteral("123421001")));
    // Nested: the outer transaction still commits what it did.
    db.transaction([&] {
        db.execute(QStringLiteral("DELETE FROM Sensors"));
        EXPECT_THROW(db.transaction([&] { db.execute(QStringLiteral("bogus")); }), store::Error);
    });
    EXPECT_EQ(rowCount(db, QStringLiteral("Sensors")), 0);
}

TEST_F(DatabaseTest, StatementsUsedAgainStayCompiledPastTheCachesSize) {
    store::Database& db = openNewDatabase();
    const QString often = QStringLiteral("SELECT count(*) FROM Sensors");
    sqlite3_stmt* first = db.prepare(often).get();
    // More texts than the cache keeps, the often used one among them.
    for (int i = 0; i < 600; ++i) {
        db.prepare(QStringLiteral("SELECT %1").arg(i)).step();
        if (i % 50 == 0) {
            EXPECT_EQ(db.prepare(often).get(), first) << i;
        }
    }
    EXPECT_EQ(db.prepare(often).get(), first);
    store::Statement st = db.prepare(QStringLiteral("SELECT 7"));
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.int64(0), 7);
}

// A table another connection makes is seen here at once; one remembered as
// found is forgotten when this connection drops it.
TEST_P(StoreTest, ATableAnotherConnectionMakesIsSeenAndADroppedOneIsForgotten) {
    // A file's connection reads the schema anew at its next statement only.
    if (GetParam() == Engine::File) GTEST_SKIP() << "a server's many writers";
    store::Database& db = *base;
    EXPECT_FALSE(db.hasTable(QStringLiteral("Later")));
    const auto other = openAgain();
    other->execute(QStringLiteral("CREATE TABLE Later (x)"));
    EXPECT_TRUE(db.hasTable(QStringLiteral("Later")));
    EXPECT_TRUE(db.hasTable(QStringLiteral("Later")));
    db.execute(QStringLiteral("DROP TABLE Later"));
    EXPECT_FALSE(db.hasTable(QStringLiteral("Later")));
    other->execute(QStringLiteral("CREATE TABLE Later (x)"));
    EXPECT_TRUE(db.hasTable(QStringLiteral("Later")));
}

TEST_P(StoreTest, ATableIsFoundByItsExactSpellingOnly) {
    store::Database& db = *base;
    db.execute(QStringLiteral("CREATE TABLE MixedCase (x)"));
    db.execute(QStringLiteral("CREATE VIEW SeenThrough AS SELECT 1"));
    EXPECT_TRUE(db.hasTable(QStringLiteral("MixedCase")));
    EXPECT_FALSE(db.hasTable(QStringLiteral("mixedcase")));
    EXPECT_FALSE(db.hasTable(QStringLiteral("SeenThrough")));
    EXPECT_FALSE(db.hasTable(QStringLiteral("Nowhere")));
    // A table of the connection's own temporary schema is not in the file.
    db.execute(QStringLiteral("CREATE TEMP TABLE OnlyHere (x)"));
    EXPECT_FALSE(db.hasTable(QStringLiteral("OnlyHere")));
    // Spelt otherwise in a transaction that is undone, then as many schema
    // changes again: the file's spelling is the one that counts.
    EXPECT_THROW(db.transaction([&] {
        db.execute(QStringLiteral("DROP TABLE MixedCase"));
        db.execute(QStringLiteral("CREATE TABLE MIXEDCASE (x)"));
        EXPECT_TRUE(db.hasTable(QStringLiteral("MIXEDCASE")));
        EXPECT_FALSE(db.hasTable(QStringLiteral("MixedCase")));
        throw store::Error(store::code::Error, QStringLiteral("undone"));
    }),
                 store::Error);
    EXPECT_TRUE(db.hasTable(QStringLiteral("MixedCase")));
    EXPECT_FALSE(db.hasTable(QStringLiteral("MIXEDCASE")));
    db.transaction([&] {
        db.execute(QStringLiteral("CREATE TABLE Other1 (x)"));
        db.execute(QStringLiteral("CREATE TABLE Other2 (x)"));
    });
    EXPECT_TRUE(db.hasTable(QStringLiteral("MixedCase")));
    EXPECT_FALSE(db.hasTable(QStringLiteral("MIXEDCASE")));
    db.transaction([&] {
        db.execute(QStringLiteral("DROP TABLE MixedCase"));
        EXPECT_FALSE(db.hasTable(QStringLiteral("MixedCase")));
    });
    EXPECT_FALSE(db.hasTable(QStringLiteral("MixedCase")));
}

TOLVANE_ON_BOTH_ENGINES(StoreTest);

} // namespace
