// The questions and messages around a sensor's reading table, and the labels
// their failures are logged with.
#include "readings/ui/ReadingTableQuestions.h"
#include "support/Support.h"

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("123421001");

class ReadingTableQuestionsTest : public RegisterTest {
protected:
    void registerSensor(const QString& number = Sensor) { RegisterTest::registerSensor(number); }
};

TEST_F(ReadingTableQuestionsTest, ALookUpThatFailsIsLoggedAndAnswersNo) {
    expectLog(QStringLiteral(" Module1_TableExists"));
    EXPECT_FALSE(readings::TableExists(*state, dataFile(QStringLiteral("gone.mdb")), Sensor));
}

TEST_F(ReadingTableQuestionsTest, AddDataTableCreatesTheCurrentSensorsTable) {
    addSensor(*db, Sensor);
    db->execute(QStringLiteral("DROP TABLE `123421001`"));
    openRegister(*state);
    readings::AddDataTable(*state, prompter);
    EXPECT_TRUE(db->hasTable(Sensor));
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(ReadingTableQuestionsTest, OverwriteQuestionAnsweredNoKeepsTheReadings) {
    registerSensor();
    addReadings(*db, Sensor, 5);
    prompter.answer(app::Answer::No);
    readings::AddDataTable(*state, prompter);
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

TEST_F(ReadingTableQuestionsTest, OverwriteQuestionAnsweredYesEmptiesTheTable) {
    registerSensor();
    addReadings(*db, Sensor, 5);
    prompter.answer(app::Answer::Yes);
    readings::AddDataTable(*state, prompter);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    EXPECT_EQ(db->indexDefinitions(Sensor).size(), 2);
    addReadings(*db, Sensor, 1); // the new table takes readings again
    EXPECT_EQ(rowCount(*db, Sensor), 1);
}

TEST_F(ReadingTableQuestionsTest, OpenSensorDataOpensTheReadingsOldestFirst) {
    registerSensor();
    addReadings(*db, Sensor, 3, QDateTime(QDate(2025, 3, 2), QTime(0, 0)));
    addReadings(*db, Sensor, 2, QDateTime(QDate(2025, 3, 1), QTime(0, 0)));
    readings::OpenSensorData(*state, prompter);
    ASSERT_TRUE(state->rsSensorData);
    EXPECT_EQ(state->rsSensorData->RecordCount(), 5);
    EXPECT_EQ(state->rsSensorData->AbsolutePosition(), 1);
    EXPECT_EQ(state->rsSensorData->value(QStringLiteral("DateTimeKey")).toString(),
              QStringLiteral("123421001 2025/03/01 00:00:00"));
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(ReadingTableQuestionsTest, MissingReadingTableIsAnnouncedAndCreatedEmpty) {
    registerSensor();
    addReadings(*db, Sensor, 2);
    db->execute(QStringLiteral("DROP TABLE `123421001`"));
    readings::OpenSensorData(*state, prompter);
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

TEST_F(ReadingTableQuestionsTest, EmptyRegisterAsksForASensorAndOpensNothing) {
    openRegister(*state);
    readings::OpenSensorData(*state, prompter);
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(
        prompter.prompts[0].text,
        QStringLiteral("Please add a sensor by clicking the 'Add New' button on the first tab\r\n"
                       "You will also need to enter the length and anchor location data in order "
                       "to add readings"));
    EXPECT_EQ(prompter.prompts[0].title, QStringLiteral("Tolvane"));
    EXPECT_FALSE(state->rsSensorData);
}

TEST_F(ReadingTableQuestionsTest, FailuresAreLoggedWithTheirLabels) {
    registerSensor();
    state->rsSensors->MoveNext(); // EOF: no current sensor
    readings::AddDataTable(*state, prompter);
    expectLog(QStringLiteral(" Module1_AddDataTable"));
    checkLog();

    // The register row points at a table that cannot be made (its template is gone).
    addSensor(*db, QStringLiteral("123421002"));
    db->execute(QStringLiteral("DROP TABLE `123421002`; DROP TABLE sensordata"));
    openRegister(*state);
    readings::OpenSensorData(*state, prompter);
    expectLog(QStringLiteral(" Module1_AddDataTable"));
    expectLog(QStringLiteral(" Module1_OpenSensorData"));
    EXPECT_FALSE(state->rsSensorData);
}

} // namespace
