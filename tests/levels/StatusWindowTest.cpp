// The Status tab, the sensor list's marks and the trigger-level windows,
// driven through the real main window.
#include "support/WindowSupport.h"

#include "levels/TriggerLevels.h"
#include "store/RowSet.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

using namespace testing_support;

namespace {

const QString Calm = QStringLiteral("202551001"), Moving = QStringLiteral("202551002"),
              Late = QStringLiteral("202551003");

class StatusWindowTest : public WindowTest {
protected:
    // Moving reaches Alarm by anchor 2; Late stopped sending two days ago
    // with a limit of 2 hours; Calm is normal.
    void startSite() {
        store::Database& db = openNewDatabase();
        addSensor(db, SensorRow{Calm, QStringLiteral("L1"), QStringLiteral("Drive 4")});
        addSensor(db, SensorRow{Moving, QStringLiteral("L2"), QStringLiteral("Stope 9")});
        addSensor(db, SensorRow{Late, QStringLiteral("L2"), QStringLiteral("Drive 4")});
        const QDateTime now = clock.now();
        reading(db, Calm, now.addSecs(-7200), 0);
        reading(db, Calm, now.addSecs(-3600), 1);
        reading(db, Moving, now.addSecs(-7200), 0);
        reading(db, Moving, now.addSecs(-3600), 12);
        reading(db, Late, now.addDays(-3), 0);
        reading(db, Late, now.addDays(-2), 0.5);
        const std::vector<levels::TriggerLevel> site = levels::siteLevels(db);
        for (const QString& n : {Calm, Moving, Late}) {
            levels::SensorTriggers t;
            t.displacement[0] =
                levels::parseThresholds(QStringLiteral("Alert=5,Alarm=10"), site, {});
            if (n == Late) t.staleAfterHours = 2;
            levels::setSensorTriggers(db, n, t);
        }
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
    }
    static void reading(store::Database& db, const QString& number, const QDateTime& when,
                        double anchor2) {
        addReading(db, number, when, {10.0, 10.0 - anchor2, 10.0, 10.0});
    }
    QStringList column(int c) const {
        QAbstractItemModel* m = control<QTableView>("tblStatus")->model();
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, c).data().toString();
        return out;
    }
    QTableView* table() const { return control<QTableView>("tblStatus"); }
};

TEST_F(StatusWindowTest, TheTabListsEverySensorWorstFirst) {
    startSite();
    QTabWidget* tabs = control<QTabWidget>("SSTab1");
    ASSERT_EQ(tabs->count(), 7);
    EXPECT_EQ(tabs->tabText(6), "7. Status");
    tabs->setCurrentIndex(6);
    QAbstractItemModelTester tester(table()->model());
    EXPECT_EQ(column(0), (QStringList{Moving, Late, Calm}));
    EXPECT_EQ(column(3), (QStringList{"Alarm", "no new data", "normal"}));
    EXPECT_EQ(column(4)[0], "2");
    EXPECT_EQ(column(5)[0], "12.00");
    EXPECT_EQ(column(8)[1], "2 d 0 h");
    EXPECT_EQ(table()->model()->index(0, 3).data(Qt::BackgroundRole).value<QColor>(),
              levels::defaultLevels()[1].colour);
    EXPECT_FALSE(table()->model()->index(2, 3).data(Qt::BackgroundRole).isValid());

    // The register's level and location keep the rows that match.
    QComboBox* where = control<QComboBox>("cboStatusLocation");
    EXPECT_EQ(itemsOf(where), (QStringList{"(all)", "Drive 4", "Stope 9"}));
    where->setCurrentIndex(1);
    emit where->activated(1);
    EXPECT_EQ(column(0), (QStringList{Late, Calm}));
    EXPECT_TRUE(control<QLabel>("lblStatusCount")->text().startsWith("2 sensor(s) shown; 1 "));
}

TEST_F(StatusWindowTest, ADoubleClickGoesToTheSensorAndTheListIsMarked) {
    startSite();
    QTabWidget* tabs = control<QTabWidget>("SSTab1");
    tabs->setCurrentIndex(6);
    QComboBox* list = control<QComboBox>("cboSensors");
    const int moving = list->findText(Moving);
    ASSERT_GE(moving, 0);
    EXPECT_TRUE(list->itemData(moving, Qt::DecorationRole).isValid());
    EXPECT_FALSE(list->itemData(list->findText(Calm), Qt::DecorationRole).isValid());

    const QRect cell = table()->visualRect(table()->model()->index(1, 0));
    // A double click is a click and then a second press.
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(control<QLineEdit>("txtSensor")->text(), Late);
}

TEST_F(StatusWindowTest, ExportAndPrintHandTheFilesOver) {
    startSite();
    control<QTabWidget>("SSTab1")->setCurrentIndex(6);
    click("cmdStatusExport");
    click("cmdStatusPrint");
    ASSERT_EQ(desktop.opened.size(), 2);
    EXPECT_TRUE(desktop.opened[0].endsWith("/Site status.xlsx"));
    EXPECT_TRUE(desktop.opened[1].endsWith("/Site status.pdf"));
    EXPECT_GT(QFileInfo(desktop.opened[0]).size(), 1000);
    EXPECT_EQ(fileBytes(desktop.opened[1]).left(5), "%PDF-");
}

TEST_F(StatusWindowTest, TheTriggerWindowRefusesABadValueAndStoresAGoodOne) {
    startSite();
    control<QTabWidget>("SSTab1")->setCurrentIndex(1);
    prompter.answer(app::Answer::Ok);
    onNextModal([](QDialog* d) {
        auto* grid = d->findChild<QTableWidget*>("tblTriggers");
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->rowCount(), 5); // all anchors and four of its own
        grid->item(0, 0)->setText("6");
        grid->item(0, 1)->setText("4"); // Alarm below Alert
        d->findChild<QPushButton*>("cmdSaveTriggers")->click();
        ASSERT_TRUE(d->isVisible());
        grid->item(0, 1)->setText("11");
        grid->item(2, 0)->setText("1"); // anchor 2's own
        d->findChild<QLineEdit*>("txtStaleAfter")->setText("3");
        d->findChild<QPushButton*>("cmdSaveTriggers")->click();
    });
    click("imgTriggerLevels");
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text,
              "All anchors displacement: Alarm (4) must be above Alert (6)");
    auto db = store::Database::open(dataFile("TolvaneMPBX.mdb"), true);
    const QString shown = control<QLineEdit>("txtSensor")->text();
    const levels::SensorTriggers t = levels::sensorTriggers(*db, shown);
    EXPECT_EQ(t.displacement[0].at(2), 11);
    EXPECT_EQ(t.displacement[2].at(1), 1);
    EXPECT_EQ(t.staleAfterHours, 3);
}

TEST_F(StatusWindowTest, TheSiteLevelsWindowRenamesAndAddsALevel) {
    startSite();
    control<QTabWidget>("SSTab1")->setCurrentIndex(5);
    onNextModal([](QDialog* d) {
        auto* grid = d->findChild<QTableWidget*>("tblSiteLevels");
        ASSERT_EQ(grid->rowCount(), 3);
        grid->item(0, 0)->setText("Watch");
        d->findChild<QPushButton*>("cmdAddLevel")->click();
        grid->item(3, 0)->setText("Evacuate");
        grid->item(3, 1)->setText("#800080");
        d->findChild<QPushButton*>("cmdSaveSiteLevels")->click();
    });
    click("imgSiteLevels");
    auto db = store::Database::open(dataFile("TolvaneMPBX.mdb"), true);
    const std::vector<levels::TriggerLevel> site = levels::siteLevels(*db);
    ASSERT_EQ(site.size(), 4u);
    EXPECT_EQ(site[0].name, "Watch");
    EXPECT_EQ(site[3].name, "Evacuate");
    // Thresholds follow their level's place: Moving's Alarm is still at 10.
    control<QTabWidget>("SSTab1")->setCurrentIndex(6);
    EXPECT_EQ(column(3)[0], "Alarm");
}

} // namespace
