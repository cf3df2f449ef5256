// Connecting to a database on a server: the password asked when the server
// wants one and kept in memory for the session, and whether the database is a
// Tolvane database this version can use.
#pragma once

#include "app/Environment.h"
#include "app/shell/AppState.h"
#include "store/Database.h"
#include "store/ServerAddress.h"

#include <memory>

namespace app {

// A refused password is asked again this many times in all.
inline constexpr int PasswordTries = 3;

// Connects to the database at location, a server address. When the server
// wants a password that neither the address nor ~/.pgpass gives, the one kept
// in remembered is tried, else it is asked through prompter (again after a
// refusal, PasswordTries times in all). The password that let the program in
// is kept in remembered, never anywhere else. Throws store::Error whose
// description says in plain words why there is no connection.
std::unique_ptr<store::Database> connectToServer(const QString& location, Prompter& prompter,
                                                 ServerPassword& remembered);

// Why the server's database cannot be used, in plain words: empty, another
// program's tables, or a schema version this program does not write. Empty
// when it can be used.
QString whyNotUsable(store::Database& db, const store::ServerAddress& address);

// The name messages give the server's database at location; empty when the
// address cannot be read.
QString serverDisplayName(const QString& location);

// The address the fields of the location window give. Throws store::Error with
// a message for the user when they give none (no database, a port that is no
// port).
store::ServerAddress serverAddressFromFields(const QString& host, const QString& port,
                                             const QString& database, const QString& user);

} // namespace app
