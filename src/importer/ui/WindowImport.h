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
// The same for a file of any size (openLoggerText): one too large to hold is
// streamed from the working copy, progress told while it is first read.
std::unique_ptr<TextFile> OpenTroveData(app::AppState& state, const QString& fileName,
                                        const QString& path, const ReadLimits& limits,
                                        const ReadProgress& progress);

// cmdAppend once the user said Yes: the append for the sensor, its messages,
// then the count (or that nothing was appended) and the archive. A failure of
// the whole append is logged, reported, and stores nothing. Returns how many
// readings were appended.
int appendChecked(app::AppState& state, app::Prompter& prompter,
                  const sensors::CurrentSensor& sensor, const TextTable& table,
                  const std::vector<std::uint8_t>& ticks, DateLayout layout,
                  const Progress& progress = {});
// The same for a streamed file: the lines shown with their ticks, the others
// as proposed.
int appendChecked(app::AppState& state, app::Prompter& prompter,
                  const sensors::CurrentSensor& sensor, const TextFile& file,
                  const LineTicks& ticks, DateLayout layout, const Progress& progress = {});

} // namespace importer
