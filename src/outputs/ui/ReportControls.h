// The controls the report's glue reads and writes.
#pragma once

class QComboBox;
class QTabWidget;
class QToolButton;

namespace graphs {
class Chart;
}

namespace outputs {

struct ReportControls {
    QTabWidget* SSTab1 = nullptr;
    QToolButton* imgReport = nullptr;
    graphs::Chart* ChartT = nullptr;
    graphs::Chart* ChartS = nullptr;
    QComboBox* cboScale = nullptr; // the graphs' scale, which the report's graphs take too
};

} // namespace outputs
