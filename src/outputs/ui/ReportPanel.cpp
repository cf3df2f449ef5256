#include "outputs/ui/ReportPanel.h"

#include "app/Texts.h"
#include "graphs/GraphSettings.h"
#include "graphs/Texts.h"
#include "graphs/ui/Chart.h"
#include "outputs/Texts.h"
#include "outputs/ui/ReportDialog.h"
#include "outputs/ui/ReportWriter.h"
#include "readings/Texts.h"
#include "readings/ui/ReadingPanel.h"
#include "store/Error.h"

#include <QComboBox>
#include <QDir>
#include <QProgressDialog>
#include <QTabWidget>
#include <QToolButton>

namespace outputs {

namespace {

constexpr int ReadingsTab = 2;

} // namespace

ReportPanel::ReportPanel(app::AppState& state, const ReportControls& ui,
                         readings::ReadingPanel& readings, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings) {
    connect(ui_.imgReport, &QToolButton::clicked, this, &ReportPanel::makeReport);
}

void ReportPanel::makeReport() {
    if (!dialog_) dialog_ = new ReportDialog(ui_.SSTab1->window());
    bool ownAxis = false;
    app::ignoreFailure([&] { ownAxis = graphs::temperatureOwnAxis(state_.database()); });
    const std::optional<ReportChoice> choice = dialog_->choose(ownAxis);
    if (!choice) return;

    // The report ends on the Readings tab: going there stores what was typed
    // on the tab shown, and the reading shown is stored before the graphs
    // read the readings.
    if (ui_.SSTab1->currentIndex() != ReadingsTab) ui_.SSTab1->setCurrentIndex(ReadingsTab);
    readings_.leaveReadingsTab();

    // The cover choice is kept for the window's sake; the details are always written.
    QString target;
    const bool made = app::logAndLeave(state_.log, texts::ReportLabel, [&] {
        ReportJob job;
        job.sensor = reportSensor(state_.sensorRegister()).InstrumentID;
        job.choice = *choice;
        job.target = target = reportPath(state_.DataFolder, job.sensor, choice->format);
        job.logo = QDir(state_.DataFolder).filePath(app::texts::LogoFileName);
        job.pictureFolder = state_.DataFolder;
        job.date = state_.env.clock->now();
        if (ui_.cboScale) job.scaleText = ui_.cboScale->currentText();
        if (ui_.ChartT) job.chartSize = ui_.ChartT->pictureSize();
        QProgressDialog progress(texts::ReportProgress, QString(), 0, 1, ui_.SSTab1->window());
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(1000);
        writeReport(state_.database(), job, hooks(progress));
    });
    // The reading shown again: the graphs may have brought its columns up to date.
    readings_.returnToBookmark();

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

ReportHooks ReportPanel::hooks(QProgressDialog& progress) {
    ReportHooks h;
    // As the graph tabs log and tell the same.
    h.mismatch = [this](const QString&) {
        state_.log.WriteLog(app::errorEntry(
            store::code::Mismatch, QStringLiteral("a channel has a value the zero reading lacks"),
            readings::texts::SetZerosLabel));
    };
    h.preparationFailed = [this](graphs::GraphKind kind, const std::exception_ptr& failure) {
        state_.log.WriteLog(app::errorEntry(failure, kind == graphs::GraphKind::Time
                                                         ? graphs::texts::GetTemporalDataLabel
                                                         : graphs::texts::GetSpatialDataLabel));
    };
    h.tooFew = [this](graphs::GraphKind kind, int) {
        const QString hint = kind == graphs::GraphKind::Time ? graphs::texts::TooFewTemporal
                                                             : graphs::texts::TooFewSpatial;
        state_.env.prompter->ask(
            {graphs::texts::TooFewReadings + hint, graphs::texts::Title, app::Icon::Information});
    };
    h.progress = [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
    };
    return h;
}

} // namespace outputs
