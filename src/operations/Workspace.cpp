#include "app/DataFolder.h"
#include "app/Texts.h"
#include "maintenance/Upgrade.h"
#include "migration/JetFile.h"
#include "migration/Texts.h"
#include "operations/Operations.h"
#include "operations/Texts.h"
#include "store/Schema.h"
#include "store/SchemaVersion.h"
#include "store/ServerAddress.h"

#include <QDir>

namespace operations {

Workspace openWorkspace(const QString& documentsFolder, const QString& database) {
    Workspace w;
    w.dataFolder = app::dataFolderOf(documentsFolder);
    // Read before the folder is prepared: the first start decides from it
    // whether the default database is made.
    const QString located = app::databasePathFromLocationFile(w.dataFolder, nullptr);
    // A server's address is no path: it is kept as given.
    const QString chosen = database.isEmpty() ? located : database;
    if (store::isServerAddress(chosen))
        w.database = chosen.trimmed();
    else
        w.database = database.isEmpty() ? located : QFileInfo(database).absoluteFilePath();
    app::prepareDataFolder(w.dataFolder, w.database == app::defaultDatabasePath(w.dataFolder));
    if (!QFileInfo(w.dataFolder).isDir())
        throw store::Error(store::code::CantOpen,
                           QStringLiteral("cannot make the data folder ") + w.dataFolder);
    return w;
}

std::unique_ptr<store::Database> connectServer(const QString& address) {
    // A typo in the address is told in plain words before any connection.
    const store::ServerAddress parsed = store::parseServerAddress(address);
    try {
        return store::Database::connect(address);
    } catch (const store::Error& e) {
        QString why = store::connectionFailureText(e.description(), parsed);
        // Asked for a password and given none: a scheduled job has no one
        // to type it, so it is never asked for; say where it goes instead.
        if (e.number() == store::code::Auth && parsed.password.isEmpty())
            why += texts::HowToGivePassword;
        throw store::Error(e.number(), why);
    }
}

namespace {

// A server's database for the operations: ours, of this program's version.
std::unique_ptr<store::Database> connectToServer(const QString& address, bool readOnly,
                                                 const std::function<void(const QString&)>& tell) {
    std::unique_ptr<store::Database> db = connectServer(address);
    if (!db->hasTable(store::table::Sensors))
        throw store::Error(store::code::NotADatabase,
                           db->tableNames().isEmpty() ? texts::emptyServerDatabase(db->path())
                                                      : texts::foreignServerDatabase(db->path()));
    if (readOnly) return db;
    const int from = store::schemaVersion(*db);
    if (maintenance::isNewerThanProgram(*db))
        throw store::Error(
            store::code::ReadOnly,
            app::texts::newerSchemaKept(db->path(), from, store::currentSchemaVersion()));
    // The server's backups are its administrator's business: no copy first,
    // but the steps run in one transaction, all or nothing.
    if (from < store::currentSchemaVersion()) {
        store::upgradeSchema(*db);
        if (tell) tell(texts::serverUpgraded(db->path(), from, store::schemaVersion(*db)));
    }
    return db;
}

} // namespace

QString initDatabase(const Workspace& workspace) {
    if (store::isServerAddress(workspace.database)) {
        std::unique_ptr<store::Database> db = connectServer(workspace.database);
        store::createServerSchema(*db);
        return texts::madeServerSchema(db->path());
    }
    store::createDatabaseFile(workspace.database);
    return texts::madeFile(QDir::toNativeSeparators(workspace.database));
}

std::unique_ptr<store::Database> connect(const Workspace& workspace, bool readOnly,
                                         const QDate& today,
                                         const std::function<void(const QString&)>& tell) {
    const QString& path = workspace.database;
    if (store::isServerAddress(path)) return connectToServer(path, readOnly, tell);
    if (const QString reason = app::reasonBeforeOpening(path); !reason.isEmpty())
        throw store::Error(store::code::CantOpen, reason + QStringLiteral(": ") + path);
    // Nothing here may ask whether to convert it: the tool's own command does.
    if (migration::isJetFile(path))
        throw store::Error(store::code::NotADatabase, migration::texts::useMigrate(path));
    std::unique_ptr<store::Database> db;
    try {
        db = store::Database::open(path, readOnly);
    } catch (const store::Error& e) {
        throw store::Error(e.number(), app::reasonFromEngine(e) + QStringLiteral(": ") + path);
    }
    if (!db->hasTable(store::table::Sensors))
        throw store::Error(store::code::NotADatabase,
                           app::texts::ReasonForeign + QStringLiteral(": ") + path);
    if (readOnly) return db;
    // Written to only when it is of this program's version: an older file is
    // brought up to date first, a newer one refused.
    const QString fileName = QFileInfo(path).fileName();
    if (maintenance::isNewerThanProgram(*db))
        throw store::Error(store::code::ReadOnly,
                           app::texts::newerSchemaKept(fileName, store::schemaVersion(*db),
                                                       store::currentSchemaVersion()));
    if (const auto done = maintenance::upgradeDatabase(*db, workspace.dataFolder, path, today))
        if (tell)
            tell(app::texts::upgraded(fileName, done->from, done->to,
                                      QDir::toNativeSeparators(done->backup)));
    return db;
}

void writeTransaction(store::Database& db, const std::function<void()>& f) {
    // Taken at once, so that a writer waits at the start rather than failing
    // halfway when another program writes.
    db.immediateTransaction([&] {
        // A compaction or restore renames a new file over this one: what is
        // written to the old one would be lost.
        if (db.hasMoved())
            throw store::Error(store::code::Busy,
                               QStringLiteral("the database file was replaced while it was open; "
                                              "run the command again: ") +
                                   db.path());
        f();
    });
}

} // namespace operations
