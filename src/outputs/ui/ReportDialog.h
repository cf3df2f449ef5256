// frmReport: what the sensor report holds, left in the state's report choices
// for the report command. Hidden, not deleted, so the boxes keep the last choice.
#pragma once

#include "app/AppState.h"

#include <QDialog>

class QCheckBox;

namespace outputs {

class ReportDialog : public QDialog {
    Q_OBJECT
public:
    ReportDialog(app::AppState& state, QWidget* parent = nullptr);

    // OK: ReportChosen and the three choices from the boxes; Cancel or closing
    // the window: ReportChosen false.
    int exec() override;

private:
    app::AppState& state_;
    QCheckBox* cover_ = nullptr;
    QCheckBox* time_ = nullptr;
    QCheckBox* length_ = nullptr;
};

} // namespace outputs
