// The database's schema version, and the one list of steps that brings a file
// of an older version up to date. Every file written before versions were
// recorded is version 1 (its user_version is 0).
#pragma once

#include "store/Database.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace store {

inline constexpr int FirstSchemaVersion = 1;

struct SchemaStep {
    int version; // the version the step brings the file to
    QString what;
    QStringList statements;
};
// In order, one per version after the first.
const std::vector<SchemaStep>& schemaSteps();
// The version this program writes.
int currentSchemaVersion();

// The file's version, as recorded (0 reads as 1).
int schemaVersion(Database& db);
void setSchemaVersion(Database& db, int version);

// Runs every step after the file's version, and records the new version, in
// one transaction taken at once: a failure, or the end of the program in the
// middle, leaves the file as it was. afterStep runs inside the transaction
// after each step (tests end the program there). Throws store::Error; a file
// newer than this program is refused. audited: the upgrade is written in the
// audit trail (not for a file being made).
void upgradeSchema(Database& db, const std::function<void(int version)>& afterStep = {},
                   bool audited = true);

} // namespace store
