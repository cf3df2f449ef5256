// The steps of start-up and of a change of database that need no window: the
// data folder, the location file, the first installation, the connection,
// Configuration, Prefs and the sensor register.
#pragma once

#include "app/AppState.h"

#include <QLockFile>
#include <QProcessEnvironment>
#include <QStringList>

#include <memory>

namespace app {

// The documents folder: "--documents DIR" (or "--documents=DIR") on the command
// line, else TOLVANE_DOCUMENTS, else the platform's documents folder. Trimmed.
QString
GetSpecialPath(const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// Sets MakerFolder (documents + "/Vornhald") and DataFolder (+ "/Tolvane").
void setFolders(AppState& state, const QString& documentsFolder);

QString defaultDatabasePath(const QString& dataFolder);

// The single-instance lock in the data folder. Null when another instance
// holds it. A lock left by a process that no longer runs is taken over; a
// folder where no lock can be made at all does not stop the program.
std::unique_ptr<QLockFile> acquireInstanceLock(const QString& dataFolder);

// The database path from the location file: its first line, or the default
// path (with a message when the file exists but its first line is empty).
QString databasePathFromLocationFile(const QString& dataFolder, Prompter& prompter);

// Replaces the location file's content with the one line path. Throws on failure.
void writeLocationFile(const QString& dataFolder, const QString& path);

// The first installation: the data folder, and when the default database is the
// one in use, that database; the logo and the manual when they are missing.
// Never creates a path named by the location file.
void prepareDataFolder(const QString& dataFolder, bool makeDefaultDatabase);

// Opens path as the state's connection (the old one released first). On failure
// shows the connection message and returns false.
bool connectDatabase(AppState& state, const QString& path);

// rsConfiguration, moved to its first row: throws when the table is missing or empty.
void openConfiguration(AppState& state);

// rsPrefs and the four Pref values; a failure is logged and start-up goes on.
void GetPrefs(AppState& state);

enum class RegisterOrder { HighestFirst, LowestFirst };

// rsSensors over the whole register in the given order, on its first row (when
// it has one). Returns the sensor numbers in that order for the sensor list.
QStringList openRegister(AppState& state, RegisterOrder order);

// The message that the register is empty.
void tellNoSensors(Prompter& prompter);

} // namespace app
