// The start-up, shutdown and main-window texts, character for character.
#pragma once

#include <QString>

namespace app::texts {

inline const QString AppTitle = QStringLiteral("Tolvane");
inline const QString Title = QStringLiteral("Vornhald's Tolvane");
inline const QString WindowCaption = QStringLiteral("Tolvane MPBX/ROVA");
inline const QString ReadOnlyCaption = QStringLiteral(" (read-only)");

// Why a save of typed values failed, in the user's words.
inline const QString WhyLocked = QStringLiteral("the database is locked by another program");
inline const QString WhyDiskFull = QStringLiteral("the disk is full");
inline const QString WhyReadOnly = QStringLiteral("the database is open read-only");
inline const QString WhyWriteFailed = QStringLiteral("the database file could not be written");
inline const QString WhyCannotOpen = QStringLiteral("the database file could not be opened");
inline const QString WhyDamaged = QStringLiteral("the database file is damaged");
inline const QString WhyWrongKind = QStringLiteral("a value is not of the kind its column holds");
inline const QString WhyUnknown = QStringLiteral("an unexpected failure");
inline QString notANumber(const QString& typed) {
    return QStringLiteral("\u2018%1\u2019 is not a number").arg(typed);
}
inline QString notANumberComma(const QString& typed) {
    return notANumber(typed) + QStringLiteral(": use a point as the decimal mark");
}

inline const QString AlreadyRunning =
    QStringLiteral("Tolvane is already running\r\nCannot load program again");
inline const QString LocationNotFound =
    QStringLiteral("The alternate database file path location could not be found\r\n"
                   "The default path will be used\r\n"
                   "You can edit the location on the '6. Utilities' tab");
inline const QString CouldNotConnect =
    QStringLiteral("ERROR: could not connect to database\r\nProgram must exit");
inline const QString ConnectionErrorTitle = QStringLiteral("Database connection error");
// The lines after CouldNotConnect: the file's path, then why it would not do.
inline QString couldNotConnect(const QString& path, const QString& reason) {
    return CouldNotConnect + QStringLiteral("\r\n") + path + QStringLiteral("\r\n") + reason;
}
inline const QString ReasonMissing = QStringLiteral("The file does not exist");
inline const QString ReasonFolder = QStringLiteral("The path names a folder, not a database file");
inline const QString ReasonNoPermission =
    QStringLiteral("Tolvane may not read the file or the folder it is in");
inline const QString ReasonEmpty = QStringLiteral("The file is empty (0 bytes)");
inline const QString ReasonNotADatabase = QStringLiteral("The file is not a database");
inline const QString ReasonDamaged = QStringLiteral("The file is damaged or cut short");
inline const QString ReasonForeign =
    QStringLiteral("The file is a database, but not a Tolvane database (it has no Sensors table)");
inline const QString ReasonBusy = QStringLiteral("Another program holds a lock on the file");
inline QString reasonOther(const QString& engineMessage) {
    return QStringLiteral("The database engine reports: ") + engineMessage;
}
// A database this program may read but not write.
inline QString openElsewhere(const QString& fileName, const QString& host, const QString& user) {
    return fileName + QStringLiteral(" is open in Tolvane on ") + host + QStringLiteral(" (") +
           user + QStringLiteral("); it is opened read-only");
}
inline QString cannotWrite(const QString& fileName) {
    return fileName + QStringLiteral(" cannot be written (the file or its folder is read-only); "
                                     "it is opened read-only");
}
inline QString upgraded(const QString& fileName, int from, int to, const QString& backup) {
    return QStringLiteral("%1 was brought up to date (schema version %2 to %3). A copy of it as it "
                          "was is kept as %4.")
        .arg(fileName)
        .arg(from)
        .arg(to)
        .arg(backup);
}
inline QString newerSchemaKept(const QString& fileName, int version, int known) {
    return QStringLiteral("%1 was written by a newer version of Tolvane (schema version %2; this "
                          "version knows up to %3): nothing in it is changed")
        .arg(fileName)
        .arg(version)
        .arg(known);
}
inline QString newerSchema(const QString& fileName, int version, int known) {
    return newerSchemaKept(fileName, version, known) + QStringLiteral("; it is opened read-only");
}
inline QString upgradeFailed(const QString& fileName, const QString& reason) {
    return QStringLiteral("%1 could not be brought up to date (%2); it is left exactly as it was "
                          "and opened read-only")
        .arg(fileName, reason);
}
inline const QString UpgradeLabel = QStringLiteral(" Module1_UpgradeSchema");
inline const QString UnknownHost = QStringLiteral("another computer");
inline const QString UnknownUser = QStringLiteral("unknown user");
inline const QString NoSensors = QStringLiteral("There are no sensors in the database, \r\n"
                                                "click the ADD NEW button to begin using Tolvane");
inline QString errorCompacting(const QString& fileName) {
    return QStringLiteral("Error compacting ") + fileName;
}
inline const QString DatabaseFilter = QStringLiteral("MPBX Database (*.mdb) | *.mdb");

// A database on a server.
// The title shows which one is in use: "Tolvane MPBX/ROVA - site on host:5432 as user".
inline QString serverCaption(const QString& displayName) {
    return WindowCaption + QStringLiteral(" - ") + displayName;
}
inline const QString PasswordTitle = QStringLiteral("Database password");
inline QString passwordPrompt(const QString& user, const QString& displayName) {
    return QStringLiteral("Password of the user \"%1\" for %2:").arg(user, displayName);
}
// Asked again after a refusal: the refusal first.
inline QString passwordAgain(const QString& refusal, const QString& prompt) {
    return refusal + QStringLiteral("\r\n\r\n") + prompt;
}
// The connection message of a server: its name (none when the address itself
// cannot be read; the reason then quotes it), then why.
inline QString couldNotConnectServer(const QString& displayName, const QString& reason) {
    return displayName.isEmpty() ? CouldNotConnect + QStringLiteral("\r\n") + reason
                                 : couldNotConnect(displayName, reason);
}
inline QString initHint(const QString& url) {
    return QStringLiteral("To make a new Tolvane database in an empty database on the server, "
                          "run:\r\ntolvane-cli --database %1 init")
        .arg(url);
}
inline QString serverDatabaseEmpty(const QString& displayName, const QString& url) {
    return QStringLiteral("The database %1 is empty: it holds no Tolvane database yet.\r\n")
               .arg(displayName) +
           initHint(url);
}
inline QString serverDatabaseForeign(const QString& displayName, const QString& url) {
    return QStringLiteral("The database %1 is not a Tolvane database (it has no Sensors "
                          "table). Choose another database.\r\n")
               .arg(displayName) +
           initHint(url);
}
inline QString serverSchemaNewer(const QString& displayName, int version, int known) {
    return QStringLiteral("The database %1 was written by a newer version of Tolvane (schema "
                          "version %2; this version knows up to %3). Use the newer version; "
                          "nothing in the database is changed.")
        .arg(displayName)
        .arg(version)
        .arg(known);
}
inline QString serverSchemaOlder(const QString& displayName, int version, int known) {
    return QStringLiteral("The database %1 is of schema version %2, older than this version of "
                          "Tolvane's %3. Its administrator must back it up and bring it up to "
                          "date before Tolvane can use it; nothing in it is changed.")
        .arg(displayName)
        .arg(version)
        .arg(known);
}
inline const QString ServerChoiceTitle = QStringLiteral("Change Database Location");
// The choice between a file and a server.
inline const QString LocationDialogTitle = QStringLiteral("Change Database Location");
// One user's file: several users share a server, never a file in a shared folder.
inline const QString LocationFileOption = QStringLiteral("A database file on this computer");
inline const QString LocationServerOption =
    QStringLiteral("A database on a PostgreSQL server, shared by the team");
inline const QString HostCaption = QStringLiteral("Server (host):");
inline const QString PortCaption = QStringLiteral("Port:");
inline const QString DatabaseCaption = QStringLiteral("Database:");
inline const QString UserCaption = QStringLiteral("User:");
inline const QString PasswordNote =
    QStringLiteral("The password is asked when Tolvane connects, and is never saved.");
inline const QString HostPlaceholder = QStringLiteral("this computer");
inline const QString PortPlaceholder = QStringLiteral("5432");
inline const QString UserPlaceholder = QStringLiteral("your login name");
inline const QString DatabaseMissing = QStringLiteral("Type the name of the database.");
inline const QString PortInvalid =
    QStringLiteral("The port is a number from 1 to 65535 (empty: the usual 5432).");

// Failure labels of the log.
inline const QString FormLoad = QStringLiteral(" Form_Load");
inline const QString FormUnload = QStringLiteral(" Form_Unload");
inline const QString CompactLabel = QStringLiteral(" G_CompactDB");
inline const QString PurgeLabel = QStringLiteral(" G_PurgeRecycleArea");
inline const QString GetPrefsLabel = QStringLiteral(" Module1_GetPrefs");
inline const QString ChangeLocationLabel = QStringLiteral(" Image3_Click");

// Files of the data folder.
inline const QString LocationFileName = QStringLiteral("mpbx_location.txt");
inline const QString DefaultDatabaseName = QStringLiteral("TolvaneMPBX.mdb");
inline const QString LogoFileName = QStringLiteral("vnlogo.jpg");
inline const QString LockFileName = QStringLiteral("tolvane.lock");

// The maker's web site, opened from the Utilities tab.
inline const QString WebSite = QStringLiteral("https://www.vornhald.example/");

} // namespace app::texts
