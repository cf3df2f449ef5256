// The calibrations window of the Installation tab, driven through the real
// main window: a calibration added and read back from the file, a bad value
// refused by its field, older calibrations listed beside newer ones, and a
// read-only database left as it was.
#include "support/WindowSupport.h"

#include "importer/Calibration.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("202541001"); // three anchors

class CalibrationWindowTest : public WindowTest {
protected:
    // The sensor, with a channel 1 calibration from 2025 when older is set.
    void startSite(bool older = false, bool readOnly = false) {
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        if (older) {
            importer::Calibration c;
            c.sensor = Sensor;
            c.channel = 1;
            c.validFrom = QStringLiteral("2025-01-01 00:00:00");
            c.gaugeFactor = 0.0120;
            importer::saveCalibration(db, c);
        }
        state->releaseDatabase();
        if (readOnly) {
            ASSERT_TRUE(QFile::setPermissions(database(), QFile::ReadOwner | QFile::ReadGroup));
        }
        ASSERT_TRUE(startWindow());
        control<QTabWidget>("SSTab1")->setCurrentIndex(1);
        prompter.prompts.clear();
    }
    QString database() const { return dataFile(QStringLiteral("TolvaneMPBX.mdb")); }

    // Opens the window, runs action in it and closes it whatever happened.
    void inWindow(const std::function<void(QDialog*)>& action) {
        bool opened = false;
        onNextModal([&](QDialog* d) {
            opened = true;
            EXPECT_EQ(d->objectName(), "frmCalibrations");
            action(d);
            if (d->isVisible()) d->reject();
        });
        click("imgCalibrations");
        // Nothing opened: the waiting look runs now, while its references live.
        if (!opened) QCoreApplication::processEvents();
        EXPECT_TRUE(opened);
    }

    // The stored rows, one "channel|from|kind|G|M|B|R0|T0|MIN|MAX" a row.
    QStringList storedRows() const {
        auto db = store::Database::open(database(), true);
        store::Statement st = db->prepare(QStringLiteral(
            "SELECT Channel, ValidFrom, Kind, GaugeFactor, ThermalM, ThermalB, ZeroDigits, "
            "ZeroTemperature, MinDigits, MaxDigits FROM Calibrations WHERE SensorID = ?1 ORDER BY "
            "Channel, ValidFrom"));
        st.bind(1, Sensor);
        QStringList rows;
        while (st.step()) {
            QStringList cells;
            for (int c = 0; c < 10; ++c)
                cells << st.text(c);
            rows << cells.join('|');
        }
        return rows;
    }
    int calibrationEntries() const {
        auto db = store::Database::open(database(), true);
        int n = 0;
        for (const store::AuditRecord& r : auditTrail(*db))
            n += r.entry.operation == store::operation::CalibrationSet;
        return n;
    }

    static void fill(QDialog* d, const QString& name, const QString& text) {
        auto* box = d->findChild<QLineEdit*>(name);
        ASSERT_NE(box, nullptr) << name.toStdString();
        box->setText(text);
    }
    static void choose(QDialog* d, const QString& name, const QString& item) {
        auto* box = d->findChild<QComboBox*>(name);
        ASSERT_NE(box, nullptr) << name.toStdString();
        const int at = box->findText(item);
        ASSERT_GE(at, 0) << item.toStdString();
        box->setCurrentIndex(at);
        emit box->activated(at);
    }
    static QStringList column(QDialog* d, int c) {
        auto* list = d->findChild<QTableWidget*>("tblCalibrations");
        QStringList out;
        for (int r = 0; list && r < list->rowCount(); ++r)
            out << (list->item(r, c) ? list->item(r, c)->text() : QString());
        return out;
    }
    // The worked example: channel 2 of the sensor from 2026/11/20 09:00.
    static void fillWorkedExample(QDialog* d) {
        choose(d, "cboCalChannel", "channel 2");
        fill(d, "txtCalFrom", "2026/11/20 09:00:00");
        choose(d, "cboCalKind", "linear");
        fill(d, "txtCalGauge", "0.011906");
        fill(d, "txtCalThermal", "0.000112,-0.35");
        fill(d, "txtCalZero", "2604.4,21.5");
        fill(d, "txtCalRange", "1000,9000");
    }
    static void add(QDialog* d) { d->findChild<QPushButton*>("cmdAddCalibration")->click(); }
};

TEST_F(CalibrationWindowTest, ALinearCalibrationIsStoredAuditedAndListed) {
    startSite();
    EXPECT_EQ(control<QLabel>("lblCalibrations")->text(), "Calibrations…");
    inWindow([&](QDialog* d) {
        EXPECT_EQ(itemsOf(d->findChild<QComboBox*>("cboCalChannel")),
                  (QStringList{"thermistor", "channel 1", "channel 2", "channel 3"}));
        EXPECT_EQ(itemsOf(d->findChild<QComboBox*>("cboCalKind")),
                  (QStringList{"linear", "polynomial", "thermistor"}));
        EXPECT_EQ(d->findChild<QLineEdit*>("txtCalFrom")->text(), "2026/12/07 15:04:05");
        // The 3 kΩ thermistor's factors, as the store would take them.
        const QStringList s = d->findChild<QLineEdit*>("txtCalSteinhart")->text().split(',');
        ASSERT_EQ(s.size(), 3);
        const importer::Thermistor t;
        EXPECT_DOUBLE_EQ(s[0].toDouble(), t.a);
        EXPECT_DOUBLE_EQ(s[1].toDouble(), t.b);
        EXPECT_DOUBLE_EQ(s[2].toDouble(), t.c);
        fillWorkedExample(d);
        add(d);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(column(d, 0), QStringList{"channel 2"});
        EXPECT_EQ(column(d, 1), QStringList{"2026/11/20 09:00:00"});
        EXPECT_EQ(column(d, 3), QStringList{"G = 0.011906"});
        EXPECT_EQ(column(d, 8), QStringList{"2026/12/07 15:04:05"});
        d->findChild<QPushButton*>("cmdCloseCalibrations")->click();
        EXPECT_FALSE(d->isVisible());
    });
    EXPECT_TRUE(prompter.prompts.empty()) << promptTexts().join('|').toStdString();
    EXPECT_EQ(storedRows(), QStringList{"2|2026-11-20 09:00:00|linear|0.011906|0.000112|-0.35|"
                                        "2604.4|21.5|1000.0|9000.0"});
    EXPECT_EQ(calibrationEntries(), 1);
}

TEST_F(CalibrationWindowTest, ABadValueIsRefusedByItsFieldAndNothingIsStored) {
    startSite();
    inWindow([&](QDialog* d) {
        fillWorkedExample(d);
        fill(d, "txtCalGauge", "0.0119o6");
        add(d);
        fill(d, "txtCalGauge", "0.011906");
        fill(d, "txtCalRange", "9000,1000");
        add(d);
        fill(d, "txtCalRange", "");
        fill(d, "txtCalFrom", "2026/11/31 09:00:00");
        add(d);
        EXPECT_EQ(column(d, 0), QStringList());

        // The thermistor's channel is of its own kind, with only its factors open.
        choose(d, "cboCalChannel", "thermistor");
        EXPECT_EQ(d->findChild<QComboBox*>("cboCalKind")->currentText(), "thermistor");
        EXPECT_TRUE(d->findChild<QLineEdit*>("txtCalSteinhart")->isEnabled());
        EXPECT_FALSE(d->findChild<QLineEdit*>("txtCalGauge")->isEnabled());
    });
    ASSERT_EQ(prompter.prompts.size(), 3u);
    EXPECT_EQ(prompter.prompts[0].text, "Gauge factor G: \"0.0119o6\" is not a number");
    EXPECT_EQ(prompter.prompts[0].title, "Calibrations");
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Warning);
    EXPECT_EQ(prompter.prompts[1].text, "Range MIN,MAX: MIN is above MAX");
    EXPECT_EQ(prompter.prompts[2].text,
              "Valid from: \"2026/11/31 09:00:00\" is not a moment as YYYY/MM/DD HH:MM:SS");
    EXPECT_EQ(storedRows(), QStringList());
    EXPECT_EQ(calibrationEntries(), 0);
}

// A newer calibration of a channel keeps the older one; the same moment
// replaces it, only when the user says so.
TEST_F(CalibrationWindowTest, AnOlderCalibrationStaysBesideANewerOne) {
    startSite(true);
    prompter.answer(app::Answer::No);
    prompter.answer(app::Answer::Yes);
    inWindow([&](QDialog* d) {
        EXPECT_EQ(column(d, 1), QStringList{"2025/01/01 00:00:00"});
        choose(d, "cboCalChannel", "channel 1");
        fill(d, "txtCalFrom", "2026/11/20 09:00:00");
        fill(d, "txtCalGauge", "0.011906");
        add(d);
        EXPECT_EQ(column(d, 0), (QStringList{"channel 1", "channel 1"}));
        EXPECT_EQ(column(d, 1), (QStringList{"2025/01/01 00:00:00", "2026/11/20 09:00:00"}));
        EXPECT_EQ(column(d, 3), (QStringList{"G = 0.012", "G = 0.011906"}));
        fill(d, "txtCalFrom", "2025/01/01 00:00:00");
        fill(d, "txtCalGauge", "0.0125");
        add(d); // No
        EXPECT_EQ(column(d, 3), (QStringList{"G = 0.012", "G = 0.011906"}));
        add(d); // Yes
        EXPECT_EQ(column(d, 3), (QStringList{"G = 0.0125", "G = 0.011906"}));
    });
    ASSERT_EQ(prompter.prompts.size(), 2u);
    EXPECT_EQ(prompter.prompts[0].text,
              "channel 1 already has a calibration from 2025/01/01 00:00:00. Replace it?");
    EXPECT_TRUE(prompter.prompts[0].defaultNo);
    const QStringList rows = storedRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith("1|2025-01-01 00:00:00|linear|0.0125|"));
    EXPECT_TRUE(rows[1].startsWith("1|2026-11-20 09:00:00|linear|0.011906|"));
    EXPECT_EQ(calibrationEntries(), 3); // the fixture's, the newer and the replacement
}

TEST_F(CalibrationWindowTest, AReadOnlyDatabaseIsShownButNotChanged) {
    startSite(true, true);
    ASSERT_EQ(window->windowTitle(), "Tolvane MPBX/ROVA (read-only)");
    const QByteArray before = fileBytes(database());
    inWindow([&](QDialog* d) {
        EXPECT_EQ(column(d, 1), QStringList{"2025/01/01 00:00:00"});
        fillWorkedExample(d);
        add(d);
        EXPECT_EQ(column(d, 1), QStringList{"2025/01/01 00:00:00"});
    });
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text,
              "The database is open read-only: no calibration can be added.");
    EXPECT_EQ(storedRows().size(), 1);
    EXPECT_EQ(fileBytes(database()), before);
}

} // namespace
