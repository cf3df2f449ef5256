#include "graphs/ui/GraphPanel.h"

namespace graphs {

GraphPanel::GraphPanel(app::AppState& state, const app::MainControls& ui, QObject* parent)
    : QObject(parent), state_(state), ui_(ui) {}

} // namespace graphs
