// The references' own work done the most direct way: the engine's calls, a
// file copy flushed and renamed.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace bench {

// The keyset cursor's job: the ordered rowids of a reading table, then every
// column of one row (the first or the last) by rowid. Returns the row count.
inline int bareKeyset(sqlite3* db, const QString& table, bool last) {
    const QByteArray quoted = ('`' + table + '`').toUtf8();
    const QByteArray keys = "SELECT _rowid_ FROM " + quoted + " ORDER BY FullDate, _rowid_";
    const QByteArray one = "SELECT * FROM " + quoted + " WHERE _rowid_ = ?1";
    std::vector<std::int64_t> rowids;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, keys.constData(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        rowids.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    if (rowids.empty()) return 0;
    sqlite3_prepare_v2(db, one.constData(), -1, &st, nullptr);
    sqlite3_bind_int64(st, 1, last ? rowids.back() : rowids.front());
    double sum = 0;
    if (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            sum += sqlite3_column_type(st, c) == SQLITE_TEXT ? sqlite3_column_bytes(st, c)
                                                             : sqlite3_column_double(st, c);
    sqlite3_finalize(st);
    return sum >= 0 ? int(rowids.size()) : -1;
}

// A finished file made safe: flushed to disk, then renamed over target.
inline bool flushAndRename(const QString& finished, const QString& target) {
    const QByteArray from = QFile::encodeName(finished), to = QFile::encodeName(target);
    const int fd = ::open(from.constData(), O_RDWR);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced && std::rename(from.constData(), to.constData()) == 0;
}

// A plain copy of a file, flushed and renamed into place.
inline bool safeCopy(const QString& source, const QString& target) {
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    return QFile::copy(source, part) && flushAndRename(part, target);
}

} // namespace bench
