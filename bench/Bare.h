// The references' own work done the most direct way: the engine's calls, a
// file copy flushed and renamed.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// The same on a server, through libpq alone: the ordered row ids in one
// round trip, then the row by a prepared statement. Returns the row count, -1
// on a failure.
inline int bareKeyset(PGconn* db, const QString& table, bool last) {
    const QByteArray quoted = '"' + table.toUtf8() + '"';
    const QByteArray keys =
        "SELECT \"_rowid_\" FROM " + quoted + " ORDER BY \"FullDate\", \"_rowid_\"";
    PGresult* r = PQexec(db, keys.constData());
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
        PQclear(r);
        return -1;
    }
    std::vector<std::int64_t> rowids;
    rowids.reserve(size_t(PQntuples(r)));
    for (int i = 0; i < PQntuples(r); ++i)
        rowids.push_back(std::strtoll(PQgetvalue(r, i, 0), nullptr, 10));
    PQclear(r);
    if (rowids.empty()) return 0;
    const QByteArray one = "SELECT * FROM " + quoted + " WHERE \"_rowid_\" = $1";
    const QByteArray id = QByteArray::number(qint64(last ? rowids.back() : rowids.front()));
    const char* values[] = {id.constData()};
    r = PQexecParams(db, one.constData(), 1, nullptr, values, nullptr, nullptr, 0);
    double sum = 0;
    if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1)
        for (int c = 0; c < PQnfields(r); ++c)
            sum += PQgetlength(r, 0, c);
    else
        sum = -1;
    PQclear(r);
    return sum >= 0 ? int(rowids.size()) : -1;
}

// A libpq connection of a bare reference, closed with it.
class PgConnection {
public:
    explicit PgConnection(const QString& address)
        : conn_(PQconnectdb(address.toUtf8().constData())) {}
    ~PgConnection() { PQfinish(conn_); }
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;
    PGconn* get() const { return conn_; }
    bool ok() const { return PQstatus(conn_) == CONNECTION_OK; }
    // The last failure in the server's words.
    const char* error() const { return PQerrorMessage(conn_); }
    // Runs a statement with text parameters; the rows it changed or returned,
    // -1 on a failure.
    long long run(const QByteArray& sql, const std::vector<QByteArray>& parameters = {}) const {
        std::vector<const char*> values;
        for (const QByteArray& p : parameters)
            values.push_back(p.constData());
        PGresult* r = PQexecParams(conn_, sql.constData(), int(values.size()), nullptr,
                                   values.data(), nullptr, nullptr, 0);
        const ExecStatusType status = PQresultStatus(r);
        long long rows = -1;
        if (status == PGRES_TUPLES_OK)
            rows = PQntuples(r);
        else if (status == PGRES_COMMAND_OK)
            rows = std::atoll(PQcmdTuples(r));
        PQclear(r);
        return rows;
    }

private:
    PGconn* conn_;
};

// The rows of one query by the engine's own calls, on a file or on a server
// (all its rows in one round trip there, as text).
class BareRows {
public:
    BareRows(sqlite3* db, const QByteArray& sql) {
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt_, nullptr);
    }
    BareRows(PGconn* db, const QByteArray& sql) : result_(PQexec(db, sql.constData())) {
        rows_ = PQresultStatus(result_) == PGRES_TUPLES_OK ? PQntuples(result_) : 0;
    }
    ~BareRows() {
        sqlite3_finalize(stmt_);
        PQclear(result_);
    }
    BareRows(const BareRows&) = delete;
    BareRows& operator=(const BareRows&) = delete;
    bool next() { return result_ ? ++row_ < rows_ : sqlite3_step(stmt_) == SQLITE_ROW; }
    const char* text(int c) const {
        return result_ ? PQgetvalue(result_, row_, c)
                       : reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
    }
    double number(int c) const {
        return result_ ? std::strtod(PQgetvalue(result_, row_, c), nullptr)
                       : sqlite3_column_double(stmt_, c);
    }
    int integer(int c) const {
        return result_ ? std::atoi(PQgetvalue(result_, row_, c)) : sqlite3_column_int(stmt_, c);
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    PGresult* result_ = nullptr;
    int rows_ = 0, row_ = -1;
};

// A number as the server reads it back exactly.
inline QByteArray pgNumber(double value) {
    return QByteArray::number(value, 'g', 17);
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
