#include "store/ServerEngine.h"

#include "store/Texts.h"

#include <libpq-fe.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace store {

namespace {

// The server's type numbers (pg_type.oid) the store reads.
enum : Oid {
    BoolOid = 16,
    ByteaOid = 17,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    TextOid = 25,
    OidOid = 26,
    Float4Oid = 700,
    Float8Oid = 701,
    NumericOid = 1700,
};

// The prefix of a statement the store writes for the server itself: not rewritten.
constexpr std::string_view Native = "/*server*/";

// The SQLite code a server's failure stands for, so that callers need know one set.
int codeFor(const char* state) {
    if (!state) return code::IoErr; // no answer: the connection went
    const std::string_view s(state);
    if (s == "23505") return code::Duplicate;
    if (s == "23502") return code::NotNullRefused;
    if (s == "23514") return code::CheckRefused;
    if (s.substr(0, 2) == "23") return code::Constraint;
    if (s == "22P02" || s == "22003" || s == "42804" || s == "22007" || s == "22008")
        return code::DatatypeRefused;
    if (s == "40001" || s == "40P01") return code::Busy;
    if (s == "55P03") return code::Locked;
    if (s == "25006") return code::ReadOnly;
    if (s == "42501") return code::Perm;
    if (s == "57014") return code::Interrupt;
    if (s == "53100") return code::Full;
    if (s.substr(0, 2) == "28") return code::Auth;
    if (s == "3D000") return code::CantOpen;
    if (s.substr(0, 2) == "08" || s.substr(0, 2) == "57" || s.substr(0, 2) == "53")
        return code::IoErr;
    return code::Error;
}

QString trimmedMessage(const char* message) {
    return QString::fromUtf8(message ? message : "").trimmed();
}

// Type errors the server finds when a parameter's type is left to it.
bool typeOfParameterUnknown(const char* state) {
    if (!state) return false;
    const std::string_view s(state);
    return s == "42P18" || s == "42725" || s == "42804" || s == "42883";
}

std::string numberText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, ec == std::errc() ? end : buffer);
}

} // namespace

// ---------------------------------------------------------------- ServerQuery

ServerQuery::ServerQuery(ServerConnection& connection, std::string key) : connection_(connection) {
    if (std::string_view(key).substr(0, Native.size()) == Native) {
        statement_.text = key.substr(Native.size());
        const std::string& t = statement_.text;
        for (size_t i = 0; i < t.size(); ++i) {
            if (t[i] != '$') continue;
            int n = 0;
            while (i + 1 < t.size() && std::isdigit(static_cast<unsigned char>(t[i + 1])))
                n = n * 10 + (t[++i] - '0');
            statement_.parameters = std::max(statement_.parameters, n);
        }
        statement_.namesRowid = true;
    } else {
        statement_ = toServer(key);
    }
    if (statement_.text.empty()) throw Error(code::Misuse, QStringLiteral("empty statement"));
    params_.resize(size_t(statement_.parameters));
}

ServerQuery::~ServerQuery() {
    if (result_) PQclear(result_);
    if (!prepared_.empty() && preparedOn_ == connection_.generation) connection_.forget(prepared_);
}

void ServerQuery::bindNull(int index) {
    if (index < 1 || index > int(params_.size())) return;
    params_[size_t(index - 1)] = Param{};
}
void ServerQuery::bind(int index, qint64 value) {
    if (index < 1 || index > int(params_.size())) return;
    params_[size_t(index - 1)] = Param{std::to_string(value), Int8Oid};
}
void ServerQuery::bind(int index, double value) {
    if (index < 1 || index > int(params_.size())) return;
    // SQLite stores NaN as NULL; so does a server database of this program.
    if (std::isnan(value)) return bindNull(index);
    params_[size_t(index - 1)] = Param{numberText(value), Float8Oid};
}
void ServerQuery::bindText(int index, std::string value) {
    if (index < 1 || index > int(params_.size())) return;
    // Text may hold a NUL only as SQLite keeps it; the server refuses it.
    if (value.find('\0') != std::string::npos)
        throw Error(code::DatatypeRefused,
                    QStringLiteral("the text holds a NUL character (code 0), which a server "
                                   "database cannot store"));
    params_[size_t(index - 1)] = Param{std::move(value), TextOid};
}

void ServerQuery::clearBindings() {
    for (Param& p : params_)
        p = Param{};
}

void ServerQuery::reset() {
    if (result_) PQclear(result_);
    result_ = nullptr;
    row_ = -1;
    rows_ = 0;
    done_ = false;
}

void ServerQuery::prepare() {
    PGconn* conn = connection_.handle();
    connection_.dropStale();
    // The server is left to infer each parameter's type from where it stands
    // (text into a number column is then checked as SQLite's strict tables
    // check it); where it cannot, the values' own types are given. A number
    // the text never names is bound all the same: text, to be ignored.
    const std::string name = connection_.nextName();
    std::vector<Oid> types(params_.size(), 0);
    for (size_t i = 0; i < params_.size(); ++i)
        if (i >= statement_.used.size() || !statement_.used[i]) types[i] = TextOid;
    // A refused prepare would spoil a transaction the caller has open.
    const bool guarded = PQtransactionStatus(conn) == PQTRANS_INTRANS;
    bool released = false;
    PGresult* r = guarded ? connection_.prepareGuarded(name, statement_.text, types, released)
                          : PQprepare(conn, name.c_str(), statement_.text.c_str(),
                                      int(params_.size()), types.data());
    if (PQresultStatus(r) != PGRES_COMMAND_OK &&
        typeOfParameterUnknown(PQresultErrorField(r, PG_DIAG_SQLSTATE)) &&
        (guarded || PQtransactionStatus(conn) != PQTRANS_INERROR)) {
        PQclear(r);
        if (guarded) connection_.execute("ROLLBACK TO SAVEPOINT tolvane_prepare");
        for (size_t i = 0; i < params_.size(); ++i)
            if (!types[i]) types[i] = params_[i].type ? params_[i].type : Oid(TextOid);
        r = PQprepare(conn, name.c_str(), statement_.text.c_str(), int(params_.size()),
                      types.data());
    }
    if (guarded && !released) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK)
            connection_.execute("ROLLBACK TO SAVEPOINT tolvane_prepare");
        connection_.execute("RELEASE SAVEPOINT tolvane_prepare");
    }
    connection_.check(r, statement_.text);
    PQclear(r);
    prepared_ = name;
    preparedOn_ = connection_.generation;
}

void ServerQuery::execute() {
    connection_.ensureConnected();
    if (preparedOn_ != connection_.generation) prepared_.clear();
    try {
        run();
    } catch (const Error&) {
        // A read that found the connection gone is asked again on a new one;
        // a write is not, as it may have been stored before the answer was lost.
        const bool read =
            statement_.written.empty() && !statement_.changesSchema && !statement_.returnsRowid;
        if (!read || !connection_.lost() || connection_.transactionDepth > 0) throw;
        connection_.ensureConnected();
        prepared_.clear();
        run();
    }
}

void ServerQuery::run() {
    PGconn* conn = connection_.handle();
    if (prepared_.empty()) prepare();
    std::vector<const char*> values(params_.size());
    for (size_t i = 0; i < params_.size(); ++i)
        values[i] = params_[i].value ? params_[i].value->c_str() : nullptr;
    PGresult* r = PQexecPrepared(conn, prepared_.c_str(), int(values.size()), values.data(),
                                 nullptr, nullptr, 0);
    connection_.check(r, statement_.text);
    result_ = r;
    rows_ = PQntuples(r);
    const char* status = PQcmdStatus(r);
    const bool writes = std::strncmp(status, "INSERT", 6) == 0 ||
                        std::strncmp(status, "UPDATE", 6) == 0 ||
                        std::strncmp(status, "DELETE", 6) == 0;
    if (writes) {
        const int changed = std::atoi(PQcmdTuples(r));
        connection_.changes = changed;
        connection_.wrote(statement_.written, changed);
    }
    if (statement_.returnsRowid) {
        if (rows_ > 0) connection_.lastInsertId = std::atoll(PQgetvalue(r, rows_ - 1, 0));
        rows_ = 0;
    }
    if (statement_.changesSchema) ++connection_.ownSchemaChanges;
    describe();
}

void ServerQuery::describe() {
    visible_.clear();
    types_.clear();
    names_.clear();
    const PGresult* r = result_;
    PGresult* described = nullptr;
    if (!r) {
        described = PQdescribePrepared(connection_.handle(), prepared_.c_str());
        connection_.check(described, statement_.text);
        r = described;
    }
    const int n = PQnfields(r);
    for (int i = 0; i < n; ++i) {
        types_.push_back(PQftype(r, i));
        names_.push_back(QString::fromUtf8(PQfname(r, i)));
        if (!statement_.namesRowid && names_.back() == QLatin1String("_rowid_")) continue;
        visible_.push_back(i);
    }
    described_ = true;
    if (described) PQclear(described);
}

bool ServerQuery::step() {
    if (!result_) {
        if (done_) return false;
        execute();
    }
    if (++row_ < rows_) return true;
    // At the end the result is let go; the statement runs again after a reset.
    PQclear(result_);
    result_ = nullptr;
    done_ = true;
    return false;
}

Statement::Kind ServerQuery::kind(int column) const {
    const int c = source(column);
    if (!result_ || row_ < 0 || row_ >= rows_ || PQgetisnull(result_, row_, c))
        return Statement::Kind::Null;
    switch (types_[size_t(c)]) {
    case BoolOid:
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
    case OidOid:
        return Statement::Kind::Integer;
    case Float4Oid:
    case Float8Oid:
        return Statement::Kind::Real;
    case NumericOid: {
        // A sum of whole numbers is whole, as SQLite gives it.
        const char* v = PQgetvalue(result_, row_, c);
        return std::strpbrk(v, ".eEN") ? Statement::Kind::Real : Statement::Kind::Integer;
    }
    case ByteaOid:
        return Statement::Kind::Blob;
    default:
        return Statement::Kind::Text;
    }
}

qint64 ServerQuery::int64(int column) const {
    switch (kind(column)) {
    case Statement::Kind::Null:
        return 0;
    case Statement::Kind::Real:
        return qint64(*number(column));
    default:
        break;
    }
    const std::string_view v = utf8(column);
    if (types_[size_t(source(column))] == BoolOid) return v == "t" ? 1 : 0;
    qint64 value = 0;
    std::from_chars(v.data(), v.data() + v.size(), value);
    return value;
}

std::optional<double> ServerQuery::number(int column) const {
    const Statement::Kind k = kind(column);
    if (k != Statement::Kind::Integer && k != Statement::Kind::Real) return std::nullopt;
    const std::string_view v = utf8(column);
    if (types_[size_t(source(column))] == BoolOid) return v == "t" ? 1.0 : 0.0;
    if (v == "NaN") return std::nan("");
    if (v == "Infinity") return HUGE_VAL;
    if (v == "-Infinity") return -HUGE_VAL;
    double value = 0;
    std::from_chars(v.data(), v.data() + v.size(), value);
    return value;
}

std::string_view ServerQuery::utf8(int column) const {
    const int c = source(column);
    if (!result_ || row_ < 0 || row_ >= rows_ || PQgetisnull(result_, row_, c)) return {};
    return std::string_view(PQgetvalue(result_, row_, c), size_t(PQgetlength(result_, row_, c)));
}

QByteArray ServerQuery::blob(int column) const {
    if (kind(column) != Statement::Kind::Blob) {
        const std::string_view v = utf8(column);
        return QByteArray(v.data(), qsizetype(v.size()));
    }
    size_t length = 0;
    unsigned char* bytes = PQunescapeBytea(
        reinterpret_cast<const unsigned char*>(PQgetvalue(result_, row_, source(column))), &length);
    QByteArray out(reinterpret_cast<const char*>(bytes), qsizetype(length));
    PQfreemem(bytes);
    return out;
}

int ServerQuery::columnCount() const {
    if (!described_) {
        // Asked before the first run: the server describes the prepared statement.
        auto* self = const_cast<ServerQuery*>(this);
        if (self->prepared_.empty()) self->prepare();
        self->describe();
    }
    return int(visible_.size());
}

QString ServerQuery::columnName(int column) const {
    if (column < 0 || column >= columnCount()) return {};
    return names_[size_t(source(column))];
}

// ---------------------------------------------------------------- ServerConnection

ServerConnection::ServerConnection(const QString& url, const QString& password) {
    const QByteArray u = url.toUtf8();
    const QByteArray p = password.toUtf8();
    const char* keys[] = {"dbname", "password", "application_name", "client_encoding", nullptr};
    const char* values[] = {u.constData(), password.isEmpty() ? nullptr : p.constData(), "Tolvane",
                            "UTF8", nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        const QString message =
            conn_ ? trimmedMessage(PQerrorMessage(conn_)) : QStringLiteral("out of memory");
        // A password asked for and not given, or given and refused.
        const bool refused = conn_ && PQconnectionUsedPassword(conn_) &&
                             message.contains(QLatin1String("authentication failed"));
        const int number =
            conn_ && (PQconnectionNeedsPassword(conn_) || refused) ? code::Auth : code::CantOpen;
        PQfinish(conn_);
        conn_ = nullptr;
        throw Error(number, message);
    }
    user_ = QString::fromUtf8(PQuser(conn_));
    const QString host = QString::fromUtf8(PQhost(conn_));
    location_ = QStringLiteral("postgresql://%1@%2:%3/%4")
                    .arg(user_, host.startsWith(QLatin1Char('/')) ? QString() : host,
                         QString::fromUtf8(PQport(conn_)), QString::fromUtf8(PQdb(conn_)));
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
    startSession();
}

void ServerConnection::startSession() {
    pid_ = PQbackendPID(conn_);
    // Dates and numbers travel as text the store reads itself; the session's
    // settings must not change them.
    execute("SET extra_float_digits = 3; SET DateStyle = ISO; LISTEN tolvane_changes");
}

bool ServerConnection::lost() const {
    return PQstatus(conn_) != CONNECTION_OK;
}

void ServerConnection::ensureConnected() {
    if (!lost()) return;
    // Inside a transaction the server has already undone it; the caller's
    // rollback ends it here, and only then is a new connection made.
    if (transactionDepth > 0)
        throw Error(code::IoErr, texts::connectionLost(location_) +
                                     QStringLiteral(" Nothing of this change was stored."));
    PQreset(conn_);
    ++generation;
    stale_.clear();
    if (lost())
        throw Error(code::IoErr, texts::withLibpqText(texts::connectionLost(location_),
                                                      trimmedMessage(PQerrorMessage(conn_))));
    startSession();
    // Whatever others wrote meanwhile is unknown: it counts as a change.
    ++others_;
    ++othersSchemaChanges;
}

PGresult* ServerConnection::prepareGuarded(const std::string& name, const std::string& text,
                                           const std::vector<unsigned int>& types,
                                           bool& released) {
    released = false;
    static const std::string Savepoint = "SAVEPOINT tolvane_prepare";
    static const std::string Release = "RELEASE SAVEPOINT tolvane_prepare";
    const bool sent =
        PQenterPipelineMode(conn_) == 1 &&
        PQsendQueryParams(conn_, Savepoint.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) ==
            1 &&
        PQsendPrepare(conn_, name.c_str(), text.c_str(), int(types.size()), types.data()) == 1 &&
        PQsendQueryParams(conn_, Release.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1 &&
        PQpipelineSync(conn_) == 1;
    // Each command's result, then a null between commands; the sync ends them.
    std::vector<PGresult*> got;
    if (sent) {
        int nulls = 0;
        while (nulls < 2) {
            PGresult* r = PQgetResult(conn_);
            if (!r) {
                ++nulls;
                continue;
            }
            nulls = 0;
            if (PQresultStatus(r) == PGRES_PIPELINE_SYNC) {
                PQclear(r);
                break;
            }
            got.push_back(r);
        }
    }
    PQexitPipelineMode(conn_);
    const auto clearFrom = [&got](size_t first) {
        for (size_t i = first; i < got.size(); ++i)
            PQclear(got[i]);
    };
    if (got.size() < 3 || PQresultStatus(got[0]) != PGRES_COMMAND_OK) {
        // The savepoint itself failed, or the connection went.
        PGresult* first = got.empty() ? nullptr : got[0];
        clearFrom(1);
        raise(first, Savepoint);
    }
    released = PQresultStatus(got[1]) == PGRES_COMMAND_OK &&
               PQresultStatus(got[2]) == PGRES_COMMAND_OK;
    PQclear(got[0]);
    clearFrom(2);
    return got[1];
}

ServerConnection::~ServerConnection() {
    if (conn_) PQfinish(conn_);
}

void ServerConnection::raise(PGresult* result, const std::string& sql) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    QString message = trimmedMessage(result ? PQresultErrorMessage(result) : nullptr);
    if (message.isEmpty()) message = trimmedMessage(PQerrorMessage(conn_));
    if (message.startsWith(QLatin1String("ERROR:"))) message = message.mid(6).trimmed();
    // Only the first line: the detail and the statement belong in the log.
    const QString first = message.section(QLatin1Char('\n'), 0, 0);
    const int number =
        state ? codeFor(state) : (PQstatus(conn_) == CONNECTION_OK ? code::Error : code::IoErr);
    if (result) PQclear(result);
    if (PQstatus(conn_) != CONNECTION_OK) {
        // Inside a transaction the server undoes it all when the connection
        // goes; a single write outside one may or may not have been stored.
        const QString lostText =
            texts::connectionLost(location_) +
            (transactionDepth > 0 ? QStringLiteral(" Nothing of this change was stored.")
                                  : QString());
        throw Error(code::IoErr, texts::withLibpqText(lostText, first));
    }
    // For the developer who follows a failure to its statement.
    static const bool trace = qEnvironmentVariableIsSet("TOLVANE_TRACE_SERVER");
    if (trace) std::fprintf(stderr, "server: %s\n  in: %s\n", qPrintable(message), sql.c_str());
    throw Error(number, first);
}

void ServerConnection::check(PGresult* result, const std::string& sql) {
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY)
        return;
    raise(result, sql);
}

void ServerConnection::execute(const std::string& sql) {
    // Ending a transaction on a lost connection needs no server: it is over.
    const bool ending = sql == "ROLLBACK" || sql.rfind("ROLLBACK TO", 0) == 0;
    if (ending && lost()) return;
    ensureConnected();
    PGresult* r = PQexec(conn_, sql.c_str());
    check(r, sql);
    PQclear(r);
}

void ServerConnection::dropStale() {
    if (stale_.empty() || PQtransactionStatus(conn_) == PQTRANS_INERROR) return;
    std::string sql;
    for (const std::string& name : stale_)
        sql += "DEALLOCATE " + name + ";";
    stale_.clear();
    PGresult* r = PQexec(conn_, sql.c_str());
    PQclear(r);
}

std::uint64_t ServerConnection::tableWrites(const std::string& lower) const {
    const auto it = writes_.find(lower);
    return it == writes_.end() ? 0 : it->second;
}

void ServerConnection::wrote(const std::string& table, int rows) {
    if (rows <= 0) return;
    if (table.empty())
        unattributed += std::uint64_t(rows);
    else
        writes_[table] += std::uint64_t(rows);
}

std::uint64_t ServerConnection::othersCommits() {
    PQconsumeInput(conn_);
    while (PGnotify* n = PQnotifies(conn_)) {
        const std::string_view payload(n->extra);
        if (payload.substr(0, 4) == "row:") {
            // "row:<table>:<key>", this connection's own writes too.
            const QString rest = QString::fromUtf8(n->extra + 4);
            const qsizetype colon = rest.indexOf(QLatin1Char(':'));
            if (colon > 0) touched_[rest.left(colon)].insert(rest.mid(colon + 1));
        }
        if (n->be_pid != pid_) {
            ++others_;
            if (payload == "schema") ++othersSchemaChanges;
        }
        PQfreemem(n);
    }
    return others_;
}

std::set<QString> ServerConnection::takeTouched(const QStringList& tables) {
    othersCommits();
    std::set<QString> keys;
    for (const QString& table : tables) {
        auto it = touched_.find(table);
        if (it == touched_.end()) continue;
        keys.insert(it->second.begin(), it->second.end());
        touched_.erase(it);
    }
    return keys;
}

} // namespace store
