#include "maintenance/ui/BackupPanel.h"

#include "app/StartUp.h"
#include "maintenance/Backup.h"
#include "maintenance/Texts.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QToolButton>

namespace maintenance {

BackupPanel::BackupPanel(app::AppState& state, const app::MainControls& ui, Reload reload,
                         QObject* parent)
    : QObject(parent), state_(state), ui_(ui), reload_(std::move(reload)) {
    connect(ui_.imgBackup, &QToolButton::clicked, this, &BackupPanel::backup);
    connect(ui_.imgRestore, &QToolButton::clicked, this, &BackupPanel::restore);
}

void BackupPanel::refreshList() {
    ui_.lstFiles->clear();
    const QStringList lines = listBackups(state_.DataFolder);
    ui_.lstFiles->addItems(lines);
    if (!lines.isEmpty()) ui_.lstFiles->setCurrentRow(0);
}

QString BackupPanel::chosenBackup() const {
    const QList<QListWidgetItem*> chosen = ui_.lstFiles->selectedItems();
    if (chosen.isEmpty() || ui_.lstFiles->row(chosen.front()) == 0) return {};
    return chosen.front()->text();
}

// Backup and restore always work on the default file, whichever file was in
// use, and the program goes on with that file afterwards.
void BackupPanel::backup() {
    app::logAndLeave(state_.log, texts::BackupClickLabel, [&] {
        state_.releaseDatabase();
        BackupDB(state_.DataFolder, app::texts::DefaultDatabaseName, state_.env.clock->now().date(),
                 *state_.env.prompter, state_.log);
        // Whatever the backup did, the file at the path is opened again.
        if (reload_(app::defaultDatabasePath(state_.DataFolder), texts::BackupClickLabel))
            refreshList();
    });
}

void BackupPanel::restore() {
    app::logAndLeave(state_.log, texts::RestoreClickLabel, [&] {
        app::Prompter& prompter = *state_.env.prompter;
        const QString chosen = chosenBackup();
        if (chosen.isEmpty()) {
            prompter.ask({texts::ChooseAFile, texts::AppTitle});
            return;
        }
        // Another program may be writing it, or the user has made it read-only.
        if (state_.ReadOnly) {
            prompter.ask({texts::noRestoreReadOnly(QFileInfo(state_.DBPath).fileName()),
                          texts::AppTitle, app::Icon::Warning});
            return;
        }
        // A file that is not a sound database of ours is refused before the
        // question, and before anything is closed.
        const bool ours = app::logAndLeave(state_.log, texts::RestoreClickLabel, [&] {
            checkOurDatabase(QDir(backupFolder(state_.DataFolder)).filePath(chosen));
        });
        if (!ours) {
            prompter.ask({texts::notABackup(chosen), texts::Title, app::Icon::Warning});
            return;
        }
        const app::Answer answer = prompter.ask({texts::restoreQuestion(chosen), texts::TitleUpper,
                                                 app::Icon::Warning, app::Buttons::YesNo});
        if (answer != app::Answer::Yes) return;
        state_.releaseDatabase();
        RestoreDB(state_.DataFolder, app::texts::DefaultDatabaseName, chosen, prompter, state_.log);
        reload_(app::defaultDatabasePath(state_.DataFolder), texts::RestoreClickLabel);
    });
}

} // namespace maintenance
