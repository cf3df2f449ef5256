// One open database file: the connection, statement cache and schema look-ups.
#pragma once

#include "store/Error.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

class ServerConnection;
class ServerQuery;

// A prepared statement borrowed from the connection's cache; reset on release.
class Database;
class Statement {
public:
    Statement(Database* owner, std::string key, sqlite3_stmt* stmt, ServerQuery* query = nullptr)
        : owner_(owner), key_(std::move(key)), stmt_(stmt), query_(query) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept
        : owner_(other.owner_), key_(std::move(other.key_)), stmt_(other.stmt_),
          query_(other.query_) {
        other.stmt_ = nullptr;
        other.query_ = nullptr;
    }
    ~Statement();

    sqlite3_stmt* get() const { return stmt_; }
    // Steps once; true while a row is available. Throws store::Error on failure.
    bool step();
    // Runs to completion and makes the statement ready to be bound again.
    void run();
    void reset();

    void bindNull(int index);
    void bind(int index, qint64 value);
    void bind(int index, double value);
    void bind(int index, const QString& value);
    // Text given as UTF-8 bytes, copied at once.
    void bindUtf8(int index, std::string_view value);

    // What the column of the current row holds.
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind(int column) const;
    qint64 int64(int column) const;
    QString text(int column) const;
    // A stored number; nothing for text, a blob or no value.
    std::optional<double> number(int column) const;
    // The column as UTF-8 text, valid until the next step.
    std::string_view utf8(int column) const;
    // The column's bytes as stored (a blob's, or a text's UTF-8).
    QByteArray blob(int column) const;
    int columnCount() const;
    QString columnName(int column) const;

private:
    Database* owner_;
    std::string key_;
    sqlite3_stmt* stmt_;
    ServerQuery* query_; // on a server database, in place of stmt_
};

// Who changes the data through a connection, and the clock the changes are
// stamped by: what the audit trail records of each change.
struct Actor {
    QString user;                   // the operating-system user name
    std::function<QDateTime()> now; // local time
};
// The user the program runs as, or "unknown".
QString systemUserName();

class Database {
public:
    // Opens an existing file for reading and writing. Never creates one: a path
    // that names no file, or a file that is not a database, raises store::Error.
    static std::unique_ptr<Database> open(const QString& path, bool readOnly = false);

    // True when the file is shorter than its own header says it is: cut short
    // by an interrupted copy or a full disk. The engine opens such a file and
    // fails only when it reaches a missing page.
    static bool cutShort(const QString& path);

    // Makes an empty file at path for a first installation (see Schema.h for the
    // tables). Fails when the file already exists.
    static std::unique_ptr<Database> create(const QString& path);

    // Connects to a database on a server by its libpq address (postgresql://...);
    // a password given here is used and never kept. Throws store::Error with
    // the server's message.
    static std::unique_ptr<Database> connect(const QString& url, const QString& password = {});
    // True for a database on a server: shared by its users, backed up and
    // restored by its administrator, never a file of this program's.
    bool isServer() const { return server_ != nullptr; }
    // The name the database knows the user by: the server's user name, or the
    // operating system's for a file.
    QString databaseUser() const;

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }
    // Unique among the connections this process opened: tells a new connection
    // from an old one that stood at the same address.
    std::uint64_t serial() const { return serial_; }
    sqlite3* handle() const { return db_; }
    // True when the file this connection reads was renamed over or removed
    // since it was opened: whatever is written through it is then lost.
    bool hasMoved() const;

    // The real user and clock unless the caller names others (a test's clock).
    const Actor& actor() const { return actor_; }
    void setActor(Actor actor) { actor_ = std::move(actor); }

    // Runs one or more statements that return no rows.
    void execute(const QString& sql);
    // A cached prepared statement; the same text returns the same compiled statement.
    Statement prepare(const QString& sql);

    // Rows inserted, changed or deleted by the last statement that wrote any.
    int changes() const;
    // The row id the last insert through this connection gave its row.
    qint64 lastInsertId() const;

    // What a row set needs to know whether a table may have changed since it
    // last looked: rows written to it through this connection, changes this
    // connection cannot attribute to a table (a truncating delete, a rollback),
    // the schema, and commits by other connections. Equal stamps: no change.
    struct ChangeStamp {
        std::uint64_t table = 0;
        std::uint64_t unattributed = 0;
        std::int64_t schema = 0;
        std::int64_t others = 0;
        bool operator==(const ChangeStamp&) const = default;
    };
    // withVersions false: the connection's own counts only, schema and others
    // left 0, without a query (for a caller holding a stamp of this transaction).
    ChangeStamp changeStamp(const QString& table, bool withVersions = true);
    // Rows written to the table through this connection so far (changeStamp's
    // first part, without its queries).
    std::uint64_t writesTo(const QString& table) const;
    // The same by the table's name in lower case, for callers that look often.
    std::uint64_t writesTo(const std::string& lowerName) const;

    // True when a table of exactly this name is in the file (engine tables included).
    bool hasTable(const QString& name);
    QStringList tableNames();

    // A table's columns in their order, with the type each was declared with
    // (TEXT, REAL, INTEGER, ... as SQLite names them, on a server too).
    struct ColumnInfo {
        QString name;
        QString type;
    };
    std::vector<ColumnInfo> columns(const QString& table);

    // On a server: the keys its row triggers named for these tables since the
    // last call, by anyone's commit, this connection's own included. Empty on a file.
    std::set<QString> takeTouchedKeys(const QStringList& tables);

    // What the engine's own check of the database finds wrong, at most `most`
    // findings; empty when all is well. A server checks itself: nothing here.
    QStringList integrityProblems(int most);

    // The CREATE statements of a table and of its indexes, as stored in the schema.
    QString tableDefinition(const QString& table);
    QStringList indexDefinitions(const QString& table);

    // Runs f inside one transaction: all of it is stored, or none of it. Nests.
    template <class F> void transaction(F&& f) {
        beginSavepoint();
        try {
            f();
        } catch (...) {
            rollbackQuietly();
            throw;
        }
        releaseSavepoint();
    }

    // Runs f in a transaction taken at once (BEGIN IMMEDIATE): a writer waits
    // for others at its start rather than failing halfway. All of f is stored,
    // or none of it. Not inside another transaction.
    template <class F> void immediateTransaction(F&& f) {
        beginImmediate();
        try {
            f();
        } catch (...) {
            rollbackTransactionQuietly();
            throw;
        }
        commit();
    }

    // Throws the connection's last error as store::Error.
    [[noreturn]] void raise() const;
    [[noreturn]] static void raise(sqlite3* db);

private:
    friend class Statement;
    Database(sqlite3* db, QString path);
    explicit Database(std::unique_ptr<ServerConnection> server);
    void beginSavepoint();
    void releaseSavepoint();
    void beginImmediate();
    void commit();
    void rollbackQuietly() noexcept;
    void rollbackTransactionQuietly() noexcept;
    static void rowWritten(void* self, int op, const char* database, const char* table,
                           long long rowid);
    static void rolledBack(void* self);
    // Takes a statement back into the cache (or finalizes it when the slot is
    // taken), making room by finalizing the least recently used.
    void giveBack(std::string key, sqlite3_stmt* stmt, ServerQuery* query) noexcept;
    static void finalize(sqlite3_stmt* stmt, ServerQuery* query) noexcept;
    bool serverHasTable(const QString& name);

    sqlite3* db_ = nullptr;
    std::unique_ptr<ServerConnection> server_;
    QString path_;
    // Statements given back, most recently used first in recency_. A session
    // that reads every sensor's table makes more than the cache keeps: the
    // oldest go, so that what is used again and again stays.
    struct Cached {
        sqlite3_stmt* stmt = nullptr;
        ServerQuery* query = nullptr;
        std::list<std::string>::iterator use;
    };
    static constexpr size_t CachedStatements = 256;
    std::unordered_map<std::string, Cached> cache_;
    std::list<std::string> recency_;
    std::unordered_map<std::string, std::uint64_t> tableWrites_; // by lower-case name
    // hasTable's tables as the file spells them, by lower-case name.
    std::unordered_map<std::string, QString> spellings_;
    std::int64_t spellingsVersion_ = -1;
    std::uint64_t spellingsRollbacks_ = 0;
    std::uint64_t attributedWrites_ = 0;
    std::uint64_t rollbacks_ = 0;
    // The tables a server's hasTable found, and the schema they hold for.
    std::unordered_set<std::string> serverTables_;
    std::array<std::uint64_t, 3> serverTablesStamp_{};
    Actor actor_;
    std::uint64_t serial_ = 0;
};

// Quotes a name for SQL with back-quotes, doubling any back-quote inside it.
QString quoteName(const QString& name);

} // namespace store
