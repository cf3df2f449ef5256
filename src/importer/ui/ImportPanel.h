// The glue of the logger import: the import command of the Readings tab and
// its review window.
#pragma once

#include "app/shell/AppState.h"
#include "importer/ui/ImportControls.h"
#include "sensors/SensorKind.h"

#include <QObject>

#include <functional>

namespace readings {
class ReadingPanel;
}

namespace importer {

class TextFile;

class ImportPanel : public QObject {
    Q_OBJECT
public:
    ImportPanel(app::AppState& state, const ImportControls& ui, readings::ReadingPanel& readings,
                sensors::CurrentSensorOf current, QObject* parent = nullptr);

    // imgAddTroveData: choose a logger file, check it, review and append it.
    void importFiles();
    // imgImportLogger: a TOA5 or headed file of any name, through its mapping
    // (chosen in the mapping step the first time).
    void importLoggerFile();
    // imgImportFolder: every file of a folder that has a mapping, or is named
    // for its sensor, with a summary per file.
    void importFolder();
    // imgCalibrations: the current sensor's calibrations, and a new one.
    void editCalibrations();

private:
    // The review of a file in the sixteen-column layout, from its name check on.
    void reviewFile(const sensors::CurrentSensor& sensor, const QString& path);
    void importMapped(const sensors::CurrentSensor& sensor, const QString& path);
    // Runs an import that changes readings with the current ones remembered
    // and shown again afterwards; a failure is logged and told.
    void changingReadings(const QString& label, const std::function<void()>& work);

    // The review window, modal, between its load and its unload.
    void review(const sensors::CurrentSensor& sensor, const TextFile& rsTroveData);

    app::AppState& state_;
    const ImportControls ui_;
    readings::ReadingPanel& readings_;
    const sensors::CurrentSensorOf current_;
};

} // namespace importer
