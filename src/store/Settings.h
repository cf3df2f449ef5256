// Settings the program keeps in the database beside the Prefs row, by name:
// a table of its own, made when the first setting is stored, so that older
// files and the Prefs row stay exactly as they were.
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
