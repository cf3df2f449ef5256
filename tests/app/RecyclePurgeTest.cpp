// The exit's purge of the recycle area by age, before the compaction.
#include "app/shell/Compaction.h"
#include "readings/ReadingStore.h"
#include "store/Audit.h"
#include "store/RecycleArea.h"
#include "support/Support.h"

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("201391005");

class RecyclePurgeTest : public TolvaneTest {
protected:
    // Readings of three days, each day deleted at its own moment.
    void deleteOn(const std::vector<QDateTime>& moments) {
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        const QDateTime first(QDate(2024, 1, 1), QTime(0, 0));
        addReadings(db, Sensor, 24 * int(moments.size()), first);
        for (size_t i = 0; i < moments.size(); ++i) {
            const QDateTime when = moments[i];
            db.setActor({QStringLiteral("mira"), [when] { return when; }});
            const QDate day = first.date().addDays(qint64(i));
            readings::deleteBetween(db, Sensor, day, day);
        }
        state->releaseDatabase();
    }
    QStringList remaining() {
        auto db = store::Database::open(state->DBPath, true);
        store::Statement st = db->prepare(QStringLiteral(
            "SELECT DeletedAt, count(*) FROM RecycledReadings GROUP BY DeletedAt ORDER BY 1"));
        QStringList left;
        while (st.step())
            left << st.text(0) + QStringLiteral(" x") + st.text(1);
        return left;
    }
    QStringList purges() {
        auto db = store::Database::open(state->DBPath, true);
        QStringList found;
        store::forEachAuditRecord(*db, {}, [&](const store::AuditRecord& r) {
            if (r.entry.operation == store::operation::RecyclePurged)
                found << QStringLiteral("%1 %2 %3 %4")
                             .arg(r.at, r.entry.target)
                             .arg(r.entry.count.value_or(-1))
                             .arg(r.user.isEmpty() ? QStringLiteral("?") : QStringLiteral("user"));
            return true;
        });
        return found;
    }
};

TEST_F(RecyclePurgeTest, WhatIsOlderThanTheKeepDaysGoesWithOneEntry) {
    // Today is 2026-12-07: 365 days back is 2025-12-07.
    deleteOn({QDateTime(QDate(2025, 12, 6), QTime(23, 59, 59)),
              QDateTime(QDate(2025, 12, 7), QTime(0, 0)),
              QDateTime(QDate(2026, 6, 1), QTime(8, 0))});
    EXPECT_EQ(app::PurgeRecycleArea(state->DBPath, clock, state->log), 24);
    EXPECT_EQ(remaining(), (QStringList{"2025-12-07 00:00:00 x24", "2026-06-01 08:00:00 x24"}));
    EXPECT_EQ(purges(), QStringList{"2026-12-07 15:04:05 deleted before 2025/12/07 24 user"});

    // Nothing more to go: no entry. A shorter keep takes the rest but today's.
    EXPECT_EQ(app::PurgeRecycleArea(state->DBPath, clock, state->log), 0);
    EXPECT_EQ(purges().size(), 1);
    {
        auto db = store::Database::open(state->DBPath);
        store::setRecycleKeepDays(*db, 30);
        EXPECT_EQ(store::recycleKeepDays(*db), 30);
        EXPECT_THROW(store::setRecycleKeepDays(*db, 0), store::Error);
    }
    EXPECT_EQ(app::PurgeRecycleArea(state->DBPath, clock, state->log), 48);
    EXPECT_TRUE(remaining().isEmpty());
    EXPECT_EQ(purges().size(), 2);
}

TEST_F(RecyclePurgeTest, AKeepSettingThatIsNoNumberKeepsTheDefault) {
    deleteOn({QDateTime(QDate(2026, 1, 1), QTime(8, 0))});
    auto db = store::Database::open(state->DBPath);
    for (const char* stored : {"", "abc", "-5", "0", "999999"}) {
        db->execute(
            QStringLiteral("INSERT OR REPLACE INTO Settings VALUES ('RecycleKeepDays', '%1')")
                .arg(QLatin1String(stored)));
        EXPECT_EQ(store::recycleKeepDays(*db), 365) << stored;
    }
    db.reset();
    EXPECT_EQ(app::PurgeRecycleArea(state->DBPath, clock, state->log), 0);
    EXPECT_EQ(remaining(), QStringList{"2026-01-01 08:00:00 x24"});
}

TEST_F(RecyclePurgeTest, AFileThatWillNotOpenIsLoggedAndLeftAlone) {
    expectLog(QStringLiteral(" G_PurgeRecycleArea"));
    EXPECT_EQ(app::PurgeRecycleArea(dataFile(QStringLiteral("missing.mdb")), clock, state->log), 0);
}

} // namespace
