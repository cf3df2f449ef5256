#include "outputs/ui/DatasheetPanel.h"

#include "outputs/Texts.h"
#include "outputs/ui/DatasheetDialog.h"
#include "readings/ReadingStore.h"
#include "readings/ui/ReadingPanel.h"

#include <QTabWidget>
#include <QToolButton>

namespace outputs {

DatasheetPanel::DatasheetPanel(app::AppState& state, const app::MainControls& ui,
                               readings::ReadingPanel& readings, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings) {
    connect(ui_.imgDatasheet, &QToolButton::clicked, this, &DatasheetPanel::openDatasheet);
}

void DatasheetPanel::openDatasheet() {
    app::logAndLeave(state_.log, texts::DatasheetLabel, [&] {
        readings_.SaveReadings();
        state_.CurrentSensorID = readings::currentSensorNumber(state_);
        if (!datasheet_) datasheet_ = new DatasheetDialog(state_, readings_, ui_.SSTab1->window());
        datasheet_->exec();
    });
}

} // namespace outputs
