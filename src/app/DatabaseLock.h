// The lock beside a database file, "<database>.lock": one program writes to a
// database file at a time, whichever data folders name it.
#pragma once

#include <QLockFile>
#include <QString>

namespace app {

class DatabaseLock {
public:
    enum class State {
        Taken,         // ours: this program may write to the file
        HeldElsewhere, // a running program has it (another process, or another window here)
        CannotLock,    // no lock can be made beside the file (a read-only folder, say)
    };

    // Tries to take the lock of databasePath at once. As with the instance lock,
    // only a running owner counts: a lock left by a process that is gone is
    // taken over, whatever its age.
    explicit DatabaseLock(const QString& databasePath);
    // Gives the lock back when it was taken.
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    State state() const { return state_; }
    bool taken() const { return state_ == State::Taken; }
    const QString& databasePath() const { return databasePath_; }
    // Who holds it, when HeldElsewhere; empty when the lock does not say.
    const QString& ownerHost() const { return ownerHost_; }
    const QString& ownerUser() const { return ownerUser_; }

    static QString lockPath(const QString& databasePath);

private:
    QString databasePath_;
    QLockFile file_;
    State state_ = State::CannotLock;
    QString ownerHost_;
    QString ownerUser_;
};

} // namespace app
