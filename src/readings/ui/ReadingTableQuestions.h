// The questions and messages around a sensor's reading table, asked by the
// window before and after the store's own calls (store/ReadingTables.h).
#pragma once

#include "app/shell/AppState.h"

namespace readings {

// Whether the file at path holds a table of exactly this name (the engine's
// own tables never count). A failure is logged and answers false.
bool TableExists(app::AppState& state, const QString& path, const QString& name);

// Creates the reading table of the current sensor; when it exists, asks whether
// to replace it with an empty one.
void AddDataTable(app::AppState& state, app::Prompter& prompter);

// Opens the current sensor's readings, oldest first, into rsSensorData; a
// missing table is announced and created empty.
void OpenSensorData(app::AppState& state, app::Prompter& prompter);

} // namespace readings
