#include "graphs/LevelLines.h"

#include <cmath>

namespace graphs {

GraphLevels graphLevels(store::Database& db, const QString& sensorNumber) {
    return {levels::siteLevels(db), levels::sensorTriggers(db, sensorNumber)};
}

std::vector<LevelLine> levelLines(const GraphLevels& g, const std::vector<int>& anchors) {
    std::vector<LevelLine> lines;
    for (const levels::TriggerLevel& level : g.levels) {
        std::optional<double> lowest;
        for (const int k : anchors) {
            const levels::Thresholds& t = g.triggers.forAnchor(levels::Kind::Displacement, k);
            const auto it = t.find(level.position);
            if (it != t.end() && std::isfinite(it->second) && (!lowest || it->second < *lowest))
                lowest = it->second;
        }
        if (lowest) lines.push_back({level.position, level.name, level.colour, std::abs(*lowest)});
    }
    return lines;
}

double levelSide(std::optional<double> ymin, std::optional<double> ymax) {
    const double below = ymin && *ymin < 0 ? -*ymin : 0;
    const double above = ymax && *ymax > 0 ? *ymax : 0;
    return below > above ? -1.0 : 1.0;
}

} // namespace graphs
