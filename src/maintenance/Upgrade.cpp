#include "maintenance/Upgrade.h"

#include "maintenance/Backup.h"
#include "store/SchemaVersion.h"

namespace maintenance {

bool isNewerThanProgram(store::Database& db) {
    return store::schemaVersion(db) > store::currentSchemaVersion();
}

std::optional<Upgraded> upgradeDatabase(store::Database& db, const QString& dataFolder,
                                        const QString& path, const QDate& today,
                                        const std::function<void(int)>& afterStep) {
    const int from = store::schemaVersion(db);
    if (from == store::currentSchemaVersion()) return std::nullopt;
    if (from > store::currentSchemaVersion())
        throw store::Error(store::code::Error,
                           QStringLiteral("%1 is of schema version %2, newer than this program's %3")
                               .arg(path)
                               .arg(from)
                               .arg(store::currentSchemaVersion()));
    Upgraded done;
    done.from = from;
    // The copy is read through the engine: this connection stays open.
    done.backup = makeBackup(dataFolder, path, today, {}, true, BeforeUpgradeTag);
    store::upgradeSchema(db, afterStep);
    done.to = store::schemaVersion(db);
    return done;
}

} // namespace maintenance
