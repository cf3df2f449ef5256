#include "app/DataFolder.h"

#include "app/Manual.h"
#include "app/Pictures.h"
#include "app/Texts.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/ServerAddress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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

QString dataFolderOf(const QString& documentsFolder) {
    return QDir::cleanPath(documentsFolder + QStringLiteral("/Vornhald/Tolvane"));
}

QString defaultDatabasePath(const QString& dataFolder) {
    return dataFolder + QLatin1Char('/') + texts::DefaultDatabaseName;
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
    QString line = path;
    // A server's password stays in memory: the file holds its address only.
    // An address that cannot be read cannot be told from its password either.
    if (store::isServerAddress(path)) {
        const store::ServerAddress address = store::parseServerAddress(path);
        if (!address.password.isEmpty()) line = store::serverUrl(address, false);
    }
    QSaveFile file(dataFolder + QLatin1Char('/') + texts::LocationFileName);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error(file.errorString().toStdString());
    file.write(line.toLocal8Bit() + "\r\n");
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

// Why path cannot be the database, as far as can be seen without opening it.
QString reasonBeforeOpening(const QString& path) {
    // A server's database is seen only by connecting to it.
    if (store::isServerAddress(path)) return {};
    const QFileInfo info(path);
    if (info.isDir()) return texts::ReasonFolder;
    if (path.isEmpty() || !info.exists()) {
        // A folder that may not be searched hides the file it holds.
        const QFileInfo folder(info.absolutePath());
        if (!path.isEmpty() && folder.isDir() && (!folder.isReadable() || !folder.isExecutable()))
            return texts::ReasonNoPermission;
        return texts::ReasonMissing;
    }
    if (!info.isReadable()) return texts::ReasonNoPermission;
    // The engine would take an empty file for a new database, and write one
    // into it at the first change.
    if (info.size() == 0) return texts::ReasonEmpty;
    if (store::Database::cutShort(path)) return texts::ReasonDamaged;
    return {};
}

QString reasonFromEngine(const store::Error& e) {
    switch (e.number() & 0xff) {
    case store::code::NotADatabase:
        return texts::ReasonNotADatabase;
    case store::code::Corrupt:
        return texts::ReasonDamaged;
    case store::code::Busy:
    case store::code::Locked:
        return texts::ReasonBusy;
    case store::code::Perm:
    case store::code::Auth:
        return texts::ReasonNoPermission;
    default:
        return texts::reasonOther(e.description());
    }
}

} // namespace app
