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

// Every control the other subsystems rely on, by name and class, on its tab.
TEST_F(MainWindowTest, ControlsAreInPlace) {
    auto* tabs = control<QTabWidget>(QStringLiteral("SSTab1"));
    const auto onTab = [&](const QString& name, int tab) {
        QWidget* w = control(name);
        if (!w) return;
        EXPECT_TRUE(tabs->widget(tab)->isAncestorOf(w)) << name.toStdString();
    };
    const auto expect = [&](const char* className, int tab, const QStringList& names) {
        for (const QString& name : names) {
            QWidget* w = control(name);
            if (!w) continue;
            EXPECT_TRUE(w->inherits(className)) << name.toStdString() << " is no " << className;
            onTab(name, tab);
        }
    };
    QStringList nodes, channels, nodeLabels, units, anchors;
    for (int i = 1; i <= 8; ++i) {
        nodes << QStringLiteral("txtNode%1").arg(i);
        channels << QStringLiteral("txtChannel%1").arg(i);
        nodeLabels << QStringLiteral("lbln%1").arg(i);
        units << QStringLiteral("lblmm%1").arg(i);
        anchors << QStringLiteral("txtRelSGanchor%1").arg(i);
    }
    expect("QComboBox", 0, {"cboSensors", "cboDestroyed"});
    expect("QLineEdit", 0,
           QStringList{"txtSCount", "txtSensor", "txtFamily", "txtDateID", "txtTypeID",
                       "txtSensorNo", "txtLengthofCable", "txtDestructionDate", "txtSnav"} +
               nodes);
    expect("QRadioButton", 0, {"Option1", "Option2"});
    expect("QToolButton", 0, {"imgNext", "imgPrevious", "imgAddSensor", "imgDelete"});
    expect("QLabel", 0, {"lbl", "lblLocation", "imgheart", "imgalive", "imgdead"});
    expect("QLineEdit", 1,
           QStringList{"txtSensor2", "txtLevel", "txtLocation", "txtBorehole", "txtInstallDate",
                       "txtInstallBy", "txtPurpose", "txtNotes", "txtRecess", "txtHead"} +
               anchors);
    expect("QLabel", 1, {"lblNotes", "lblRecess", "lbloption", "imgHead", "imgCollar", "imgToe"});
    expect("QPushButton", 1, {"cmdSave"});
    expect("QLineEdit", 2,
           QStringList{"txtSensor3", "txtReadingID", "txtChannelT", "txtRcount"} + channels);
    expect("QLabel", 2,
           QStringList{"lblTemp", "Label47", "lblError", "Label46"} + nodeLabels + units);
    expect("QDateEdit", 2, {"dtpRdate"});
    expect("QTimeEdit", 2, {"dtpRtime"});
    expect("QCheckBox", 2, {"chkTemporal", "chkSpatial"});
    expect("QComboBox", 2, {"cboTroveInt"});
    expect("QToolButton", 2,
           {"imgFirst", "imgPrevData", "imgNextData", "imgLast", "imgAddReading",
            "imgDeleteReading", "imgDatasheet", "imgReport", "imgAddTroveData"});
    expect("QCustomPlot", 3, {"ChartT"});
    expect("QComboBox", 3, {"cboScale"});
    expect("QPushButton", 3, {"cmdTHelp", "cmdTemp"});
    expect("QCustomPlot", 4, {"ChartS"});
    expect("QLabel", 4, {"lblW15"});
    expect("QPushButton", 4, {"cmdDvl"});
    expect("QComboBox", 5, {"txtFilterType"});
    expect("QLineEdit", 5, {"txtFilterLevel", "txtFilterLocation", "txtStartDate", "txtEndDate"});
    expect("QCheckBox", 5, {"chkDontShowDestroyed"});
    expect(
        "QToolButton", 5,
        {"imgFilter", "Image3", "imgBackup", "imgRestore", "imgHelp", "imgInternet", "imgAbout"});
    expect("QLabel", 5, {"lblFilterState", "lblFilter", "imgApplyFilter", "imgRemoveFilter"});
    expect("QListWidget", 5, {"lstFiles"});

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
    EXPECT_EQ(control<QRadioButton>(QStringLiteral("Option1"))->text(),
              "Option 1 && 2 - Head at collar");
    EXPECT_EQ(control<QRadioButton>(QStringLiteral("Option2"))->text(), "Option 3 - Head at toe");
    EXPECT_EQ(caption(QStringLiteral("lbl")), "Length of MPBX (m):");
    EXPECT_EQ(caption(QStringLiteral("lblLocation")), "Manufacturing Configuration:");
    EXPECT_EQ(caption(QStringLiteral("lblRecess")), "m protruding from hole");
    EXPECT_EQ(caption(QStringLiteral("lbloption")), "Option 1 and 2 - Head at Borehole Collar");
    EXPECT_EQ(caption(QStringLiteral("lblscale")), "Scale X axis (mm):");
    EXPECT_EQ(caption(QStringLiteral("lblFilter")), "* Filter Applied *");
    EXPECT_FALSE(control(QStringLiteral("lblFilter"))->isVisibleTo(window.get()));
    EXPECT_EQ(control<QPushButton>(QStringLiteral("cmdSave"))->text(), "Save Changes");
    EXPECT_EQ(control<QPushButton>(QStringLiteral("cmdTHelp"))->text(), "?");
    EXPECT_EQ(control<QPushButton>(QStringLiteral("cmdTemp"))->text(), "Export as JPG");
    EXPECT_EQ(control<QPushButton>(QStringLiteral("cmdDvl"))->text(), "Export as JPG");
    EXPECT_EQ(control<QCheckBox>(QStringLiteral("chkDontShowDestroyed"))->text(),
              "Do Not Show Destroyed Sensors");
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
    for (const auto& [picture, label, text] : pairs) {
        SCOPED_TRACE(picture);
        auto* button = control<QToolButton>(picture);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(caption(label), QString::fromUtf8(text));
        int runs = 0;
        // Stand in for the command, so that only the wiring is tested here.
        const auto connection = QObject::connect(button, &QToolButton::clicked, [&] { ++runs; });
        const bool opensModal = std::string_view(picture) == "imgAbout";
        if (opensModal) onNextModal([](QDialog* d) { d->accept(); });
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
