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
