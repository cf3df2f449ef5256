// The current sensor's type as the window keeps it in the application state.
#pragma once

#include "app/shell/AppState.h"

namespace sensors {

// Sets the type-dependent state for a code. An unknown code is announced and
// keeps the model and counts of the type set up last.
void SetSensorType(app::AppState& state, app::Prompter& prompter, const QString& code);

} // namespace sensors
