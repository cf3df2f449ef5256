// The report's table of a sensor's anchors: where each sits and how far it
// has moved, as the installation tab and the graphs work them out.
#pragma once

#include "store/Database.h"

#include <QString>

#include <vector>

namespace outputs {

// One anchor's cells as printed; a cell without a value is empty.
struct AnchorRow {
    QString anchor;        // 1 to 8
    QString depthFromHead; // metres from the collar or the toe, the head's side
    QString depthFromRoof; // metres, as the installation tab shows it
    QString displacement;  // mm, the latest reading against the zero reading
    QString zeroReading;   // date and time of the zero reading it is measured from
};

// One stored zero reading of the sensor as printed.
struct ZeroRow {
    QString moment; // "yyyy/MM/dd HH:mm:ss" of the reading that is the zero
    QString reason;
    QString carryOver; // "yes" or "no"
    QString setBy;
    QString setOn;  // "yyyy/MM/dd HH:mm:ss"
    QString status; // "in force", or "retired <when> by <who>: <why>"
    std::vector<QString> cells() const { return {moment, reason, carryOver, setBy, setOn, status}; }
};

struct AnchorTable {
    bool headAtCollar = true;
    QString latestReading; // "yyyy/MM/dd HH:mm:ss" of the reading displaced; empty without one
    std::vector<AnchorRow> rows;
    // Every zero reading stored for the sensor, retired ones too, in date
    // order; empty when it has none (and the report lists none).
    std::vector<ZeroRow> zeros;
};

// From the register row and the reading table of sensor number. The depths
// come from the stored record (never from a box), the displacement is the
// graphs' own: the latest reading that is not invalid against the zero in
// force then (the latest stored zero reading at or before it, else the
// earliest valid reading ticked for the time graph). Throws store::Error when
// the register lacks the number.
AnchorTable anchorTable(store::Database& db, const QString& number);

} // namespace outputs
