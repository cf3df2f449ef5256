// The backup and restore texts, character for character, and their labels.
#pragma once

#include "app/Texts.h"
#include "store/Texts.h"

#include <QString>
#include <QStringList>

namespace maintenance::texts {

using app::texts::AppTitle;
using app::texts::Title;
using store::texts::TitleUpper;

// The backup folder in the data folder, and the name of a day's backup in it.
inline const QString BackupFolderName = QStringLiteral("MPBXbackup");
inline const QString BackupPrefix = QStringLiteral("MPBXbackup_");
// After the base name of a database other than the default one.
inline const QString BackupMark = QStringLiteral("backup_");
inline const QString BackupEnding = QStringLiteral(".mdb");

inline const QString ListHeading = QStringLiteral("List of Backups:");

inline const QString BackupSuccessful = QStringLiteral("Backup was successful");
inline QString backupFailed(const QString& fileName) {
    return QStringLiteral("Error encountered during backup process of ") + fileName;
}
inline const QString RestoreSuccessful = QStringLiteral("Restore was successful");
inline const QString RestoreFailed = QStringLiteral("Error encountered during restore process");
// A database opened read-only is never replaced.
inline QString noRestoreReadOnly(const QString& fileName) {
    return fileName + QStringLiteral(" is opened read-only\r\nNothing has been restored");
}
inline const QString ChooseAFile =
    QStringLiteral("Please choose a file from the list to restore from");
inline QString restoreQuestion(const QString& backupName) {
    return QStringLiteral("Restoring Tolvane from backup ") + backupName +
           QStringLiteral("\r\nwill permanently overwrite current database. Continue?");
}
// A file in the backup folder that is not a sound database of ours.
inline QString notABackup(const QString& backupName) {
    return QStringLiteral("The file ") + backupName +
           QStringLiteral(" is not a Tolvane database, or it is damaged\r\n"
                          "Nothing has been restored: the current database is unchanged");
}

// Failure labels of the log.
inline const QString BackupLabel = QStringLiteral(" G_BackupDB");
inline const QString RestoreLabel = QStringLiteral(" G_RestoreDB");
inline const QString BackupClickLabel = QStringLiteral(" imgBackup_Click");
inline const QString RestoreClickLabel = QStringLiteral(" imgRestore_Click");

// ------------------------------------------------------- a server's database
// %1 is the database's name ("site on host:5432 as user").

// After the database's name, and the ending of the server's backups.
inline const QString ServerBackupEnding = QStringLiteral(".dump");
// A database's name that leaves no file name.
inline const QString UnnamedServerDatabase = QStringLiteral("server");
inline QString clientProgramMissing(const QString& program, const QString& purpose) {
    return QStringLiteral("%1, the PostgreSQL client program that %2, is not installed. On Debian "
                          "or Ubuntu install the package postgresql-client (sudo apt install "
                          "postgresql-client); elsewhere install the PostgreSQL client programs.")
        .arg(program, purpose);
}
inline const QString MakesTheBackup = QStringLiteral("makes the backup of a server's database");
inline const QString ChecksTheBackup = QStringLiteral("checks the backup");
inline QString pgDumpTooOld(const QString& dumpVersion, const QString& serverVersion,
                            const QString& serverMajor) {
    return QStringLiteral("The pg_dump installed here (version %1) is older than the database "
                          "server (version %2) and cannot back it up. Install the PostgreSQL "
                          "client programs of version %3 or newer (on Debian or Ubuntu the "
                          "package postgresql-client-%3).")
        .arg(dumpVersion, serverVersion, serverMajor);
}
inline QString backupDiskFull(const QString& database, const QString& folder) {
    return QStringLiteral("The backup of %1 did not fit: the disk of the backup folder %2 is "
                          "full. Make room there and back up again; the earlier backups are "
                          "untouched.")
        .arg(database, folder);
}
inline QString backupTableLocked(const QString& database) {
    return QStringLiteral("The backup of %1 waited too long for a table that another connection "
                          "holds locked (a change of the tables' layout, for example). Back up "
                          "again when that work has finished; the earlier backups are untouched.")
        .arg(database);
}
inline QString backupCancelled(const QString& database) {
    return QStringLiteral("The backup of %1 was cancelled; the earlier backups are untouched.")
        .arg(database);
}
inline QString backupStalled(const QString& database, qint64 minutes) {
    return QStringLiteral("The backup of %1 was stopped: pg_dump had made no progress for %2 "
                          "minutes. Check the connection to the server and back up again; the "
                          "earlier backups are untouched.")
        .arg(database, QString::number(minutes));
}
inline QString backupNotStarted(const QString& program) {
    return QStringLiteral("The backup could not start %1.").arg(program);
}
inline QString serverBackupFailed(const QString& database) {
    return QStringLiteral("pg_dump could not back up %1; the earlier backups are untouched.")
        .arg(database);
}
inline QString serverBackupUnreadable(const QString& database) {
    return QStringLiteral("The backup of %1 was made, but pg_restore cannot read it back, so it "
                          "was not kept; the earlier backups are untouched.")
        .arg(database);
}
inline QString cannotMakeFolder(const QString& folder) {
    return QStringLiteral("The backup folder %1 cannot be created.").arg(folder);
}
// The client program's own words, for the administrator, after the plain ones.
inline QString withProgramText(const QString& plain, const QString& program, const QString& text) {
    if (text.isEmpty()) return plain;
    // Its lines mostly name it already.
    return text.startsWith(program + QLatin1Char(':'))
               ? plain + QStringLiteral(" (%1)").arg(text)
               : plain + QStringLiteral(" (%1: %2)").arg(program, text);
}
// The Utilities tab's backup of a server's database.
inline QString serverBackupProgress(const QString& database) {
    return QStringLiteral("Backing up %1…").arg(database);
}
inline const QString ServerBackupTitle = QStringLiteral("Backup");
inline QString serverBackupDone(const QString& path) {
    return BackupSuccessful + QStringLiteral("\r\nThe backup is the file ") + path;
}
// %1 the database, %2 the server, %3 the backups' file names, %4 its URI.
inline QString serverRestoreRefused(const QString& database, const QString& server,
                                    const QString& files, const QString& url) {
    return QStringLiteral("Tolvane does not restore a database on a server: putting an earlier "
                          "copy of the database %1 back on the server at %2 is the business of "
                          "the server's administrator, who can first stop everyone's work on it. "
                          "The backups made here are the files %3 in the backup folder: pg_dump "
                          "archives, which pg_restore restores (for example pg_restore --clean "
                          "--dbname=\"%4\" <file>).")
        .arg(database, server, files, url);
}

// ---------------------------------------------------------------- the history

inline const QString RecordsHeading = QStringLiteral("Records:");
inline const QString HistoryCaption = QStringLiteral("History\u2026");
inline const QString HistoryTitle = QStringLiteral("History");
inline const QStringList HistoryColumns{
    QStringLiteral("When"),      QStringLiteral("Who"),        QStringLiteral("Operation"),
    QStringLiteral("Sensor"),    QStringLiteral("Reading(s)"), QStringLiteral("Old value"),
    QStringLiteral("New value"), QStringLiteral("Count"),      QStringLiteral("Note")};
inline const QString AllSensors = QStringLiteral("All sensors");
inline const QString SensorFilterCaption = QStringLiteral("Sensor:");
inline const QString FromCaption = QStringLiteral("From:");
inline const QString ToCaption = QStringLiteral("To:");
inline const QString CloseCaption = QStringLiteral("Close");
inline QString historyCount(qsizetype entries) {
    return entries == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(entries);
}
inline const QString HistoryClickLabel = QStringLiteral(" imgHistory_Click");

} // namespace maintenance::texts
