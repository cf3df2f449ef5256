// The server engine behind store::Database: one libpq connection, statements
// prepared on it from their rewritten text, and results read as text.
#pragma once

#include "store/Database.h"
#include "store/Dialect.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace store {

class ServerConnection;

class ServerQuery {
public:
    ServerQuery(ServerConnection& connection, std::string key);
    ~ServerQuery();
    ServerQuery(const ServerQuery&) = delete;
    ServerQuery& operator=(const ServerQuery&) = delete;

    bool step();
    void reset();
    void clearBindings();

    void bindNull(int index);
    void bind(int index, qint64 value);
    void bind(int index, double value);
    void bindText(int index, std::string value);

    Statement::Kind kind(int column) const;
    qint64 int64(int column) const;
    std::optional<double> number(int column) const;
    std::string_view utf8(int column) const;
    QByteArray blob(int column) const;
    int columnCount() const;
    QString columnName(int column) const;

private:
    struct Param {
        std::optional<std::string> value;
        unsigned int type = 0; // the value's own type; 0 for none
    };
    void prepare();
    void execute();
    void run();
    int source(int column) const { return visible_[size_t(column)]; }
    void describe();

    ServerConnection& connection_;
    ServerStatement statement_;
    std::vector<Param> params_;
    std::string prepared_;         // the server's name for it; empty before the first run
    std::uint64_t preparedOn_ = 0; // the connection's generation it was prepared on
    PGresult* result_ = nullptr;
    int row_ = -1;
    int rows_ = 0;
    bool done_ = false;
    std::vector<int> visible_; // result columns shown, hiding "_rowid_" unless named
    std::vector<unsigned int> types_;
    std::vector<QString> names_;
    bool described_ = false;
};

class ServerConnection {
public:
    // Connects; throws store::Error with the server's message in plain words.
    ServerConnection(const QString& url, const QString& password);
    ~ServerConnection();

    PGconn* handle() const { return conn_; }
    const QString& user() const { return user_; }
    const QString& location() const { return location_; }

    // Runs a text of one or more statements that return nothing.
    void execute(const std::string& sql);
    // Checks a result; throws store::Error unless it is one of the good kinds.
    void check(PGresult* result, const std::string& sql);
    [[noreturn]] void raise(PGresult* result, const std::string& sql);

    // A prepare inside an open transaction, guarded by a savepoint so that a
    // refusal leaves the transaction usable: the savepoint, the prepare and
    // the release go to the server together, one round trip. Returns the
    // prepare's result; released is false when the prepare failed, and the
    // savepoint is then still open (its rollback and release are the caller's).
    PGresult* prepareGuarded(const std::string& name, const std::string& text,
                             const std::vector<unsigned int>& types, bool& released);

    std::string nextName() {
        std::string name(1, 't');
        name += std::to_string(++names_);
        return name;
    }
    void forget(std::string name) { stale_.push_back(std::move(name)); }
    void dropStale();

    // What the last write statement changed, and the rowid its insert gave.
    int changes = 0;
    qint64 lastInsertId = 0;
    std::uint64_t tableWrites(const std::string& lower) const;
    void wrote(const std::string& table, int rows);
    std::uint64_t unattributed = 0;
    std::uint64_t ownSchemaChanges = 0;
    // Commits of other connections seen so far (notifications from the server).
    std::uint64_t othersCommits();
    std::uint64_t othersSchemaChanges = 0;
    // The keys row triggers named since the last call, for these tables.
    std::set<QString> takeTouched(const QStringList& tables);

    int transactionDepth = 0;

    // A connection the server ended (a restart, a network fault) is made
    // again before the next statement outside a transaction; statements
    // prepared on the old one are forgotten by the new generation.
    std::uint64_t generation = 0;
    bool lost() const;
    void ensureConnected();

private:
    void startSession();

    PGconn* conn_ = nullptr;
    QString user_;
    QString location_;
    std::uint64_t names_ = 0;
    std::vector<std::string> stale_;
    std::unordered_map<std::string, std::uint64_t> writes_;
    std::uint64_t others_ = 0;
    std::map<QString, std::set<QString>> touched_; // by table
    int pid_ = 0;
};

} // namespace store
