// The glue of the graph tabs: entering them prepares and draws the graph, the
// scale selector, the tips and the picture export.
#pragma once

#include "app/AppState.h"
#include "app/ui/MainControls.h"

#include <QObject>

namespace graphs {

class GraphPanel : public QObject {
    Q_OBJECT
public:
    GraphPanel(app::AppState& state, const app::MainControls& ui, QObject* parent = nullptr);

private:
    app::AppState& state_;
    const app::MainControls& ui_;
};

} // namespace graphs
