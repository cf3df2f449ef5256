// The controls of the main window, by their own names. Control arrays are
// indexed 1 to 8 as the program's routines count anchors; index 0 is unused.
#pragma once

#include "app/ui/ControlArray.h"
#include "app/ui/Twips.h"

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimeEdit;
class QToolButton;
class QWidget;

namespace graphs {
class Chart;
struct GraphControls;
} // namespace graphs
namespace importer {
struct ImportControls;
}
namespace maintenance {
struct BackupControls;
}
namespace outputs {
struct DatasheetControls;
struct ReportControls;
} // namespace outputs
namespace readings {
struct ReadingControls;
}
namespace sensors {
struct FilterControls;
struct SensorControls;
} // namespace sensors

namespace app {

struct MainControls {
    QTabWidget* SSTab1 = nullptr;

    // 1. Identification
    QComboBox* cboSensors = nullptr;
    QLineEdit* txtSCount = nullptr;
    QLineEdit* txtSensor = nullptr;
    QLineEdit* txtFamily = nullptr;
    QLineEdit* txtDateID = nullptr;
    QLineEdit* txtTypeID = nullptr;
    QLineEdit* txtSensorNo = nullptr;
    QLabel* lbl = nullptr; // "Length of MPBX (m):" or of ROVA
    QLineEdit* txtLengthofCable = nullptr;
    QLabel* lblLocation = nullptr;
    ControlArray<QLineEdit> txtNode{};
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QComboBox* cboDestroyed = nullptr;
    QLineEdit* txtDestructionDate = nullptr;
    QLabel* imgheart = nullptr;
    QLabel* imgalive = nullptr;
    QLabel* imgdead = nullptr;
    QLineEdit* txtSnav = nullptr;
    QToolButton* imgPrevious = nullptr;
    QToolButton* imgNext = nullptr;
    QToolButton* imgAddSensor = nullptr;
    QToolButton* imgDelete = nullptr;

    // 2. Installation
    QLineEdit* txtSensor2 = nullptr;
    QLineEdit* txtLevel = nullptr;
    QLineEdit* txtLocation = nullptr;
    QLineEdit* txtBorehole = nullptr;
    QLineEdit* txtInstallDate = nullptr;
    QLineEdit* txtInstallBy = nullptr;
    QLineEdit* txtPurpose = nullptr;
    QLabel* lblNotes = nullptr;
    QLineEdit* txtNotes = nullptr;
    QLineEdit* txtRecess = nullptr;
    QLabel* lblRecess = nullptr;
    QLabel* lbloption = nullptr;
    QLabel* imgHead = nullptr;
    QLabel* imgCollar = nullptr;
    QLabel* imgToe = nullptr;
    QLineEdit* txtHead = nullptr;
    ControlArray<QLineEdit> txtRelSGanchor{};
    QPushButton* cmdSave = nullptr;

    // 3. Readings
    QLineEdit* txtSensor3 = nullptr;
    QLineEdit* txtReadingID = nullptr;
    QDateEdit* dtpRdate = nullptr;
    QTimeEdit* dtpRtime = nullptr;
    ControlArray<QLabel> lbln{};
    ControlArray<QLineEdit> txtChannel{};
    ControlArray<QLabel> lblmm{};
    QLabel* lblTemp = nullptr;
    QLineEdit* txtChannelT = nullptr;
    QLabel* Label47 = nullptr; // "deg C"
    QCheckBox* chkTemporal = nullptr;
    QCheckBox* chkSpatial = nullptr;
    QLabel* lblError = nullptr;
    QLineEdit* txtRcount = nullptr;
    QToolButton* imgFirst = nullptr;
    QToolButton* imgPrevData = nullptr;
    QToolButton* imgNextData = nullptr;
    QToolButton* imgLast = nullptr;
    QToolButton* imgAddReading = nullptr;
    QToolButton* imgDeleteReading = nullptr;
    QToolButton* imgDatasheet = nullptr;
    QToolButton* imgReport = nullptr;
    QLabel* Label46 = nullptr; // "Report"
    QToolButton* imgAddTroveData = nullptr;
    QComboBox* cboTroveInt = nullptr;

    // 4. Disp v Time
    graphs::Chart* ChartT = nullptr;
    QLabel* lblscale = nullptr;
    QComboBox* cboScale = nullptr;
    QPushButton* cmdTHelp = nullptr;
    QPushButton* cmdTemp = nullptr;

    // 5. Disp v Length
    graphs::Chart* ChartS = nullptr;
    QLabel* lblW15 = nullptr;
    QPushButton* cmdDvl = nullptr;

    // 6. Utilities
    QComboBox* txtFilterType = nullptr;
    QLineEdit* txtFilterLevel = nullptr;
    QLineEdit* txtFilterLocation = nullptr;
    QLineEdit* txtStartDate = nullptr;
    QLineEdit* txtEndDate = nullptr;
    QCheckBox* chkDontShowDestroyed = nullptr;
    QToolButton* imgFilter = nullptr;
    QLabel* lblFilterState = nullptr;
    QLabel* lblFilter = nullptr;
    QLabel* imgApplyFilter = nullptr;
    QLabel* imgRemoveFilter = nullptr;
    QToolButton* Image3 = nullptr; // Change Database Location
    QListWidget* lstFiles = nullptr;
    QToolButton* imgBackup = nullptr;
    QToolButton* imgRestore = nullptr;
    QToolButton* imgHelp = nullptr;
    QToolButton* imgInternet = nullptr;
    QToolButton* imgAbout = nullptr;

    // What each panel is given of the controls.
    outputs::DatasheetControls datasheetControls() const;
    sensors::SensorControls sensorControls() const;
    sensors::FilterControls filterControls() const;
    readings::ReadingControls readingControls() const;
    importer::ImportControls importControls() const;
    graphs::GraphControls graphControls() const;
    outputs::ReportControls reportControls() const;
    maintenance::BackupControls backupControls() const;
};

// Builds the six tabs of SSTab1 with every control in place (no behaviour).
MainControls buildMainControls(QTabWidget* tabs);

// The pixel size of the tab control; the window is laid out around it.
inline constexpr int TabWidth = 1010;
inline constexpr int TabHeight = 690;

} // namespace app
