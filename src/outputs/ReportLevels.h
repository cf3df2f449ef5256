// The report's trigger levels of a sensor and its status at the report date,
// as cells and lines ready for the .docx and the PDF alike.
#pragma once

#include "store/Database.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace outputs {

struct ReportLevels {
    // One row per level of the site: its name, the displacement threshold
    // for every anchor and the anchors' own, the same for the rate. Empty
    // when the sensor has no threshold set.
    std::vector<std::vector<QString>> rows;
    QString window;     // "24 h"
    QString staleAfter; // "48 h", or "off"
    // The status table's one row: status, deciding anchor, displacement,
    // rate, latest reading and its age at the report date.
    std::vector<QString> status;
    QString statusAt; // the report date as printed
};

// Throws store::Error when the register lacks the number.
ReportLevels reportLevels(store::Database& db, const QString& number, const QDateTime& date);

} // namespace outputs
