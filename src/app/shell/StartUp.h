// The window's steps of start-up and of a change of database that need no
// widgets: its folders, its single-instance lock, the connection, Configuration,
// Prefs and the sensor register.
#pragma once

#include "app/DataFolder.h"
#include "app/shell/AppState.h"

#include <QLockFile>
#include <QProcessEnvironment>
#include <QStringList>

#include <future>
#include <memory>

namespace app {

// Sets MakerFolder (documents + "/Vornhald") and DataFolder (+ "/Tolvane").
void setFolders(AppState& state, const QString& documentsFolder);

// The single-instance lock in the data folder. Null when another instance
// holds it. A lock left by a process that no longer runs is taken over; a
// folder where no lock can be made at all does not stop the program.
std::unique_ptr<QLockFile> acquireInstanceLock(const QString& dataFolder);

// Opens a database on a worker thread ahead of start-up. SQLite reads the whole
// schema when a file is opened, about 20 microseconds for each sensor's table;
// with a thousand sensors that is worth doing while the window is being built.
// The connection is handed over only when start-up asks for the same path.
class ConnectionPrefetch {
public:
    ConnectionPrefetch() = default;
    ConnectionPrefetch(const ConnectionPrefetch&) = delete;
    ConnectionPrefetch& operator=(const ConnectionPrefetch&) = delete;
    ~ConnectionPrefetch();

    // Starts opening path, when it names a file.
    void start(const QString& path);
    // The connection opened ahead to path, or null (another path, none started,
    // or the open failed: the caller then opens it again and sees why). A lock
    // that kept it from opening is rethrown rather than waited for again.
    std::unique_ptr<store::Database> take(const QString& path);

private:
    QString path_;
    std::future<std::unique_ptr<store::Database>> opened_;
};

// Opens path as the state's connection (the old one released first), taking the
// prefetched one when it is to the same path. The database lock beside the file
// decides the access: a file another program holds, or one that cannot be
// written, is opened read-only and said so once. A file that will not do (none,
// a folder, empty, not a database, not ours, locked) is never written: its
// path and the reason are shown under the connection message and logged with
// failureLabel, and the result is false. A server's address is connected to
// (see connectToServer); a database there that cannot be used is told the same
// way.
bool connectDatabase(AppState& state, const QString& path, ConnectionPrefetch* prefetch = nullptr,
                     const QString& failureLabel = QStringLiteral(" Form_Load"));

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
