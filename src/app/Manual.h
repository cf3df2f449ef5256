// The user manual, written into the data folder as a PDF by the program itself.
#pragma once

#include <QString>

namespace app {

inline const QString ManualFileName = QStringLiteral("TolvaneManual.pdf");

// Writes the manual to pdfPath (through a temporary file renamed into place).
// Returns false when it could not be written; nothing is left behind then.
bool writeManual(const QString& pdfPath);

} // namespace app
