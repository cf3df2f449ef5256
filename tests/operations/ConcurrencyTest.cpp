// Two users of one server database at the same moment, through the program's
// own operations: a reading key goes in once, and a sensor record saved by one
// is never silently overwritten by the other. Each race runs many rounds, both
// sides released together.
#include "support/Support.h"

#include "readings/ReadingStore.h"
#include "sensors/SensorRecord.h"
#include "store/Audit.h"
#include "store/RowSet.h"
#include "store/Schema.h"

#include <array>
#include <barrier>
#include <thread>

using namespace testing_support;

namespace {

constexpr int Rounds = 1000;
const QString Sensor = QStringLiteral("202541001");

class ConcurrencyTest : public PostgresTest {
protected:
    void SetUp() override {
        PostgresTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        auto db = store::Database::connect(url());
        store::createServerSchema(*db);
        addSensor(*db, Sensor);
    }
    // One user: a connection of its own, known by name in the trail.
    std::unique_ptr<store::Database> user(const QString& name) {
        auto db = store::Database::connect(url());
        db->setActor({name, [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 0)); }});
        return db;
    }
    static int count(store::Database& db, const QString& sql) {
        store::Statement st = db.prepare(sql);
        return st.step() ? int(st.int64(0)) : -1;
    }
};

TEST_F(ConcurrencyTest, OneReadingKeyTypedByTwoUsersAtOnceIsStoredOnce) {
    std::array<std::unique_ptr<store::Database>, 2> users{user("ann"), user("bo")};
    std::array<std::vector<readings::AddResult>, 2> outcomes;
    std::array<std::string, 2> failures;
    std::barrier together(2);
    auto type = [&](size_t u) {
        try {
            store::RowSet rs(*users[u],
                             QStringLiteral("SELECT * FROM `%1` ORDER BY FullDate").arg(Sensor));
            for (int round = 0; round < Rounds; ++round) {
                const QDateTime when =
                    QDateTime(QDate(2025, 1, 1), QTime(0, 0)).addSecs(3600LL * round);
                together.arrive_and_wait();
                outcomes[u].push_back(readings::addReading(rs, Sensor, when));
            }
        } catch (const std::exception& e) {
            failures[u] = e.what();
            together.arrive_and_drop();
        }
    };
    std::thread second(type, 1);
    type(0);
    second.join();
    ASSERT_EQ(failures[0], "");
    ASSERT_EQ(failures[1], "");

    int wrong = 0;
    for (int round = 0; round < Rounds; ++round) {
        const bool a = outcomes[0][size_t(round)] == readings::AddResult::Added;
        const bool b = outcomes[1][size_t(round)] == readings::AddResult::Added;
        if (a == b && ++wrong <= 5) ADD_FAILURE() << "round " << round << ": " << a << ' ' << b;
    }
    EXPECT_EQ(wrong, 0);
    // Nothing lost, nothing twice, and one entry per reading stored.
    EXPECT_EQ(rowCount(*users[0], Sensor), Rounds);
    EXPECT_EQ(count(*users[0],
                    QStringLiteral("SELECT count(DISTINCT DateTimeKey) FROM `%1`").arg(Sensor)),
              Rounds);
    EXPECT_EQ(count(*users[0], QStringLiteral("SELECT count(*) FROM AuditTrail WHERE Operation "
                                              "= '%1'")
                                   .arg(store::operation::ReadingAdded)),
              Rounds);
}

TEST_F(ConcurrencyTest, ARecordSavedByTwoUsersAtOnceKeepsOneAndRefusesTheOther) {
    std::array<std::unique_ptr<store::Database>, 2> users{user("ann"), user("bo")};
    std::array<int, 2> wins{0, 0};
    std::array<std::vector<bool>, 2> won;
    std::array<std::string, 2> failures;
    std::barrier together(2);
    auto save = [&](size_t u) {
        try {
            store::RowSet rs(*users[u], QStringLiteral("SELECT * FROM Sensors"));
            rs.MoveFirst();
            for (int round = 0; round < Rounds; ++round) {
                // Both have the record as the last round left it.
                rs.Requery();
                sensors::RecordVersion seen = sensors::recordVersion(*users[u], Sensor);
                together.arrive_and_wait();
                rs.setValue(QStringLiteral("Notes"),
                            QStringLiteral("%1 %2").arg(u == 0 ? "ann" : "bo").arg(round));
                bool stored = true;
                try {
                    sensors::storeRecord(rs, &seen);
                } catch (const sensors::RecordChanged& changed) {
                    stored = false;
                    // The refusal names who saved it instead.
                    if (changed.now().by != (u == 0 ? "bo" : "ann"))
                        throw std::runtime_error("refused in the name of " +
                                                 changed.now().by.toStdString());
                    rs.CancelUpdate();
                }
                won[u].push_back(stored);
                wins[u] += stored;
                // Both see the round's end before the next begins.
                together.arrive_and_wait();
            }
        } catch (const std::exception& e) {
            failures[u] = e.what();
            together.arrive_and_drop();
        }
    };
    std::thread second(save, 1);
    save(0);
    second.join();
    ASSERT_EQ(failures[0], "");
    ASSERT_EQ(failures[1], "");

    int wrong = 0;
    for (int round = 0; round < Rounds; ++round)
        if (won[0][size_t(round)] == won[1][size_t(round)] && ++wrong <= 5)
            ADD_FAILURE() << "round " << round << ": both " << won[0][size_t(round)];
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(wins[0] + wins[1], Rounds);
    // The record holds the last round's winner, and every save is one version.
    store::Database& look = *users[0];
    EXPECT_EQ(sensors::recordVersion(look, Sensor).number, Rounds);
    store::Statement notes =
        look.prepare(QStringLiteral("SELECT Notes FROM Sensors WHERE InstrumentID = ?1"));
    notes.bind(1, Sensor);
    ASSERT_TRUE(notes.step());
    EXPECT_EQ(notes.text(0),
              QStringLiteral("%1 %2").arg(won[0].back() ? "ann" : "bo").arg(Rounds - 1));
    EXPECT_EQ(count(look, QStringLiteral("SELECT count(*) FROM AuditTrail WHERE Operation = '%1'")
                              .arg(store::operation::SensorSaved)),
              Rounds);
}

} // namespace
