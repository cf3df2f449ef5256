// A database of an older schema version brought up to date when it is opened
// for writing: a checked backup first, then the schema's steps in one
// transaction.
#pragma once

#include "store/Database.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>

namespace maintenance {

// The tag of the backup made before an upgrade.
inline const QString BeforeUpgradeTag = QStringLiteral("before-upgrade");

struct Upgraded {
    int from = 0;
    int to = 0;
    QString backup; // the copy of the file as it was
};

// True when the file was written by a newer program: it must not be changed.
bool isNewerThanProgram(store::Database& db);

// Brings the database at path, open for writing as db, up to the current
// version: nothing when it is current. The backup goes to the data folder's
// backup folder as "<prefix>_<date>_before-upgrade.mdb" and is checked before
// any step runs. Throws store::Error, leaving the file as it was (a newer file
// is refused). afterStep: see store::upgradeSchema.
std::optional<Upgraded> upgradeDatabase(store::Database& db, const QString& dataFolder,
                                        const QString& path, const QDate& today,
                                        const std::function<void(int)>& afterStep = {});

} // namespace maintenance
