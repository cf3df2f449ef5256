// The controls the logger import's glue reads and writes.
#pragma once

class QComboBox;
class QTabWidget;
class QToolButton;

namespace importer {

struct ImportControls {
    QTabWidget* SSTab1 = nullptr;
    QToolButton* imgAddTroveData = nullptr;
    QComboBox* cboTroveInt = nullptr;
};

} // namespace importer
