#include "readings/ui/ReadingPanel.h"

namespace readings {

ReadingPanel::ReadingPanel(app::AppState& state, const app::MainControls& ui, QObject* parent)
    : QObject(parent), state_(state), ui_(ui) {}

void ReadingPanel::SaveReadings() {}
void ReadingPanel::enterReadingsTab() {}
void ReadingPanel::leaveReadingsTab() {}

} // namespace readings
