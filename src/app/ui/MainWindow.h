// The main window frmTolvane: its start-up, change of database, unload and
// exit, the tab control with its six tabs and the window's own commands.
#pragma once

#include "app/shell/AppState.h"
#include "app/shell/StartUp.h"
#include "app/ui/MainControls.h"
#include "store/ServerAddress.h"

#include <QLockFile>
#include <QWidget>

#include <memory>

namespace graphs {
class GraphPanel;
}
namespace importer {
class ImportPanel;
}
namespace outputs {
class DatasheetPanel;
class ReportPanel;
} // namespace outputs
namespace maintenance {
class BackupPanel;
}
namespace readings {
class ReadingPanel;
class RecoverPanel;
} // namespace readings
namespace levels {
class StatusPanel;
}
namespace sensors {
class FilterPanel;
class SensorPanel;
} // namespace sensors

namespace app {

class AboutDialog;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(const Environment& environment, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load sequence. False when the program must end (another instance, or
    // no connection); the window is then never shown.
    bool startUp();
    // The exit: releases the database and compacts it (unless it was opened
    // read-only, or is a server's), then gives back both locks. Once.
    void shutDown();

    // Reconnects to path and shows its register lowest number first (a change of
    // database, and the reload after a backup or restore). False when the
    // program must end; endRequested has then been emitted. A file without the
    // register's tables is logged with failureLabel and leaves the list empty.
    bool reloadDatabase(const QString& path, const QString& failureLabel);

signals:
    // The program must end (a connection failed after start-up).
    void endRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class Life { Constructed, Running, AnotherInstance, Ended, ShutDown };

    void wireCommands();
    void placeWindow();
    void placeTabControl();
    void showRegister(const QStringList& numbers);
    // The title says when the database is opened read-only, and names a
    // server's database.
    void showAccess();
    void requestEnd();
    void onTabChanged(int tab);

    // Commands of the window itself.
    void changeDatabaseLocation();
    void changeToServer(const store::ServerAddress& address);
    void openManual();
    void openWebSite();
    void showAbout();
    void showHistory();

    void fillfields();
    void savefields();
    // The reading shown: filled in by the readings.
    void SaveReadings();

    AppState state_;
    MainControls ui_;
    std::unique_ptr<QLockFile> lock_;
    ConnectionPrefetch prefetch_;
    std::unique_ptr<sensors::SensorPanel> sensors_;
    std::unique_ptr<sensors::FilterPanel> filter_;
    std::unique_ptr<readings::ReadingPanel> readings_;
    std::unique_ptr<graphs::GraphPanel> graphs_;
    std::unique_ptr<importer::ImportPanel> import_;
    std::unique_ptr<outputs::DatasheetPanel> datasheet_;
    std::unique_ptr<outputs::ReportPanel> report_;
    std::unique_ptr<maintenance::BackupPanel> backup_;
    std::unique_ptr<readings::RecoverPanel> recover_;
    std::unique_ptr<levels::StatusPanel> status_;
    AboutDialog* splash_ = nullptr;
    Life life_ = Life::Constructed;
    int previousTab_ = 0;
};

} // namespace app
