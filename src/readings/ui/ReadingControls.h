// The controls the Readings tab's glue reads and writes.
#pragma once

#include "app/ui/ControlArray.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTimeEdit;
class QToolButton;

namespace readings {

struct ReadingControls {
    QTabWidget* SSTab1 = nullptr;
    QLineEdit* txtReadingID = nullptr;
    QDateEdit* dtpRdate = nullptr;
    QTimeEdit* dtpRtime = nullptr;
    app::ControlArray<QLineEdit> txtChannel{};
    QLineEdit* txtChannelT = nullptr;
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
    QComboBox* cboQuality = nullptr; // Valid, Suspect, Invalid
    QLineEdit* txtQualityNote = nullptr;
    QToolButton* imgSetZero = nullptr;
};

} // namespace readings
