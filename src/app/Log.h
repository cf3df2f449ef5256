// The log file of failures, and the three ways a routine treats a failure.
#pragma once

#include "app/Environment.h"
#include "store/Error.h"

#include <QString>

#include <exception>

namespace app {

inline const QString LogFileName = QStringLiteral("MPBX_logfile.txt");

// Appends entries to <data folder>/MPBX_logfile.txt. Never throws: a log that
// cannot be written loses the entry to standard error and the caller goes on.
class Log {
public:
    Log() = default;
    Log(QString dataFolder, const Clock* clock) : folder_(std::move(dataFolder)), clock_(clock) {}

    void setFolder(const QString& dataFolder) { folder_ = dataFolder; }
    const QString& folder() const { return folder_; }
    QString path() const;

    // One entry: an empty line, 89 asterisks, then "<now> - <message>", the
    // message folded into one line.
    void WriteLog(const QString& message) const noexcept;

private:
    QString folder_;
    const Clock* clock_ = nullptr;
};

// The date and time as the log shows them: the locale's short date and its
// time with seconds.
QString generalDateTime(const QDateTime& when);

// "Err #" + number + ": " + description + label; every label begins with a blank.
// The description is folded into one line and cut at 500 characters.
QString errorEntry(int number, const QString& description, const QString& label);
// The entry for whatever was thrown: store::Error keeps its number; anything
// else is reported as an internal error.
QString errorEntry(const std::exception_ptr& failure, const QString& label);
// What was thrown, in words for the user: the store's description, or the
// exception's text.
QString describeFailure(const std::exception_ptr& failure);

// Log and leave: runs f; a failure is written with the label and the routine
// returns false. Nothing is shown to the user.
template <class F> bool logAndLeave(const Log& log, const QString& label, F&& f) {
    try {
        f();
        return true;
    } catch (...) {
        log.WriteLog(errorEntry(std::current_exception(), label));
        return false;
    }
}

// Ignore and continue: a failing step is skipped, the caller goes on.
template <class F> void ignoreFailure(F&& f) noexcept {
    try {
        f();
    } catch (...) {
    }
}

} // namespace app
