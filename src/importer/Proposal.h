// Which logger lines the review window proposes to append: one reading per
// period of P clock hours, counted from the last line proposed.
#pragma once

#include "importer/LoggerDates.h"
#include "importer/TextTable.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace importer {

// The whole-number value of the period box's text, in hours.
int periodHours(const QString& text);

// A tick (1) or none (0) per line of the table, by column 1 (index 0):
// - line 1 is ticked unless it is the marker line; when it is a date it
//   becomes the reference time R (otherwise R stays 1899-12-30 00:00:00);
// - a later line is ticked when H, the clock hours from R to it, is at least
//   the period and the line is not the marker; a ticked date becomes R.
// H is a 16-bit count: a line that is no date, or whose count does not fit,
// leaves H as it was for the line before.
std::vector<std::uint8_t> proposeTicks(const TextTable& table, int period, DayOrder order);

} // namespace importer
