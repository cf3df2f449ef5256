// Which keys this connection's own writes touched in tables that many sensors
// share: a caller that keeps something per sensor redoes only those.
#pragma once

#include "store/Database.h"

#include <QString>

#include <map>
#include <set>
#include <vector>

namespace store {

class RowWatch {
public:
    struct Watched {
        QString table;
        QString column; // the key the writes are told by
    };
    // The tables many sensors share, each by the column naming the sensor.
    static const std::vector<Watched>& sensorTables();

    // Starts watching the tables that exist of those given. Some engines
    // cannot tell the keys (precise() is then false): a write to a watched
    // table is then seen by its count only, and touched() names nothing.
    RowWatch(Database& db, std::vector<Watched> tables);

    bool precise() const { return precise_; }
    // The keys written since the last call, and forgets them. Call inside the
    // caller's transaction: the forgetting is one of its writes.
    std::set<QString> takeTouched();
    // Rows this connection wrote to the watched tables so far.
    std::uint64_t writes() const;

private:
    Database& db_;
    std::vector<Watched> tables_;
    bool precise_ = false;
};

// On a server: the row triggers that name each written key to the connections
// (and to the writer itself) at the commit. Part of a new database's schema.
void watchRowsOnServer(Database& db);

// Where each table of the database lives: its name, and a number that changes
// when the table is made again under the same name.
std::map<QString, qint64> tableIdentities(Database& db);

} // namespace store
