// The controls the datasheet's glue reads and writes.
#pragma once

class QTabWidget;
class QToolButton;

namespace outputs {

struct DatasheetControls {
    QTabWidget* SSTab1 = nullptr;
    QToolButton* imgDatasheet = nullptr;
};

} // namespace outputs
