// Opening a logger file through the text driver: Schema.ini written for the
// import and removed again, the file copied to the working copy datafile.txt
// in the data folder, and the copy read as a row set.
#pragma once

#include "app/Log.h"
#include "importer/TextFile.h"
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

// The same for a file of any size: held whole up to limits.wholeFileBytes
// (then as openLoggerFile reads it), otherwise streamed from the working
// copy. progress is told the bytes copied and then read, of twice the file's
// size.
std::unique_ptr<TextFile> openLoggerText(const QString& dataFolder, const QString& path,
                                         const ReadLimits& limits = {},
                                         const ReadProgress& progress = {});

} // namespace importer
