// The window of a sensor's vibrating-wire calibrations (frmCalibrations): every
// stored calibration, older ones included, and the boxes to add one. What is
// typed is checked as a whole before anything is stored; a refusal names the
// field and stores nothing.
#pragma once

#include "app/Environment.h"
#include "store/Database.h"

#include <QDateTime>
#include <QDialog>

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace importer {

class CalibrationDialog : public QDialog {
public:
    // channels: the gauges offered besides the thermistor (1..channels).
    CalibrationDialog(store::Database& db, app::Prompter& prompter, const QString& sensorNumber,
                      int channels, const QDateTime& now, bool readOnly, QWidget* parent = nullptr);

    // cmdAddCalibration: true when stored (the list then shows it).
    bool add();

private:
    void showList(qint64 selectId = 0);
    void showKind();

    store::Database& db_;
    app::Prompter& prompter_;
    QString number_;
    bool readOnly_;
    QTableWidget* list_ = nullptr;   // tblCalibrations
    QComboBox* channel_ = nullptr;   // cboCalChannel: item data 0 (thermistor), 1..N
    QLineEdit* from_ = nullptr;      // txtCalFrom
    QComboBox* kind_ = nullptr;      // cboCalKind
    QLineEdit* gauge_ = nullptr;     // txtCalGauge
    QLineEdit* thermal_ = nullptr;   // txtCalThermal
    QLineEdit* zero_ = nullptr;      // txtCalZero
    QLineEdit* range_ = nullptr;     // txtCalRange
    QLineEdit* poly_ = nullptr;      // txtCalPoly
    QLineEdit* steinhart_ = nullptr; // txtCalSteinhart
};

} // namespace importer
