// The controls the report's glue reads and writes.
#pragma once

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
};

} // namespace outputs
