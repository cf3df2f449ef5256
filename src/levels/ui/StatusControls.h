// The controls of the Status tab, and the trigger-level commands of the
// Installation and Utilities tabs.
#pragma once

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QToolButton;

namespace levels {

struct StatusControls {
    QComboBox* cboStatusLevel = nullptr;    // the register's Level: all, or one
    QComboBox* cboStatusLocation = nullptr; // the register's Location: all, or one
    QTableView* tblStatus = nullptr;
    QLabel* lblStatusCount = nullptr;
    QPushButton* cmdStatusExport = nullptr;
    QPushButton* cmdStatusPrint = nullptr;
    QToolButton* imgTriggerLevels = nullptr; // Installation tab: the sensor's thresholds
    QToolButton* imgSiteLevels = nullptr;    // Utilities tab: the site's levels
};

} // namespace levels
