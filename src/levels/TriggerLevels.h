// Trigger levels: the site's ordered list of levels (Alert, Alarm, Action by
// default) and each sensor's thresholds against them. A threshold is on the
// absolute displacement of an anchor (mm) or on its rate (mm/day over the
// sensor's trailing window), set for every anchor or overridden for one.
#pragma once

#include "store/Database.h"

#include <QColor>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace levels {

inline constexpr int MaxLevels = 5;
inline constexpr int MaxAnchors = 8;
inline constexpr double DefaultWindowHours = 24;

struct TriggerLevel {
    int position = 0; // 1 the lowest
    QString name;
    QColor colour;
};

// The site's levels, lowest first; the defaults on a file without the table.
std::vector<TriggerLevel> siteLevels(store::Database& db);
std::vector<TriggerLevel> defaultLevels();
// Replaces the list (1 to 5 levels, names unique and not empty), audited.
// Thresholds of levels past the new count are kept but not used.
void setSiteLevels(store::Database& db, const std::vector<TriggerLevel>& levels);

enum class Kind { Displacement, Rate };
QString kindName(Kind kind);

// Thresholds by level position; a level without one is absent.
using Thresholds = std::map<int, double>;

struct SensorTriggers {
    double windowHours = DefaultWindowHours;
    std::optional<double> staleAfterHours; // nothing: off
    // [0] every anchor, [k] anchor k's own (empty: it takes [0]'s).
    std::array<Thresholds, MaxAnchors + 1> displacement, rate;

    // What anchor k is held to: its own list where it has one, else the list
    // for every anchor.
    const Thresholds& forAnchor(Kind kind, int anchor) const;
    bool any() const; // a threshold of either kind somewhere
};

// The sensor's triggers; defaults where nothing is stored.
SensorTriggers sensorTriggers(store::Database& db, const QString& sensorNumber);
// Every sensor's stored triggers at once, by number.
std::map<QString, SensorTriggers> allSensorTriggers(store::Database& db);

// Reads "Alert=5,Alarm=10" against the site's levels. Refused (store::Error
// naming the field) for an unknown level, a value that is not a number or is
// negative, or values that do not increase from one level to the next.
// field names the list in messages ("--set", "Rate for anchor 2").
Thresholds parseThresholds(const QString& text, const std::vector<TriggerLevel>& levels,
                           const QString& field);
// "Alert=5,Alarm=10", in level order.
QString thresholdsText(const Thresholds& thresholds, const std::vector<TriggerLevel>& levels);
// The same check for a list built otherwise (the window's boxes).
void checkThresholds(const Thresholds& thresholds, const std::vector<TriggerLevel>& levels,
                     const QString& field);

// Stores the sensor's triggers whole, audited as one change (the old and new
// lists in the entry). The window hours must be above 0, the data-age limit
// above 0 when set; refused otherwise, naming the field.
void setSensorTriggers(store::Database& db, const QString& sensorNumber,
                       const SensorTriggers& triggers);

// A stored colour as "#rrggbb".
QString colourText(const QColor& colour);

} // namespace levels
