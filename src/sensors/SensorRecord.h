// The sensor record as its boxes hold it, and how a register row is read into
// them and written back from them.
#pragma once

#include "sensors/RoofLocations.h"
#include "store/RowSet.h"

#include <QString>

#include <array>

namespace sensors {

struct SensorRecord {
    QString instrumentId;
    QString dateId, typeId, sensorNo, family;
    QString length;
    QString level, location, borehole, installDate, installBy, purpose, notes;
    QString recess;
    bool headAtCollar = true;
    std::array<QString, 8> nodes;
    QString sensorType;
    QString destroyed;
    QString destructionDate; // shown only while Destroyed is "Yes"
};

// The current row as the boxes show it: no value shows as empty text, the
// install date year first. A column that cannot be read shows empty.
SensorRecord readSensorRecord(const store::RowSet& rs);
// The head's and the anchors' depths from the roof, from the record as the
// installation tab works them out, for numNodes anchors.
RoofLocations roofLocationsOf(const SensorRecord& record, int numNodes);

// DateID to NodeLocation8 in the stored order: texts trimmed (empty as no value), the length as
// "##0.00", the recess as a number, the head option, the node locations as
// "##0.0#"; a comma typed as the decimal mark is stored as a point. With the
// record as it was shown, only the boxes that differ from it are written. A
// value its column refuses stops the write at that column (the columns before
// it stay written in the row's pending edit) and throws.
void writeRecordColumns(store::RowSet& rs, const SensorRecord& record,
                        const SensorRecord* shown = nullptr);

// Destroyed, then DestructionDate only when its text is not empty: clearing the
// box never erases the date a sensor was destroyed. With the record as shown,
// only what differs from it.
void writeDestroyed(store::RowSet& rs, const SensorRecord& record,
                    const SensorRecord* shown = nullptr);

// A sensor record's version: how often it was saved, by whom and when last.
// Number 0: never saved since versions were kept.
struct RecordVersion {
    qint64 number = 0;
    QString by;
    QString at; // "yyyy-MM-dd HH:mm:ss"
};
RecordVersion recordVersion(store::Database& db, const QString& sensorNumber);

// A save refused because another user saved the record after it was shown.
class RecordChanged : public store::Error {
public:
    explicit RecordChanged(RecordVersion now);
    const RecordVersion& now() const { return now_; }

private:
    RecordVersion now_;
};

// Stores the pending edit of the current row with its audit entry, in one
// transaction: the columns whose value changed. An edit that changes nothing
// writes no entry. With the version the record was shown at, a record saved
// by someone else since is not overwritten: RecordChanged, nothing stored;
// on success seen is the new version.
void storeRecord(store::RowSet& rs, RecordVersion* seen = nullptr);

// The row values of a new sensor, with the defaults it starts with.
struct NewSensor {
    QString number;
    QString family;
    QString modelCode;
    QString installDate; // "yyyy/MM/dd"
};
// Adds the register row (head at the collar, length 0, recess 0, not destroyed)
// and stores it with its audit entry; it stays the current row.
void addSensorRow(store::RowSet& rs, const NewSensor& sensor);

// True when the register table holds this number, whatever a filter shows.
bool registerHolds(store::Database& db, const QString& number);

// The sensor numbers of the row set, in its order.
QStringList sensorNumbers(const store::RowSet& rs);

// Removes a sensor in one transaction: its reading table (when there is one),
// the first NetworkConfig row naming it and its register row, the current row
// of rs. The register row and the readings go to the recycle area, with one
// audit entry. Either all of it is removed or none of it.
void removeSensor(store::Database& db, store::RowSet& rs, const QString& number);

} // namespace sensors
