#include "store/ServerAddress.h"

#include "store/Error.h"
#include "store/Texts.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <libpq-fe.h>

#include <memory>
#include <vector>

namespace store {

namespace {

const QString Scheme = QStringLiteral("postgresql://");
const QString ShortScheme = QStringLiteral("postgres://");
const QString Hidden = QStringLiteral("****");

QString encoded(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// Where the passwords of an address are written (percent-encoded): in the user
// information and in a password= setting, found by hand, since the text may
// be one libpq refuses to read.
struct Span {
    qsizetype start;
    qsizetype length;
};
std::vector<Span> writtenPasswords(const QString& url) {
    std::vector<Span> found;
    const qsizetype scheme = url.indexOf(QStringLiteral("://"));
    if (scheme < 0) return found;
    const qsizetype authority = scheme + 3;
    qsizetype end = url.size();
    for (const QChar stop : {QLatin1Char('/'), QLatin1Char('?')}) {
        const qsizetype at = url.indexOf(stop, authority);
        if (at >= 0 && at < end) end = at;
    }
    const qsizetype at = end > authority ? url.lastIndexOf(QLatin1Char('@'), end - 1) : -1;
    if (at >= authority) {
        const qsizetype colon = url.indexOf(QLatin1Char(':'), authority);
        if (colon >= 0 && colon < at) found.push_back({colon + 1, at - colon - 1});
    }
    const qsizetype query = url.indexOf(QLatin1Char('?'), authority);
    qsizetype pair = query;
    while (pair >= 0) {
        const qsizetype next = url.indexOf(QLatin1Char('&'), pair + 1);
        const qsizetype length = (next < 0 ? url.size() : next) - pair - 1;
        const QStringView setting = QStringView(url).mid(pair + 1, length);
        if (setting.startsWith(QStringLiteral("password="), Qt::CaseInsensitive))
            found.push_back({pair + 10, length - 9});
        pair = next;
    }
    return found;
}

// The address as messages and the log quote it: with its passwords hidden.
QString shownAddress(const QString& url) {
    QString shown = url;
    const std::vector<Span> spans = writtenPasswords(url);
    for (auto span = spans.rbegin(); span != spans.rend(); ++span)
        if (span->length > 0) shown.replace(span->start, span->length, Hidden);
    return shown;
}

// libpq's message about url, which may quote it: its passwords hidden too.
QString hidePasswords(QString message, const QString& url) {
    for (const Span& span : writtenPasswords(url))
        if (span.length > 0) message.replace(url.mid(span.start, span.length), Hidden);
    return message;
}

// libpq's message on one line, without its final line break.
QString oneLine(const QString& libpqMessage) {
    return libpqMessage.simplified();
}

// The last quoted word of a libpq message: the part it complains about.
QString lastQuoted(const QString& message) {
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\"\\s*$"));
    return quoted.match(message).captured(1);
}

QString quotedAfter(const QString& message, const QString& before) {
    const QRegularExpression pattern(QRegularExpression::escape(before) +
                                     QStringLiteral("\\s*\"([^\"]*)\""));
    return pattern.match(message).captured(1);
}

[[noreturn]] void refuse(const QString& plain, const QString& libpq = {}) {
    throw Error(code::Misuse, texts::withLibpqText(plain, libpq));
}

// An IPv6 address goes into brackets in a URI; a plain name or IPv4 address
// as it is; anything else (a socket folder, an address with a zone, whose "%"
// the brackets cannot hold) into the query.
bool isIpv6(const QString& host) {
    static const QRegularExpression ipv6(QStringLiteral("^[0-9A-Fa-f:.]+$"));
    return host.contains(QLatin1Char(':')) && ipv6.match(host).hasMatch();
}

bool isPlainHostName(const QString& host) {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9.-]+$"));
    return name.match(host).hasMatch();
}

} // namespace

bool isServerAddress(const QString& location) {
    const QString text = location.trimmed();
    return text.startsWith(Scheme, Qt::CaseInsensitive) ||
           text.startsWith(ShortScheme, Qt::CaseInsensitive);
}

ServerAddress parseServerAddress(const QString& url) {
    QString text = url.trimmed();
    const QString shown = shownAddress(text);
    if (!isServerAddress(text)) refuse(texts::notAServerAddress(shown));
    // libpq knows the scheme in lower case only.
    const qsizetype schemeEnd = text.indexOf(QStringLiteral("://")) + 3;
    text = text.left(schemeEnd).toLower() + text.mid(schemeEnd);

    char* failure = nullptr;
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
        PQconninfoParse(text.toUtf8().constData(), &failure), &PQconninfoFree);
    if (!options) {
        const QString libpq =
            hidePasswords(failure ? oneLine(QString::fromUtf8(failure)) : QString(), text);
        if (failure) PQfreemem(failure);
        const QString part = lastQuoted(libpq);
        if (libpq.contains(QStringLiteral("invalid URI query parameter")))
            refuse(texts::unknownSetting(shown, part), libpq);
        if (libpq.contains(QStringLiteral("missing key/value separator")))
            refuse(texts::settingWithoutValue(shown, part), libpq);
        if (libpq.contains(QStringLiteral("percent-encoded")))
            refuse(texts::badPercentCode(shown, part), libpq);
        if (libpq.contains(QStringLiteral("matching \"]\"")))
            refuse(texts::unclosedBracket(shown), libpq);
        refuse(texts::unreadableAddress(shown), libpq);
    }

    ServerAddress address;
    QStringList others;
    QString port;
    for (const PQconninfoOption* o = options.get(); o->keyword; ++o) {
        if (!o->val) continue;
        const QString keyword = QString::fromUtf8(o->keyword);
        const QString value = QString::fromUtf8(o->val);
        if (keyword == QLatin1String("host"))
            address.host = value;
        else if (keyword == QLatin1String("port"))
            port = value;
        else if (keyword == QLatin1String("dbname"))
            address.database = value;
        else if (keyword == QLatin1String("user"))
            address.user = value;
        else if (keyword == QLatin1String("password"))
            address.password = value;
        else
            others << keyword + QLatin1Char('=') + encoded(value);
    }
    // libpq would try each server of a list in turn; the program keeps one
    // host and one port.
    if (address.host.contains(QLatin1Char(',')) || port.contains(QLatin1Char(',')))
        refuse(texts::severalServers(shown, address.host.contains(QLatin1Char(',')) ? address.host
                                                                                    : port));
    if (!port.isEmpty()) {
        bool number = false;
        const qlonglong value = port.trimmed().toLongLong(&number);
        if (!number) refuse(texts::portNotANumber(shown, port));
        if (value < 1 || value > 65535) refuse(texts::portOutOfRange(shown, port));
        address.port = int(value);
    }
    address.options = others.join(QLatin1Char('&'));
    return address;
}

QString serverUrl(const ServerAddress& address, bool withPassword) {
    const bool password = withPassword && !address.password.isEmpty();
    QString url = Scheme;
    if (!address.user.isEmpty() || password) {
        url += encoded(address.user);
        if (password) url += QLatin1Char(':') + encoded(address.password);
        url += QLatin1Char('@');
    }
    QStringList query;
    if (isPlainHostName(address.host) || isIpv6(address.host)) {
        url += isIpv6(address.host) ? QLatin1Char('[') + address.host + QLatin1Char(']')
                                    : address.host;
        if (address.port > 0) url += QLatin1Char(':') + QString::number(address.port);
    } else {
        // A socket folder, or a name a URI's host part cannot hold.
        if (!address.host.isEmpty()) query << QStringLiteral("host=") + encoded(address.host);
        if (address.port > 0) query << QStringLiteral("port=") + QString::number(address.port);
    }
    url += QLatin1Char('/') + encoded(address.database);
    if (!address.options.isEmpty()) query << address.options;
    if (!query.isEmpty()) url += QLatin1Char('?') + query.join(QLatin1Char('&'));
    return url;
}

QString effectiveUser(const ServerAddress& address) {
    if (!address.user.isEmpty()) return address.user;
    // libpq's default: PGUSER, else the login name.
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> defaults(PQconndefaults(),
                                                                          &PQconninfoFree);
    for (const PQconninfoOption* o = defaults.get(); o && o->keyword; ++o)
        if (qstrcmp(o->keyword, "user") == 0 && o->val) return QString::fromUtf8(o->val);
    return {};
}

QString effectiveDatabase(const ServerAddress& address) {
    if (!address.database.isEmpty()) return address.database;
    const QString fromEnvironment = qEnvironmentVariable("PGDATABASE");
    return fromEnvironment.isEmpty() ? effectiveUser(address) : fromEnvironment;
}

QString serverPlace(const ServerAddress& a) {
    if (a.host.isEmpty())
        return a.port > 0 ? texts::withPort(texts::ThisComputer, a.port) : texts::ThisComputer;
    if (a.host.startsWith(QLatin1Char('/'))) {
        const QString folder = texts::socketFolder(a.host);
        return a.port > 0 ? texts::withPort(folder, a.port) : folder;
    }
    const QString host = isIpv6(a.host) ? QLatin1Char('[') + a.host + QLatin1Char(']') : a.host;
    return a.port > 0 ? host + QLatin1Char(':') + QString::number(a.port) : host;
}

QString displayName(const ServerAddress& address) {
    const QString name =
        texts::databaseOn(address.database.isEmpty() ? texts::DefaultDatabase : address.database,
                          serverPlace(address));
    return address.user.isEmpty() ? name : texts::asUser(name, address.user);
}

QString connectionFailureText(const QString& libpqMessage, const ServerAddress& address) {
    const QString libpq = oneLine(libpqMessage);
    const QString lower = libpq.toLower();
    const QString server = serverPlace(address);
    auto has = [&lower](const char* words) { return lower.contains(QLatin1String(words)); };
    auto named = [&libpq](const QString& before, const QString& fallback) {
        const QString name = quotedAfter(libpq, before);
        return name.isEmpty() ? fallback : name;
    };

    QString plain;
    if (has("password authentication failed"))
        plain = texts::passwordRefused(server,
                                       named(QStringLiteral("for user"), effectiveUser(address)));
    else if (has("no password supplied") || has("password is required"))
        plain = texts::passwordMissing(server, effectiveUser(address));
    else if (has("does not exist") && has("database \""))
        plain = texts::noSuchDatabase(
            server, named(QStringLiteral("database"), effectiveDatabase(address)));
    else if (has("does not exist") && has("role \""))
        plain = texts::noSuchUser(server, named(QStringLiteral("role"), effectiveUser(address)));
    else if (has("too many clients") || has("too many connections") ||
             has("connection slots are reserved"))
        plain = texts::tooManyConnections(server);
    else if (has("ssl was required") || has("does not support ssl") ||
             has("ssl connection is required") || has("ssl off") || has("requires ssl"))
        plain = texts::encryptionMismatch(server);
    else if (has("no pg_hba.conf entry") || has("pg_hba.conf rejects"))
        plain = texts::notAllowedToConnect(server);
    else if (has("timeout expired") || has("timed out"))
        plain = texts::connectionTimedOut(server);
    else if (has("could not translate host name") || has("name or service not known") ||
             has("nodename nor servname") || has("name resolution"))
        plain = texts::hostNotKnown(named(QStringLiteral("host name"), address.host));
    else if (has("is starting up") || has("is shutting down") || has("in recovery mode") ||
             has("not yet accepting connections"))
        plain = texts::serverNotReady(server);
    else if (has("server closed the connection") || has("connection to server was lost") ||
             has("terminating connection"))
        plain = texts::connectionLost(server);
    else if (has("connection refused") || has("no such file or directory") ||
             has("is the server running") || has("network is unreachable") ||
             has("no route to host"))
        plain = texts::serverNotRunning(server);
    else
        plain = texts::connectionFailed(server);
    return texts::withLibpqText(plain, libpq);
}

bool passwordNeeded(const ServerAddress& address) {
    if (!address.password.isEmpty()) return false;
    // The short time-out first: a connect_timeout of the address's own wins.
    const QByteArray url = serverUrl(address).toUtf8();
    const char* keywords[] = {"connect_timeout", "dbname", nullptr};
    const char* values[] = {"10", url.constData(), nullptr};
    std::unique_ptr<PGconn, decltype(&PQfinish)> probe(PQconnectdbParams(keywords, values, 1),
                                                       &PQfinish);
    return PQstatus(probe.get()) != CONNECTION_OK && PQconnectionNeedsPassword(probe.get()) != 0;
}

} // namespace store
