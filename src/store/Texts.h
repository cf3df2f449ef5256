// The store's own texts, character for character: the title other subsystems
// share, and what is said of a server address and of a failed connection.
#pragma once

#include <QString>

namespace store::texts {

inline const QString TitleUpper = QStringLiteral("Vornhald's TOLVANE");

// ------------------------------------------------------------ server addresses
// %1 is the address as typed, its password hidden.

inline QString notAServerAddress(const QString& address) {
    return QStringLiteral("The database location \"%1\" is not a server address: a server "
                          "address begins with postgresql:// (for example "
                          "postgresql://user@host:5432/database).")
        .arg(address);
}
inline QString portNotANumber(const QString& address, const QString& port) {
    return QStringLiteral("The server address \"%1\" has a port that is not a number (\"%2\").")
        .arg(address, port);
}
inline QString portOutOfRange(const QString& address, const QString& port) {
    return QStringLiteral("The server address \"%1\" has a port outside 1 to 65535 (\"%2\").")
        .arg(address, port);
}
inline QString unknownSetting(const QString& address, const QString& name) {
    return QStringLiteral("The server address \"%1\" has a setting that the connection does not "
                          "know (\"%2\"): check its spelling after the \"?\".")
        .arg(address, name);
}
inline QString settingWithoutValue(const QString& address, const QString& name) {
    return QStringLiteral("The server address \"%1\" has a setting without \"=\" and a value "
                          "(\"%2\"): write each setting after the \"?\" as name=value, joined "
                          "by \"&\".")
        .arg(address, name);
}
inline QString badPercentCode(const QString& address, const QString& part) {
    return QStringLiteral("The server address \"%1\" has a \"%\" that is not followed by two "
                          "hexadecimal digits, or that stands for a character no name may hold "
                          "(in \"%2\"): write a \"%\" sign in a name or password as %25.")
        .arg(address, part);
}
inline QString unclosedBracket(const QString& address) {
    return QStringLiteral("The server address \"%1\" has an IPv6 host address without its "
                          "closing \"]\".")
        .arg(address);
}
inline QString severalServers(const QString& address, const QString& hosts) {
    return QStringLiteral("The server address \"%1\" names more than one server (\"%2\"): "
                          "give the one server that holds the database.")
        .arg(address, hosts);
}
inline QString unreadableAddress(const QString& address) {
    return QStringLiteral("The server address \"%1\" cannot be read.").arg(address);
}
// libpq's own words, for the administrator, after the plain ones.
inline QString withLibpqText(const QString& plain, const QString& libpq) {
    return libpq.isEmpty() ? plain : plain + QStringLiteral(" (libpq: %1)").arg(libpq);
}

// The name of a database on a server: "site on host:5432 as user".
inline const QString DefaultDatabase = QStringLiteral("the default database");
inline const QString ThisComputer = QStringLiteral("this computer");
inline QString socketFolder(const QString& folder) {
    return QStringLiteral("the socket folder %1").arg(folder);
}
inline QString withPort(const QString& server, int port) {
    return QStringLiteral("%1 (port %2)").arg(server, QString::number(port));
}
inline QString databaseOn(const QString& database, const QString& server) {
    return QStringLiteral("%1 on %2").arg(database, server);
}
inline QString asUser(const QString& name, const QString& user) {
    return QStringLiteral("%1 as %2").arg(name, user);
}

// ------------------------------------------------------- connection failures
// %1 is the server (host:port).

inline QString serverNotRunning(const QString& server) {
    return QStringLiteral("The database server at %1 is not running or does not accept "
                          "connections. Check that the server is started and that the host and "
                          "port of the server address are right.")
        .arg(server);
}
inline QString hostNotKnown(const QString& host) {
    return QStringLiteral("The server name \"%1\" is not known on this computer's network. Check "
                          "the spelling of the host in the server address.")
        .arg(host);
}
inline QString passwordRefused(const QString& server, const QString& user) {
    return QStringLiteral("The database server at %1 refused the password of the user \"%2\". "
                          "Check the password; upper and lower case letters differ.")
        .arg(server, user);
}
inline QString passwordMissing(const QString& server, const QString& user) {
    return QStringLiteral("The database server at %1 needs a password for the user \"%2\", and "
                          "none was given.")
        .arg(server, user);
}
inline QString noSuchDatabase(const QString& server, const QString& database) {
    return QStringLiteral("The database server at %1 has no database \"%2\". Check the database "
                          "name in the server address, or ask the server's administrator to "
                          "create it.")
        .arg(server, database);
}
inline QString noSuchUser(const QString& server, const QString& user) {
    return QStringLiteral("The database server at %1 has no user \"%2\". Check the user name in "
                          "the server address, or ask the server's administrator to create it.")
        .arg(server, user);
}
inline QString tooManyConnections(const QString& server) {
    return QStringLiteral("The database server at %1 has as many connections open as it allows "
                          "and refused another. Try again later, or ask the server's "
                          "administrator to allow more.")
        .arg(server);
}
inline QString encryptionMismatch(const QString& server) {
    return QStringLiteral("The database server at %1 and the server address disagree on an "
                          "encrypted (SSL) connection: one of them requires it and the other does "
                          "not offer it. Ask the server's administrator which sslmode the "
                          "address needs.")
        .arg(server);
}
inline QString notAllowedToConnect(const QString& server) {
    return QStringLiteral("The database server at %1 does not let this user connect to this "
                          "database from this computer. Ask the server's administrator to allow "
                          "it.")
        .arg(server);
}
inline QString connectionTimedOut(const QString& server) {
    return QStringLiteral("The database server at %1 did not answer in time. Check the network "
                          "connection and the host and port of the server address.")
        .arg(server);
}
inline QString serverNotReady(const QString& server) {
    return QStringLiteral("The database server at %1 is starting up or shutting down. Try again "
                          "in a moment.")
        .arg(server);
}
inline QString connectionLost(const QString& server) {
    return QStringLiteral("The connection to the database server at %1 was lost. Check the "
                          "network connection and that the server is still running.")
        .arg(server);
}
inline QString connectionFailed(const QString& server) {
    return QStringLiteral("The connection to the database server at %1 failed.").arg(server);
}

} // namespace store::texts
