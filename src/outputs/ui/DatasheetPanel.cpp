#include "outputs/ui/DatasheetPanel.h"

#include "outputs/Texts.h"
#include "outputs/ui/DatasheetDialog.h"
#include "readings/ReadingStore.h"
#include "readings/ui/ReadingPanel.h"

#include <QTabWidget>
#include <QToolButton>

namespace outputs {

DatasheetPanel::DatasheetPanel(app::AppState& state, const DatasheetControls& ui,
                               readings::ReadingPanel& readings,
                               sensors::CurrentSensorOf current, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings), current_(std::move(current)) {
    connect(ui_.imgDatasheet, &QToolButton::clicked, this, &DatasheetPanel::openDatasheet);
}

void DatasheetPanel::openDatasheet() {
    app::logAndLeave(state_.log, texts::DatasheetLabel, [&] {
        // The datasheet shows what is stored: typing that could not be stored
        // stays in its boxes instead.
        if (!readings_.SaveReadings()) return;
        const QString number = current_().number;
        if (!datasheet_) datasheet_ = new DatasheetDialog(state_, readings_, ui_.SSTab1->window());
        datasheet_->setSensor(number);
        datasheet_->exec();
    });
}

} // namespace outputs
