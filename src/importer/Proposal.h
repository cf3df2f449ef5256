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

// The same proposal over a file read in chunks: R and H carried from one
// chunk to the next, so that the ticks are those of the whole file at once.
class Proposer {
public:
    Proposer(int period, DayOrder order);
    // The ticks of table's rows, which follow the rows of every table before.
    std::vector<std::uint8_t> next(const TextTable& table);

private:
    int period_;
    DayOrder order_;
    bool first_ = true; // no row seen yet
    qint64 reference_;
    std::int16_t hours_ = 0;
};

} // namespace importer
