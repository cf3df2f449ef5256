#include "store/Database.h"

#include "store/ServerEngine.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <atomic>
#include <cmath>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

#include <cctype>
#include <mutex>

namespace store {

namespace {

QString lastMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

} // namespace

QString quoteName(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1Char('`'), QLatin1String("``"));
    return QLatin1Char('`') + doubled + QLatin1Char('`');
}

// ---------------------------------------------------------------- Statement

namespace {

// A real as SQLite writes it as text: fifteen significant digits, and a
// decimal point always ("0.0", "1.0e+20"), so that a server's numbers read
// the same as a file's.
QString realText(double value) {
    if (std::isnan(value)) return QString();
    if (std::isinf(value)) return value > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text(buffer);
    if (text.find_first_of(".n") == std::string::npos) {
        const size_t e = text.find('e');
        text.insert(e == std::string::npos ? text.size() : e, ".0");
    }
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace

Statement::~Statement() {
    if (stmt_ || query_) owner_->giveBack(std::move(key_), stmt_, query_);
}

bool Statement::step() {
    if (query_) return query_->step();
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    // The statement's own code and message describe the failing step.
    const int number = sqlite3_extended_errcode(owner_->handle());
    const QString message = lastMessage(owner_->handle());
    sqlite3_reset(stmt_);
    throw Error(number, message);
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    if (query_) return query_->reset();
    sqlite3_reset(stmt_);
}

void Statement::bindNull(int index) {
    if (query_) return query_->bindNull(index);
    sqlite3_bind_null(stmt_, index);
}
void Statement::bind(int index, qint64 value) {
    if (query_) return query_->bind(index, value);
    sqlite3_bind_int64(stmt_, index, value);
}
void Statement::bind(int index, double value) {
    if (query_) return query_->bind(index, value);
    sqlite3_bind_double(stmt_, index, value);
}
void Statement::bind(int index, const QString& value) {
    if (query_) return query_->bindText(index, value.toStdString());
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

qint64 Statement::int64(int column) const {
    if (query_) return query_->int64(column);
    return sqlite3_column_int64(stmt_, column);
}

QString Statement::text(int column) const {
    if (query_) {
        switch (query_->kind(column)) {
        case Kind::Null:
            return QString();
        case Kind::Real:
            return realText(*query_->number(column));
        case Kind::Integer:
            return QString::number(query_->int64(column));
        default: {
            const std::string_view v = query_->utf8(column);
            return QString::fromUtf8(v.data(), qsizetype(v.size()));
        }
        }
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt_, column)) : QString();
}

void Statement::bindUtf8(int index, std::string_view value) {
    if (query_) return query_->bindText(index, std::string(value));
    sqlite3_bind_text(stmt_, index, value.data(), int(value.size()), SQLITE_TRANSIENT);
}

Statement::Kind Statement::kind(int column) const {
    if (query_) return query_->kind(column);
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return Kind::Integer;
    case SQLITE_FLOAT:
        return Kind::Real;
    case SQLITE_TEXT:
        return Kind::Text;
    case SQLITE_BLOB:
        return Kind::Blob;
    default:
        return Kind::Null;
    }
}

std::optional<double> Statement::number(int column) const {
    if (query_) return query_->number(column);
    const int type = sqlite3_column_type(stmt_, column);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) return std::nullopt;
    return sqlite3_column_double(stmt_, column);
}

std::string_view Statement::utf8(int column) const {
    if (query_) return query_->utf8(column);
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return p ? std::string_view(p, size_t(sqlite3_column_bytes(stmt_, column)))
             : std::string_view();
}

QByteArray Statement::blob(int column) const {
    if (query_) return query_->blob(column);
    const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return p ? QByteArray(p, sqlite3_column_bytes(stmt_, column)) : QByteArray();
}

int Statement::columnCount() const {
    if (query_) return query_->columnCount();
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int column) const {
    if (query_) return query_->columnName(column);
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

// ---------------------------------------------------------------- Database

namespace {

// Opens the connection with the given flags; a failure closes what was opened.
// SQLite counts every allocation under a global lock unless told not to; the
// schema of a file with a thousand reading tables makes many allocations.
// Must come before the library's first use; later calls are refused harmlessly.
void configureOnce() {
    static std::once_flag once;
    std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

sqlite3* openFile(const QString& path, int flags) {
    configureOnce();
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const int number = db ? sqlite3_extended_errcode(db) : rc;
        const QString message = lastMessage(db);
        sqlite3_close(db);
        throw Error(number, message + QStringLiteral(": ") + path);
    }
    sqlite3_extended_result_codes(db, 1);
    // Another program reading the file (a backup tool, a viewer) is waited for briefly.
    sqlite3_busy_timeout(db, 3000);
    return db;
}

} // namespace

std::unique_ptr<Database> Database::open(const QString& path, bool readOnly) {
    // SQLite would happily open a directory name or create nothing here, but a
    // clear "cannot open" for a missing file is what callers report.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isFile())
        throw Error(code::CantOpen, QStringLiteral("unable to open database file: %1").arg(path));
    sqlite3* db = openFile(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    std::unique_ptr<Database> result(new Database(db, info.absoluteFilePath()));
    // A file that is not a database shows only when the schema is first read.
    // A larger page cache keeps a long reading table's pages in memory through
    // a transaction that reads and rewrites all of them (preparing a graph).
    result->execute(QStringLiteral("PRAGMA foreign_keys = ON; PRAGMA cache_size = -65536; "
                                   "SELECT count(*) FROM sqlite_schema"));
    return result;
}

bool Database::cutShort(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return false;
    const auto byte = [&](int i) { return quint32(quint8(header[i])); };
    const auto word = [&](int i) {
        return byte(i) << 24 | byte(i + 1) << 16 | byte(i + 2) << 8 | byte(i + 3);
    };
    const quint32 pageSize = byte(16) << 8 | byte(17);
    const qint64 bytesPerPage = pageSize == 1 ? 65536 : pageSize;
    // The page count in the header holds only while the change counter agrees
    // with the number stored beside it; older writers leave it stale.
    if (word(24) != word(92) || word(28) == 0) return false;
    return qint64(word(28)) * bytesPerPage > file.size();
}

std::unique_ptr<Database> Database::create(const QString& path) {
    if (QFileInfo::exists(path))
        throw Error(code::CantOpen, QStringLiteral("file already exists: %1").arg(path));
    sqlite3* db = openFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    return std::unique_ptr<Database>(new Database(db, QFileInfo(path).absoluteFilePath()));
}

QString systemUserName() {
    for (const char* name : {"USER", "USERNAME", "LOGNAME"}) {
        const QString user = qEnvironmentVariable(name).trimmed();
        if (!user.isEmpty()) return user;
    }
#ifdef Q_OS_UNIX
    // A service or a cron job may run without those variables; the account is
    // still known.
    if (const passwd* account = getpwuid(getuid()); account && account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
#endif
    return QStringLiteral("unknown");
}

Database::Database(sqlite3* db, QString path)
    : db_(db), path_(std::move(path)), actor_{systemUserName(),
                                              [] { return QDateTime::currentDateTime(); }} {
    static std::atomic<std::uint64_t> opened{0};
    serial_ = ++opened;
    sqlite3_update_hook(db_, &Database::rowWritten, this);
    sqlite3_rollback_hook(db_, &Database::rolledBack, this);
}

Database::Database(std::unique_ptr<ServerConnection> server)
    : server_(std::move(server)), actor_{systemUserName(),
                                         [] { return QDateTime::currentDateTime(); }} {
    static std::atomic<std::uint64_t> opened{1u << 31};
    serial_ = ++opened;
    path_ = server_->location();
}

std::unique_ptr<Database> Database::connect(const QString& url, const QString& password) {
    return std::unique_ptr<Database>(
        new Database(std::make_unique<ServerConnection>(url, password)));
}

QString Database::databaseUser() const {
    return server_ ? server_->user() : actor_.user;
}

void Database::rowWritten(void* self, int, const char*, const char* table, long long) {
    auto* d = static_cast<Database*>(self);
    std::string name(table);
    for (char& c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    ++d->tableWrites_[name];
    ++d->attributedWrites_;
}

void Database::rolledBack(void* self) {
    ++static_cast<Database*>(self)->rollbacks_;
}

std::uint64_t Database::writesTo(const QString& table) const {
    return writesTo(table.toLower().toStdString());
}

std::uint64_t Database::writesTo(const std::string& lowerName) const {
    if (server_) return server_->tableWrites(lowerName);
    const auto it = tableWrites_.find(lowerName);
    return it == tableWrites_.end() ? 0 : it->second;
}

Database::ChangeStamp Database::changeStamp(const QString& table, bool withVersions) {
    ChangeStamp stamp;
    stamp.table = writesTo(table);
    if (server_) {
        stamp.unattributed = server_->unattributed + rollbacks_;
        if (!withVersions) return stamp;
        stamp.others = std::int64_t(server_->othersCommits());
        stamp.schema = std::int64_t(server_->ownSchemaChanges + server_->othersSchemaChanges);
        return stamp;
    }
    // Rows the update hook never saw (a DELETE without WHERE empties the table
    // at once) still count among the connection's changes.
    stamp.unattributed =
        std::uint64_t(sqlite3_total_changes64(db_)) - attributedWrites_ + rollbacks_;
    if (!withVersions) return stamp;
    Statement schema = prepare(QStringLiteral("PRAGMA schema_version"));
    if (schema.step()) stamp.schema = schema.int64(0);
    schema.reset();
    Statement others = prepare(QStringLiteral("PRAGMA data_version"));
    if (others.step()) stamp.others = others.int64(0);
    others.reset();
    return stamp;
}

Database::~Database() {
    for (auto& [key, cached] : cache_)
        finalize(cached.stmt, cached.query);
    cache_.clear();
    if (db_) sqlite3_close_v2(db_);
}

void Database::finalize(sqlite3_stmt* stmt, ServerQuery* query) noexcept {
    if (stmt) sqlite3_finalize(stmt);
    delete query;
}

void Database::raise(sqlite3* db) {
    throw Error(sqlite3_extended_errcode(db), lastMessage(db));
}
void Database::raise() const {
    if (server_) throw Error(code::Error, QStringLiteral("the server reported a failure"));
    raise(db_);
}

void Database::execute(const QString& sql) {
    if (server_) {
        if (sql.startsWith(QLatin1String("/*server*/"))) {
            // The store's own text for the server, taken as it is.
            server_->execute(sql.toStdString());
            ++server_->ownSchemaChanges;
            return;
        }
        for (const std::string& one : splitStatements(sql.toStdString())) {
            const ServerStatement rewritten = toServer(one);
            if (rewritten.changesSchema) {
                // Other connections learn of it at the commit.
                server_->execute(rewritten.text +
                                 ";\nSELECT pg_notify('tolvane_changes', 'schema')");
                ++server_->ownSchemaChanges;
                continue;
            }
            Statement st = prepare(QString::fromStdString(one));
            st.run();
        }
        return;
    }
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : lastMessage(db_);
        sqlite3_free(message);
        throw Error(sqlite3_extended_errcode(db_), text);
    }
}

Statement Database::prepare(const QString& sql) {
    std::string key = sql.toStdString();
    if (auto it = cache_.find(key); it != cache_.end()) {
        sqlite3_stmt* stmt = it->second.stmt;
        ServerQuery* query = it->second.query;
        recency_.erase(it->second.use);
        cache_.erase(it);
        return Statement(this, std::move(key), stmt, query);
    }
    if (server_) {
        auto query = std::make_unique<ServerQuery>(*server_, key);
        return Statement(this, std::move(key), nullptr, query.release());
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, key.c_str(), int(key.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                           nullptr) != SQLITE_OK)
        raise();
    if (!stmt) throw Error(code::Misuse, QStringLiteral("empty statement: ") + sql);
    return Statement(this, std::move(key), stmt);
}

void Database::giveBack(std::string key, sqlite3_stmt* stmt, ServerQuery* query) noexcept {
    if (stmt) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
    if (query) {
        query->reset();
        query->clearBindings();
    }
    // Two borrowers of one text: keep one copy.
    if (cache_.count(key)) {
        finalize(stmt, query);
        return;
    }
    // Out of memory: the statement is only not kept.
    try {
        recency_.push_front(key);
    } catch (...) {
        finalize(stmt, query);
        return;
    }
    try {
        cache_.emplace(std::move(key), Cached{stmt, query, recency_.begin()});
    } catch (...) {
        recency_.pop_front();
        finalize(stmt, query);
        return;
    }
    // The cap bounds a long session's cache of per-table statements.
    while (cache_.size() > CachedStatements) {
        const auto oldest = cache_.find(recency_.back());
        finalize(oldest->second.stmt, oldest->second.query);
        cache_.erase(oldest);
        recency_.pop_back();
    }
}

int Database::changes() const {
    if (server_) return server_->changes;
    return sqlite3_changes(db_);
}

qint64 Database::lastInsertId() const {
    if (server_) return server_->lastInsertId;
    return sqlite3_last_insert_rowid(db_);
}

bool Database::hasTable(const QString& name) {
    if (server_) return serverHasTable(name);
    // The schema is held in memory by the engine; this is a hash look-up and
    // does not grow with the number of tables in the file.
    const QByteArray utf8 = name.toUtf8();
    if (sqlite3_table_column_metadata(db_, "main", utf8.constData(), nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    bool letters = false;
    for (QChar c : name)
        letters = letters || c.isLetter();
    if (!letters) return true;
    // The engine matches names without regard to case; tables are told apart by
    // their exact spelling. The spellings found are kept while the schema
    // stays as it was: a change of it, or a rollback that may have undone one,
    // forgets them.
    std::int64_t version = 0;
    {
        Statement st = prepare(QStringLiteral("PRAGMA schema_version"));
        if (st.step()) version = st.int64(0);
    }
    if (version != spellingsVersion_ || rollbacks_ != spellingsRollbacks_) {
        spellings_.clear();
        spellingsVersion_ = version;
        spellingsRollbacks_ = rollbacks_;
    }
    QByteArray folded = utf8; // the engine folds ASCII letters only
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    auto known = spellings_.find(folded.toStdString());
    if (known == spellings_.end()) {
        // The engine's own list, held in memory (sqlite_schema would be read
        // from its pages, every table and index with its SQL).
        Statement st = prepare(QStringLiteral("SELECT name FROM pragma_table_list(?1) WHERE "
                                              "schema = 'main' AND type <> 'view'"));
        st.bind(1, name);
        QString spelling;
        if (st.step()) spelling = st.text(0);
        known = spellings_.emplace(folded.toStdString(), spelling).first;
    }
    return known->second == name;
}

QStringList Database::tableNames() {
    QStringList names;
    if (server_) {
        Statement st = prepare(QStringLiteral(
            "/*server*/SELECT c.relname FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n "
            "ON n.oid = c.relnamespace WHERE n.nspname = current_schema() AND c.relkind IN "
            "('r', 'p') ORDER BY c.relname COLLATE \"C\""));
        while (st.step())
            names << st.text(0);
        return names;
    }
    Statement st = prepare(
        QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name"));
    while (st.step())
        names << st.text(0);
    return names;
}

std::vector<Database::ColumnInfo> Database::columns(const QString& table) {
    std::vector<ColumnInfo> result;
    if (server_) {
        // The server's types by the names the schema was written with.
        Statement st = prepare(QStringLiteral(
            "/*server*/SELECT a.attname, CASE a.atttypid WHEN 25 THEN 'TEXT' WHEN 701 THEN "
            "'REAL' WHEN 20 THEN 'INTEGER' WHEN 17 THEN 'BLOB' ELSE upper(format_type(a.atttypid, "
            "a.atttypmod)) END FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_class c ON c.oid "
            "= a.attrelid JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE "
            "n.nspname = current_schema() AND c.relname = $1 AND a.attnum > 0 AND NOT "
            "a.attisdropped AND a.attname <> '_rowid_' ORDER BY a.attnum"));
        st.bind(1, table);
        while (st.step())
            result.push_back({st.text(0), st.text(1)});
        return result;
    }
    Statement st =
        prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?1) ORDER BY cid"));
    st.bind(1, table);
    while (st.step())
        result.push_back({st.text(0), st.text(1)});
    return result;
}

std::set<QString> Database::takeTouchedKeys(const QStringList& tables) {
    if (!server_) return {};
    return server_->takeTouched(tables);
}

QStringList Database::integrityProblems(int most) {
    QStringList found;
    if (server_) return found;
    Statement check = prepare(QStringLiteral("PRAGMA integrity_check(%1)").arg(most));
    while (check.step())
        if (const QString verdict = check.text(0); verdict != QLatin1String("ok")) found << verdict;
    return found;
}

QString Database::tableDefinition(const QString& table) {
    if (server_)
        throw Error(code::Misuse,
                    QStringLiteral("a server keeps no text of its tables' definitions: ") + table);
    Statement st =
        prepare(QStringLiteral("SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = ?1"));
    st.bind(1, table);
    if (!st.step()) throw Error(code::Error, QStringLiteral("no such table: ") + table);
    return st.text(0);
}

QStringList Database::indexDefinitions(const QString& table) {
    if (server_)
        throw Error(code::Misuse,
                    QStringLiteral("a server keeps no text of its indexes' definitions: ") + table);
    QStringList result;
    Statement st = prepare(QStringLiteral("SELECT sql FROM sqlite_schema WHERE type = 'index' "
                                          "AND tbl_name = ?1 AND sql IS NOT NULL ORDER BY name"));
    st.bind(1, table);
    while (st.step())
        result << st.text(0);
    return result;
}

// A server has no savepoint outside a transaction, where SQLite's begins one:
// the outermost level is a transaction of its own there.
void Database::beginSavepoint() {
    if (!server_) return execute(QStringLiteral("SAVEPOINT tolvane"));
    server_->execute(server_->transactionDepth == 0 ? "BEGIN" : "SAVEPOINT tolvane");
    ++server_->transactionDepth;
}

void Database::releaseSavepoint() {
    if (!server_) return execute(QStringLiteral("RELEASE tolvane"));
    if (server_->transactionDepth == 1) {
        commit();
        return;
    }
    server_->execute("RELEASE SAVEPOINT tolvane");
    --server_->transactionDepth;
}

// A server's writers never wait at their start: a transaction taken at once
// is any transaction there, and nests inside another as one does.
void Database::beginImmediate() {
    if (!server_) return execute(QStringLiteral("BEGIN IMMEDIATE"));
    beginSavepoint();
}

void Database::commit() {
    if (!server_) return execute(QStringLiteral("COMMIT"));
    if (server_->transactionDepth > 1) {
        releaseSavepoint();
        return;
    }
    try {
        server_->execute("COMMIT");
    } catch (...) {
        // A commit refused leaves no transaction open on the server.
        server_->transactionDepth = 0;
        ++rollbacks_;
        throw;
    }
    server_->transactionDepth = 0;
}

void Database::rollbackQuietly() noexcept {
    // Undo the innermost savepoint and leave it, whatever the outer ones do.
    ++rollbacks_;
    if (server_) {
        try {
            if (server_->transactionDepth <= 1) {
                server_->transactionDepth = 0;
                server_->execute("ROLLBACK");
            } else {
                --server_->transactionDepth;
                server_->execute("ROLLBACK TO SAVEPOINT tolvane; RELEASE SAVEPOINT tolvane");
            }
        } catch (...) {
        }
        return;
    }
    sqlite3_exec(db_, "ROLLBACK TO tolvane; RELEASE tolvane", nullptr, nullptr, nullptr);
}

void Database::rollbackTransactionQuietly() noexcept {
    if (server_) {
        rollbackQuietly();
        return;
    }
    ++rollbacks_;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Database::serverHasTable(const QString& name) {
    // Tables found are remembered while the schema stays as it was: a change
    // of it here or by another connection (the server tells of those), a
    // rollback that may have undone one, or a new connection (which heard
    // nothing in between) forgets them. A status board asks this for every
    // sensor. A table not found is asked for again each time: another user's
    // new sensor is seen at once.
    server_->othersCommits();
    const std::array<std::uint64_t, 3> now{
        server_->ownSchemaChanges + server_->othersSchemaChanges, rollbacks_, server_->generation};
    if (now != serverTablesStamp_) {
        serverTables_.clear();
        serverTablesStamp_ = now;
    }
    const std::string key = name.toStdString();
    if (serverTables_.count(key)) return true;
    // Names are told apart by their exact spelling, as on a file.
    Statement st = prepare(QStringLiteral(
        "/*server*/SELECT 1 FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid "
        "= c.relnamespace WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p') AND "
        "c.relname = $1"));
    st.bind(1, name);
    const std::uint64_t generation = server_->generation;
    const bool found = st.step();
    // Asked on a connection made anew, only this answer is known to hold.
    if (server_->generation != generation) {
        serverTables_.clear();
        serverTablesStamp_[2] = server_->generation;
    }
    if (found) serverTables_.insert(key);
    return found;
}

bool Database::hasMoved() const {
    if (server_) return false;
    int moved = 0;
    if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
        return false;
    return moved != 0;
}

} // namespace store
