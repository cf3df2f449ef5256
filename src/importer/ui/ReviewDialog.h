// frmTroveData, "Import DataFiles": the logger lines in a grid with the
// proposed ticks, the date layout of column 1, and the append command.
#pragma once

#include "app/shell/AppState.h"
#include "importer/LoggerDates.h"
#include "importer/ReviewModel.h"
#include "importer/TextFile.h"
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
    // proposal for period hours. The file must outlive the window.
    // No file: no logger data; the header says so and nothing can be appended.
    // Of a file too large to hold, the grid shows the first and the last
    // lines, and lblShown says so.
    ReviewDialog(app::AppState& state, const sensors::CurrentSensor& sensor, const TextFile* file,
                 int period, QWidget* parent = nullptr);

    ReviewModel& model() const { return *model_; }

private:
    void cmdAppend_Click();
    DateLayout chosenLayout() const;

    app::AppState& state_;
    const sensors::CurrentSensor sensor_;
    const TextFile* file_;
    ReviewModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    std::array<QRadioButton*, 3> layouts_{};
    QPushButton* append_ = nullptr;
};

} // namespace importer
