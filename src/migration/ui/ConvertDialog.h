// The window's offer to convert an earlier version's Jet file, with a progress
// dialog naming the table being copied.
#pragma once

#include "app/shell/AppState.h"

#include <QString>

#include <optional>

namespace migration {

// Asks whether to convert the Jet file at path. Yes: converts it beside itself,
// switches the location file to the converted file and returns its path (the
// user is told where the report is). No, a cancel or a failure (told and
// logged): nothing is written and nothing is returned.
std::optional<QString> offerConversion(app::AppState& state, const QString& path);

} // namespace migration
