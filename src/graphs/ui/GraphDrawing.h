// The two graphs drawn on a chart from explicit values: a sensor's setup, the
// points or readings its preparation returned and the scale box's text. The
// window's tabs and a picture made without any window draw through these.
#pragma once

#include "graphs/GraphData.h"
#include "graphs/LevelLines.h"

#include <QString>

#include <vector>

namespace graphs {

class Chart;

// How the time graph is drawn beyond the look it always had.
struct TimeGraphLook {
    // The temperature against a right-hand axis in degrees C with its own
    // automatic range; AutoScale of the left axis then fits the displacements.
    bool temperatureOwnAxis = false;
};

// Sets up a chart made by makeTimeChart() as the time graph of setup.sensorNumber:
// title, series and legend titles, axis ranges, increments and date labels.
// points must come from prepareTimeGraph or storedTimePoints with setup's head
// and node count; a series whose column they lack is drawn empty. The caller
// replots or exports the chart. Each level's line is the lowest threshold of
// the anchors shown (following the legend's boxes); AutoScale makes room for
// the line nearest zero.
void drawTimeGraph(Chart& chart, const GraphSetup& setup, const TimePoints& points,
                   const QString& scaleText, const TimeGraphLook& look = {},
                   const GraphLevels& levels = {});

struct LengthDrawing {
    bool tooMany = false; // more readings selected than drawn: lblW15 shows
    // By series index: the reading's date title and its ReadingTime, for the
    // description of a clicked point; empty for series not drawn.
    std::vector<QString> profileTimes;
};
// Sets up a chart made by makeLengthChart() as the length graph: one profile
// per reading of profiles (the last MaxProfiles selected) from the head and
// anchor depths of setup. Each level's line is the lowest threshold across
// the sensor's anchors.
LengthDrawing drawLengthGraph(Chart& chart, const GraphSetup& setup, const LengthProfiles& profiles,
                              const QString& scaleText, const GraphLevels& levels = {});

} // namespace graphs
