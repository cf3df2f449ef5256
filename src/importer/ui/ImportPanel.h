// The glue of the logger import: the import command of the Readings tab and
// its review window.
#pragma once

#include "app/shell/AppState.h"
#include "importer/ui/ImportControls.h"
#include "sensors/SensorKind.h"

#include <QObject>

namespace readings {
class ReadingPanel;
}

namespace importer {

class TextTable;

class ImportPanel : public QObject {
    Q_OBJECT
public:
    ImportPanel(app::AppState& state, const ImportControls& ui, readings::ReadingPanel& readings,
                sensors::CurrentSensorOf current, QObject* parent = nullptr);

    // imgAddTroveData: choose a logger file, check it, review and append it.
    void importFiles();

private:
    // The review window, modal, between its load and its unload.
    void review(const sensors::CurrentSensor& sensor, const TextTable& rsTroveData);

    app::AppState& state_;
    const ImportControls ui_;
    readings::ReadingPanel& readings_;
    const sensors::CurrentSensorOf current_;
};

} // namespace importer
