// A reading's quality and a new zero reading set from the Readings tab, and
// several readings' quality from the datasheet, through the real window.
#include "support/WindowSupport.h"

#include "readings/Quality.h"
#include "readings/ZeroHistory.h"
#include "store/Audit.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("201391005");

class QualityWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        addReadings(db, Sensor, 5);
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
        control<QTabWidget>("SSTab1")->setCurrentIndex(2); // at the last reading
    }
    std::optional<readings::QualityFlag> flagOf(int hour) {
        auto db = store::Database::open(dataFile(QStringLiteral("TolvaneMPBX.mdb")), true);
        return readings::qualityOf(
            *db, Sensor,
            readingKey(Sensor, QDateTime(QDate(2025, 3, 1), QTime(0, 0)).addSecs(3600 * hour)));
    }
    template <class T> static T* in(QDialog* d, const char* name) {
        T* found = d->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

TEST_F(QualityWindowTest, TheBoxFlagsTheReadingShownAndFollowsItWhenStepping) {
    auto* box = control<QComboBox>("cboQuality");
    auto* note = control<QLineEdit>("txtQualityNote");
    EXPECT_EQ(box->currentIndex(), 0);
    note->setText(QStringLiteral("spike after blasting"));
    box->setCurrentIndex(1);
    emit box->activated(1);
    ASSERT_TRUE(flagOf(4));
    EXPECT_EQ(flagOf(4)->quality, readings::Quality::Suspect);
    EXPECT_EQ(flagOf(4)->note, "spike after blasting");

    click(QStringLiteral("imgPrevData"));
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(note->text(), "");
    click(QStringLiteral("imgNextData"));
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_EQ(note->text(), "spike after blasting");
    // A new note alone is stored when the box is left.
    note->setText(QStringLiteral("checked on site"));
    emit note->editingFinished();
    EXPECT_EQ(flagOf(4)->note, "checked on site");
}

TEST_F(QualityWindowTest, AZeroReadingIsSetWithItsReasonAndRefusedTwice) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        onNextModal([&](QDialog* d) {
            EXPECT_EQ(d->objectName(), "frmZeroReading");
            auto* reason = in<QComboBox>(d, "cboZeroReason");
            EXPECT_GE(reason->findText("anchor 3 replaced"), 0);
            reason->setEditText("anchor 3 replaced");
            in<QCheckBox>(d, "chkCarryOver")->setChecked(true);
            in<QPushButton>(d, "cmdSetZero")->click();
            EXPECT_EQ(in<QTableWidget>(d, "tblZeros")->rowCount(), 1);
            d->reject();
        });
        prompter.answer(app::Answer::Ok);
        click(QStringLiteral("imgSetZero"));
    }
    ASSERT_EQ(prompter.prompts.size(), 2u);
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Information);
    EXPECT_EQ(prompter.prompts[1].icon, app::Icon::Warning); // never overwritten
    EXPECT_TRUE(prompter.prompts[1].text.contains("2025/03/01 04:00:00"))
        << prompter.prompts[1].text.toStdString();
    auto db = store::Database::open(dataFile(QStringLiteral("TolvaneMPBX.mdb")), true);
    const std::vector<readings::ZeroReading> zeros = readings::zeroReadings(*db, Sensor);
    ASSERT_EQ(zeros.size(), 1u);
    EXPECT_EQ(zeros[0].at, "2025-03-01 04:00:00");
    EXPECT_EQ(zeros[0].reason, "anchor 3 replaced");
    EXPECT_TRUE(zeros[0].carryOver);
    EXPECT_EQ(zeros[0].setAt, store::stampText(clock.now()));
}

TEST_F(QualityWindowTest, TheDatasheetFlagsSeveralRowsAndShowsThem) {
    onNextModal([&](QDialog* d) {
        auto* grid = in<QTableView>(d, "MSFlexGrid1");
        QAbstractItemModel* model = grid->model();
        const int columns = model->columnCount(); // no quality column without flags
        grid->selectionModel()->select(model->index(1, 0), QItemSelectionModel::ClearAndSelect);
        grid->selectionModel()->select(model->index(2, 3), QItemSelectionModel::Select);
        in<QComboBox>(d, "cboSheetQuality")->setCurrentIndex(2);
        in<QLineEdit>(d, "txtSheetNote")->setText("logger fault");
        in<QPushButton>(d, "cmdSetQuality")->click();
        ASSERT_EQ(model->columnCount(), columns + 1);
        EXPECT_EQ(model->headerData(columns, Qt::Horizontal).toString(), "Quality");
        EXPECT_EQ(model->index(1, columns).data().toString(), "invalid");
        EXPECT_EQ(model->index(0, columns).data().toString(), "");
        EXPECT_EQ(model->index(2, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        d->reject();
    });
    click(QStringLiteral("imgDatasheet"));
    EXPECT_EQ(flagOf(1)->quality, readings::Quality::Invalid);
    EXPECT_EQ(flagOf(2)->note, "logger fault");
    EXPECT_FALSE(flagOf(3));
}

} // namespace
