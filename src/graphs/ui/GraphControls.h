// The controls the graph tabs' glue reads and writes.
#pragma once

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace graphs {

class Chart;

struct GraphControls {
    QTabWidget* SSTab1 = nullptr;
    Chart* ChartT = nullptr;
    QLabel* lblscale = nullptr;
    QComboBox* cboScale = nullptr;
    QPushButton* cmdTHelp = nullptr;
    QPushButton* cmdTemp = nullptr;
    QCheckBox* chkTempAxis = nullptr; // the temperature on its own axis
    Chart* ChartS = nullptr;
    QLabel* lblW15 = nullptr;
    QPushButton* cmdDvl = nullptr;
};

} // namespace graphs
