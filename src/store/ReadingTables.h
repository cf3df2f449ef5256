// Each sensor's readings live in a table named by its sensor number, copied
// from the template sensordata.
#pragma once

#include "app/AppState.h"

#include <QString>

namespace store {

// True when the file at path holds a table of exactly this name. The engine's
// own tables (sqlite_..., MSys...) never count. A failure is logged and answers
// false.
bool TableExists(app::AppState& state, const QString& path, const QString& name);

// Creates the reading table of the current sensor; when it exists, asks whether
// to replace it with an empty one.
void AddDataTable(app::AppState& state, app::Prompter& prompter);

// Opens the current sensor's readings, oldest first, into rsSensorData; a
// missing table is announced and created empty.
void OpenSensorData(app::AppState& state, app::Prompter& prompter);

// "SELECT * FROM `<number>` ORDER BY FullDate"
QString readingsQuery(const QString& sensorNumber);

} // namespace store
