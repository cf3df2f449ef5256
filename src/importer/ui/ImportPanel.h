// The glue of the logger import: the import command of the Readings tab and
// its review window.
#pragma once

#include "app/AppState.h"
#include "app/ui/MainControls.h"

#include <QObject>

namespace readings {
class ReadingPanel;
}

namespace importer {

class ImportPanel : public QObject {
    Q_OBJECT
public:
    ImportPanel(app::AppState& state, const app::MainControls& ui, readings::ReadingPanel& readings,
                QObject* parent = nullptr);

    // imgAddTroveData: choose a logger file, check it, review and append it.
    void importFiles();

private:
    app::AppState& state_;
    const app::MainControls& ui_;
    readings::ReadingPanel& readings_;
};

} // namespace importer
