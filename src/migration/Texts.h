// The texts of the conversion of earlier versions' Jet files, kept in one place.
#pragma once

#include <QString>
#include <QStringList>

namespace migration::texts {

inline const QString OfferConversion = QStringLiteral(
    "This database was written by an earlier version of Tolvane. Convert it? A converted copy "
    "is written beside it; the original file is not changed.");
inline const QString Foreign =
    QStringLiteral("This file is a database of another program; nothing was converted");
inline QString foreign(const QStringList& tables) {
    return Foreign + QStringLiteral(". Tables found: ") +
           (tables.isEmpty() ? QStringLiteral("none") : tables.join(QStringLiteral(", "))) +
           QLatin1Char('.');
}
inline const QString NotJet = QStringLiteral("The file is not a database of an earlier version");
inline const QString Damaged =
    QStringLiteral("The file is damaged or cut short; nothing was converted");
inline const QString Password =
    QStringLiteral("The file is protected by a password; remove the password with the program "
                   "that set it, then convert it again. Nothing was converted");
inline const QString DamagedOrPassword =
    QStringLiteral("The file is damaged, or protected by a password; nothing was converted");
inline const QString Empty = QStringLiteral("The file is empty (0 bytes); nothing was converted");
inline const QString Folder =
    QStringLiteral("The path names a folder, not a database file; nothing was converted");
inline const QString Missing = QStringLiteral("The file does not exist");
inline const QString Unreadable = QStringLiteral("The file cannot be read");
inline const QString TargetExists =
    QStringLiteral("A file of the converted copy's name is there already; nothing was converted");
inline const QString VerifyFailed =
    QStringLiteral("The converted copy did not pass its check; nothing was converted");
inline const QString Cancelled =
    QStringLiteral("The conversion was cancelled; nothing was written");
inline const QString NotConverted = QStringLiteral(
    "The file was written by an earlier version of Tolvane and has not been converted");
inline QString converted(const QString& to, const QString& report) {
    return QStringLiteral("The database was converted to %1. The migration report is %2.")
        .arg(to, report);
}
inline QString useMigrate(const QString& path) {
    return QStringLiteral("the file was written by an earlier version of Tolvane; convert it "
                          "first with: tolvane-cli migrate \"%1\"")
        .arg(path);
}
inline const QString ProgressTitle = QStringLiteral("Converting the database");
inline QString copying(const QString& table) {
    return QStringLiteral("Copying %1").arg(table);
}
inline QString adopting(const QString& table) {
    return QStringLiteral("Converting %1").arg(table);
}
inline const QString ConvertLabel = QStringLiteral(" ConvertDatabase");

} // namespace migration::texts
