// The graphs' data as the window takes it: the current sensor handed on by
// the panel, failures logged under the routines' labels.
#pragma once

#include "app/shell/AppState.h"
#include "graphs/GraphData.h"
#include "sensors/SensorKind.h"

namespace graphs {

// Opens rsGraphData on the sensor's selected readings, at the first. A
// failure is logged and leaves rsGraphData closed.
void OpenGraphData(app::AppState& state, const QString& number, GraphKind kind);
// How many readings the graph would draw; rsGraphData is closed afterwards.
int selectedReadings(app::AppState& state, const QString& number, GraphKind kind);

// The window's preparations of the sensor with the node count of its kind. A
// failure is logged and returns nothing prepared.
TimePoints GetTemporalData(app::AppState& state, const sensors::CurrentSensor& sensor,
                           readings::HeadLocation head);
LengthProfiles GetSpatialData(app::AppState& state, const sensors::CurrentSensor& sensor,
                              readings::HeadLocation head);

} // namespace graphs
