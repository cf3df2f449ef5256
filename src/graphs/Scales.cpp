#include "graphs/Scales.h"

#include "app/TextFormat.h"
#include "graphs/Texts.h"

#include <algorithm>
#include <cmath>

namespace graphs {

double roundHalfEven(double v, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = v * scale;
    const double below = std::floor(scaled);
    const double fraction = scaled - below;
    // The binary form of a written tie lies a few ulps either side of .5.
    if (std::abs(fraction - 0.5) < 1e-9 * std::max(1.0, std::abs(scaled))) {
        const double even = std::fmod(below, 2.0) == 0 ? below : below + 1;
        return even / scale;
    }
    return std::round(scaled) / scale;
}

namespace {

bool within(double v, double from, double to) {
    return v >= from && v <= to;
}

double autoMinimum(double ymin) {
    return ymin < 0 ? roundHalfEven(ymin, 2) : 0.0;
}

// The rows both tables share up to 10 mm.
bool smallScale(double ymax, AxisScale& s) {
    const double r1 = roundHalfEven(ymax, 1);
    if (within(ymax, 0, 0.099))
        s = {0, 0.01, 0.1};
    else if (within(ymax, 0.1, 0.99))
        s = {0, 0.1, 1.0};
    else if (within(ymax, 1.0, 1.99))
        s = {0, 0.1, r1 + 0.05};
    else if (within(ymax, 2.0, 2.99))
        s = {0, 0.1, r1 + 0.1};
    else if (within(ymax, 3.0, 9.99))
        s = {0, 0.5, r1 + 0.5};
    else
        return false;
    return true;
}

} // namespace

AxisScale timeAutoScale(double ymin, double ymax) {
    AxisScale s;
    const double r0 = roundHalfEven(ymax, 0);
    if (!smallScale(ymax, s)) {
        if (within(ymax, 10, 15.99))
            s = {0, 1, r0 + 1};
        else if (within(ymax, 16, 30))
            s = {0, 2, r0 + 2};
        else
            s = {0, 10, r0 + 5};
    }
    s.minimum = autoMinimum(ymin);
    return s;
}

AxisScale lengthAutoScale(double ymin, double ymax) {
    struct Row {
        double from, to, increment, maximum;
    };
    static constexpr Row rows[] = {
        {10, 14.99, 1, 15},  {15, 19.99, 2, 20},   {20, 29.99, 2, 30},     {30, 39.99, 5, 40},
        {40, 49.99, 5, 50},  {50, 59.99, 5, 60},   {60, 69.99, 10, 70},    {70, 79.99, 10, 80},
        {80, 89.99, 10, 90}, {90, 99.99, 10, 100}, {100, 119.99, 10, 120}, {120, 125, 10, 130},
    };
    AxisScale s{0, 10, roundHalfEven(ymax, 0)};
    if (!smallScale(ymax, s)) {
        for (const Row& r : rows) {
            if (within(ymax, r.from, r.to)) {
                s = {0, r.increment, r.maximum};
                break;
            }
        }
    }
    s.minimum = autoMinimum(ymin);
    return s;
}

AxisScale fixedScale(const QString& text) {
    if (text == QLatin1String("25")) return {0, 1, 26};
    if (text == QLatin1String("50")) return {0, 5, 50};
    if (text == QLatin1String("75")) return {0, 5, 75};
    if (text == QLatin1String("100")) return {0, 10, 100};
    if (text == QLatin1String("125")) return {0, 10, 130};
    return {0, 5, app::leadingNumber(text)};
}

AxisScale withRoom(AxisScale s, double ymin, double ymax) {
    // A value within a twentieth of an increment (a pixel or two) of the line
    // would be drawn on it.
    const double hair = std::abs(s.increment) / 20;
    if (ymin <= s.minimum + hair) s.minimum -= s.increment;
    if (ymax >= s.maximum - hair) s.maximum += s.increment;
    return s;
}

AxisScale leftScale(GraphKind kind, const QString& scaleText, double ymin, double ymax) {
    if (scaleText != texts::AutoScale) return fixedScale(scaleText);
    return withRoom(kind == GraphKind::Time ? timeAutoScale(ymin, ymax)
                                            : lengthAutoScale(ymin, ymax),
                    ymin, ymax);
}

AxisScale leftScale(GraphKind kind, const QString& scaleText, double ymin, double ymax,
                    std::optional<double> levelLine) {
    if (levelLine && scaleText == texts::AutoScale) {
        ymin = std::min(ymin, *levelLine);
        ymax = std::max(ymax, *levelLine);
    }
    return leftScale(kind, scaleText, ymin, ymax);
}

TimeAxis timeAxisFor(int spanDays) {
    if (spanDays == 0) return TimeAxis::Hours;
    if (spanDays == 1) return TimeAxis::CoarseHours;
    return TimeAxis::Dates;
}

double lengthAxisMaximum(double xmax) {
    return xmax >= 1 ? std::floor(xmax + 0.999) : 1.0;
}

} // namespace graphs
