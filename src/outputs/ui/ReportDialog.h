// frmReport: what the sensor report holds, returned to the report command.
// Hidden, not deleted, so the boxes keep the last choice.
#pragma once

#include <QDialog>

#include <optional>

class QCheckBox;

namespace outputs {

// The boxes ticked when OK was pressed.
struct ReportChoice {
    bool cover = false; // kept for the window's sake; the details are always written
    bool timeGraph = false;
    bool lengthGraph = false;
};

class ReportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportDialog(QWidget* parent = nullptr);

    // Runs the window: the boxes on OK; nothing on Cancel or closing the window.
    std::optional<ReportChoice> choose();

private:
    std::optional<ReportChoice> choice_;
    QCheckBox* cover_ = nullptr;
    QCheckBox* time_ = nullptr;
    QCheckBox* length_ = nullptr;
};

} // namespace outputs
