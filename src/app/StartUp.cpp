#include "app/StartUp.h"

#include "app/Manual.h"
#include "app/Pictures.h"
#include "app/Texts.h"
#include "sensors/SensorRecord.h"
#include "store/RowSet.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include <stdexcept>

namespace app {

QString GetSpecialPath(const QStringList& arguments, const QProcessEnvironment& environment) {
    const QString option = QStringLiteral("--documents");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == option && i + 1 < arguments.size()) return arguments[i + 1].trimmed();
        if (a.startsWith(option + QLatin1Char('='))) return a.mid(option.size() + 1).trimmed();
    }
    const QString fromEnvironment = environment.value(QStringLiteral("TOLVANE_DOCUMENTS"));
    if (!fromEnvironment.trimmed().isEmpty()) return fromEnvironment.trimmed();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).trimmed();
}

void setFolders(AppState& state, const QString& documentsFolder) {
    const QString maker = QDir::cleanPath(documentsFolder + QStringLiteral("/Vornhald"));
    state.setDataFolder(maker, maker + QStringLiteral("/Tolvane"));
}

QString defaultDatabasePath(const QString& dataFolder) {
    return dataFolder + QLatin1Char('/') + texts::DefaultDatabaseName;
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

QString databasePathFromLocationFile(const QString& dataFolder, Prompter* prompter) {
    const QString defaultPath = defaultDatabasePath(dataFolder);
    QFile file(dataFolder + QLatin1Char('/') + texts::LocationFileName);
    if (!file.exists()) return defaultPath;
    QString line;
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray first = file.readLine();
        while (first.endsWith('\n') || first.endsWith('\r'))
            first.chop(1);
        line = QString::fromLocal8Bit(first);
    }
    if (!line.isEmpty()) return line;
    if (prompter) prompter->ask({texts::LocationNotFound, texts::AppTitle});
    return defaultPath;
}

void writeLocationFile(const QString& dataFolder, const QString& path) {
    QSaveFile file(dataFolder + QLatin1Char('/') + texts::LocationFileName);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error(file.errorString().toStdString());
    file.write(path.toLocal8Bit() + "\r\n");
    if (!file.commit()) throw std::runtime_error(file.errorString().toStdString());
}

void prepareDataFolder(const QString& dataFolder, bool makeDefaultDatabase) {
    if (!QDir().mkpath(dataFolder)) return;
    const QString database = defaultDatabasePath(dataFolder);
    if (makeDefaultDatabase && !QFileInfo::exists(database)) store::createDatabaseFile(database);
    const QString logo = dataFolder + QLatin1Char('/') + texts::LogoFileName;
    if (!QFileInfo::exists(logo)) {
        QSaveFile file(logo);
        if (file.open(QIODevice::WriteOnly) && pictures::logo().save(&file, "JPG", 92))
            file.commit();
    }
    const QString manual = dataFolder + QLatin1Char('/') + ManualFileName;
    if (!QFileInfo::exists(manual)) writeManual(manual);
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
    } catch (...) {
    }
    return nullptr;
}

bool connectDatabase(AppState& state, const QString& path, ConnectionPrefetch* prefetch) {
    state.releaseDatabase();
    state.DBPath = path;
    try {
        state.cnDatabase = prefetch ? prefetch->take(path) : nullptr;
        if (!state.cnDatabase) state.cnDatabase = store::Database::open(path);
        return true;
    } catch (const store::Error&) {
        state.env.prompter->ask(
            {texts::CouldNotConnect, texts::ConnectionErrorTitle, Icon::Critical});
        return false;
    }
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
