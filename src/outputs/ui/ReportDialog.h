// frmReport: what the sensor report holds, returned to the report command.
// Hidden, not deleted, so the boxes keep the last choice.
#pragma once

#include "outputs/ReportDocument.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QRadioButton;

namespace outputs {

class ReportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportDialog(QWidget* parent = nullptr);

    // Runs the window, its temperature tick set to temperatureOwnAxis (the
    // stored preference): the boxes ticked and the format chosen on OK;
    // nothing on Cancel or closing the window.
    std::optional<ReportChoice> choose(bool temperatureOwnAxis);

private:
    std::optional<ReportChoice> choice_;
    QCheckBox* cover_ = nullptr;
    QCheckBox* time_ = nullptr;
    QCheckBox* length_ = nullptr;
    QCheckBox* temperatureAxis_ = nullptr;
    QRadioButton* docx_ = nullptr;
    QRadioButton* pdf_ = nullptr;
};

} // namespace outputs
