#include "maintenance/ui/BackupPanel.h"

#include "maintenance/Backup.h"
#include "maintenance/Texts.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QToolButton>

namespace maintenance {

BackupPanel::BackupPanel(app::AppState& state, const BackupControls& ui, Reload reload,
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

// Backup and restore work on the database in use, and the program goes on
// with it afterwards.
void BackupPanel::backup() {
    app::logAndLeave(state_.log, texts::BackupClickLabel, [&] {
        const QString database = state_.DBPath;
        // A file another program holds stays open elsewhere while it is copied.
        const bool shared = state_.ReadOnly;
        state_.releaseDatabase();
        BackupDB(state_.DataFolder, database, state_.env.clock->now().date(), *state_.env.prompter,
                 state_.log, {}, shared);
        // Whatever the backup did, the file at the path is opened again.
        if (reload_(database, texts::BackupClickLabel)) refreshList();
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
        const QString database = state_.DBPath;
        // The restore's entry is stamped as every change of the window.
        const store::Actor by = state_.cnDatabase ? state_.cnDatabase->actor() : store::Actor{};
        state_.releaseDatabase();
        RestoreDB(state_.DataFolder, database, chosen, prompter, state_.log, {}, by);
        reload_(database, texts::RestoreClickLabel);
    });
}

} // namespace maintenance
