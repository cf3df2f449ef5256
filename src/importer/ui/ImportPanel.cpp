#include "importer/ui/ImportPanel.h"

#include "readings/ui/ReadingPanel.h"

#include <QToolButton>

namespace importer {

ImportPanel::ImportPanel(app::AppState& state, const app::MainControls& ui,
                         readings::ReadingPanel& readings, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings) {
    connect(ui_.imgAddTroveData, &QToolButton::clicked, this, &ImportPanel::importFiles);
}

void ImportPanel::importFiles() {}

} // namespace importer
