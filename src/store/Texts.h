// The store's own messages, character for character.
#pragma once

#include <QString>

namespace store::texts {

inline const QString AppTitle = QStringLiteral("Tolvane");
inline const QString TitleUpper = QStringLiteral("Vornhald's TOLVANE");

inline QString tableAlreadyExists(const QString& id) {
    return QStringLiteral("Table ") + id + QStringLiteral(" Already Exists");
}
inline QString overwriteTable(const QString& id) {
    return QStringLiteral("Table ") + id + QStringLiteral(" already exists") +
           QStringLiteral("\r\nDo you want to overwrite this table?");
}
inline const QString AddASensorFirst =
    QStringLiteral("Please add a sensor by clicking the 'Add New' button on the first tab\r\n"
                   "You will also need to enter the length and anchor location data in order to "
                   "add readings");
inline QString tableNotFound(const QString& id) {
    return QStringLiteral("The data table for Sensor ") + id +
           QStringLiteral(" could not be found\r\nA new table will be created");
}

} // namespace store::texts
