// The import's steps as the window takes them: the current sensor handed on
// by the panel, the user told through the prompter.
#pragma once

#include "app/shell/AppState.h"
#include "importer/Append.h"
#include "importer/TroveData.h"
#include "sensors/SensorKind.h"

namespace importer {

// OpenTroveData: when the chosen file exists, the rows of its working copy
// (rsTroveData); otherwise nothing (no logger data), and an earlier working
// copy stays as it was. Schema.ini is gone afterwards,
// whatever happened. Failures throw (store::Error) to the import command.
std::unique_ptr<TextTable> OpenTroveData(app::AppState& state, const QString& fileName,
                                         const QString& path);

// cmdAppend once the user said Yes: the append for the sensor, its messages,
// then the count (or that nothing was appended) and the archive. A failure of
// the whole append is logged, reported, and stores nothing. Returns how many
// readings were appended.
int appendChecked(app::AppState& state, app::Prompter& prompter,
                  const sensors::CurrentSensor& sensor, const TextTable& table,
                  const std::vector<std::uint8_t>& ticks, DateLayout layout,
                  const Progress& progress = {});

} // namespace importer
