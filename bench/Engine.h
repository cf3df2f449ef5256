// Which engine the benchmarks run on. The data sets are always made as files;
// on a server each is copied once into a database of its own, and every
// benchmark that opens a data set (or a fresh copy of one) gets that
// database instead of the file.
#pragma once

#include <QString>

#include <memory>

namespace store {
class Database;
}

namespace bench {

enum class Engine { Sqlite, Server };

Engine engine();
inline bool onServer() {
    return engine() == Engine::Server;
}

// Set once by main before any benchmark runs. The address is a libpq URI of a
// database the benchmarks may create and drop databases from.
void useServer(const QString& address);

// The server's address given to useServer (empty on SQLite).
QString serverAddress();

// The address of the server database holding the data set made at path: made
// once with the program's own copy (reused when the server already holds it
// with the same tables and row counts). Empty on SQLite.
QString serverDataSet(const QString& path);

// The data set at path as the benchmarks read it: the file on SQLite, its
// server database (shared: never written to) on a server.
std::unique_ptr<store::Database> openDataSet(const QString& path, bool readOnly = false);

// A file path or a server address, whichever database is named.
std::unique_ptr<store::Database> openDatabase(const QString& pathOrAddress, bool readOnly = false);

// A database of its own on the server, made from a data set's database as a
// template (the server copies it file by file, so that it costs little); dropped
// when this is destroyed.
class ServerScratch {
public:
    explicit ServerScratch(const QString& dataSetPath);
    ~ServerScratch();
    ServerScratch(const ServerScratch&) = delete;
    ServerScratch& operator=(const ServerScratch&) = delete;
    const QString& address() const { return address_; }

private:
    QString name_;
    QString address_;
};

// The libpq connection string of database name on the benchmark server.
QString serverAddressOf(const QString& name);

} // namespace bench
