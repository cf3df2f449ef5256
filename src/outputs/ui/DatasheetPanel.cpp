#include "outputs/ui/DatasheetPanel.h"

#include "readings/ui/ReadingPanel.h"

#include <QToolButton>

namespace outputs {

DatasheetPanel::DatasheetPanel(app::AppState& state, const app::MainControls& ui,
                               readings::ReadingPanel& readings, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings) {
    connect(ui_.imgDatasheet, &QToolButton::clicked, this, &DatasheetPanel::openDatasheet);
}

void DatasheetPanel::openDatasheet() {}

} // namespace outputs
