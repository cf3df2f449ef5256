// The texts of the datasheet, the workbook export and the sensor report,
// character for character.
#pragma once

#include <QString>

namespace outputs::texts {

// Datasheet and workbook export.

// Sensor report.

} // namespace outputs::texts
