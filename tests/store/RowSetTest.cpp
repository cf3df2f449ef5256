// The keyset cursor: positions, find, bookmarks, filter, writes and refusals.
#include "store/RowSet.h"
#include "store/Schema.h"
#include "support/Support.h"

#include <random>

using namespace testing_support;
using store::RowSet;

namespace {

const QString Sensor = QStringLiteral("123421001");

class RowSetTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        db = &openNewDatabase();
        addSensor(*db, Sensor);
    }
    QString readings() const {
        return QStringLiteral("SELECT * FROM `123421001` ORDER BY FullDate");
    }
    QString keyAt(int hour) const {
        return readingKey(Sensor, QDateTime(QDate(2025, 3, 1), QTime(0, 0)).addSecs(3600LL * hour));
    }
    // Raw SQL, as a test observing the file would write; false when refused.
    bool rawExec(const char* sql) {
        try {
            db->execute(QString::fromUtf8(sql));
            return true;
        } catch (const store::Error&) {
            return false;
        }
    }
    store::Database* db = nullptr;
};

TEST_P(RowSetTest, EmptySetIsAtBothEndsAndRefusesMoves) {
    RowSet rs(*db, readings());
    EXPECT_TRUE(rs.isBOF());
    EXPECT_TRUE(rs.isEOF());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(rs.AbsolutePosition(), RowSet::PosBOF);
    for (auto move :
         {&RowSet::MoveFirst, &RowSet::MoveLast, &RowSet::MoveNext, &RowSet::MovePrevious}) {
        try {
            (rs.*move)();
            ADD_FAILURE() << "a move on an empty set succeeded";
        } catch (const store::Error& e) {
            EXPECT_EQ(e.number(), store::code::NoCurrentRow);
        }
    }
    EXPECT_THROW(rs.value(QStringLiteral("DateTimeKey")), store::Error);
}

TEST_P(RowSetTest, WalksRowsInQueryOrderWithOneBasedPositions) {
    // Inserted newest first; the set orders by FullDate.
    for (int h : {2, 0, 1})
        addReadings(*db, Sensor, 1, QDateTime(QDate(2025, 3, 1), QTime(h, 0)));
    RowSet rs(*db, readings());
    ASSERT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.isBOF());
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.value(QStringLiteral("datetimekey")).toString(), keyAt(0));
    rs.MoveNext();
    EXPECT_EQ(rs.value(0).toString(), keyAt(1));
    rs.MoveNext();
    rs.MoveNext();
    EXPECT_TRUE(rs.isEOF());
    EXPECT_EQ(rs.AbsolutePosition(), RowSet::PosEOF);
    EXPECT_THROW(rs.MoveNext(), store::Error);
    rs.MovePrevious();
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    EXPECT_EQ(rs.value(0).toString(), keyAt(2));
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.isBOF());
    EXPECT_FALSE(rs.isEOF());

    rs.setAbsolutePosition(2);
    EXPECT_EQ(rs.value(0).toString(), keyAt(1));
    EXPECT_THROW(rs.setAbsolutePosition(0), store::Error);
    EXPECT_THROW(rs.setAbsolutePosition(4), store::Error);
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    rs.MoveLast();
    EXPECT_EQ(rs.AbsolutePosition(), 3);
}

TEST_P(RowSetTest, FindSearchesForwardFromTheCurrentRow) {
    addSensor(*db, SensorRow{QStringLiteral("123421002"), QStringLiteral("L2")});
    addSensor(*db, SensorRow{QStringLiteral("123421003"), QStringLiteral("L1")});
    addSensor(*db, SensorRow{QStringLiteral("123421004"), QStringLiteral("L2")});
    RowSet rs(*db, QStringLiteral("SELECT Sensors.* FROM Sensors ORDER BY InstrumentID;"));
    const auto id = [&] { return rs.value(QStringLiteral("InstrumentID")).toString(); };

    rs.Find(QStringLiteral("Level = 'L2'"));
    EXPECT_EQ(id(), QStringLiteral("123421002"));
    rs.Find(QStringLiteral("Level = 'L2'")); // the current row matches: stays
    EXPECT_EQ(id(), QStringLiteral("123421002"));
    rs.MoveNext();
    rs.Find(QStringLiteral("Level = 'L2'"));
    EXPECT_EQ(id(), QStringLiteral("123421004"));
    rs.Find(QStringLiteral("InstrumentID = '123421001'")); // behind the current row
    EXPECT_TRUE(rs.isEOF());
    rs.MoveFirst();
    rs.Find(QStringLiteral("InstrumentID = '123421003'"));
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    rs.MoveFirst();
    rs.Find(QStringLiteral("Level = 'l2'")); // Find compares text exactly
    EXPECT_TRUE(rs.isEOF());
}

TEST_P(RowSetTest, FindAndBookmarksWorkWhateverOrderTheRowidsStandIn) {
    // Rowids 1..5 hold 001, 005, 002, 004, 003: ascending by number is no rowid order.
    for (const char* n : {"123421005", "123421002", "123421004", "123421003"})
        addSensor(*db, QString::fromLatin1(n));
    for (const char* order : {"InstrumentID", "InstrumentID DESC", "_rowid_", "_rowid_ DESC"}) {
        SCOPED_TRACE(order);
        RowSet rs(*db,
                  QStringLiteral("SELECT * FROM Sensors ORDER BY ") + QString::fromLatin1(order));
        for (int n = 1; n <= 5; ++n) {
            rs.MoveFirst();
            const QString id = QStringLiteral("12342100%1").arg(n);
            rs.Find(QStringLiteral("InstrumentID = '%1'").arg(id));
            ASSERT_FALSE(rs.isEOF());
            EXPECT_EQ(rs.value(QStringLiteral("InstrumentID")).toString(), id);
            const int position = rs.AbsolutePosition();
            const qint64 mark = rs.Bookmark();
            rs.MoveFirst();
            rs.setBookmark(mark);
            EXPECT_EQ(rs.AbsolutePosition(), position);
        }
        rs.AddNew();
        rs.setValue(QStringLiteral("InstrumentID"), QStringLiteral("123421000"));
        rs.Update();
        rs.MoveFirst();
        rs.Find(QStringLiteral("InstrumentID = '123421000'"));
        EXPECT_EQ(rs.AbsolutePosition(), 6);
        rs.Delete();
        rs.MoveFirst();
        rs.Find(QStringLiteral("InstrumentID = '123421003'"));
        EXPECT_FALSE(rs.isEOF());
    }
}

TEST_P(RowSetTest, FindIgnoresMatchingRowsOutsideTheFilter) {
    addSensor(*db, SensorRow{QStringLiteral("123421002"), QStringLiteral("L2")});
    RowSet rs(*db, QStringLiteral("SELECT * FROM Sensors ORDER BY InstrumentID"));
    rs.Filter(QStringLiteral("Level = 'L1'"));
    rs.Find(QStringLiteral("InstrumentID = '123421002'"));
    EXPECT_TRUE(rs.isEOF());
}

TEST_P(RowSetTest, BookmarkSurvivesRequeryAndRowsSortingBeforeIt) {
    addReadings(*db, Sensor, 3, QDateTime(QDate(2025, 3, 2), QTime(0, 0)));
    RowSet rs(*db, readings());
    rs.MoveLast();
    const qint64 mark = rs.Bookmark();
    const QString key = rs.value(0).toString();
    EXPECT_NE(mark, 0);

    addReadings(*db, Sensor, 2, QDateTime(QDate(2025, 3, 1), QTime(0, 0))); // sort before
    rs.Requery();
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(rs.value(0).toString(), key);
    EXPECT_EQ(rs.AbsolutePosition(), 5);

    rs.MoveFirst();
    rs.setBookmark(mark);
    EXPECT_EQ(rs.value(0).toString(), key);
    EXPECT_THROW(rs.setBookmark(mark + 1000), store::Error);

    // The current row went away: Requery falls back to the first row.
    ASSERT_TRUE(rawExec("DELETE FROM `123421001` WHERE FullDate LIKE '2025-03-02 02%'"));
    rs.Requery();
    EXPECT_EQ(rs.RecordCount(), 4);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
}

TEST_P(RowSetTest, FilterNarrowsAndClearRestores) {
    addSensor(*db, SensorRow{QStringLiteral("123431002"), QStringLiteral("Level 3"),
                             QStringLiteral("Ramp"), QStringLiteral("2024/06/01"),
                             QStringLiteral("Yes")});
    addSensor(*db, SensorRow{QStringLiteral("123431003"), QStringLiteral("LEVEL 3"),
                             QStringLiteral("Ramp"), QStringLiteral("2025/02/01")});
    RowSet rs(*db, QStringLiteral("SELECT Sensors.* FROM Sensors ORDER BY InstrumentID DESC;"));
    ASSERT_EQ(rs.RecordCount(), 3);
    rs.MoveLast();

    rs.Filter(QStringLiteral("Destroyed = 'No' AND Level ='level 3'"));
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.value(QStringLiteral("InstrumentID")).toString(), QStringLiteral("123431003"));

    rs.Filter(QStringLiteral("InstallDate >= 2024/03/01 AND InstallDate <= 2024/12/31"));
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.value(QStringLiteral("InstrumentID")).toString(), QStringLiteral("123431002"));

    rs.Filter(QStringLiteral("SensorType ='31'"));
    EXPECT_EQ(rs.RecordCount(), 2);
    rs.Requery(); // a requery keeps the filter
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.filter(), QStringLiteral("SensorType ='31'"));

    // A malformed filter is refused and leaves the filter in force.
    EXPECT_THROW(rs.Filter(QStringLiteral("Level ='O'Brien'")), store::Error);
    EXPECT_EQ(rs.RecordCount(), 2);

    rs.clearFilter();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_TRUE(rs.filter().isEmpty());
    EXPECT_EQ(rs.value(QStringLiteral("InstrumentID")).toString(), QStringLiteral("123431003"));
}

TEST_P(RowSetTest, WritesReachTheTableAndMovingOffStoresAnEdit) {
    addReadings(*db, Sensor, 2);
    RowSet rs(*db, readings());
    rs.setValue(QStringLiteral("CHANNEL1"), QStringLiteral("12.50"));
    rs.setValue(4, 12.75); // Channel1 by position, the later write wins
    rs.setValue(QStringLiteral("Channel2"), QString());                // empty text: no value
    EXPECT_EQ(rs.value(QStringLiteral("Channel1")).toDouble(), 12.75); // the edit is visible
    rs.MoveNext();                                                     // stores it

    RowSet other(*db, readings());
    EXPECT_EQ(other.value(QStringLiteral("Channel1")).toDouble(), 12.75);
    EXPECT_TRUE(other.value(QStringLiteral("Channel2")).isNull());

    other.setValue(QStringLiteral("ChannelT"), QStringLiteral(" 21.5 "));
    other.setValue(QStringLiteral("Plottemporal"), false);
    other.Update();
    RowSet third(*db, readings());
    EXPECT_EQ(third.value(QStringLiteral("ChannelT")).toDouble(), 21.5);
    EXPECT_EQ(third.value(QStringLiteral("Plottemporal")).toInt(), 0);
    EXPECT_EQ(third.fieldName(0), QStringLiteral("DateTimeKey"));
    EXPECT_EQ(third.fieldIndex(QStringLiteral("plotspatial")), 17);
    EXPECT_THROW(third.value(QStringLiteral("NoSuchColumn")), store::Error);
}

TEST_P(RowSetTest, NumberColumnRefusesTextThatIsNoNumber) {
    addReadings(*db, Sensor, 1);
    RowSet rs(*db, readings());
    rs.setValue(QStringLiteral("Channel3"), 7.0);
    try {
        rs.setValue(QStringLiteral("Channel1"), QStringLiteral("12,5x"));
        ADD_FAILURE() << "text accepted by a number column";
    } catch (const store::Error& e) {
        EXPECT_EQ(e.number(), 3091);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Channel1")));
    }
    // What was set before the refused column is still pending and is stored.
    rs.Update();
    RowSet check(*db, readings());
    EXPECT_EQ(check.value(QStringLiteral("Channel3")).toDouble(), 7.0);
    EXPECT_EQ(check.value(QStringLiteral("Channel1")).toDouble(), 1.0);

    // The engine refuses the same on its own, whoever writes.
    EXPECT_FALSE(rawExec("UPDATE `123421001` SET Channel1 = 'abc'"));
}

TEST_P(RowSetTest, DuplicateReadingKeyIsRefusedWhateverWritesIt) {
    addReadings(*db, Sensor, 2);
    RowSet rs(*db, readings());
    rs.AddNew();
    rs.setValue(QStringLiteral("DateTimeKey"), keyAt(1));
    rs.setValue(QStringLiteral("FullDate"), QStringLiteral("2025-03-01 01:00:00"));
    try {
        rs.Update();
        ADD_FAILURE() << "a duplicate key was stored";
    } catch (const store::Error& e) {
        EXPECT_EQ(e.number(), store::code::Duplicate);
    }
    EXPECT_FALSE(rs.isEditing()); // reported once, then dropped
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rowCount(*db, Sensor), 2);
    EXPECT_NO_THROW(rs.MoveFirst());

    // An edit of an existing row onto a taken key, and a raw insert, fail too.
    rs.setValue(QStringLiteral("DateTimeKey"), keyAt(1));
    EXPECT_THROW(rs.Update(), store::Error);
    EXPECT_EQ(rs.value(0).toString(), keyAt(0));
    const QByteArray insert =
        ("INSERT INTO `123421001` (DateTimeKey) VALUES ('" + keyAt(0) + "')").toUtf8();
    EXPECT_FALSE(rawExec(insert.constData()));
}

TEST_P(RowSetTest, AddNewAppendsTheRowAndMakesItCurrent) {
    addReadings(*db, Sensor, 2, QDateTime(QDate(2025, 3, 2), QTime(0, 0)));
    RowSet rs(*db, readings());
    rs.AddNew();
    EXPECT_TRUE(rs.value(QStringLiteral("Channel1")).isNull());
    rs.setValue(QStringLiteral("DateTimeKey"), keyAt(0));
    rs.setValue(QStringLiteral("FullDate"), QStringLiteral("2025-03-01 00:00:00"));
    rs.Update();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.AbsolutePosition(), 3); // appended, though it sorts first
    const qint64 mark = rs.Bookmark();
    rs.Requery();
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.Bookmark(), mark);
}

TEST_P(RowSetTest, DeleteLeavesNoCurrentRowUntilTheNextMove) {
    addReadings(*db, Sensor, 6);
    RowSet rs(*db, readings());
    // The batch pattern: walk n rows, deleting every other one.
    const int n = rs.RecordCount();
    for (int i = 0; i < n; ++i) {
        if (i % 2 == 0) {
            rs.Delete();
            EXPECT_THROW(rs.value(0), store::Error);
        }
        rs.MoveNext();
    }
    EXPECT_TRUE(rs.isEOF());
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rowCount(*db, Sensor), 3);
    rs.MoveFirst();
    EXPECT_EQ(rs.value(0).toString(), keyAt(1));
    rs.MoveLast();
    rs.Delete();
    rs.MovePrevious();
    EXPECT_EQ(rs.value(0).toString(), keyAt(3));
}

TEST_P(RowSetTest, FetchRowsReadsARangeInSetOrder) {
    addReadings(*db, Sensor, 1200);
    RowSet rs(*db, readings());
    const auto rows = rs.fetchRows(998, 5);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][0].toString(), keyAt(998));
    EXPECT_EQ(rows[4][0].toString(), keyAt(1002));
    EXPECT_EQ(rs.fetchRows(0, 5000).size(), 1200u);
    EXPECT_TRUE(rs.fetchRows(1200, 1).empty());
}

// A pass over every row keeps the set's order and rows, whether the table's
// own order is the set's (read straight through) or not, and reports a row
// gone since the keyset was read.
TEST_P(RowSetTest, ScanningVisitsTheSetsRowsInItsOrder) {
    addReadings(*db, Sensor, 6);
    rawExec("UPDATE `123421001` SET Plottemporal = 0 WHERE Channel1 = 1.02");
    const QString selected =
        QStringLiteral("SELECT * FROM `123421001` WHERE Plottemporal = True ORDER BY FullDate");
    const auto scan = [](const RowSet& rs) {
        QStringList keys;
        rs.scanStatement({QStringLiteral("DateTimeKey")}, [&](const store::Statement* st) {
            keys << (st ? st->text(1) : QStringLiteral("gone"));
        });
        return keys;
    };
    RowSet inTableOrder(*db, selected);
    rawExec("DELETE FROM `123421001` WHERE Channel1 = 1.04");
    EXPECT_EQ(scan(inTableOrder), QStringList({keyAt(0), keyAt(1), keyAt(3), "gone", keyAt(5)}));

    // The last row moved first: the table's order is no longer the set's.
    rawExec("UPDATE `123421001` SET FullDate = '2025-02-28 00:00:00' WHERE Channel1 = 1.05");
    RowSet moved(*db, selected);
    EXPECT_EQ(scan(moved), QStringList({keyAt(5), keyAt(0), keyAt(1), keyAt(3)}));
}

TEST_P(RowSetTest, RefusesQueriesItCannotKeepAKeysetFor) {
    EXPECT_THROW(RowSet(*db, QStringLiteral("SELECT * FROM `999921001` ORDER BY FullDate")),
                 store::Error);
    EXPECT_THROW(RowSet(*db, QStringLiteral("SELECT * FROM Sensors GROUP BY Level")), store::Error);
    EXPECT_THROW(RowSet(*db, QStringLiteral("DELETE FROM Sensors")), store::Error);
    EXPECT_NO_THROW(RowSet(
        *db,
        QStringLiteral("SELECT * FROM `123421001` WHERE Plottemporal = True ORDER BY FullDate")));
}

// ---- the criteria grammar

class BrokenCriteria : public TolvaneTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
        addSensor(*db, Sensor);
    }
    store::Database* db = nullptr;
};

TEST_P(BrokenCriteria, AreRefusedAsErrors) {
    RowSet rs(*db, QStringLiteral("SELECT * FROM Sensors"));
    EXPECT_THROW(rs.Find(QString::fromUtf8(GetParam())), store::Error);
    EXPECT_THROW(rs.Filter(QString::fromUtf8(GetParam())), store::Error);
    EXPECT_EQ(rs.RecordCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Criteria, BrokenCriteria,
                         ::testing::Values("Level", "Level =", "= 'L1'", "Level = 'L1",
                                           "Level ='O'Brien'", "Level = 'L1' OR Level = 'L2'",
                                           "Level = 'L1' AND", "Level == 'L1'", "NoSuchColumn = 1",
                                           "Level = 'L1'; DROP TABLE Sensors"));

TEST_P(RowSetTest, CriteriaValuesAreBoundNotPasted) {
    addSensor(*db, SensorRow{QStringLiteral("123421002"), QStringLiteral("O'Brien's")});
    RowSet rs(*db, QStringLiteral("SELECT * FROM Sensors ORDER BY InstrumentID"));
    rs.Find(QStringLiteral("Level = 'O''Brien''s'"));
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    rs.Filter(QStringLiteral("Level = 'x'' OR ''1''=''1'"));
    EXPECT_EQ(rs.RecordCount(), 0);
    rs.Filter(QStringLiteral("HeadLocation = True AND LengthofCable = 0"));
    EXPECT_EQ(rs.RecordCount(), 2);
}

} // namespace

namespace {

// A requery after the set's own writes places only those rows again; it must
// give the same rows in the same order as a set opened afresh, whatever mix of
// writes came before it, and a write by anyone else must be seen too.
TEST_P(RowSetTest, RequeryAfterOwnWritesMatchesAFreshKeyset) {
    const QString Register =
        QStringLiteral("SELECT * FROM Sensors ORDER BY Level DESC, InstrumentID");
    addReadings(*db, Sensor, 40);
    std::mt19937 random(7);
    int added = 0;
    const auto hourText = [](int h) {
        return QDateTime(QDate(2025, 3, 1), QTime(0, 0))
            .addSecs(3600LL * h)
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };
    for (const QString& query : {readings(), readings() + QStringLiteral(" DESC"), Register}) {
        SCOPED_TRACE(query.toStdString());
        const bool isRegister = query == Register;
        RowSet rs(*db, query);
        if (!isRegister) rs.Filter(QStringLiteral("IsDirty = 1"));
        for (int round = 0; round < 60; ++round) {
            const int op = int(random() % 5);
            const int count = rs.RecordCount();
            if (count > 0) rs.setAbsolutePosition(1 + int(random() % unsigned(count)));
            if (isRegister) {
                if (op < 2 || count == 0) {
                    rs.AddNew();
                    rs.setValue(QStringLiteral("InstrumentID"),
                                QStringLiteral("1234%1").arg(21000 + ++added));
                }
                rs.setValue(QStringLiteral("Level"),
                            random() % 3 ? QVariant(QStringLiteral("L%1").arg(random() % 4))
                                         : QVariant());
                rs.Update();
            } else if (op == 0 || count == 0) {
                rs.AddNew();
                rs.setValue(QStringLiteral("DateTimeKey"), QStringLiteral("k%1").arg(++added));
                rs.setValue(QStringLiteral("FullDate"), hourText(int(random() % 50)));
                rs.setValue(QStringLiteral("IsDirty"), 1);
                rs.Update();
            } else if (op == 1) {
                rs.Delete();
            } else if (op == 2) {
                rawExec("UPDATE `123421001` SET IsDirty = 1 - IsDirty WHERE rowid % 7 = 0");
            } else {
                rs.setValue(QStringLiteral("FullDate"), hourText(int(random() % 50)));
                rs.setValue(QStringLiteral("IsDirty"), int(random() % 4 != 0));
                rs.Update();
            }
            rs.Requery();
            RowSet fresh(*db, query);
            if (!isRegister) fresh.Filter(QStringLiteral("IsDirty = 1"));
            ASSERT_EQ(rs.RecordCount(), fresh.RecordCount()) << "round " << round;
            for (int p = 1; p <= fresh.RecordCount(); ++p) {
                rs.setAbsolutePosition(p);
                fresh.setAbsolutePosition(p);
                ASSERT_EQ(rs.Bookmark(), fresh.Bookmark())
                    << "round " << round << " position " << p;
            }
        }
    }
}

} // namespace

namespace {
TOLVANE_ON_BOTH_ENGINES(RowSetTest);
} // namespace
