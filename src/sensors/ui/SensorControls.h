// The controls the sensor record's glue reads and writes.
#pragma once

#include "app/ui/ControlArray.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace sensors {

struct SensorControls {
    QTabWidget* SSTab1 = nullptr;
    QComboBox* cboSensors = nullptr;
    QLineEdit* txtSCount = nullptr;
    QLineEdit* txtSensor = nullptr;
    QLineEdit* txtFamily = nullptr;
    QLineEdit* txtDateID = nullptr;
    QLineEdit* txtTypeID = nullptr;
    QLineEdit* txtSensorNo = nullptr;
    QLabel* lbl = nullptr; // "Length of MPBX (m):" or of ROVA
    QLineEdit* txtLengthofCable = nullptr;
    QLabel* lblLocation = nullptr;
    app::ControlArray<QLineEdit> txtNode{};
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QComboBox* cboDestroyed = nullptr;
    QLineEdit* txtDestructionDate = nullptr;
    QLabel* imgheart = nullptr;
    QLabel* imgalive = nullptr;
    QLabel* imgdead = nullptr;
    QLineEdit* txtSnav = nullptr;
    QToolButton* imgPrevious = nullptr;
    QToolButton* imgNext = nullptr;
    QToolButton* imgAddSensor = nullptr;
    QToolButton* imgDelete = nullptr;
    QLineEdit* txtSensor2 = nullptr;
    QLineEdit* txtLevel = nullptr;
    QLineEdit* txtLocation = nullptr;
    QLineEdit* txtBorehole = nullptr;
    QLineEdit* txtInstallDate = nullptr;
    QLineEdit* txtInstallBy = nullptr;
    QLineEdit* txtPurpose = nullptr;
    QLabel* lblNotes = nullptr;
    QLineEdit* txtNotes = nullptr;
    QLineEdit* txtRecess = nullptr;
    QLabel* lblRecess = nullptr;
    QLabel* lbloption = nullptr;
    QLabel* imgHead = nullptr;
    QLabel* imgCollar = nullptr;
    QLabel* imgToe = nullptr;
    QLineEdit* txtHead = nullptr;
    app::ControlArray<QLineEdit> txtRelSGanchor{};
    QPushButton* cmdSave = nullptr;
    QLineEdit* txtSensor3 = nullptr;
    app::ControlArray<QLabel> lbln{};
    app::ControlArray<QLineEdit> txtChannel{};
    app::ControlArray<QLabel> lblmm{};
    QLabel* lblTemp = nullptr;
    QLineEdit* txtChannelT = nullptr;
    QLabel* Label47 = nullptr; // "deg C"
    QLabel* lblError = nullptr;
};

} // namespace sensors
