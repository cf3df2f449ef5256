// The glue of the datasheet: the current sensor's readings in a grid, and its
// workbook export.
#pragma once

#include "app/shell/AppState.h"
#include "outputs/ui/DatasheetControls.h"
#include "sensors/SensorKind.h"

#include <QObject>

namespace readings {
class ReadingPanel;
}

namespace outputs {

class DatasheetDialog;

class DatasheetPanel : public QObject {
    Q_OBJECT
public:
    DatasheetPanel(app::AppState& state, const DatasheetControls& ui,
                   readings::ReadingPanel& readings, sensors::CurrentSensorOf current,
                   QObject* parent = nullptr);

    // imgDatasheet: the current sensor's readings in a grid.
    void openDatasheet();

private:
    app::AppState& state_;
    const DatasheetControls ui_;
    readings::ReadingPanel& readings_;
    const sensors::CurrentSensorOf current_;
    DatasheetDialog* datasheet_ = nullptr; // made on first use, owned by the main window
};

} // namespace outputs
