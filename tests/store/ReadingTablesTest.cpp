// TableExists, AddDataTable and OpenSensorData against a real file.
#include "store/ReadingTables.h"
#include "store/Schema.h"
#include "support/Support.h"

#include <QFile>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("123421001");

class ReadingTablesTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
    }
    // The register with one sensor, current.
    void registerSensor(const QString& number = Sensor) {
        addSensor(*db, number);
        openRegister(*state);
        state->rsSensors->MoveFirst();
    }
    bool exists(const QString& name) { return store::TableExists(*state, state->DBPath, name); }
    store::Database* db = nullptr;
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
    EXPECT_TRUE(store::TableExists(*state, other, QStringLiteral("555521001")));
    EXPECT_FALSE(exists(QStringLiteral("555521001")));

    // A path that names no file: logged, false, and no file is left behind.
    const QString missing = dataFile(QStringLiteral("gone.mdb"));
    EXPECT_FALSE(store::TableExists(*state, missing, Sensor));
    EXPECT_FALSE(QFile::exists(missing));
    expectLog(QStringLiteral(" Module1_TableExists"));
}

TEST_F(ReadingTablesTest, AddDataTableCreatesTheCurrentSensorsTable) {
    addSensor(*db, Sensor);
    db->execute(QStringLiteral("DROP TABLE `123421001`"));
    openRegister(*state);
    store::AddDataTable(*state, prompter);
    EXPECT_TRUE(db->hasTable(Sensor));
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(ReadingTablesTest, OverwriteQuestionAnsweredNoKeepsTheReadings) {
    registerSensor();
    addReadings(*db, Sensor, 5);
    prompter.answer(app::Answer::No);
    store::AddDataTable(*state, prompter);
    ASSERT_EQ(prompter.prompts.size(), 2u);
    EXPECT_EQ(prompter.prompts[0].text, QStringLiteral("Table 123421001 Already Exists"));
    EXPECT_EQ(prompter.prompts[0].title, QStringLiteral("Tolvane"));
    EXPECT_EQ(prompter.prompts[0].buttons, app::Buttons::Ok);
    EXPECT_EQ(
        prompter.prompts[1].text,
        QStringLiteral("Table 123421001 already exists\r\nDo you want to overwrite this table?"));
    EXPECT_EQ(prompter.prompts[1].title, QStringLiteral("Vornhald's TOLVANE"));
    EXPECT_EQ(prompter.prompts[1].buttons, app::Buttons::YesNo);
    EXPECT_EQ(prompter.prompts[1].icon, app::Icon::None);
    EXPECT_EQ(rowCount(*db, Sensor), 5);
}

TEST_F(ReadingTablesTest, OverwriteQuestionAnsweredYesEmptiesTheTable) {
    registerSensor();
    addReadings(*db, Sensor, 5);
    prompter.answer(app::Answer::Yes);
    store::AddDataTable(*state, prompter);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    EXPECT_EQ(db->indexDefinitions(Sensor).size(), 2);
    addReadings(*db, Sensor, 1); // the new table takes readings again
    EXPECT_EQ(rowCount(*db, Sensor), 1);
}

TEST_F(ReadingTablesTest, OpenSensorDataOpensTheReadingsOldestFirst) {
    registerSensor();
    addReadings(*db, Sensor, 3, QDateTime(QDate(2025, 3, 2), QTime(0, 0)));
    addReadings(*db, Sensor, 2, QDateTime(QDate(2025, 3, 1), QTime(0, 0)));
    store::OpenSensorData(*state, prompter);
    ASSERT_TRUE(state->rsSensorData);
    EXPECT_EQ(state->rsSensorData->RecordCount(), 5);
    EXPECT_EQ(state->rsSensorData->AbsolutePosition(), 1);
    EXPECT_EQ(state->rsSensorData->value(QStringLiteral("DateTimeKey")).toString(),
              QStringLiteral("123421001 2025/03/01 00:00:00"));
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(ReadingTablesTest, MissingReadingTableIsAnnouncedAndCreatedEmpty) {
    registerSensor();
    addReadings(*db, Sensor, 2);
    db->execute(QStringLiteral("DROP TABLE `123421001`"));
    store::OpenSensorData(*state, prompter);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text,
              QStringLiteral("The data table for Sensor 123421001 could not be found\r\nA new "
                             "table will be created"));
    EXPECT_EQ(prompter.prompts[0].title, QStringLiteral("Tolvane"));
    ASSERT_TRUE(state->rsSensorData);
    EXPECT_EQ(state->rsSensorData->RecordCount(), 0);
    EXPECT_TRUE(state->rsSensorData->isEOF());
    EXPECT_TRUE(db->hasTable(Sensor));
}

TEST_F(ReadingTablesTest, EmptyRegisterAsksForASensorAndOpensNothing) {
    openRegister(*state);
    store::OpenSensorData(*state, prompter);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(
        prompter.prompts[0].text,
        QStringLiteral("Please add a sensor by clicking the 'Add New' button on the first tab\r\n"
                       "You will also need to enter the length and anchor location data in order "
                       "to add readings"));
    EXPECT_EQ(prompter.prompts[0].title, QStringLiteral("Tolvane"));
    EXPECT_FALSE(state->rsSensorData);
}

TEST_F(ReadingTablesTest, FailuresAreLoggedWithTheirLabels) {
    registerSensor();
    state->rsSensors->MoveNext(); // EOF: no current sensor
    store::AddDataTable(*state, prompter);
    expectLog(QStringLiteral(" Module1_AddDataTable"));
    checkLog();

    // The register row points at a table that cannot be made (its template is gone).
    addSensor(*db, QStringLiteral("123421002"));
    db->execute(QStringLiteral("DROP TABLE `123421002`; DROP TABLE sensordata"));
    openRegister(*state);
    store::OpenSensorData(*state, prompter);
    expectLog(QStringLiteral(" Module1_AddDataTable"));
    expectLog(QStringLiteral(" Module1_OpenSensorData"));
    EXPECT_FALSE(state->rsSensorData);
}

} // namespace
