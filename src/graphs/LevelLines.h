// The trigger levels the graphs draw: each level's displacement threshold as a
// line across the graph, the lowest among the anchors it stands for.
#pragma once

#include "levels/TriggerLevels.h"
#include "store/Database.h"

#include <QColor>
#include <QString>

#include <optional>
#include <vector>

namespace graphs {

// A level's line; threshold is on the absolute displacement (mm, >= 0).
struct LevelLine {
    int position = 0;
    QString name;
    QColor colour;
    double threshold = 0;
};

// The site's levels and a sensor's triggers, read once per drawing.
struct GraphLevels {
    std::vector<levels::TriggerLevel> levels;
    levels::SensorTriggers triggers;
};
GraphLevels graphLevels(store::Database& db, const QString& sensorNumber);

// Per level of the site, the lowest displacement threshold anchors are held
// to; a level none of them has is left out. Lowest level first.
std::vector<LevelLine> levelLines(const GraphLevels& levels, const std::vector<int>& anchors);

// The side of zero the lines go on: where the values of the largest
// magnitude lie, + when there are none (or they are level with zero).
double levelSide(std::optional<double> ymin, std::optional<double> ymax);

} // namespace graphs
