#include "app/shell/StartUp.h"

#include "app/FileReplace.h"
#include "app/Manual.h"
#include "app/Pictures.h"
#include "app/Texts.h"
#include "app/shell/ServerLogin.h"
#include "maintenance/Upgrade.h"
#include "migration/JetFile.h"
#include "migration/Texts.h"
#include "sensors/SensorRecord.h"
#include "store/RowSet.h"
#include "store/Schema.h"
#include "store/SchemaVersion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include <stdexcept>

namespace app {

void setFolders(AppState& state, const QString& documentsFolder) {
    const QString data = dataFolderOf(documentsFolder);
    state.setDataFolder(QFileInfo(data).path(), data);
}

std::unique_ptr<QLockFile> acquireInstanceLock(const QString& dataFolder) {
    QDir().mkpath(dataFolder);
    auto lock = std::make_unique<QLockFile>(dataFolder + QLatin1Char('/') + texts::LockFileName);
    // Only a running owner counts: the lock's age never makes it stale, and a
    // lock whose process is gone is removed by tryLock.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) return lock;
    if (lock->error() == QLockFile::LockFailedError) return nullptr;
    // No lock can be made here (a read-only folder, say): the connection that
    // follows reports the real trouble.
    return std::make_unique<QLockFile>(QString());
}

ConnectionPrefetch::~ConnectionPrefetch() {
    if (opened_.valid()) opened_.wait();
}

void ConnectionPrefetch::start(const QString& path) {
    if (opened_.valid() || !QFileInfo(path).isFile()) return;
    path_ = path;
    opened_ = std::async(std::launch::async, [path] { return store::Database::open(path); });
}

std::unique_ptr<store::Database> ConnectionPrefetch::take(const QString& path) {
    if (!opened_.valid()) return nullptr;
    auto opened = std::move(opened_);
    try {
        auto db = opened.get();
        if (path == path_) return db;
    } catch (const store::Error& e) {
        // A lock met just now would only be waited for a second time.
        const int primary = e.number() & 0xff;
        if (path == path_ && (primary == store::code::Busy || primary == store::code::Locked))
            throw;
    } catch (...) {
    }
    return nullptr;
}

namespace {

// A file the user marked read-only is respected even by a program that could
// write it anyway (an administrator's): the mode bits count, not only whether
// this user may write ("User" is the latter, worked out by the system).
bool fileIsReadOnly(const QString& path) {
    const QFileInfo info(path);
    constexpr auto anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !info.isWritable() || !(info.permissions() & anyWrite);
}

// A file of an older schema is brought up to date once, and the user told; one
// that is newer, or whose upgrade failed, is used read-only and never changed
// (false; told unless quiet).
bool bringUpToDate(AppState& state, const QString& path, bool quiet) {
    const QString fileName = QFileInfo(path).fileName();
    QString told;
    try {
        store::Database& db = *state.cnDatabase;
        if (maintenance::isNewerThanProgram(db)) {
            told = texts::newerSchema(fileName, store::schemaVersion(db),
                                      store::currentSchemaVersion());
        } else if (const auto done = maintenance::upgradeDatabase(db, state.DataFolder, path,
                                                                  state.env.clock->now().date())) {
            state.env.prompter->ask({texts::upgraded(fileName, done->from, done->to,
                                                     QDir::toNativeSeparators(done->backup)),
                                     texts::AppTitle, Icon::Information});
            return true;
        } else {
            return true;
        }
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        state.log.WriteLog(errorEntry(failure, texts::UpgradeLabel));
        told = texts::upgradeFailed(fileName, describeFailure(failure));
    }
    state.cnDatabase.reset();
    state.cnDatabase = store::Database::open(path, true);
    state.ReadOnly = true;
    if (!quiet) state.env.prompter->ask({told, texts::AppTitle, Icon::Warning});
    return false;
}

void tellReadOnly(const AppState& state, const QString& path) {
    const QString fileName = QFileInfo(path).fileName();
    const DatabaseLock& lock = *state.DBLock;
    QString text;
    if (lock.state() == DatabaseLock::State::HeldElsewhere) {
        const QString host = lock.ownerHost().isEmpty() ? texts::UnknownHost : lock.ownerHost();
        const QString user = lock.ownerUser().isEmpty() ? texts::UnknownUser : lock.ownerUser();
        text = texts::openElsewhere(fileName, host, user);
    } else {
        text = texts::cannotWrite(fileName);
    }
    state.env.prompter->ask({text, texts::AppTitle, Icon::Warning});
}

bool sameFile(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// A server's database: no lock file, no read-only copy and no file checks (the
// server shares it among its users and keeps it whole); the password is asked
// when the server wants one. One that cannot be used is never written.
bool connectServer(AppState& state, const QString& location, const QString& failureLabel) {
    state.DBLock.reset();
    state.DBPath = location;
    state.ReadOnly = false;
    QString reason;
    int number = store::code::NotADatabase;
    try {
        state.cnDatabase = connectToServer(location, *state.env.prompter, state.serverPassword);
        if (state.env.clock)
            state.cnDatabase->setActor(
                {store::systemUserName(), [clock = state.env.clock] { return clock->now(); }});
        reason = whyNotUsable(*state.cnDatabase, store::parseServerAddress(location));
    } catch (const store::Error& e) {
        reason = e.description();
        number = e.number();
    }
    if (reason.isEmpty()) return true;
    state.releaseDatabase();
    // The address without its password; the reason quotes one it cannot read
    // with the password hidden.
    const QString name = serverDisplayName(location);
    state.log.WriteLog(errorEntry(
        number, name.isEmpty() ? reason : reason + QStringLiteral(": ") + name, failureLabel));
    state.env.prompter->ask(
        {texts::couldNotConnectServer(name, reason), texts::ConnectionErrorTitle, Icon::Critical});
    return false;
}

} // namespace

bool connectDatabase(AppState& state, const QString& path, ConnectionPrefetch* prefetch,
                     const QString& failureLabel) {
    state.releaseDatabase();
    if (store::isServerAddress(path)) return connectServer(state, path, failureLabel);
    // Told once for a file, not again at each reconnection to it.
    const bool toldReadOnly = state.ReadOnly && state.DBPath == path;
    // A lock we hold is kept across a reconnection to its own file; one held
    // elsewhere is tried again, since its owner may have ended meanwhile.
    if (state.DBLock && !(state.DBLock->taken() && sameFile(state.DBLock->databasePath(), path)))
        state.DBLock.reset();
    state.DBPath = path;
    state.ReadOnly = false;

    QString reason = reasonBeforeOpening(path);
    int number = reason == texts::ReasonEmpty     ? store::code::NotADatabase
                 : reason == texts::ReasonDamaged ? store::code::Corrupt
                                                  : store::code::CantOpen;
    // The user said No to converting it; the engine would only call it no database.
    if (reason.isEmpty() && migration::isJetFile(path)) {
        reason = migration::texts::NotConverted;
        number = store::code::NotADatabase;
    }
    if (reason.isEmpty()) {
        try {
            if (!state.DBLock) state.DBLock = std::make_unique<DatabaseLock>(path);
            state.ReadOnly = !state.DBLock->taken() || fileIsReadOnly(path);
            auto prefetched = prefetch ? prefetch->take(path) : nullptr;
            if (state.ReadOnly)
                state.cnDatabase = store::Database::open(path, true);
            else
                state.cnDatabase = prefetched ? std::move(prefetched) : store::Database::open(path);
            // Changes are stamped by the program's clock, as every other "now".
            if (state.env.clock)
                state.cnDatabase->setActor(
                    {store::systemUserName(), [clock = state.env.clock] { return clock->now(); }});
            if (!state.cnDatabase->hasTable(store::table::Sensors)) {
                reason = texts::ReasonForeign;
                number = store::code::NotADatabase;
            }
        } catch (const store::Error& e) {
            reason = reasonFromEngine(e);
            number = e.number();
        }
    }
    if (!reason.isEmpty()) {
        state.releaseDatabase();
        state.DBLock.reset();
        state.ReadOnly = false;
        state.log.WriteLog(errorEntry(number, reason + QStringLiteral(": ") + path, failureLabel));
        state.env.prompter->ask(
            {texts::couldNotConnect(path, reason), texts::ConnectionErrorTitle, Icon::Critical});
        return false;
    }
    const bool byVersion = !state.ReadOnly && !bringUpToDate(state, path, toldReadOnly);
    if (state.ReadOnly) {
        if (!toldReadOnly && !byVersion) tellReadOnly(state, path);
    } else {
        // What a restore killed before its rename left beside the file; only
        // the holder of the lock knows it is nobody's work in progress.
        removeDatabaseFile(path + QStringLiteral(".part"));
    }
    return true;
}

void openConfiguration(AppState& state) {
    state.rsConfiguration = std::make_unique<store::RowSet>(
        *state.cnDatabase, QStringLiteral("SELECT * FROM Configuration ORDER BY SensorType"));
    state.rsConfiguration->MoveFirst();
}

void GetPrefs(AppState& state) {
    logAndLeave(state.log, texts::GetPrefsLabel, [&] {
        state.rsPrefs = std::make_unique<store::RowSet>(
            *state.cnDatabase, QStringLiteral("SELECT Prefs.* FROM Prefs;"));
        store::RowSet& prefs = *state.rsPrefs;
        prefs.MoveFirst();
        state.PrefMaxY = prefs.value(QStringLiteral("MaxY")).toString();
        state.PrefMinY = prefs.value(QStringLiteral("MinY")).toString();
        state.PrefMinX = prefs.value(QStringLiteral("MinX")).toString();
        state.PrefMaxX = prefs.value(QStringLiteral("MaxX")).toString();
    });
}

QStringList openRegister(AppState& state, RegisterOrder order) {
    const QString orderBy = order == RegisterOrder::HighestFirst
                                ? QStringLiteral(" ORDER BY InstrumentID DESC;")
                                : QStringLiteral(" ORDER BY InstrumentID;");
    state.rsSensors.reset();
    state.rsSensors = std::make_unique<store::RowSet>(
        *state.cnDatabase, QStringLiteral("SELECT Sensors.* FROM Sensors") + orderBy);
    // The numbers are kept beside the keyset: the list, a filter and a removed
    // filter read them without another pass of the register.
    state.rsSensors->keepColumn(QStringLiteral("InstrumentID"));
    const QStringList numbers = sensors::sensorNumbers(*state.rsSensors);
    if (!numbers.isEmpty()) state.rsSensors->MoveFirst();
    return numbers;
}

void tellNoSensors(Prompter& prompter) {
    prompter.ask({texts::NoSensors, texts::Title, Icon::Warning});
}

} // namespace app
