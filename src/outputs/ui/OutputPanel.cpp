#include "outputs/ui/OutputPanel.h"

#include "readings/ui/ReadingPanel.h"

#include <QToolButton>

namespace outputs {

OutputPanel::OutputPanel(app::AppState& state, const app::MainControls& ui,
                         readings::ReadingPanel& readings, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings) {
    connect(ui_.imgDatasheet, &QToolButton::clicked, this, &OutputPanel::openDatasheet);
    connect(ui_.imgReport, &QToolButton::clicked, this, &OutputPanel::makeReport);
}

void OutputPanel::openDatasheet() {}

void OutputPanel::makeReport() {}

} // namespace outputs
