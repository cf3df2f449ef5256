#include "maintenance/ui/BackupPanel.h"

namespace maintenance {

BackupPanel::BackupPanel(app::AppState& state, const app::MainControls& ui, Reload reload,
                         QObject* parent)
    : QObject(parent), state_(state), ui_(ui), reload_(std::move(reload)) {}

void BackupPanel::refreshList() {}
void BackupPanel::backup() {}
void BackupPanel::restore() {}

} // namespace maintenance
