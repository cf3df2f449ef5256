// What the window's panels share: connection, paths, row sets and the
// preferences. Owned by the main window and passed by reference; there are no
// globals. The current sensor is handed on by the sensor panel; the choices of
// modal windows are their return values, not state.
#pragma once

#include "app/DatabaseLock.h"
#include "app/Environment.h"
#include "app/Log.h"
#include "levels/SensorStatus.h"
#include "store/Database.h"
#include "store/RowSet.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>

namespace app {

// The password a server's database was opened with, for a reconnection in the
// same session (a reload, a backup): kept in memory only, never written to a
// file or the log. address is the server's address without a password.
struct ServerPassword {
    QString address;
    QString password;
};

struct AppState {
    explicit AppState(const Environment& environment)
        : env(environment), log(QString(), environment.clock) {}

    Environment env;
    Log log;

    // Paths. MakerFolder is the documents folder + "/Vornhald"; DataFolder adds
    // "/Tolvane".
    QString MakerFolder;
    QString DataFolder;
    QString DBPath;

    // The lock of the database file at DBPath while this program writes to it;
    // kept across a reconnection to the same file (backup, restore), so that no
    // other program takes the file in between. Declared before the connection:
    // it is given back after the connection closes.
    std::unique_ptr<DatabaseLock> DBLock;
    // The connection is read-only: another program holds the lock, or the file
    // cannot be written. Nothing then writes, compacts or restores the file.
    bool ReadOnly = false;

    std::unique_ptr<store::Database> cnDatabase;
    ServerPassword serverPassword;
    std::unique_ptr<store::RowSet> rsSensors;
    std::unique_ptr<store::RowSet> rsSensorData;
    std::unique_ptr<store::RowSet> rsConfiguration;
    std::unique_ptr<store::RowSet> rsPrefs;
    std::unique_ptr<store::RowSet> rsNetworkConfig;
    std::unique_ptr<store::RowSet> rsGraphData;
    // The sensors' statuses, kept up to date on the connection (see board()).
    std::unique_ptr<levels::StatusBoard> statusBoard;

    // The preferences.
    QString PrefMaxY, PrefMinY, PrefMinX, PrefMaxX;

    // The connection and the register, for routines that cannot go on without
    // them: a missing one raises store::Error, which the routine's label logs.
    store::Database& database() const {
        if (!cnDatabase)
            throw store::Error(store::code::Misuse, QStringLiteral("no database is open"));
        return *cnDatabase;
    }
    store::RowSet& sensorRegister() const {
        if (!rsSensors)
            throw store::Error(store::code::Misuse, QStringLiteral("no sensor register is open"));
        return *rsSensors;
    }

    // The status board of the connection in use; a new one after the
    // connection changed (a restore, another database).
    levels::StatusBoard& board() {
        store::Database& db = database();
        if (!statusBoard || statusBoard->serial() != db.serial())
            statusBoard = std::make_unique<levels::StatusBoard>(db);
        return *statusBoard;
    }

    // Row sets first: none may outlive the connection it reads.
    void releaseDatabase() {
        statusBoard.reset();
        rsSensorData.reset();
        rsGraphData.reset();
        rsNetworkConfig.reset();
        rsPrefs.reset();
        rsConfiguration.reset();
        rsSensors.reset();
        cnDatabase.reset();
    }

    // The data folder also decides where failures are logged.
    void setDataFolder(const QString& makerFolder, const QString& dataFolder) {
        MakerFolder = makerFolder;
        DataFolder = dataFolder;
        log.setFolder(dataFolder);
    }
};

} // namespace app
