// Opening a logger file through the text driver: Schema.ini written for the
// import and removed again, the file copied to the working copy datafile.txt
// in the data folder, and the copy read as a row set.
#pragma once

#include "app/AppState.h"
#include "importer/TextTable.h"

#include <QString>

#include <memory>

namespace importer {

// True when path names an existing file; any failure answers false.
bool FileExists(const QString& path) noexcept;

// The logger file at path as the text driver reads it: Schema.ini written
// for the moment, the file copied to the working copy in the data folder, the
// copy read. Nothing when there is no such file.
std::unique_ptr<TextTable> openLoggerFile(const QString& dataFolder, const QString& path);

// OpenTroveData: sets NoTroveData and, when the chosen file exists, returns
// the rows of its working copy (rsTroveData); otherwise nothing, and an
// earlier working copy stays as it was. Schema.ini is gone afterwards,
// whatever happened. Failures throw (store::Error) to the import command.
std::unique_ptr<TextTable> OpenTroveData(app::AppState& state, const QString& fileName,
                                         const QString& path);

} // namespace importer
