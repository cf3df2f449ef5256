// The controls the backup and restore glue reads and writes.
#pragma once

class QListWidget;
class QToolButton;

namespace maintenance {

struct BackupControls {
    QListWidget* lstFiles = nullptr;
    QToolButton* imgBackup = nullptr;
    QToolButton* imgRestore = nullptr;
};

} // namespace maintenance
