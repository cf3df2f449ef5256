// frmZeroReading: the zero readings of a sensor, and the shown reading made a
// new one with its reason and carry-over choice, or a zero in force retired.
#pragma once

#include "app/Environment.h"
#include "store/Database.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace readings {

class ZeroReadingDialog : public QDialog {
    Q_OBJECT
public:
    // fullDate: the reading to make a zero ("yyyy-MM-dd HH:mm:ss"); anchors:
    // how many the sensor has, for the usual reasons.
    ZeroReadingDialog(store::Database& db, app::Prompter& prompter, QString sensorNumber,
                      QString fullDate, int anchors, QWidget* parent = nullptr);

    // True when a zero was set or retired.
    bool changed() const { return changed_; }

private:
    void fillList();
    void setZero();
    void retire();

    store::Database& db_;
    app::Prompter& prompter_;
    const QString number_, fullDate_;
    QComboBox* reason_ = nullptr;
    QCheckBox* carryOver_ = nullptr;
    QTableWidget* zeros_ = nullptr;
    QPushButton* retire_ = nullptr;
    std::vector<qint64> ids_;
    bool changed_ = false;
};

} // namespace readings
