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

struct AnchorTable {
    bool headAtCollar = true;
    QString latestReading; // "yyyy/MM/dd HH:mm:ss" of the reading displaced; empty without one
    std::vector<AnchorRow> rows;
};

// From the register row and the reading table of sensor number. The depths
// come from the stored record (never from a box), the displacement is the
// graphs' own: the latest reading against the earliest one ticked for the
// time graph. Throws store::Error when the register lacks the number.
AnchorTable anchorTable(store::Database& db, const QString& number);

} // namespace outputs
