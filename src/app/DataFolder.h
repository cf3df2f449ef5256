// The data folder: where it is, the location file that names the database in
// use, the first installation, and why a file will not do as the database.
// The window and the command-line tool find and prepare it alike.
#pragma once

#include "app/Environment.h"
#include "store/Error.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace app {

// The documents folder: "--documents DIR" (or "--documents=DIR") on the command
// line, else TOLVANE_DOCUMENTS, else the platform's documents folder. Trimmed.
QString
GetSpecialPath(const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// documents + "/Vornhald/Tolvane".
QString dataFolderOf(const QString& documentsFolder);

QString defaultDatabasePath(const QString& dataFolder);

// The database path from the location file: its first line, or the default
// path (with a message when the file exists but its first line is empty; none
// when prompter is null). A server's address comes back exactly as written.
QString databasePathFromLocationFile(const QString& dataFolder, Prompter* prompter);

// Replaces the location file's content with the one line path. A server address
// is written without its password; one that cannot be read throws store::Error
// and writes nothing. Throws on failure.
void writeLocationFile(const QString& dataFolder, const QString& path);

// The first installation: the data folder, and when the default database is the
// one in use, that database; the logo and the manual when they are missing.
// Never creates a path named by the location file.
void prepareDataFolder(const QString& dataFolder, bool makeDefaultDatabase);

// Why path cannot be the database, as far as can be seen without opening it;
// empty when nothing is seen, and always for a server's address.
QString reasonBeforeOpening(const QString& path);
// Why the engine would not open or read the file, in the user's words.
QString reasonFromEngine(const store::Error& e);

} // namespace app
