// The controls the sensor filter's glue reads and writes.
#pragma once

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace sensors {

struct FilterControls {
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
};

} // namespace sensors
