// The import's steps as the window takes them: the current sensor of the
// application state, the user told through the prompter.
#pragma once

#include "app/shell/AppState.h"
#include "importer/Append.h"
#include "importer/TroveData.h"

namespace importer {

// OpenTroveData: sets NoTroveData and, when the chosen file exists, returns
// the rows of its working copy (rsTroveData); otherwise nothing, and an
// earlier working copy stays as it was. Schema.ini is gone afterwards,
// whatever happened. Failures throw (store::Error) to the import command.
std::unique_ptr<TextTable> OpenTroveData(app::AppState& state, const QString& fileName,
                                         const QString& path);

// cmdAppend once the user said Yes: the append for the current sensor, its
// messages, then the count (or that nothing was appended) and the archive.
// A failure of the whole append is logged, reported, and stores nothing.
// Returns how many readings were appended.
int appendChecked(app::AppState& state, app::Prompter& prompter, const TextTable& table,
                  const std::vector<std::uint8_t>& ticks, DateLayout layout,
                  const Progress& progress = {});

} // namespace importer
