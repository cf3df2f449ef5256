// frmBatchDel: the choice of which readings to delete, left in the state's
// deletion flags and dates for the delete command to carry out.
#pragma once

#include "app/AppState.h"

#include <QDialog>

class QCalendarWidget;

namespace readings {

class BatchDeleteDialog : public QDialog {
    Q_OBJECT
public:
    BatchDeleteDialog(app::AppState& state, QWidget* parent = nullptr);

    // Clears the flags, sets both calendars to today and runs the window.
    int exec() override;

private:
    void choose(bool app::AppState::*flag);

    app::AppState& state_;
    QCalendarWidget* start_ = nullptr;
    QCalendarWidget* end_ = nullptr;
};

} // namespace readings
