// The graphs' data as the window takes it: the current sensor of the
// application state, failures logged under the routines' labels.
#pragma once

#include "app/shell/AppState.h"
#include "graphs/GraphData.h"

namespace graphs {

// Opens rsGraphData on the current sensor's selected readings, at the first.
// A failure is logged and leaves rsGraphData closed.
void OpenGraphData(app::AppState& state, GraphKind kind);
// How many readings the graph would draw; rsGraphData is closed afterwards.
int selectedReadings(app::AppState& state, GraphKind kind);

// The window's preparations: the current sensor with the installation tab's
// node count. A failure is logged and returns nothing prepared.
TimePoints GetTemporalData(app::AppState& state, readings::HeadLocation head);
LengthProfiles GetSpatialData(app::AppState& state, readings::HeadLocation head);

} // namespace graphs
