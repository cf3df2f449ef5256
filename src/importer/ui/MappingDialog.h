// The mapping step (frmMapping): each field of a logger file with its unit and
// first values, assigned to a column of the sensor's readings or left out.
#pragma once

#include "importer/LoggerFile.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace importer {

class MappingDialog : public QDialog {
    Q_OBJECT
public:
    // samples: the first values of each field, one list a field.
    MappingDialog(const QString& sensor, const LoggerHeader& header,
                  const std::vector<QStringList>& samples, QWidget* parent = nullptr);

    // "FIELD=target:unit,..." as chosen; what parseMapping reads.
    QString mappingText() const;

private:
    void check();

    const LoggerHeader header_;
    std::vector<QComboBox*> targets_; // cboTarget1.. : "", time, temperature, channel1..10
    std::vector<QComboBox*> units_;   // cboUnit1..
    QLabel* problem_ = nullptr;       // lblMapProblem
    QPushButton* ok_ = nullptr;       // cmdMapOk
};

} // namespace importer
