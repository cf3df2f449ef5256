// frmRecover: a sensor's deleted readings in the recycle area, the days of
// those to put back, and how long the area keeps what it holds.
#pragma once

#include "app/shell/AppState.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace readings {

class RecycledModel;

class RecoverDialog : public QDialog {
    Q_OBJECT
public:
    // Opens on currentSensor (empty for none) among the sensors with something
    // to recover.
    RecoverDialog(app::AppState& state, const QString& currentSensor, QWidget* parent = nullptr);

    // A deleted sensor came back while the window was open: the register must
    // be read again.
    bool sensorRecovered() const { return sensorRecovered_; }
    // The keep preference as the spin box holds it.
    int keepDays() const;

private:
    QString sensor() const;
    // The chosen sensor: the days span its deleted readings.
    void showSensor();
    // The readings of the chosen days.
    void showReadings();
    void recover();

    app::AppState& state_;
    bool sensorRecovered_ = false;
    QComboBox* sensors_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QTableView* grid_ = nullptr;
    RecycledModel* model_ = nullptr;
    QLabel* shown_ = nullptr;
    QPushButton* recover_ = nullptr;
    QSpinBox* keep_ = nullptr;
};

} // namespace readings
