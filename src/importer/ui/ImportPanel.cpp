#include "importer/ui/ImportPanel.h"
#include "importer/ui/WindowImport.h"

#include "importer/Proposal.h"
#include "importer/Texts.h"
#include "importer/TroveData.h"
#include "importer/ui/ReviewDialog.h"
#include "readings/ReadingStore.h"
#include "readings/ui/ReadingPanel.h"
#include "readings/ui/ReadingTableQuestions.h"

#include <QComboBox>
#include <QFileInfo>
#include <QTabWidget>
#include <QToolButton>

namespace importer {

ImportPanel::ImportPanel(app::AppState& state, const ImportControls& ui,
                         readings::ReadingPanel& readings, sensors::CurrentSensorOf current,
                         QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings), current_(std::move(current)) {
    connect(ui_.imgAddTroveData, &QToolButton::clicked, this, &ImportPanel::importFiles);
}

void ImportPanel::importFiles() {
    app::logAndLeave(state_.log, texts::ImportLabel, [&] {
        if (!readings_.SaveReadings()) return;
        const sensors::CurrentSensor sensor = current_();
        app::Prompter& prompter = *state_.env.prompter;
        const QString path = prompter.openFileName(texts::FileFilter);
        if (path.isEmpty()) return;
        // The file belongs to a sensor by its name alone, letter case included.
        const QString name = QFileInfo(path).fileName();
        if (name != sensor.number + texts::FileExtension) {
            const app::Prompt warning{texts::notAMatch(name, sensor.number),
                                      texts::MismatchTitle, app::Icon::Warning, app::Buttons::YesNo,
                                      true};
            if (prompter.ask(warning) != app::Answer::Yes) return;
        }
        const std::unique_ptr<TextTable> rsTroveData = OpenTroveData(state_, name, path);
        if (!rsTroveData) {
            prompter.ask({texts::NoDataForSensor, texts::AppTitle, app::Icon::Information});
            return;
        }
        if (rsTroveData->binary()) {
            prompter.ask({texts::notAText(name), texts::AppTitle, app::Icon::Warning});
            return;
        }
        review(sensor, *rsTroveData);
    });
}

void ImportPanel::review(const sensors::CurrentSensor& sensor, const TextTable& rsTroveData) {
    // The window load, step 1: where the readings were, and the readings
    // read afresh.
    readings_.rememberShown();
    app::ignoreFailure([&] { readings::OpenSensorData(state_, *state_.env.prompter); });
    {
        ReviewDialog window(state_, sensor, &rsTroveData, periodHours(ui_.cboTroveInt->currentText()),
                            ui_.SSTab1->window());
        window.exec();
    }
    // The unload: the readings reopened at the reading left (or the last).
    readings_.returnToBookmark();
}

} // namespace importer
