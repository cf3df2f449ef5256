// The controls the logger import's glue reads and writes.
#pragma once

class QCheckBox;
class QComboBox;
class QTabWidget;
class QToolButton;

namespace importer {

struct ImportControls {
    QTabWidget* SSTab1 = nullptr;
    QToolButton* imgAddTroveData = nullptr;
    QComboBox* cboTroveInt = nullptr;
    // Logger files as loggers write them (TOA5, headed CSV), and a folder of them.
    QToolButton* imgImportLogger = nullptr;
    QToolButton* imgImportFolder = nullptr;
    QCheckBox* chkArchiveImported = nullptr;
    // Installation tab: the sensor's vibrating-wire calibrations.
    QToolButton* imgCalibrations = nullptr;
};

} // namespace importer
