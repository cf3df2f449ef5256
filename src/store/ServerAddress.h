// Where a database on a PostgreSQL server is: its libpq URI taken apart and
// put together again, its name for people, and libpq's failures in plain words.
#pragma once

#include <QString>

namespace store {

// Whether a database location names a server (a postgresql:// or postgres://
// URI, any case, blanks around it ignored) rather than a file.
bool isServerAddress(const QString& location);

struct ServerAddress {
    QString host; // a name, an address or a socket folder; empty: libpq's default
    int port = 0; // 0: libpq's default
    QString database;
    QString user;
    QString password; // only when the URI holds one; never written anywhere by us
    // The URI's other parameters, as its query part without the "?"
    // ("sslmode=require&connect_timeout=10"), each value percent-encoded.
    QString options;
};

// Takes a libpq URI apart. Throws store::Error (code::Misuse) with a message
// that says what is wrong and quotes the address (its password hidden), libpq's
// own message in brackets after it.
ServerAddress parseServerAddress(const QString& url);

// The URI of an address, every part percent-encoded, so that parsing it gives
// the same address back. The password only when asked for.
QString serverUrl(const ServerAddress& address, bool withPassword = false);

// The user and the database libpq connects as and to: the address's, else
// libpq's defaults (PGUSER or the login name; PGDATABASE or the user's name).
QString effectiveUser(const ServerAddress& address);
QString effectiveDatabase(const ServerAddress& address);

// Where the server is, for messages: "host:5432", "[::1]:5432", "the socket
// folder /run/postgresql (port 5432)", "this computer".
QString serverPlace(const ServerAddress& address);

// What a title or a message calls the database: "site on host:5432 as user".
// Never the password.
QString displayName(const ServerAddress& address);

// libpq's message for a connection that failed, in plain words that name the
// server, with libpq's own text in brackets at the end.
QString connectionFailureText(const QString& libpqMessage, const ServerAddress& address);

// Whether start-up must ask for a password: not when the address holds one,
// nor when the server lets the user in without (trust, peer) or ~/.pgpass
// (PGPASSFILE) answers. Found by a connection attempt without a password,
// with a short time-out. A failure of another kind (server down, database
// missing) gives false: the connection that follows reports it.
bool passwordNeeded(const ServerAddress& address);

} // namespace store
