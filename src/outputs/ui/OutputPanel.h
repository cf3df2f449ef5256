// The glue of the views and outputs of the Readings tab: the datasheet with its
// workbook export, and the sensor report.
#pragma once

#include "app/AppState.h"
#include "app/ui/MainControls.h"

#include <QObject>

namespace readings {
class ReadingPanel;
}

namespace outputs {

class OutputPanel : public QObject {
    Q_OBJECT
public:
    OutputPanel(app::AppState& state, const app::MainControls& ui, readings::ReadingPanel& readings,
                QObject* parent = nullptr);

    // imgDatasheet: the current sensor's readings in a grid.
    void openDatasheet();
    // imgReport: the options, then the report document.
    void makeReport();

private:
    app::AppState& state_;
    const app::MainControls& ui_;
    readings::ReadingPanel& readings_;
};

} // namespace outputs
