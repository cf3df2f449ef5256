// The sensor record's save and the audit trail: the changed fields, old and
// new, in one entry; nothing for a save that changes nothing.
#include "sensors/SensorRecord.h"
#include "support/Support.h"

using namespace testing_support;
using namespace sensors;

namespace {

class SensorAuditTest : public RegisterTest {
protected:
    void save(const SensorRecord& typed, const SensorRecord* shown) {
        store::RowSet& rs = state->sensorRegister();
        writeRecordColumns(rs, typed, shown);
        writeDestroyed(rs, typed, shown);
        storeRecord(rs);
    }
};

TEST_F(SensorAuditTest, ASaveRecordsTheChangedFieldsOnly) {
    registerSensor(QStringLiteral("202541001"));
    const SensorRecord shown = readSensorRecord(state->sensorRegister());
    save(shown, &shown);
    save(shown, nullptr); // every box written, none of them different
    EXPECT_TRUE(auditTrail(*db).empty());

    SensorRecord typed = shown;
    typed.level = QStringLiteral("L 14");
    typed.recess = QStringLiteral("0,25");
    typed.notes = QStringLiteral("moved\r\nafter the blast");
    save(typed, &shown);
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::SensorSaved);
    EXPECT_EQ(trail[0].entry.sensor, "202541001");
    EXPECT_EQ(trail[0].entry.oldValue, "Level: L1\nNotes: \nRecess: 0");
    EXPECT_EQ(trail[0].entry.newValue,
              "Level: L 14\nNotes: moved\r\nafter the blast\nRecess: 0.25");
}

TEST_F(SensorAuditTest, AnAddedSensorIsOneEntryAndARefusedEntryAddsNothing) {
    openRegister(*state);
    addSensorRow(*state->rsSensors, {QStringLiteral("202541002"), QStringLiteral("q3MPBX"),
                                     QStringLiteral("EX"), QStringLiteral("2026/12/07")});
    auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::SensorAdded);
    EXPECT_EQ(trail[0].entry.sensor, "202541002");

    refuseAuditEntries(*db);
    EXPECT_THROW(
        addSensorRow(*state->rsSensors, {QStringLiteral("202541003"), QStringLiteral("q3MPBX"),
                                         QStringLiteral("EX"), QStringLiteral("2026/12/07")}),
        store::Error);
    EXPECT_EQ(rowCount(*db, QStringLiteral("Sensors")), 1);
    EXPECT_EQ(state->rsSensors->RecordCount(), 1);
}

} // namespace
