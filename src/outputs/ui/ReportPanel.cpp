#include "outputs/ui/ReportPanel.h"

#include "app/Texts.h"
#include "graphs/ui/Chart.h"
#include "outputs/Texts.h"
#include "outputs/ui/ReportDialog.h"
#include "readings/ui/ReadingPanel.h"
#include "store/Error.h"

#include <QDir>
#include <QTabWidget>
#include <QToolButton>

namespace outputs {

namespace {

constexpr int ReadingsTab = 2;
constexpr int TimeGraphTab = 3;
constexpr int LengthGraphTab = 4;

// The chart as it shows now; the chart writes aside and renames into place.
void saveChartPicture(graphs::Chart& chart, const QString& path) {
    if (!chart.exportJpeg(path))
        throw store::Error(store::code::CantOpen,
                           QStringLiteral("Could not write the picture ") + path);
}

} // namespace

ReportPanel::ReportPanel(app::AppState& state, const ReportControls& ui,
                         readings::ReadingPanel& readings, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings) {
    connect(ui_.imgReport, &QToolButton::clicked, this, &ReportPanel::makeReport);
}

void ReportPanel::makeReport() {
    if (!dialog_) dialog_ = new ReportDialog(ui_.SSTab1->window());
    const std::optional<ReportChoice> choice = dialog_->choose();
    if (!choice) return;

    // The cover choice is kept for the window's sake; the details are always written.
    QString target;
    const bool made = app::logAndLeave(state_.log, texts::ReportLabel, [&] {
        const ReportSensor sensor = reportSensor(state_.sensorRegister());
        target = reportPath(state_.DataFolder, sensor.InstrumentID);
        std::vector<ReportGraph> graphs;
        if (choice->timeGraph)
            graphs.push_back(graphPage(TimeGraphTab, ui_.ChartT, texts::TimeGraphPicture,
                                       texts::TimeGraphHeading));
        if (choice->lengthGraph)
            graphs.push_back(graphPage(LengthGraphTab, ui_.ChartS, texts::LengthGraphPicture,
                                       texts::LengthGraphHeading));
        const QString logo = QDir(state_.DataFolder).filePath(app::texts::LogoFileName);
        saveDocx(reportDocument(sensor, state_.env.clock->now(), graphs, logo), target);
    });
    if (ui_.SSTab1->currentIndex() != ReadingsTab) ui_.SSTab1->setCurrentIndex(ReadingsTab);

    app::Prompter& prompter = *state_.env.prompter;
    const QString shown = QDir::toNativeSeparators(target);
    if (!made) {
        if (!target.isEmpty())
            prompter.ask({texts::reportNotSaved(shown), app::texts::Title, app::Icon::Warning});
        return;
    }
    if (!state_.env.desktop->open(target))
        prompter.ask({texts::reportNotOpened(shown), app::texts::Title, app::Icon::Information});
}

ReportGraph ReportPanel::graphPage(int tab, graphs::Chart* chart, const QString& file,
                                   const QString& heading) {
    // With fewer than two readings the tab change refuses and goes back; the
    // page then shows the chart as it was last drawn.
    ui_.SSTab1->setCurrentIndex(tab);
    const QString picture = QDir(state_.DataFolder).filePath(file);
    saveChartPicture(*chart, picture);
    return {heading, picture};
}

} // namespace outputs
