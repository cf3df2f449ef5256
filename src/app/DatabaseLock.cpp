#include "app/DatabaseLock.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace app {

namespace {

// The lock file itself holds what QLockFile writes (process, program, host);
// the user name, which it has no room for, is kept in a note beside it.
QString notePath(const QString& databasePath) {
    return DatabaseLock::lockPath(databasePath) + QStringLiteral(".user");
}

QString userName() {
    for (const char* variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable).trimmed();
        if (!name.isEmpty()) return name;
    }
    return {};
}

} // namespace

QString DatabaseLock::lockPath(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteFilePath() + QStringLiteral(".lock");
}

DatabaseLock::DatabaseLock(const QString& databasePath)
    : databasePath_(databasePath), file_(lockPath(databasePath)) {
    file_.setStaleLockTime(0);
    if (file_.tryLock(0)) {
        state_ = State::Taken;
        // The note only names the user for a message; a note that cannot be
        // written costs the name, never the lock.
        QSaveFile note(notePath(databasePath_));
        if (note.open(QIODevice::WriteOnly)) {
            note.write(userName().toUtf8());
            note.commit();
        }
        return;
    }
    if (file_.error() != QLockFile::LockFailedError) return;
    state_ = State::HeldElsewhere;
    qint64 pid = 0;
    QString application;
    file_.getLockInfo(&pid, &ownerHost_, &application);
    QFile note(notePath(databasePath_));
    if (note.open(QIODevice::ReadOnly))
        ownerUser_ = QString::fromUtf8(note.read(256)).section(QLatin1Char('\n'), 0, 0).trimmed();
}

DatabaseLock::~DatabaseLock() {
    if (state_ != State::Taken) return;
    QFile::remove(notePath(databasePath_));
    file_.unlock();
}

} // namespace app
