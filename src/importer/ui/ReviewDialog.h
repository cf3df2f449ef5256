// frmTroveData, "Import DataFiles": the logger lines in a grid with the
// proposed ticks, the date layout of column 1, and the append command.
#pragma once

#include "app/shell/AppState.h"
#include "importer/LoggerDates.h"
#include "importer/ReviewModel.h"
#include "importer/TextTable.h"
#include "sensors/SensorKind.h"

#include <QDialog>

#include <array>

class QPushButton;
class QRadioButton;
class QTableView;

namespace importer {

class ReviewDialog : public QDialog {
    Q_OBJECT
public:
    // The window load, steps 2 and 3: the header and the grid with the
    // proposal for period hours. The table must outlive the window.
    // No table: no logger data; the header says so and nothing can be appended.
    ReviewDialog(app::AppState& state, const sensors::CurrentSensor& sensor,
                 const TextTable* table, int period,
                 QWidget* parent = nullptr);

    ReviewModel& model() const { return *model_; }

private:
    void cmdAppend_Click();
    DateLayout chosenLayout() const;

    app::AppState& state_;
    const sensors::CurrentSensor sensor_;
    const TextTable* table_;
    ReviewModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    std::array<QRadioButton*, 3> layouts_{};
    QPushButton* append_ = nullptr;
};

} // namespace importer
