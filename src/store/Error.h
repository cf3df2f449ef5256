// The one failure type of the data layer: an engine result code and its message.
#pragma once

#include <QString>

#include <stdexcept>

namespace store {

class Error : public std::runtime_error {
public:
    Error(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number),
          description_(description) {}

    int number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }

private:
    int number_;
    QString description_;
};

// Numbers for failures the store detects itself: SQLite's own codes where one
// fits, so that a log reader sees one kind of number.
namespace code {
inline constexpr int Error = 1;              // SQLITE_ERROR
inline constexpr int NotFound = 12;          // SQLITE_NOTFOUND
inline constexpr int Mismatch = 20;          // SQLITE_MISMATCH
inline constexpr int Misuse = 21;            // SQLITE_MISUSE
inline constexpr int Range = 25;             // SQLITE_RANGE
inline constexpr int CantOpen = 14;          // SQLITE_CANTOPEN
inline constexpr int DatatypeRefused = 3091; // SQLITE_CONSTRAINT_DATATYPE
inline constexpr int Perm = 3;               // SQLITE_PERM
inline constexpr int Busy = 5;               // SQLITE_BUSY
inline constexpr int Locked = 6;             // SQLITE_LOCKED
inline constexpr int ReadOnly = 8;           // SQLITE_READONLY
inline constexpr int Interrupt = 9;          // SQLITE_INTERRUPT
inline constexpr int IoErr = 10;             // SQLITE_IOERR
inline constexpr int Corrupt = 11;           // SQLITE_CORRUPT
inline constexpr int Full = 13;              // SQLITE_FULL
inline constexpr int Auth = 23;              // SQLITE_AUTH
inline constexpr int NotADatabase = 26;      // SQLITE_NOTADB
inline constexpr int Constraint = 19;        // SQLITE_CONSTRAINT
inline constexpr int CheckRefused = 275;     // SQLITE_CONSTRAINT_CHECK
inline constexpr int NotNullRefused = 1299;  // SQLITE_CONSTRAINT_NOTNULL
inline constexpr int KeyTaken = 1555;        // SQLITE_CONSTRAINT_PRIMARYKEY
inline constexpr int Duplicate = 2067;       // SQLITE_CONSTRAINT_UNIQUE
// No row is current (before the first, after the last, or just deleted); the
// number the original cursors gave this failure.
inline constexpr int NoCurrentRow = 3021;
} // namespace code

} // namespace store
