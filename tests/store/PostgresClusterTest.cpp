// The harness of the PostgreSQL tests, proved with libpq alone: the cluster
// ctest starts, a database of each test's own, and the raw shape of the
// concurrency tests the store gets (two connections racing on one key).
#include "support/Support.h"

#include <libpq-fe.h>

#include <array>
#include <barrier>
#include <string>
#include <thread>
#include <vector>

using namespace testing_support;

namespace {

using Connection = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

Connection connectTo(const QString& url) {
    return Connection(PQconnectdb(url.toUtf8().constData()), &PQfinish);
}

Result exec(PGconn* c, const char* sql) {
    return Result(PQexec(c, sql), &PQclear);
}

// The first value of a query's first row, as text; the error when it fails.
std::string scalar(PGconn* c, const std::string& sql) {
    const Result r = exec(c, sql.c_str());
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) return PQerrorMessage(c);
    return PQntuples(r.get()) == 0 ? "(no row)" : PQgetvalue(r.get(), 0, 0);
}

class PostgresClusterTest : public PostgresTest {};

TEST_F(PostgresClusterTest, EachTestHasAnEmptyDatabaseOfItsOwnDroppedAfterwards) {
    const Connection mine = connectTo(url());
    ASSERT_EQ(PQstatus(mine.get()), CONNECTION_OK) << PQerrorMessage(mine.get());
    EXPECT_EQ(scalar(mine.get(), "SELECT current_database()"), database->name().toStdString());
    EXPECT_EQ(scalar(mine.get(), "SELECT count(*) FROM pg_class WHERE relnamespace = "
                                 "'public'::regnamespace"),
              "0");
    const Result made = exec(mine.get(), "CREATE TABLE Sensors (InstrumentID text PRIMARY KEY)");
    ASSERT_EQ(PQresultStatus(made.get()), PGRES_COMMAND_OK) << PQerrorMessage(mine.get());

    // A second test's database does not see this one's table.
    auto other = std::make_unique<PostgresDatabase>(*postgresUrl());
    const Connection theirs = connectTo(other->url());
    ASSERT_EQ(PQstatus(theirs.get()), CONNECTION_OK) << PQerrorMessage(theirs.get());
    EXPECT_EQ(scalar(theirs.get(), "SELECT to_regclass('sensors') IS NULL"), "t");
    EXPECT_EQ(scalar(mine.get(), "SELECT to_regclass('sensors') IS NULL"), "f");

    // Dropped although a connection to it is still open.
    const std::string exists =
        "SELECT count(*) FROM pg_database WHERE datname = '" + other->name().toStdString() + "'";
    EXPECT_EQ(scalar(mine.get(), exists), "1");
    other.reset();
    EXPECT_EQ(scalar(mine.get(), exists), "0");
}

TEST_F(PostgresClusterTest, TwoConnectionsInsertingOneKeyHaveExactlyOneWinnerEachRound) {
    constexpr int rounds = 1000;
    std::array<Connection, 2> writers{connectTo(url()), connectTo(url())};
    for (const Connection& c : writers)
        ASSERT_EQ(PQstatus(c.get()), CONNECTION_OK) << PQerrorMessage(c.get());
    const Result made = exec(writers[0].get(), "CREATE TABLE Race (DateTimeKey text PRIMARY KEY, "
                                               "Writer integer NOT NULL)");
    ASSERT_EQ(PQresultStatus(made.get()), PGRES_COMMAND_OK) << PQerrorMessage(writers[0].get());

    // Per writer and round: "" when its row went in, else the SQLSTATE (or
    // the message when the failure has none).
    std::array<std::vector<std::string>, 2> outcomes{std::vector<std::string>(rounds),
                                                     std::vector<std::string>(rounds)};
    // Both writers leave the barrier together, so each round is a real race.
    std::barrier together(2);
    auto write = [&](int w) {
        PGconn* c = writers[size_t(w)].get();
        const std::string writer = std::to_string(w);
        for (int round = 0; round < rounds; ++round) {
            const std::string key = "202541001 2026/12/07 " + std::to_string(round);
            const char* values[] = {key.c_str(), writer.c_str()};
            together.arrive_and_wait();
            const Result r(PQexecParams(c, "INSERT INTO Race (DateTimeKey, Writer) VALUES ($1, $2)",
                                        2, nullptr, values, nullptr, nullptr, 0),
                           &PQclear);
            std::string& outcome = outcomes[size_t(w)][size_t(round)];
            if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
                const char* state = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
                outcome = state ? state : PQerrorMessage(c);
            }
        }
    };
    std::thread second(write, 1);
    write(0);
    second.join();

    int wrongRounds = 0;
    std::array<int, 2> wins{0, 0};
    for (int round = 0; round < rounds; ++round) {
        const std::string& first = outcomes[0][size_t(round)];
        const std::string& other = outcomes[1][size_t(round)];
        const bool one = (first.empty() && other == "23505") || (other.empty() && first == "23505");
        if (one) ++wins[first.empty() ? 0 : 1];
        if (!one && ++wrongRounds <= 5)
            ADD_FAILURE() << "round " << round << ": writer 0 '" << first << "', writer 1 '"
                          << other << "' (expected one success and one 23505)";
    }
    EXPECT_EQ(wrongRounds, 0);
    RecordProperty("wins_of_writer_0", wins[0]);
    RecordProperty("wins_of_writer_1", wins[1]);

    // Every winner's row is there and holds the winner; no loser left a
    // transaction open or a row of its own.
    PGconn* check = writers[0].get();
    const Result rows = exec(check, "SELECT DateTimeKey, Writer FROM Race");
    ASSERT_EQ(PQresultStatus(rows.get()), PGRES_TUPLES_OK) << PQerrorMessage(check);
    EXPECT_EQ(PQntuples(rows.get()), rounds);
    int misattributed = 0;
    for (int i = 0; i < PQntuples(rows.get()); ++i) {
        const std::string key = PQgetvalue(rows.get(), i, 0);
        const int round = std::stoi(key.substr(key.rfind(' ') + 1));
        const int writer = std::stoi(PQgetvalue(rows.get(), i, 1));
        if (!outcomes[size_t(writer)][size_t(round)].empty()) ++misattributed;
    }
    EXPECT_EQ(misattributed, 0) << "rows held by a writer whose insert failed";
    for (const Connection& c : writers)
        EXPECT_EQ(PQtransactionStatus(c.get()), PQTRANS_IDLE);
}

} // namespace
