#include "maintenance/ui/BackupPanel.h"

#include "maintenance/Backup.h"
#include "maintenance/ServerBackup.h"
#include "maintenance/Texts.h"
#include "store/Error.h"
#include "store/ServerAddress.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QListWidget>
#include <QProgressDialog>
#include <QToolButton>

#include <atomic>
#include <thread>

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
    if (store::isServerAddress(state_.DBPath)) {
        backupServer();
        return;
    }
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

// The dump runs on a worker thread while the window's events turn: the
// progress shows and its Cancel stops pg_dump. The connection in use stays
// open; the server gives the dump a consistent state of its own.
void BackupPanel::backupServer() {
    app::logAndLeave(state_.log, texts::BackupClickLabel, [&] {
        app::Prompter& prompter = *state_.env.prompter;
        store::ServerAddress address = store::parseServerAddress(state_.DBPath);
        if (address.password.isEmpty() &&
            state_.serverPassword.address == store::serverUrl(address, false))
            address.password = state_.serverPassword.password;
        const QString folder = backupFolder(state_.DataFolder);
        const QDate today = state_.env.clock->now().date();

        QProgressDialog progress(texts::serverBackupProgress(store::displayName(address)),
                                 QObject::tr("Cancel"), 0, 100, ui_.lstFiles->window());
        progress.setObjectName(QStringLiteral("frmServerBackup"));
        progress.setWindowTitle(texts::ServerBackupTitle);
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        // Shown at once: the window must take no clicks while the dump runs.
        progress.setMinimumDuration(0);
        progress.show();
        std::atomic<bool> cancelled{false};
        connect(&progress, &QProgressDialog::canceled, &progress, [&] { cancelled = true; });
        ServerDumpSettings settings;
        settings.cancelled = [&] { return cancelled.load(); };

        QString written;
        std::exception_ptr failure;
        QEventLoop loop;
        std::thread worker([&] {
            try {
                written = dumpServerDatabase(
                    address, folder, today,
                    [&progress](int percent) {
                        QMetaObject::invokeMethod(
                            &progress, [&progress, percent] { progress.setValue(percent); },
                            Qt::QueuedConnection);
                    },
                    settings);
            } catch (...) {
                failure = std::current_exception();
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
        progress.close();

        if (failure) {
            try {
                std::rethrow_exception(failure);
            } catch (const store::Error& e) {
                // A cancel is the user's own choice, not a failure to log.
                if (cancelled && e.number() == store::code::Interrupt) {
                    prompter.ask({e.description(), texts::AppTitle, app::Icon::Information});
                    return;
                }
                state_.log.WriteLog(app::errorEntry(failure, texts::BackupLabel));
                prompter.ask({e.description(), texts::AppTitle, app::Icon::Warning});
                refreshList();
                return;
            }
        }
        prompter.ask({texts::serverBackupDone(QDir::toNativeSeparators(written)), texts::Title,
                      app::Icon::Information});
        refreshList();
    });
}

void BackupPanel::restore() {
    app::logAndLeave(state_.log, texts::RestoreClickLabel, [&] {
        app::Prompter& prompter = *state_.env.prompter;
        // Putting an earlier copy back on a shared server is its
        // administrator's business.
        if (store::isServerAddress(state_.DBPath)) {
            prompter.ask({serverRestoreRefusal(store::parseServerAddress(state_.DBPath)),
                          texts::AppTitle, app::Icon::Information});
            return;
        }
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
