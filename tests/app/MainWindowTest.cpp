// The main window's shell: tabs, controls, command pairs, resize, the manual,
// the web site and the about window.
#include "support/WindowSupport.h"

#include "app/Manual.h"
#include "app/Texts.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>

#include <qcustomplot.h>

using namespace testing_support;

namespace {

class MainWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        makeDefaultDatabase({"202421001"});
        ASSERT_TRUE(startWindow());
    }
    QString caption(const QString& name) { return control<QLabel>(name)->text(); }
};

TEST_F(MainWindowTest, WindowAndTabs) {
    EXPECT_EQ(window->objectName(), QStringLiteral("frmTolvane"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane MPBX/ROVA"));
    auto* tabs = control<QTabWidget>(QStringLiteral("SSTab1"));
    ASSERT_EQ(tabs->count(), 6);
    const QStringList captions{"1. Identification", "2. Installation",  "3. Readings",
                               "4. Disp v Time",    "5. Disp v Length", "6. Utilities"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(control(QStringLiteral("lblError"))->isVisibleTo(window.get()));
}

// Every control the other subsystems rely on, by name and class, on its tab
// ("name#" stands for the eight members of a control array).
TEST_F(MainWindowTest, ControlsAreInPlace) {
    auto* tabs = control<QTabWidget>(QStringLiteral("SSTab1"));
    const std::vector<std::tuple<int, const char*, const char*>> table{
        {0, "QComboBox", "cboSensors cboDestroyed"},
        {0, "QLineEdit",
         "txtSCount txtSensor txtFamily txtDateID txtTypeID txtSensorNo "
         "txtLengthofCable txtDestructionDate txtSnav txtNode#"},
        {0, "QRadioButton", "Option1 Option2"},
        {0, "QToolButton", "imgNext imgPrevious imgAddSensor imgDelete"},
        {0, "QLabel", "lbl lblLocation imgheart imgalive imgdead"},
        {1, "QLineEdit",
         "txtSensor2 txtLevel txtLocation txtBorehole txtInstallDate "
         "txtInstallBy txtPurpose txtNotes txtRecess txtHead txtRelSGanchor#"},
        {1, "QLabel", "lblNotes lblRecess lbloption imgHead imgCollar imgToe"},
        {1, "QPushButton", "cmdSave"},
        {2, "QLineEdit", "txtSensor3 txtReadingID txtChannelT txtRcount txtChannel#"},
        {2, "QLabel", "lblTemp Label47 lblError Label46 lbln# lblmm#"},
        {2, "QDateEdit", "dtpRdate"},
        {2, "QTimeEdit", "dtpRtime"},
        {2, "QCheckBox", "chkTemporal chkSpatial"},
        {2, "QComboBox", "cboTroveInt"},
        {2, "QToolButton",
         "imgFirst imgPrevData imgNextData imgLast imgAddReading "
         "imgDeleteReading imgDatasheet imgReport imgAddTroveData"},
        {3, "QCustomPlot", "ChartT"},
        {3, "QComboBox", "cboScale"},
        {3, "QPushButton", "cmdTHelp cmdTemp"},
        {4, "QCustomPlot", "ChartS"},
        {4, "QLabel", "lblW15"},
        {4, "QPushButton", "cmdDvl"},
        {5, "QComboBox", "txtFilterType"},
        {5, "QLineEdit", "txtFilterLevel txtFilterLocation txtStartDate txtEndDate"},
        {5, "QCheckBox", "chkDontShowDestroyed"},
        {5, "QToolButton", "imgFilter Image3 imgBackup imgRestore imgHelp imgInternet imgAbout"},
        {5, "QLabel", "lblFilterState lblFilter imgApplyFilter imgRemoveFilter"},
        {5, "QListWidget", "lstFiles"},
    };
    for (const auto& [tab, className, names] : table) {
        for (const QString& entry : QString::fromUtf8(names).split(QLatin1Char(' '))) {
            QStringList members{entry};
            if (entry.endsWith(QLatin1Char('#'))) {
                members.clear();
                for (int i = 1; i <= 8; ++i)
                    members << entry.chopped(1) + QString::number(i);
            }
            for (const QString& name : members) {
                const QWidget* w = control(name);
                if (!w) continue;
                EXPECT_TRUE(w->inherits(className)) << name.toStdString() << " is no " << className;
                EXPECT_TRUE(tabs->widget(tab)->isAncestorOf(w)) << name.toStdString();
            }
        }
    }

    // The editable combo boxes, and the display formats of the pickers.
    for (const char* name : {"cboSensors", "txtFilterType", "cboScale", "cboTroveInt"})
        EXPECT_TRUE(control<QComboBox>(name)->isEditable()) << name;
    EXPECT_EQ(control<QDateEdit>(QStringLiteral("dtpRdate"))->displayFormat(), "yy/MM/dd");
    EXPECT_EQ(control<QTimeEdit>(QStringLiteral("dtpRtime"))->displayFormat(), "HH:mm:ss");
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboScale"))),
              QStringList({"AutoScale", "25", "50", "75", "100", "125"}));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cboScale"))->currentText(), "AutoScale");
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboTroveInt"))), QStringList({"1", "8", "24"}));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cboTroveInt"))->currentText(), "24");
    EXPECT_EQ(itemsOf(control(QStringLiteral("txtFilterType"))).first(), "21: q1 MPBX or ROVA");
    EXPECT_EQ(itemsOf(control(QStringLiteral("txtFilterType"))).last(), "71: q6 MPBX or ROVA");
}

TEST_F(MainWindowTest, FixedCaptions) {
    const std::vector<std::pair<const char*, const char*>> captions{
        {"Option1", "Option 1 && 2 - Head at collar"},
        {"Option2", "Option 3 - Head at toe"},
        {"lbl", "Length of MPBX (m):"},
        {"lblLocation", "Node / Anchor Location:"}, // a sensor is shown
        {"lblRecess", "m protruding from hole"},
        {"lbloption", "Option 1 and 2 - Head at Borehole Collar"},
        {"lblscale", "Scale X axis (mm):"},
        {"lblFilter", "* Filter Applied *"},
        {"cmdSave", "Save Changes"},
        {"cmdTHelp", "?"},
        {"cmdTemp", "Export as JPG"},
        {"cmdDvl", "Export as JPG"},
        {"chkDontShowDestroyed", "Do Not Show Destroyed Sensors"},
    };
    for (const auto& [name, text] : captions) {
        if (const QWidget* w = control(name)) {
            EXPECT_EQ(w->property("text").toString(), QString::fromUtf8(text)) << name;
        }
    }
    EXPECT_FALSE(control(QStringLiteral("lblFilter"))->isVisibleTo(window.get()));
    // Every fixed caption is shown somewhere on the window.
    QStringList shown;
    for (const QLabel* l : window->findChildren<QLabel*>())
        shown << l->text();
    for (const char* text : {"Add or Select Sensor:",
                             "Instrument ID:",
                             "Family:",
                             "Date ID",
                             "S Type",
                             "S Number",
                             "Record Navigation:",
                             "Destroyed:",
                             "Date:",
                             "Installation:",
                             "Level:",
                             "Location:",
                             "Borehole:",
                             "Install Date:",
                             "Installed By:",
                             "Purpose:",
                             "Notes:",
                             "Reading ID:",
                             "Reading Date:",
                             "Reading Time:",
                             "Temperature:",
                             "deg C",
                             "mm",
                             "(Disp v Time)",
                             "(Disp v Length)",
                             "View/Add Readings",
                             "Datasheet View:",
                             "Import Datafiles:",
                             "Time Period (hr)",
                             "Error:",
                             "Choose an mdb file to restore from:",
                             "Filter Installed Sensors:",
                             "Filter by Sensor Type:",
                             "Filter by Level:",
                             "Filter by Location:",
                             "Filter by Install Date: (yyyy/mm/dd)",
                             "Start Date:",
                             "End Date:",
                             "# of Instruments:",
                             "Change Database Location"})
        EXPECT_TRUE(shown.contains(QString::fromUtf8(text))) << text;
}

// A click on the caption runs the same command as the picture.
TEST_F(MainWindowTest, CommandPairs) {
    const std::vector<std::array<const char*, 3>> pairs{
        {"imgNext", "lblNext", "Next"},
        {"imgPrevious", "lblPrevious", "Previous"},
        {"imgAddSensor", "lblAddSensor", "Add New"},
        {"imgDelete", "lblDelete", "Delete"},
        {"imgFirst", "lblFirst", "First"},
        {"imgPrevData", "lblPrevData", "Previous"},
        {"imgNextData", "lblNextData", "Next"},
        {"imgLast", "lblLast", "Last"},
        {"imgAddReading", "lblAddReading", "Add New"},
        {"imgDeleteReading", "lblDeleteReading", "Delete/Batch"},
        {"imgDatasheet", "lblDatasheet", "Datasheet"},
        {"imgReport", "Label46", "Report"},
        {"imgFilter", "lblFilterState", "Apply Filter"},
        {"imgBackup", "lblBackup", "Backup Database"},
        {"imgRestore", "lblRestore", "Restore from Backup"},
        {"imgHelp", "lblHelp", "View Tolvane Manual"},
        {"imgInternet", "lblInternet", "Visit the Vornhald website"},
        {"imgAbout", "lblAbout", "About Vornhald's Tolvane"},
    };
    // The real commands run too: cancel the new sensor's number, keep the sensor.
    prompter.typeIn(std::nullopt);
    prompter.answer(app::Answer::No);
    for (const auto& [picture, label, text] : pairs) {
        SCOPED_TRACE(picture);
        auto* button = control<QToolButton>(picture);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(caption(label), QString::fromUtf8(text));
        int runs = 0;
        // Stand in for the command, so that only the wiring is tested here.
        const auto connection = QObject::connect(button, &QToolButton::clicked, [&] { ++runs; });
        const std::string_view name(picture);
        if (name == "imgAbout") onNextModal([](QDialog* d) { d->accept(); });
        if (name == "imgReport" || name == "imgDatasheet")
            onNextModal([](QDialog* d) { d->reject(); });
        click(label);
        EXPECT_EQ(runs, 1);
        QObject::disconnect(connection);
    }
    EXPECT_FALSE(control<QToolButton>(QStringLiteral("imgAddTroveData"))->icon().isNull());
    EXPECT_FALSE(control<QToolButton>(QStringLiteral("Image3"))->icon().isNull());
}

TEST_F(MainWindowTest, ManualAndWebSiteGoToTheDesktop) {
    click(QStringLiteral("lblHelp"));
    click(QStringLiteral("imgInternet"));
    EXPECT_EQ(desktop.opened, QStringList({dataFile(app::ManualFileName), app::texts::WebSite}));
    // Without the manual, nothing happens.
    ASSERT_TRUE(QFile::remove(dataFile(app::ManualFileName)));
    desktop.opened.clear();
    click(QStringLiteral("imgHelp"));
    EXPECT_TRUE(desktop.opened.isEmpty());
    // A desktop that opens nothing leaves the program as it was.
    desktop.result = false;
    click(QStringLiteral("lblInternet"));
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(MainWindowTest, AboutShowsTheVersionAndIsReused) {
    QDialog* first = nullptr;
    onNextModal([&](QDialog* d) {
        first = d;
        EXPECT_EQ(d->objectName(), QStringLiteral("frmSplash"));
        QStringList texts;
        for (const QLabel* l : d->findChildren<QLabel*>())
            texts << l->text();
        EXPECT_TRUE(texts.contains(QStringLiteral("Tolvane MPBX")));
        EXPECT_TRUE(texts.contains(QStringLiteral("Version 1.5.0")));
        auto* ok = d->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        ok->click();
    });
    click(QStringLiteral("imgAbout"));
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->isVisible());
    QDialog* second = nullptr;
    onNextModal([&](QDialog* d) {
        second = d;
        d->accept();
    });
    click(QStringLiteral("lblAbout"));
    EXPECT_EQ(second, first);
}

TEST_F(MainWindowTest, TabControlKeepsItsSizeAndPlace) {
    auto* tabs = control(QStringLiteral("SSTab1"));
    const QSize designed = tabs->size();
    EXPECT_EQ(tabs->pos(), QPoint(8, 8)); // 120 twips
    window->resize(window->width() + 300, window->height() + 200);
    EXPECT_EQ(tabs->pos(), QPoint(8, 8));
    EXPECT_EQ(tabs->size(), designed);

    window->showMaximized();
    const QSize screen = window->screen()->geometry().size();
    EXPECT_EQ(tabs->pos(), QPoint((screen.width() - designed.width()) / 2,
                                  (screen.height() - designed.height()) / 2));
    EXPECT_EQ(tabs->size(), designed);

    window->showNormal();
    EXPECT_EQ(tabs->pos(), QPoint(8, 8));
    window->showMinimized();
    EXPECT_EQ(tabs->size(), designed);
}

} // namespace
