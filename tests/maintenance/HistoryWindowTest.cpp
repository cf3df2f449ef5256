// The audit trail through the real main window: a save writes its entry only
// when it changes something, and "History…" on the Utilities tab shows the
// trail, newest last, filtered by sensor and by days.
#include "support/WindowSupport.h"

#include "maintenance/HistoryModel.h"
#include "maintenance/Texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

using namespace testing_support;
using maintenance::HistoryModel;

namespace {

const QString First = QStringLiteral("202421001");
const QString Second = QStringLiteral("202421002");

class HistoryWindowTest : public WindowTest {
protected:
    // The two sensors, and entries of the days before the clock's today.
    void startWithTrail(int entries) {
        store::Database& db = openNewDatabase();
        addSensor(db, First);
        addSensor(db, Second);
        db.transaction([&] {
            for (int k = 0; k < entries; ++k) {
                db.setActor({QStringLiteral("ann"), [k, entries] {
                                 return QDateTime(QDate(2026, 12, 6), QTime(23, 0))
                                     .addSecs(-3600LL * (entries - k));
                             }});
                store::AuditEntry e;
                e.operation = store::operation::ReadingAdded;
                e.sensor = k % 2 ? First : Second;
                e.target = QStringLiteral("entry %1").arg(k);
                if (k == entries - 1)
                    e.note = QStringLiteral("first line\nsecond line ") + QString(300, 'x');
                store::audit(db, e);
            }
        });
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
    }
    int entries() {
        auto db = store::Database::open(dataFile("TolvaneMPBX.mdb"), true);
        return int(auditTrail(*db).size());
    }
};

TEST_F(HistoryWindowTest, ARecordSavedWritesAnEntryOnlyWhenAValueChanged) {
    startWithTrail(0);
    auto* tabs = control<QTabWidget>("SSTab1");
    tabs->setCurrentIndex(1);
    control<QLineEdit>("txtLevel")->setText("L7");
    click("cmdSave");
    click("cmdSave");
    tabs->setCurrentIndex(0); // leaving the tab saves again
    auto db = store::Database::open(dataFile("TolvaneMPBX.mdb"), true);
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.operation, store::operation::SensorSaved);
    EXPECT_EQ(trail[0].entry.sensor, Second); // the register shows the highest number first
    EXPECT_EQ(trail[0].entry.oldValue, "Level: L1");
    EXPECT_EQ(trail[0].entry.newValue, "Level: L7");
    EXPECT_EQ(trail[0].at, "2026-12-07 15:04:05");
}

TEST_F(HistoryWindowTest, TheHistoryShowsTheCurrentSensorsEntriesNewestLastAndFilters) {
    startWithTrail(2000);
    control<QTabWidget>("SSTab1")->setCurrentIndex(5);
    auto* command = control<QToolButton>("imgHistory");
    EXPECT_EQ(command->pos(), QPoint(20, 484));
    EXPECT_EQ(control<QLabel>("lblHistory")->text(), maintenance::texts::HistoryCaption);

    bool opened = false;
    onNextModal([&](QDialog* dialog) {
        opened = true;
        EXPECT_EQ(dialog->objectName(), "frmHistory");
        auto* sensor = dialog->findChild<QComboBox*>("cboHistorySensor");
        auto* grid = dialog->findChild<QTableView*>("grdHistory");
        auto* count = dialog->findChild<QLabel*>("lblHistoryCount");
        ASSERT_TRUE(sensor && grid && count);
        EXPECT_EQ(itemsOf(sensor), QStringList({"All sensors", First, Second}));
        EXPECT_EQ(sensor->currentText(), Second);
        EXPECT_EQ(count->text(), "1000 entries");
        QAbstractItemModel* model = grid->model();
        EXPECT_EQ(model->headerData(4, Qt::Horizontal).toString(), "Reading(s)");
        // Newest last, and in sight.
        const int last = model->rowCount() - 1;
        EXPECT_EQ(model->index(last, HistoryModel::Target).data().toString(), "entry 1998");
        EXPECT_EQ(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());

        sensor->setCurrentIndex(0);
        emit sensor->activated(0);
        EXPECT_EQ(count->text(), "2000 entries");
        const QModelIndex note = model->index(1999, HistoryModel::Note);
        EXPECT_EQ(note.data().toString(), "first line ↵ second line " + QString(55, 'x') + "…");
        EXPECT_TRUE(note.data(Qt::ToolTipRole).toString().contains(QString(300, 'x')));

        // The last two days before today: 2026-12-05 and -06, 24 hours each,
        // the last entry at 22:00 on the 6th.
        auto* from = dialog->findChild<QDateEdit*>("dtpHistoryFrom");
        auto* to = dialog->findChild<QDateEdit*>("dtpHistoryTo");
        EXPECT_FALSE(from->isEnabled());
        dialog->findChild<QCheckBox*>("chkHistoryFrom")->setChecked(true);
        from->setDate(QDate(2026, 12, 5));
        EXPECT_EQ(count->text(), "47 entries");
        dialog->findChild<QCheckBox*>("chkHistoryTo")->setChecked(true);
        to->setDate(QDate(2026, 12, 5));
        EXPECT_EQ(count->text(), "24 entries");
        EXPECT_FALSE(dialog->grab().isNull());
        dialog->findChild<QPushButton*>("cmdClose")->click();
    });
    click("imgHistory");
    EXPECT_TRUE(opened);
    EXPECT_EQ(promptTexts(), QStringList());
}

} // namespace
