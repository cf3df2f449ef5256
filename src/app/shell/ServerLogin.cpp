#include "app/shell/ServerLogin.h"

#include "app/Texts.h"
#include "store/Error.h"
#include "store/Schema.h"
#include "store/SchemaVersion.h"
#include "store/Texts.h"

namespace app {

namespace {

// Whether a password (another one, or one at all) would let the program in.
bool wantsPassword(const store::Error& e, const QString& plain,
                   const store::ServerAddress& address) {
    if (e.number() == store::code::Auth) return true;
    const QString server = store::serverPlace(address);
    const QString user = store::effectiveUser(address);
    return plain.startsWith(store::texts::passwordRefused(server, user)) ||
           plain.startsWith(store::texts::passwordMissing(server, user));
}

} // namespace

std::unique_ptr<store::Database> connectToServer(const QString& location, Prompter& prompter,
                                                 ServerPassword& remembered) {
    const store::ServerAddress address = store::parseServerAddress(location);
    const QString key = store::serverUrl(address, false);
    const bool inAddress = !address.password.isEmpty();
    QString password = !inAddress && remembered.address == key ? remembered.password : QString();
    bool ask = !inAddress && password.isEmpty() && store::passwordNeeded(address);
    bool cancelled = false;
    int asked = 0;
    QString refusal;
    for (;;) {
        if (ask) {
            const QString prompt =
                texts::passwordPrompt(store::effectiveUser(address), store::displayName(address));
            const auto typed = prompter.password(
                refusal.isEmpty() ? prompt : texts::passwordAgain(refusal, prompt),
                texts::PasswordTitle);
            ++asked;
            // Cancelled: the attempt without one says what is missing.
            cancelled = !typed;
            password = typed.value_or(QString());
        }
        try {
            auto db = store::Database::connect(location, password);
            if (!password.isEmpty()) remembered = {key, password};
            return db;
        } catch (const store::Error& e) {
            const QString plain = store::connectionFailureText(e.description(), address);
            const bool again = !inAddress && wantsPassword(e, plain, address);
            if (again && remembered.address == key) remembered = {};
            if (!again || cancelled || asked >= PasswordTries)
                throw store::Error(again ? store::code::Auth : e.number(), plain);
            refusal = plain;
            ask = true;
        }
    }
}

QString whyNotUsable(store::Database& db, const store::ServerAddress& address) {
    const QString name = store::displayName(address);
    const QString url = store::serverUrl(address, false);
    if (!db.hasTable(store::table::Sensors))
        return db.tableNames().isEmpty() ? texts::serverDatabaseEmpty(name, url)
                                         : texts::serverDatabaseForeign(name, url);
    const int version = store::schemaVersion(db);
    const int known = store::currentSchemaVersion();
    // Upgrading a shared database is its administrator's step, after a backup
    // of the server's own; a newer one is never written by an older program.
    if (version > known) return texts::serverSchemaNewer(name, version, known);
    if (version < known) return texts::serverSchemaOlder(name, version, known);
    return {};
}

QString serverDisplayName(const QString& location) {
    try {
        return store::displayName(store::parseServerAddress(location));
    } catch (const store::Error&) {
        return {};
    }
}

store::ServerAddress serverAddressFromFields(const QString& host, const QString& port,
                                             const QString& database, const QString& user) {
    store::ServerAddress address;
    address.host = host.trimmed();
    address.database = database.trimmed();
    address.user = user.trimmed();
    if (address.database.isEmpty()) throw store::Error(store::code::Misuse, texts::DatabaseMissing);
    if (!port.trimmed().isEmpty()) {
        bool number = false;
        const int value = port.trimmed().toInt(&number);
        if (!number || value < 1 || value > 65535)
            throw store::Error(store::code::Misuse, texts::PortInvalid);
        address.port = value;
    }
    return address;
}

} // namespace app
