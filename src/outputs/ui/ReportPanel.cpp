#include "outputs/ui/ReportPanel.h"

#include "readings/ui/ReadingPanel.h"

#include <QToolButton>

namespace outputs {

ReportPanel::ReportPanel(app::AppState& state, const app::MainControls& ui,
                         readings::ReadingPanel& readings, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings) {
    connect(ui_.imgReport, &QToolButton::clicked, this, &ReportPanel::makeReport);
}

void ReportPanel::makeReport() {}

} // namespace outputs
