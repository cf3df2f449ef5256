// Table and column names of the database file, the file made on a first
// installation, and the copy of the reading-table template.
#pragma once

#include "store/Database.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace store {

namespace table {
inline const QString Sensors = QStringLiteral("Sensors");
inline const QString Configuration = QStringLiteral("Configuration");
inline const QString Prefs = QStringLiteral("Prefs");
inline const QString NetworkConfig = QStringLiteral("NetworkConfig");
inline const QString Template = QStringLiteral("sensordata");
} // namespace table

// The columns of Sensors in the order the sensor record is stored.
QStringList sensorColumns();
// The columns of every reading table; the first fourteen in this physical order.
QStringList readingColumns();

// Every CREATE statement of the schema, from the first installation's tables to
// the last step's: what names the schema defines.
QStringList schemaDefinitions();

// Creates a database file with the fixed tables, the template, one Configuration
// row and one Prefs row. Only for a first installation: fails when the file
// exists. The file appears complete or not at all (built aside, then renamed).
void createDatabaseFile(const QString& path);

// Makes the schema of a new database in an empty database on a server: the
// same tables as a new file's. Refuses a database that holds any table.
void createServerSchema(Database& db);

// Creates table `name` from the template's own definition (columns, order,
// types, constraints and indexes), with none of the template's rows.
void copyTemplate(Database& db, const QString& name);

} // namespace store
