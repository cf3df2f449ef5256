// The datasheet model over a reading table: cells and ticks as stored, edits
// and flips beside them, the write-back of the changed rows only in one
// transaction, a refused cell that stores nothing, and the model's behaviour
// under QAbstractItemModelTester.
#include "support/Support.h"

#include "outputs/DatasheetModel.h"
#include "store/Audit.h"
#include "store/ReadingTables.h"
#include "store/RowSet.h"

#include <QAbstractItemModelTester>

#include <sqlite3.h>

using namespace testing_support;
using outputs::DatasheetModel;

namespace {

class DatasheetModelTest : public TolvaneTest {
protected:
    // The sensor (eight anchors unless told) with n readings, opened as the
    // datasheet opens them.
    void open(int n, const QString& number = QStringLiteral("201391005")) {
        store::Database& db = openNewDatabase();
        addSensor(db, number);
        addReadings(db, number, n);
        rs = std::make_unique<store::RowSet>(db, store::readingsQuery(number));
        ASSERT_TRUE(model.populate(rs.get(), number));
    }
    store::Database& db() const { return *state->cnDatabase; }
    // Every value of the table, row by row, for comparing before and after.
    QStringList table() const {
        QStringList rows;
        store::Statement st = db().prepare(
            "SELECT quote(DateTimeKey)||quote(ChannelT)||quote(Channel1)||quote(Channel2)||"
            "quote(Channel3)||quote(Channel8)||quote(Channel9)||quote(Plottemporal)||"
            "quote(PlotSpatial)||quote(FullDate)||quote(IsDirty) FROM `201391005` ORDER BY "
            "FullDate");
        while (st.step())
            rows << st.text(0);
        return rows;
    }
    std::string stored(int row, const QString& column) const {
        store::Statement st = db().prepare(
            QStringLiteral("SELECT quote(%1) FROM `201391005` ORDER BY FullDate LIMIT 1 OFFSET %2")
                .arg(column)
                .arg(row));
        return st.step() ? st.text(0).toStdString() : "<no row>";
    }
    QModelIndex cell(int row, int column) const { return model.index(row, column); }
    // Types into a cell as the grid's key handler does.
    void type(int row, int column, const QString& keys) {
        for (const QChar c : keys)
            model.typeKey(cell(row, column), c.unicode());
    }
    void clear(int row, int column) {
        while (!model.text(row, column).isEmpty())
            model.typeKey(cell(row, column), 8);
    }

    std::unique_ptr<store::RowSet> rs;
    DatasheetModel model;
    // Grid columns of an eight-anchor sensor.
    static constexpr int ChannelT = 3, Channel1 = 4, Channel2 = 5, Channel3 = 6, Temporal = 12,
                         Spatial = 13;
};

TEST_F(DatasheetModelTest, ClicksFlipTickBoxesAndSetTheChangedFlag) {
    open(3);
    // Ticked unless stored False.
    db().execute("UPDATE `201391005` SET PlotSpatial = NULL WHERE _rowid_ = 3");
    EXPECT_TRUE(model.ticked(0, Temporal));
    EXPECT_FALSE(model.ticked(0, Spatial));
    EXPECT_TRUE(model.ticked(2, Spatial));
    EXPECT_FALSE(model.isChanged());
    model.flip(cell(1, Channel1)); // no picture, no change
    model.flip(cell(1, 0));
    EXPECT_FALSE(model.isChanged());

    model.flip(cell(1, Temporal));
    EXPECT_TRUE(model.isChanged());
    EXPECT_FALSE(model.ticked(1, Temporal));
    EXPECT_EQ(model.editedRows(), 1);
    model.flip(cell(1, Spatial));
    EXPECT_TRUE(model.ticked(1, Spatial));
    EXPECT_EQ(model.editedRows(), 1);
    // Flipped back, the row holds nothing to store; the flag stays set.
    model.flip(cell(1, Temporal));
    model.setData(cell(1, Spatial), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_EQ(model.editedRows(), 0);
    EXPECT_TRUE(model.isChanged());
}

TEST_F(DatasheetModelTest, WriteBackStoresTheChangedCellsOfTheChangedRowsInOneTransaction) {
    open(6);
    clear(1, Channel2);
    type(1, Channel2, "7.25");
    model.flip(cell(3, Temporal));
    clear(4, Channel1);
    type(5, Channel3, "9");
    type(5, Channel3, QString(QChar(8))); // undone
    const QStringList before = table();

    db().execute("CREATE TEMP TABLE written (id INTEGER); "
                 "CREATE TEMP TRIGGER written_rows AFTER UPDATE ON main.`201391005` "
                 "BEGIN INSERT INTO written VALUES (new._rowid_); END;");
    int commits = 0;
    sqlite3_commit_hook(
        db().handle(),
        [](void* count) {
            ++*static_cast<int*>(count);
            return 0;
        },
        &commits);
    model.writeBack(db());
    sqlite3_commit_hook(db().handle(), nullptr, nullptr);
    EXPECT_EQ(commits, 1);
    store::Statement written = db().prepare("SELECT group_concat(id) FROM temp.written");
    ASSERT_TRUE(written.step());
    EXPECT_EQ(written.text(0), "2,4,5");

    EXPECT_EQ(stored(1, "Channel2"), "7.25");
    EXPECT_EQ(stored(3, "Plottemporal"), "0");
    EXPECT_EQ(stored(4, "Channel1"), "NULL");
    const QStringList after = table();
    for (int r : {0, 2, 5})
        EXPECT_EQ(after[r], before[r]) << r;
    EXPECT_EQ(model.editedRows(), 0);
    EXPECT_EQ(model.data(cell(1, Channel2)).toString(), "7.25");
    // Each reading changed is one entry of the trail, in the same commit.
    std::vector<store::AuditRecord> trail;
    store::forEachAuditRecord(db(), {}, [&](const store::AuditRecord& r) {
        trail.push_back(r);
        return true;
    });
    ASSERT_EQ(trail.size(), 3u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::ReadingEdited);
    EXPECT_TRUE(trail[0].entry.newValue.contains("7.25")) << trail[0].entry.newValue.toStdString();
    EXPECT_TRUE(trail[1].entry.newValue.contains("Plottemporal"));
}

TEST_F(DatasheetModelTest, NothingToStoreWritesNothing) {
    open(3);
    model.flip(cell(0, Temporal));
    model.flip(cell(0, Temporal));
    const int before = sqlite3_total_changes(db().handle());
    model.writeBack(db());
    EXPECT_EQ(sqlite3_total_changes(db().handle()), before);
}

// Only digits and points can be typed, so several points are all a column can refuse.
class RefusedCellTest : public DatasheetModelTest,
                        public ::testing::WithParamInterface<const char*> {};

TEST_P(RefusedCellTest, LeavesTheTableAsItWas) {
    open(4);
    type(0, Channel1, "9");
    model.flip(cell(1, Temporal));
    clear(2, Channel3);
    type(2, Channel3, GetParam());
    type(3, ChannelT, "1");
    const QStringList before = table();
    try {
        model.writeBack(db());
        ADD_FAILURE() << "the write-back stored " << GetParam();
    } catch (const outputs::CellRefused& refused) {
        EXPECT_EQ(refused.reading, "201391005 2025/03/01 02:00:00");
        EXPECT_EQ(refused.column, "Channel3");
        EXPECT_EQ(refused.text, GetParam());
    }
    EXPECT_EQ(table(), before);
    EXPECT_FALSE(rs->isEditing());
    // The edits stay in the grid.
    EXPECT_EQ(model.editedRows(), 4);
    EXPECT_EQ(model.text(2, Channel3), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Texts, RefusedCellTest, ::testing::Values("1.2.3", ".", "..5", "0.5."));

// The tester checks the model's answers after each change it sees.
TEST_F(DatasheetModelTest, PassesTheModelTester) {
    QStringList complaints;
    static QStringList* sink = nullptr;
    sink = &complaints;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { *sink << message; });
    {
        open(300);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        model.flip(cell(0, Temporal));
        type(299, Channel1, "7");
        model.setData(cell(5, Channel2), "3.5");
        model.writeBack(db());
        model.release();
        model.populate(rs.get(), "202121007");
        model.data(cell(150, 4));
        db().execute("DELETE FROM `201391005`");
        rs->Requery();
        model.populate(rs.get(), "201391005");
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(complaints, QStringList());
}

} // namespace
