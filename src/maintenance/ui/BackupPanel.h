// The backup and restore commands of the Utilities tab and its list of backups.
#pragma once

#include "app/shell/AppState.h"
#include "maintenance/ui/BackupControls.h"

#include <QObject>

#include <functional>

namespace maintenance {

class BackupPanel : public QObject {
    Q_OBJECT
public:
    // reload reconnects to a database file and shows its register (the main
    // window's reload); it returns false when the program must end.
    using Reload = std::function<bool(const QString& path, const QString& failureLabel)>;

    BackupPanel(app::AppState& state, const BackupControls& ui, Reload reload,
                QObject* parent = nullptr);

    // lstFiles rebuilt from the backup folder.
    void refreshList();
    // imgBackup and imgRestore. A server's database is backed up with its
    // client program and restored by its administrator only.
    void backup();
    void restore();

private:
    void backupServer();

    // The backup chosen in the list; empty for none or the heading.
    QString chosenBackup() const;

    app::AppState& state_;
    const BackupControls ui_;
    Reload reload_;
};

} // namespace maintenance
