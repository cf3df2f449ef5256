// The graphs' scale rules: the left axis by the scale box (AutoScale tables and
// fixed scales), the time axis by the span of the readings, and the length
// axis by the deepest point.
#pragma once

#include <QString>

#include <optional>

namespace graphs {

enum class GraphKind { Time, Length };

struct AxisScale {
    double minimum = 0;
    double increment = 0;
    double maximum = 0;
};

// v brought to the given number of decimals, a tie going to the even digit.
// Ties are judged on the number as written (1.15 is a tie), not on its binary
// approximation.
double roundHalfEven(double v, int decimals);

// The AutoScale tables: ymin and ymax are the smallest and largest values drawn
// against the left axis.
AxisScale timeAutoScale(double ymin, double ymax);
AxisScale lengthAutoScale(double ymin, double ymax);
// Room round the data: where the lowest or highest value would lie on the
// axis line (or beyond it), that end moves out by one increment.
AxisScale withRoom(AxisScale s, double ymin, double ymax);
// A scale typed or chosen in the scale box; it always starts at 0.
AxisScale fixedScale(const QString& text);
// The left axis of either graph by the scale box's text: AutoScale's table
// with room round the data, or the fixed scale exactly.
AxisScale leftScale(GraphKind kind, const QString& scaleText, double ymin, double ymax);
// The same, with AutoScale making room for a trigger level's line as for a
// value drawn (a fixed scale stays as it is).
AxisScale leftScale(GraphKind kind, const QString& scaleText, double ymin, double ymax,
                    std::optional<double> levelLine);

// The time axis by the whole days between the first and last reading.
enum class TimeAxis {
    Hours,       // one date: date-time step 11, "hh:nn", the date under the axis
    CoarseHours, // one day apart: date-time step 12
    Dates        // more: "yyyy/mm/dd" labels, automatic minimum
};
TimeAxis timeAxisFor(int spanDays);

// The length axis runs from 0 to the deepest point rounded up to whole metres,
// and at least to 1.
double lengthAxisMaximum(double xmax);

} // namespace graphs
