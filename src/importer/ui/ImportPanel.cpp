#include "importer/ui/ImportPanel.h"
#include "importer/ui/WindowImport.h"

#include "importer/LoggerFile.h"
#include "importer/Mapping.h"
#include "importer/Proposal.h"
#include "importer/Texts.h"
#include "importer/TroveData.h"
#include "importer/ui/CalibrationDialog.h"
#include "importer/ui/MappingDialog.h"
#include "importer/ui/ReviewDialog.h"
#include "operations/Operations.h"
#include "readings/ReadingStore.h"
#include "readings/ui/ReadingPanel.h"
#include "readings/ui/ReadingTableQuestions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTabWidget>
#include <QToolButton>

namespace importer {

namespace {

LoggerHeader readLoggerHeaderOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return readLoggerHeader(file.read(1 << 16));
}

} // namespace

ImportPanel::ImportPanel(app::AppState& state, const ImportControls& ui,
                         readings::ReadingPanel& readings, sensors::CurrentSensorOf current,
                         QObject* parent)
    : QObject(parent), state_(state), ui_(ui), readings_(readings), current_(std::move(current)) {
    connect(ui_.imgAddTroveData, &QToolButton::clicked, this, &ImportPanel::importFiles);
    if (ui_.imgImportLogger)
        connect(ui_.imgImportLogger, &QToolButton::clicked, this, &ImportPanel::importLoggerFile);
    if (ui_.imgImportFolder)
        connect(ui_.imgImportFolder, &QToolButton::clicked, this, &ImportPanel::importFolder);
    if (ui_.imgCalibrations)
        connect(ui_.imgCalibrations, &QToolButton::clicked, this, &ImportPanel::editCalibrations);
}

void ImportPanel::editCalibrations() {
    app::logAndLeave(state_.log, texts::CalibrationsLabel, [&] {
        const sensors::CurrentSensor sensor = current_();
        if (sensor.number.isEmpty() || !state_.cnDatabase) return;
        CalibrationDialog dialog(state_.database(), *state_.env.prompter, sensor.number,
                                 sensor.nodes, state_.env.clock->now(), state_.ReadOnly,
                                 ui_.imgCalibrations->window());
        dialog.exec();
    });
}

void ImportPanel::importFiles() {
    app::logAndLeave(state_.log, texts::ImportLabel, [&] {
        if (!readings_.SaveReadings()) return;
        const sensors::CurrentSensor sensor = current_();
        app::Prompter& prompter = *state_.env.prompter;
        const QString path = prompter.openFileName(texts::FileFilter);
        if (path.isEmpty()) return;
        // A TOA5 file, or one of a logger mapped for this sensor, goes by its
        // mapping, whatever its name.
        if (operations::isMappedFile(state_.database(), path, sensor.number)) {
            importMapped(sensor, path);
            return;
        }
        reviewFile(sensor, path);
    });
}

void ImportPanel::reviewFile(const sensors::CurrentSensor& sensor, const QString& path) {
    app::Prompter& prompter = *state_.env.prompter;
    {
        // The file belongs to a sensor by its name alone, letter case included.
        const QString name = QFileInfo(path).fileName();
        if (name != sensor.number + texts::FileExtension) {
            const app::Prompt warning{texts::notAMatch(name, sensor.number), texts::MismatchTitle,
                                      app::Icon::Warning, app::Buttons::YesNo, true};
            if (prompter.ask(warning) != app::Answer::Yes) return;
        }
        std::unique_ptr<TextFile> rsTroveData;
        {
            // A file too large to hold is copied and read once before the window.
            QProgressDialog progress(texts::ReadingFile, QString(), 0, 1000, ui_.SSTab1->window());
            progress.setWindowModality(Qt::WindowModal);
            progress.setMinimumDuration(1000);
            rsTroveData = OpenTroveData(state_, name, path, {}, [&](qint64 done, qint64 total) {
                progress.setValue(int(done * 1000 / std::max(total, qint64(1))));
            });
        }
        if (!rsTroveData) {
            prompter.ask({texts::NoDataForSensor, texts::AppTitle, app::Icon::Information});
            return;
        }
        if (rsTroveData->binary()) {
            prompter.ask({texts::notAText(name), texts::AppTitle, app::Icon::Warning});
            return;
        }
        review(sensor, *rsTroveData);
    }
}

void ImportPanel::importLoggerFile() {
    app::logAndLeave(state_.log, texts::ImportLabel, [&] {
        if (!readings_.SaveReadings()) return;
        const sensors::CurrentSensor sensor = current_();
        const QString path = state_.env.prompter->openFileName(texts::LoggerFileFilter);
        if (path.isEmpty()) return;
        QFile file(path);
        importer::LoggerHeader header;
        if (file.open(QIODevice::ReadOnly)) header = readLoggerHeader(file.read(1 << 16));
        if (header.format == LoggerFormat::Sixteen) {
            reviewFile(sensor, path);
            return;
        }
        importMapped(sensor, path);
    });
}

void ImportPanel::changingReadings(const QString& label, const std::function<void()>& work) {
    readings_.rememberShown();
    app::ignoreFailure([&] { readings::OpenSensorData(state_, *state_.env.prompter); });
    try {
        work();
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        state_.log.WriteLog(app::errorEntry(failure, label));
        state_.env.prompter->ask({texts::importFailed(app::describeFailure(failure)),
                                  texts::AppTitle, app::Icon::Warning});
    }
    readings_.returnToBookmark();
}

void ImportPanel::importMapped(const sensors::CurrentSensor& sensor, const QString& path) {
    store::Database& db = state_.database();
    QString map;
    const LoggerHeader header = readLoggerHeaderOf(path);
    bool saved = false;
    for (const Mapping& m : savedMappings(db, loggerKey(header, path)))
        saved = saved || m.sensor == sensor.number;
    if (!saved) {
        MappingDialog step(sensor.number, header, firstValues(path, 3), ui_.SSTab1->window());
        if (step.exec() != QDialog::Accepted) return;
        map = step.mappingText();
    }
    changingReadings(texts::ImportLabel, [&] {
        operations::ImportRequest r;
        r.file = path;
        r.sensor = sensor.number;
        r.map = map;
        r.now = state_.env.clock->now();
        r.archiveTransfer = false;
        QProgressDialog progress(texts::ImportProgress, QString(), 0, 1000, ui_.SSTab1->window());
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(1000);
        const operations::ImportOutcome o = operations::importLoggerFile(
            db, state_.DataFolder, r, r.now.date(), [&](int done, int total) {
                progress.setMaximum(total);
                progress.setValue(done);
            });
        progress.setValue(progress.maximum());
        state_.env.prompter->ask(
            {texts::mappedSummary(QFileInfo(path).fileName(), sensor.number, o.appended,
                                  o.duplicates, o.suspect, o.messages),
             texts::AppTitle, app::Icon::Information});
    });
}

void ImportPanel::importFolder() {
    app::logAndLeave(state_.log, texts::ImportFolderLabel, [&] {
        if (!readings_.SaveReadings()) return;
        // The open dialog is the one chooser the prompter has: any file of
        // the folder names it.
        const QString chosen = state_.env.prompter->openFileName(texts::FolderFileFilter);
        if (chosen.isEmpty()) return;
        const QString folder = QFileInfo(chosen).absolutePath();
        changingReadings(texts::ImportFolderLabel, [&] {
            operations::FolderRequest r;
            r.folder = folder;
            r.archive = ui_.chkArchiveImported && ui_.chkArchiveImported->isChecked();
            r.now = state_.env.clock->now();
            QProgressDialog progress(texts::ImportProgress, QString(), 0, 1, ui_.SSTab1->window());
            progress.setWindowModality(Qt::WindowModal);
            progress.setMinimumDuration(1000);
            const std::vector<operations::FolderFileOutcome> list = operations::importFolder(
                state_.database(), state_.DataFolder, r, [&](int done, int total) {
                    progress.setMaximum(std::max(total, 1));
                    progress.setValue(done);
                });
            progress.setValue(progress.maximum());
            QStringList lines;
            for (const operations::FolderFileOutcome& f : list)
                lines << texts::folderLine(f.file, f.sensor, operations::statusName(f.status),
                                           f.appended, f.duplicates, f.skipped, f.error);
            state_.env.prompter->ask(
                {texts::folderSummary(folder, lines), texts::AppTitle, app::Icon::Information});
        });
    });
}

void ImportPanel::review(const sensors::CurrentSensor& sensor, const TextFile& rsTroveData) {
    // The window load, step 1: where the readings were, and the readings
    // read afresh.
    readings_.rememberShown();
    app::ignoreFailure([&] { readings::OpenSensorData(state_, *state_.env.prompter); });
    {
        ReviewDialog window(state_, sensor, &rsTroveData,
                            periodHours(ui_.cboTroveInt->currentText()), ui_.SSTab1->window());
        window.exec();
    }
    // The unload: the readings reopened at the reading left (or the last).
    readings_.returnToBookmark();
}

} // namespace importer
