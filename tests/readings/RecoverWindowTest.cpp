// "Recover deleted readings…" on the Utilities tab, driven through the real
// main window: frmRecover's grid, days and keep preference, the register after
// a deleted sensor came back, and the purge at exit.
#include "support/WindowSupport.h"

#include "readings/ReadingStore.h"
#include "sensors/SensorRecord.h"
#include "store/RecycleArea.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>

using namespace testing_support;

namespace {

const QString Kept = QStringLiteral("201391005"), Gone = QStringLiteral("201391006");

class RecoverWindowTest : public WindowTest {
protected:
    // Kept with 72 hourly readings from 2025-03-01, two days of them deleted;
    // Gone deleted with its 5 readings.
    void startWithDeletions() {
        store::Database& db = openNewDatabase();
        db.setActor({QStringLiteral("mira"), [this] { return clock.now(); }});
        addSensor(db, Kept);
        addSensor(db, Gone);
        addReadings(db, Kept, 72, QDateTime(QDate(2025, 3, 1), QTime(0, 0)));
        addReadings(db, Gone, 5);
        readings::deleteBetween(db, Kept, QDate(2025, 3, 2), QDate(2025, 3, 3));
        openRegister(*state);
        store::RowSet& reg = *state->rsSensors;
        reg.MoveFirst();
        reg.Find(QStringLiteral("InstrumentID = '201391006'"));
        sensors::removeSensor(db, reg, Gone);
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
        control<QTabWidget>("SSTab1")->setCurrentIndex(5);
    }
    int count(const QString& sql) const {
        auto db = store::Database::open(dataFile(QStringLiteral("TolvaneMPBX.mdb")), true);
        store::Statement st = db->prepare(sql);
        return st.step() ? int(st.int64(0)) : -1;
    }
    template <class T> static T* in(QDialog* d, const char* name) {
        T* found = d->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

TEST_F(RecoverWindowTest, TheShownDaysComeBackAndTheReadingsTabShowsThem) {
    startWithDeletions();
    EXPECT_EQ(control<QLabel>("lblRecover")->text(), "Recover deleted readings\u2026");
    EXPECT_EQ(control<QWidget>("imgRecover")->pos(), QPoint(20, 434));
    onNextModal([&](QDialog* d) {
        EXPECT_EQ(d->objectName(), "frmRecover");
        EXPECT_EQ(itemsOf(in<QComboBox>(d, "cboRecoverSensor")), (QStringList{Kept, Gone}));
        auto* grid = in<QTableView>(d, "grdRecycled");
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        EXPECT_EQ(grid->model()->rowCount(), 48);
        EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "2025/03/02");
        EXPECT_EQ(grid->model()->index(0, 2).data().toString(), "2026-12-07 15:04:05");
        EXPECT_EQ(grid->model()->index(0, 3).data().toString(), "mira");
        EXPECT_EQ(in<QDateEdit>(d, "dtpRecoverTo")->date(), QDate(2025, 3, 3));
        // Only the second day is shown, and only it comes back.
        in<QDateEdit>(d, "dtpRecoverFrom")->setDate(QDate(2025, 3, 3));
        EXPECT_EQ(grid->model()->rowCount(), 24);
        EXPECT_EQ(in<QLabel>(d, "lblRecycled")->text(), "24 of 48 deleted readings shown");
        in<QSpinBox>(d, "spnKeepDays")->setValue(30);
        in<QPushButton>(d, "cmdRecover")->click();
        EXPECT_EQ(grid->model()->rowCount(), 0);
        in<QPushButton>(d, "cmdClose")->click();
    });
    click("imgRecover");
    EXPECT_EQ(promptTexts(), QStringList{"24 readings were recovered"});
    EXPECT_EQ(prompter.prompts.back().icon, app::Icon::Information);
    EXPECT_EQ(count("SELECT count(*) FROM `201391005`"), 48);
    EXPECT_EQ(count("SELECT Value FROM Settings WHERE Name = 'RecycleKeepDays'"), 30);

    control<QTabWidget>("SSTab1")->setCurrentIndex(2);
    EXPECT_EQ(control<QLineEdit>("txtRcount")->text().section(' ', 2), "48");
}

TEST_F(RecoverWindowTest, ADeletedSensorComesBackIntoTheRegister) {
    startWithDeletions();
    EXPECT_FALSE(itemsOf(control("cboSensors")).contains(Gone));
    onNextModal([&](QDialog* d) {
        in<QComboBox>(d, "cboRecoverSensor")->setCurrentIndex(1);
        EXPECT_TRUE(in<QLabel>(d, "lblRecycled")->text().contains("was deleted"));
        EXPECT_EQ(in<QTableView>(d, "grdRecycled")->model()->rowCount(), 5);
        in<QPushButton>(d, "cmdRecover")->click();
        d->reject();
    });
    click("imgRecover");
    EXPECT_EQ(promptTexts(), QStringList{"Sensor 201391006 was recovered with 5 readings"});
    EXPECT_TRUE(itemsOf(control("cboSensors")).contains(Gone));
    EXPECT_EQ(count("SELECT count(*) FROM `201391006`"), 5);
}

TEST_F(RecoverWindowTest, WithoutDeletedReadingsItSaysSo) {
    makeDefaultDatabase({Kept});
    ASSERT_TRUE(startWindow());
    control<QTabWidget>("SSTab1")->setCurrentIndex(5);
    onNextModal([&](QDialog* d) {
        EXPECT_EQ(in<QLabel>(d, "lblRecycled")->text(),
                  "There are no deleted readings of sensor 201391005 in the recycle area");
        EXPECT_FALSE(in<QPushButton>(d, "cmdRecover")->isEnabled());
        EXPECT_EQ(in<QSpinBox>(d, "spnKeepDays")->value(), 365);
        d->reject();
    });
    click("imgRecover");
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_EQ(count("SELECT count(*) FROM Settings WHERE Name = 'RecycleKeepDays'"), 0);
}

TEST_F(RecoverWindowTest, TheExitPurgesWhatIsOlderThanTheKeepDays) {
    startWithDeletions();
    clock.time = clock.time.addDays(366);
    closeWindow();
    EXPECT_EQ(count("SELECT count(*) FROM RecycledReadings"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM RecycledSensors"), 0);
    EXPECT_EQ(count("SELECT Count FROM AuditTrail WHERE Operation = 'recycle area purged'"), 54);
}

} // namespace
