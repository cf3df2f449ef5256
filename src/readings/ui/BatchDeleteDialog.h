// frmBatchDel: the choice of which readings to delete, returned to the delete
// command that carries it out.
#pragma once

#include "app/Environment.h"

#include <QDate>
#include <QDialog>

#include <optional>

class QCalendarWidget;

namespace readings {

struct BatchDeleteChoice {
    enum class Kind {
        Batch,  // the readings dated on or between start and end
        Single, // the current reading
        All,    // every reading of the sensor
    };
    Kind kind = Kind::Single;
    QDate start; // Batch only
    QDate end;   // Batch only
};

class BatchDeleteDialog : public QDialog {
    Q_OBJECT
public:
    BatchDeleteDialog(const app::Clock& clock, QWidget* parent = nullptr);

    // Sets both calendars to today and runs the window: the button pressed,
    // or nothing on Cancel or closing the window.
    std::optional<BatchDeleteChoice> choose();

private:
    void chosen(BatchDeleteChoice::Kind kind);

    const app::Clock& clock_;
    std::optional<BatchDeleteChoice> choice_;
    QCalendarWidget* start_ = nullptr;
    QCalendarWidget* end_ = nullptr;
};

} // namespace readings
