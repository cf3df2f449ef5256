// The Status tab: every sensor's status in one table, worst first, filtered by
// the register's level and location, exported and printed; the marks of the
// sensor list; and the trigger-level windows of the Installation and
// Utilities tabs.
#pragma once

#include "app/shell/AppState.h"
#include "levels/StatusModel.h"
#include "levels/ui/StatusControls.h"
#include "sensors/SensorKind.h"

#include <QColor>
#include <QHash>
#include <QObject>

#include <functional>

namespace levels {

class StatusPanel : public QObject {
    Q_OBJECT
public:
    using GoToSensor = std::function<void(const QString& number)>;
    // marks: handed the sensor list's marks after every refresh.
    using Marks = std::function<void(const QHash<QString, QColor>&)>;

    StatusPanel(app::AppState& state, const StatusControls& ui, sensors::CurrentSensorOf current,
                GoToSensor goTo, Marks marks, QObject* parent = nullptr);

    // Entering the tab: the statuses brought up to date and shown.
    void enterStatusTab();
    // After a change anywhere: the board follows it and the marks with it.
    void refreshMarks();
    const StatusModel& model() const { return model_; }

    void exportWorkbook(); // cmdStatusExport
    void printPdf();       // cmdStatusPrint
    void editTriggers();   // imgTriggerLevels
    void editSiteLevels(); // imgSiteLevels

private:
    void fillFilters();
    void showRows();
    void openSensor(const QModelIndex& index);
    void handOver(const QString& path, const QString& failedText);

    app::AppState& state_;
    const StatusControls ui_;
    const sensors::CurrentSensorOf current_;
    GoToSensor goTo_;
    Marks marks_;
    StatusModel model_;
};

} // namespace levels
