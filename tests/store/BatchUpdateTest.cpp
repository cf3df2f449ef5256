// Derived columns written to many rows at once, on a file and on a server:
// every value back exactly, NULL and NaN as a file keeps them, rows not given
// left alone, and a refused batch undoing the whole transaction.
#include "store/BatchUpdate.h"
#include "store/ReadingTables.h"
#include "store/Schema.h"
#include "support/Support.h"

#include <cmath>
#include <limits>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("123421001");
// Batches of this many rows on a server: the rows written below make two
// whole batches and a few rows left over, sent one by one.
const int BatchRows = 1000;
const int Rows = 2 * BatchRows + store::BatchUpdate::ServerBatchLeast / 2 + 10;

class BatchUpdateTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        db = &openNewDatabase();
        store::createReadingTable(*db, Sensor);
        db->transaction([&] {
            store::Statement insert = db->prepare(
                QStringLiteral("INSERT INTO `%1` (DateTimeKey, FullDate, Disp1) VALUES (?1, ?2, -5)")
                    .arg(Sensor));
            for (int i = 0; i < Rows; ++i) {
                insert.bind(1, QStringLiteral("k%1").arg(i));
                insert.bind(2, QStringLiteral("2020-01-01 %1").arg(i, 6, 10, QLatin1Char('0')));
                insert.run();
            }
        });
    }
    // The rowids in key order.
    std::vector<qint64> rowids() {
        std::vector<qint64> ids;
        store::Statement st =
            db->prepare(QStringLiteral("SELECT _rowid_ FROM `%1` ORDER BY FullDate").arg(Sensor));
        while (st.step())
            ids.push_back(st.int64(0));
        return ids;
    }
    static std::optional<double> valueOf(int i) {
        switch (i % 5) {
        case 0: return std::nullopt;
        case 1: return 0.1 * i + 1e-13;
        case 2: return -1.0 / 3.0 * i;
        case 3: return 1e300 / (i + 1);
        default: return 5e-324 * i;
        }
    }
    store::Database* db = nullptr;
};

TEST_P(BatchUpdateTest, EveryRowGetsItsOwnValuesExactlyAndOthersAreLeftAlone) {
    const std::vector<qint64> ids = rowids();
    ASSERT_EQ(ids.size(), size_t(Rows));
    db->transaction([&] {
        store::BatchUpdate update(*db, Sensor, {QStringLiteral("NumTemp"), QStringLiteral("disp1")},
                                  BatchRows);
        // Every row but the last ten, in reverse order.
        for (int i = Rows - 11; i >= 0; --i) {
            update.bind(1, valueOf(i));
            update.bind(2, i == 7 ? std::numeric_limits<double>::quiet_NaN() : -double(i));
            update.run(ids[size_t(i)]);
        }
        update.finish();
    });
    store::Statement st = db->prepare(
        QStringLiteral("SELECT NumTemp, Disp1 FROM `%1` ORDER BY FullDate").arg(Sensor));
    for (int i = 0; st.step(); ++i) {
        SCOPED_TRACE(i);
        if (i >= Rows - 10) {
            EXPECT_FALSE(st.number(0));
            EXPECT_EQ(st.number(1), -5.0);
            continue;
        }
        EXPECT_EQ(st.number(0).has_value(), valueOf(i).has_value());
        if (valueOf(i)) {
            EXPECT_EQ(st.number(0), valueOf(i));
        }
        // NaN is kept as a file keeps it: no value.
        EXPECT_EQ(st.number(1), i == 7 ? std::nullopt : std::optional(-double(i)));
    }
}

TEST_P(BatchUpdateTest, ARefusedBatchUndoesTheWholeTransaction) {
    const std::vector<qint64> ids = rowids();
    refuseWrites(*db, QStringLiteral("no_negative"), Sensor, QStringLiteral("UPDATE"),
                 QStringLiteral("new.Disp1 < -100"), QStringLiteral("refused"));
    EXPECT_THROW(db->transaction([&] {
        store::BatchUpdate update(*db, Sensor, {QStringLiteral("Disp1")}, BatchRows);
        for (int i = 0; i < Rows; ++i) {
            update.bind(1, -double(i));
            update.run(ids[size_t(i)]);
        }
        update.finish();
    }),
                 store::Error);
    store::Statement st = db->prepare(
        QStringLiteral("SELECT count(*) FROM `%1` WHERE Disp1 = -5").arg(Sensor));
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.int64(0), Rows);
}

TOLVANE_ON_BOTH_ENGINES(BatchUpdateTest);

} // namespace
