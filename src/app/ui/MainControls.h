// The controls of the main window, by their own names, as the panels are given
// them: each tab's panel holds its own set. Control arrays are indexed 1 to 8
// as the program's routines count anchors; index 0 is unused.
#pragma once

#include "app/ui/ControlArray.h"
#include "app/ui/Twips.h"
#include "graphs/ui/GraphControls.h"
#include "importer/ui/ImportControls.h"
#include "levels/ui/StatusControls.h"
#include "maintenance/ui/BackupControls.h"
#include "outputs/ui/DatasheetControls.h"
#include "outputs/ui/ReportControls.h"
#include "readings/ui/ReadingControls.h"
#include "readings/ui/RecoverControls.h"
#include "sensors/ui/FilterControls.h"
#include "sensors/ui/SensorControls.h"

class QLabel;
class QTabWidget;
class QToolButton;

namespace app {

struct MainControls {
    QTabWidget* SSTab1 = nullptr;

    sensors::SensorControls sensorUi;       // tabs 1 and 2, the channel boxes of tab 3
    readings::ReadingControls readingUi;    // tab 3
    importer::ImportControls importUi;      // tab 3: the logger file import
    outputs::DatasheetControls datasheetUi; // tab 3: the datasheet
    outputs::ReportControls reportUi;       // tab 3: the report, with both graphs
    graphs::GraphControls graphUi;          // tabs 4 and 5
    sensors::FilterControls filterUi;       // tab 6: the filter
    maintenance::BackupControls backupUi;   // tab 6: backup and restore
    readings::RecoverControls recoverUi;    // tab 6: the recycle area
    levels::StatusControls statusUi;        // tab 7, and the trigger levels of tabs 2 and 6

    // The window's own.
    QLabel* Label46 = nullptr;     // "Report"
    QToolButton* Image3 = nullptr; // Change Database Location
    QToolButton* imgHelp = nullptr;
    QToolButton* imgInternet = nullptr;
    QToolButton* imgAbout = nullptr;
    QToolButton* imgHistory = nullptr; // the audit trail
};

// Builds the seven tabs of SSTab1 with every control in place (no behaviour).
MainControls buildMainControls(QTabWidget* tabs);

// The pixel size of the tab control; the window is laid out around it.
inline constexpr int TabWidth = 1010;
inline constexpr int TabHeight = 690;

} // namespace app
