// The site's status table as files: a workbook, and a PDF for the notice
// board. Both written aside and renamed into place.
#pragma once

#include "levels/StatusModel.h"

#include <QString>

namespace levels {

// One sheet, "Status", with the table's columns; the status cell filled with
// its level's colour.
void exportStatusWorkbook(const StatusModel& model, const QString& path);
// The table on A4 landscape pages, titled with the moment it was taken.
void printStatusPdf(const StatusModel& model, const QString& title, const QString& path);

} // namespace levels
