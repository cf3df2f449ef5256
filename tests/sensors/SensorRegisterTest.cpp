// The register in a database: removing sensors, its numbers, writes and filters.
#include "sensors/SensorFilter.h"
#include "sensors/SensorRecord.h"
#include "support/Support.h"

using namespace testing_support;
using namespace sensors;

namespace {

// A has two NetworkConfig rows, B one, C and D none; D is destroyed.
const QString A = QStringLiteral("202621001"), B = QStringLiteral("202631002"),
              C = QStringLiteral("202671003"), D = QStringLiteral("202621004");

class SensorRegister : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
        for (const auto& [number, level, installed, destroyed] :
             {std::tuple(A, "L1", "2024/01/01", "No"), std::tuple(B, "L1", "2024/12/31", "No"),
              std::tuple(C, "O'Brien Drift", "2023/12/31", "No"),
              std::tuple(D, "L1", "2025/01/01", "Yes")})
            addSensor(*db,
                      SensorRow{number, QString::fromUtf8(level), QStringLiteral("Drive 4"),
                                QString::fromLatin1(installed), QString::fromLatin1(destroyed)});
        db->execute(QStringLiteral("INSERT INTO NetworkConfig VALUES ('202621001', 'LG1', 1), "
                                   "('202631002', 'LG1', 2), ('202621001', 'LG2', 3)"));
        openRegister(*state); // C, B, D, A
        rs = state->rsSensors.get();
    }
    QVariantList loggersOf(const QString& number) {
        return store::RowSet(
                   *db,
                   QStringLiteral("SELECT * FROM NetworkConfig WHERE SensorID = '%1'").arg(number))
            .columnValues(QStringLiteral("LoggerID"));
    }
    QStringList selected(const char* start, const char* end, const char* type = "",
                         bool hideDestroyed = false) {
        const FilterChoice choice{
            QString::fromLatin1(type), {},           {}, QString::fromLatin1(start),
            QString::fromLatin1(end),  hideDestroyed};
        rs->Filter(buildFilter(choice, QDate(2025, 6, 30)).filter);
        return sensorNumbers(*rs);
    }
    store::Database* db = nullptr;
    store::RowSet* rs = nullptr;
};

TEST_F(SensorRegister, RemovingTakesTheReadingsTheFirstNetworkRowAndTheRegisterRow) {
    rs->MoveLast();
    removeSensor(*db, *rs, A);
    EXPECT_EQ(db->hasTable(A), false);
    EXPECT_EQ(loggersOf(A), QVariantList{QStringLiteral("LG2")});
    EXPECT_EQ(loggersOf(B), QVariantList{QStringLiteral("LG1")});
    EXPECT_EQ(registerHolds(*db, A), false);
    EXPECT_EQ(sensorNumbers(*rs), (QStringList{C, B, D}));
}

TEST_F(SensorRegister, RemovesASensorWithoutNetworkRowsOrReadingTable) {
    removeSensor(*db, *rs, C);
    db->execute(QStringLiteral("DROP TABLE `202631002`"));
    rs->MoveFirst();
    removeSensor(*db, *rs, B);
    EXPECT_EQ(rowCount(*db, QStringLiteral("NetworkConfig")), 2);
    EXPECT_EQ(rowCount(*db, QStringLiteral("Sensors")), 2);
    EXPECT_EQ(registerHolds(*db, A), true);
}

TEST_F(SensorRegister, NumbersFollowTheFilterAndAFailedRemovalLeavesAllOfTheSensor) {
    rs->Filter(QStringLiteral("Level = 'L1'"));
    EXPECT_EQ(sensorNumbers(*rs), (QStringList{B, D, A}));
    EXPECT_EQ(registerHolds(*db, C), true);
    EXPECT_EQ(registerHolds(*db, QStringLiteral("202651005")), false);
    rs->MoveLast();
    rs->MoveNext(); // no current row to delete
    EXPECT_THROW(removeSensor(*db, *rs, A), store::Error);
    EXPECT_EQ(db->hasTable(A), true);
    EXPECT_EQ(loggersOf(A), (QVariantList{QStringLiteral("LG1"), QStringLiteral("LG2")}));
    EXPECT_EQ(registerHolds(*db, A), true);
}

TEST_F(SensorRegister, ARecessThatIsNoNumberStopsTheWriteAtItsColumn) {
    SensorRecord record = readSensorRecord(*rs);
    record.level = QStringLiteral(" L9 ");
    record.headAtCollar = false;
    for (const char* recess : {"abc", "", "1,5.2"}) {
        record.recess = QString::fromLatin1(recess);
        EXPECT_THROW(writeRecordColumns(*rs, record), store::Error) << recess;
        EXPECT_EQ(rs->value(QStringLiteral("Level")).toString(), QStringLiteral("L9"));
        EXPECT_EQ(rs->value(QStringLiteral("HeadLocation")).toInt(), 1); // after the recess
        rs->CancelUpdate();
    }
}

TEST_F(SensorRegister, ALevelWithAQuoteSelectsItsSensor) {
    FilterChoice choice;
    choice.level = QStringLiteral("O'Brien Drift");
    rs->Filter(buildFilter(choice, QDate(2026, 12, 7)).filter);
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->value(QStringLiteral("InstrumentID")).toString(), C);
}

TEST_F(SensorRegister, DateRangesSelectByInstallDateBothEndsIncluded) {
    EXPECT_EQ(selected("2024-1-1", "2024/12/31"), (QStringList{B, A}));
    EXPECT_EQ(selected("2024/12/31", ""), (QStringList{B, D})); // to today
    EXPECT_EQ(selected("", "2024.1.1"), (QStringList{C, A}));
    EXPECT_EQ(selected("", "", "21", true), QStringList{A});
}

} // namespace
