#include "outputs/ui/DatasheetPanel.h"

#include "outputs/Texts.h"
#include "outputs/ui/DatasheetDialog.h"
#include "readings/ReadingStore.h"
#include "readings/ui/ReadingPanel.h"

#include <QTabWidget>
#include <QToolButton>

namespace outputs {

DatasheetPanel::DatasheetPanel(app::AppState& state, const DatasheetControls& ui,
                               readings::ReadingPanel& readings, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings) {
    connect(ui_.imgDatasheet, &QToolButton::clicked, this, &DatasheetPanel::openDatasheet);
}

void DatasheetPanel::openDatasheet() {
    app::logAndLeave(state_.log, texts::DatasheetLabel, [&] {
        // The datasheet shows what is stored: typing that could not be stored
        // stays in its boxes instead.
        if (!readings_.SaveReadings()) return;
        state_.CurrentSensorID = state_.currentSensorNumber();
        if (!datasheet_) datasheet_ = new DatasheetDialog(state_, readings_, ui_.SSTab1->window());
        datasheet_->exec();
    });
}

} // namespace outputs
