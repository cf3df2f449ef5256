// The glue of the datasheet: the current sensor's readings in a grid, and its
// workbook export.
#pragma once

#include "app/shell/AppState.h"
#include "app/ui/MainControls.h"

#include <QObject>

namespace readings {
class ReadingPanel;
}

namespace outputs {

class DatasheetDialog;

class DatasheetPanel : public QObject {
    Q_OBJECT
public:
    DatasheetPanel(app::AppState& state, const app::MainControls& ui,
                   readings::ReadingPanel& readings, QObject* parent = nullptr);

    // imgDatasheet: the current sensor's readings in a grid.
    void openDatasheet();

private:
    app::AppState& state_;
    const app::MainControls& ui_;
    readings::ReadingPanel& readings_;
    DatasheetDialog* datasheet_ = nullptr; // made on first use, owned by the main window
};

} // namespace outputs
