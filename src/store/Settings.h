// Settings the program keeps in the database beside the Prefs row, by name,
// in a table of its own that the schema's upgrade adds (version 2): the Prefs
// row stays exactly as it was.
#pragma once

#include "store/Database.h"

#include <QString>

#include <optional>

namespace store {

inline const QString SettingsTable = QStringLiteral("Settings");

// The stored text, or nothing when the setting (or the table) is not there.
std::optional<QString> readSetting(Database& db, const QString& name);
// Stores the text, replacing an earlier one. Throws store::Error.
void writeSetting(Database& db, const QString& name, const QString& value);

// A yes/no setting: "1" or "0"; anything else gives the default.
bool readFlag(Database& db, const QString& name, bool byDefault);
void writeFlag(Database& db, const QString& name, bool value);

} // namespace store
