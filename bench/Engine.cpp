#include "Engine.h"

#include "operations/ServerCopy.h"
#include "store/Database.h"
#include "store/Error.h"
#include "store/ServerAddress.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>

#include <libpq-fe.h>

#include <atomic>
#include <map>

namespace bench {

namespace {

Engine chosen = Engine::Sqlite;
QString server;

// One statement on a fresh connection to the server's own database: creating
// and dropping databases cannot run inside a transaction, nor on a connection
// to the database concerned.
QString adminRun(const QByteArray& sql, const std::vector<QByteArray>& parameters = {}) {
    PGconn* conn = PQconnectdb(server.toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK) {
        const QString why = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        PQfinish(conn);
        qFatal("bench: no connection to the server: %s", qPrintable(why));
    }
    // "does not exist, skipping" and the like are no news here.
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    std::vector<const char*> values;
    for (const QByteArray& p : parameters)
        values.push_back(p.constData());
    PGresult* result = PQexecParams(conn, sql.constData(), int(values.size()), nullptr,
                                    values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const QString why = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
        PQclear(result);
        PQfinish(conn);
        qFatal("bench: %s failed: %s", sql.constData(), qPrintable(why));
    }
    QString first;
    if (status == PGRES_TUPLES_OK && PQntuples(result) > 0 && !PQgetisnull(result, 0, 0))
        first = QString::fromUtf8(PQgetvalue(result, 0, 0));
    PQclear(result);
    PQfinish(conn);
    return first;
}

QByteArray quoted(const QString& name) {
    return '"' + name.toUtf8() + '"';
}

// What makes two copies of a data set the same: its tables and their rows.
QString shapeOf(const QString& path) {
    auto db = store::Database::open(path, true);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QStringList tables = db->tableNames();
    tables.sort();
    for (const QString& table : tables) {
        store::Statement count =
            db->prepare(QStringLiteral("SELECT count(*) FROM %1").arg(store::quoteName(table)));
        count.step();
        hash.addData(QStringLiteral("%1=%2;").arg(table).arg(count.int64(0)).toUtf8());
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString databaseNameOf(const QString& path) {
    QString name = QStringLiteral("tolvane_bench_") + QFileInfo(path).completeBaseName().toLower();
    for (QChar& c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 128)) c = QLatin1Char('_');
    return name.left(63);
}

} // namespace

Engine engine() {
    return chosen;
}

void useServer(const QString& address) {
    chosen = Engine::Server;
    server = address;
}

QString serverAddress() {
    return server;
}

QString serverAddressOf(const QString& name) {
    store::ServerAddress address = store::parseServerAddress(server);
    address.database = name;
    return store::serverUrl(address, true);
}

QString serverDataSet(const QString& path) {
    if (!onServer()) return {};
    static std::map<QString, QString> made;
    if (const auto it = made.find(path); it != made.end()) return it->second;
    const QString name = databaseNameOf(path);
    const QString shape = shapeOf(path);
    const QString held = adminRun("SELECT shobj_description(oid, 'pg_database') FROM pg_database "
                                  "WHERE datname = $1",
                                  {name.toUtf8()});
    const QString address = serverAddressOf(name);
    if (held != shape) {
        adminRun("DROP DATABASE IF EXISTS " + quoted(name) + " WITH (FORCE)");
        adminRun("CREATE DATABASE " + quoted(name));
        try {
            auto db = store::Database::connect(address);
            operations::copyIntoServer(*db, path);
        } catch (const store::Error& e) {
            qFatal("bench: %s was not copied to the server: %s", qPrintable(path),
                   qPrintable(e.description()));
        }
        // Marked only once it is whole: a copy cut short is made again.
        adminRun("COMMENT ON DATABASE " + quoted(name) + " IS '" + shape.toLatin1() + "'");
    }
    return made[path] = address;
}

std::unique_ptr<store::Database> openDatabase(const QString& pathOrAddress, bool readOnly) {
    if (store::isServerAddress(pathOrAddress)) return store::Database::connect(pathOrAddress);
    return store::Database::open(pathOrAddress, readOnly);
}

std::unique_ptr<store::Database> openDataSet(const QString& path, bool readOnly) {
    return onServer() ? store::Database::connect(serverDataSet(path))
                      : store::Database::open(path, readOnly);
}

ServerScratch::ServerScratch(const QString& dataSetPath) {
    static std::atomic<int> counter = 0;
    const QString from = store::parseServerAddress(serverDataSet(dataSetPath)).database;
    name_ = QStringLiteral("tolvane_bench_scratch_%1_%2")
                .arg(QCoreApplication::applicationPid())
                .arg(++counter);
    adminRun("DROP DATABASE IF EXISTS " + quoted(name_) + " WITH (FORCE)");
    adminRun("CREATE DATABASE " + quoted(name_) + " TEMPLATE " + quoted(from));
    address_ = serverAddressOf(name_);
}

ServerScratch::~ServerScratch() {
    adminRun("DROP DATABASE IF EXISTS " + quoted(name_) + " WITH (FORCE)");
}

} // namespace bench
