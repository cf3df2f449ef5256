#include "app/ui/MainWindow.h"

#include "app/Manual.h"
#include "app/Texts.h"
#include "app/shell/Compaction.h"
#include "app/shell/ServerLogin.h"
#include "app/ui/AboutDialog.h"
#include "app/ui/DatabaseLocationDialog.h"
#include "graphs/ui/GraphPanel.h"
#include "importer/ui/ImportPanel.h"
#include "levels/ui/StatusPanel.h"
#include "maintenance/Texts.h"
#include "maintenance/ui/BackupPanel.h"
#include "maintenance/ui/HistoryDialog.h"
#include "migration/JetFile.h"
#include "migration/ui/ConvertDialog.h"
#include "outputs/ui/DatasheetPanel.h"
#include "outputs/ui/ReportPanel.h"
#include "readings/ui/ReadingPanel.h"
#include "readings/ui/RecoverPanel.h"
#include "sensors/ui/FilterPanel.h"
#include "sensors/ui/SensorPanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace app {

MainWindow::MainWindow(const Environment& environment, QWidget* parent)
    : QWidget(parent), state_(environment) {
    setObjectName(QStringLiteral("frmTolvane"));
    setWindowTitle(texts::WindowCaption);
    // The database opens while the window is built; only an instance that holds
    // the lock opens anything.
    setFolders(state_, state_.env.documentsFolder);
    lock_ = acquireInstanceLock(state_.DataFolder);
    if (lock_) prefetch_.start(databasePathFromLocationFile(state_.DataFolder, nullptr));
    ui_ = buildMainControls(new QTabWidget(this));
    sensors_ = std::make_unique<sensors::SensorPanel>(state_, ui_.sensorUi);
    filter_ = std::make_unique<sensors::FilterPanel>(state_, ui_.filterUi, *sensors_);
    // The other panels are handed the sensor the first two tabs show.
    const sensors::CurrentSensorOf current = [this] { return sensors_->current(); };
    readings_ = std::make_unique<readings::ReadingPanel>(state_, ui_.readingUi, current);
    graphs_ = std::make_unique<graphs::GraphPanel>(state_, ui_.graphUi, current);
    import_ = std::make_unique<importer::ImportPanel>(state_, ui_.importUi, *readings_, current);
    datasheet_ =
        std::make_unique<outputs::DatasheetPanel>(state_, ui_.datasheetUi, *readings_, current);
    ui_.reportUi.cboScale = ui_.graphUi.cboScale;
    report_ = std::make_unique<outputs::ReportPanel>(state_, ui_.reportUi, *readings_);
    backup_ = std::make_unique<maintenance::BackupPanel>(
        state_, ui_.backupUi,
        [this](const QString& path, const QString& label) { return reloadDatabase(path, label); });
    recover_ = std::make_unique<readings::RecoverPanel>(
        state_, ui_.recoverUi, current,
        [this](const QString& path, const QString& label) { return reloadDatabase(path, label); });
    status_ = std::make_unique<levels::StatusPanel>(
        state_, ui_.statusUi, current,
        [this](const QString& number) {
            ui_.SSTab1->setCurrentIndex(0);
            sensors_->showSensor(number);
        },
        [this](const QHash<QString, QColor>& marks) { sensors_->setMarks(marks); });
    // The marks follow a reading typed or flagged without a change of tab; a
    // look that finds nothing changed costs a fraction of a millisecond.
    auto* marksTimer = new QTimer(this);
    marksTimer->setInterval(2000);
    connect(marksTimer, &QTimer::timeout, this, [this, ticks = 0]() mutable {
        if (life_ != Life::Running || QApplication::activeModalWidget()) return;
        // Once a minute the open Status tab is shown afresh: what others
        // wrote, and data that has grown old by the clock alone.
        if (++ticks % 30 == 0 && ui_.SSTab1->currentIndex() == 6) {
            status_->enterStatusTab();
            return;
        }
        status_->refreshMarks();
    });
    marksTimer->start();
    const QSize around(TabWidth + 2 * twips(120), TabHeight + 2 * twips(120));
    setMinimumSize(around);
    resize(around);
    placeTabControl();
    wireCommands();
}

MainWindow::~MainWindow() = default;

void MainWindow::wireCommands() {
    connect(ui_.Image3, &QToolButton::clicked, this, &MainWindow::changeDatabaseLocation);
    connect(ui_.imgHelp, &QToolButton::clicked, this, &MainWindow::openManual);
    connect(ui_.imgInternet, &QToolButton::clicked, this, &MainWindow::openWebSite);
    connect(ui_.imgAbout, &QToolButton::clicked, this, &MainWindow::showAbout);
    connect(ui_.imgHistory, &QToolButton::clicked, this, &MainWindow::showHistory);
    connect(ui_.SSTab1, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
}

bool MainWindow::startUp() {
    if (life_ != Life::Constructed) return life_ == Life::Running;
    Prompter& prompter = *state_.env.prompter;
    if (!lock_) lock_ = acquireInstanceLock(state_.DataFolder);
    if (!lock_) {
        prompter.ask({texts::AlreadyRunning, texts::Title, Icon::Warning});
        life_ = Life::AnotherInstance;
        return false;
    }
    life_ = Life::Running;
    sensors_->setLoading(true);
    placeWindow();
    ui_.SSTab1->setCurrentIndex(0);
    ui_.sensorUi.lblError->hide();

    logAndLeave(state_.log, texts::FormLoad, [&] {
        state_.DBPath = databasePathFromLocationFile(state_.DataFolder, &prompter);
        // A first start makes the default database; a file named by the location
        // file is only ever opened.
        logAndLeave(state_.log, texts::FormLoad, [&] {
            prepareDataFolder(state_.DataFolder,
                              state_.DBPath == defaultDatabasePath(state_.DataFolder));
        });
        // An earlier version's Jet file is converted first, or not opened at all.
        if (migration::isJetFile(state_.DBPath))
            if (const auto converted = migration::offerConversion(state_, state_.DBPath))
                state_.DBPath = *converted;
        const bool connected = connectDatabase(state_, state_.DBPath, &prefetch_);
        showAccess();
        if (!connected) {
            life_ = Life::Ended;
            return;
        }
        openConfiguration(state_);
        GetPrefs(state_);
        const QStringList numbers = openRegister(state_, RegisterOrder::HighestFirst);
        if (numbers.isEmpty()) {
            tellNoSensors(prompter);
            ui_.sensorUi.txtSCount->setText(QStringLiteral("0"));
        } else {
            showRegister(numbers);
        }
        sensors_->setLoading(false);
    });
    return life_ == Life::Running;
}

bool MainWindow::reloadDatabase(const QString& path, const QString& failureLabel) {
    const bool connected = connectDatabase(state_, path, nullptr, failureLabel);
    showAccess();
    if (!connected) {
        requestEnd();
        return false;
    }
    const bool loaded = logAndLeave(state_.log, failureLabel, [&] {
        openConfiguration(state_);
        GetPrefs(state_);
        const QStringList numbers = openRegister(state_, RegisterOrder::LowestFirst);
        if (numbers.isEmpty()) tellNoSensors(*state_.env.prompter);
        showRegister(numbers);
    });
    // A file without our tables: its connection stays, but no sensor of the
    // file used before may still be offered.
    if (!loaded) {
        state_.rsSensors.reset();
        showRegister({});
    }
    filter_->showState();
    return true;
}

void MainWindow::showAccess() {
    if (state_.cnDatabase && state_.cnDatabase->isServer()) {
        setWindowTitle(texts::serverCaption(serverDisplayName(state_.DBPath)));
        return;
    }
    setWindowTitle(state_.ReadOnly ? texts::WindowCaption + texts::ReadOnlyCaption
                                   : texts::WindowCaption);
}

void MainWindow::showRegister(const QStringList& numbers) {
    sensors_->showSensors(numbers);
    sensors_->setMarks({});
    // The statuses of a large register take a moment: the window is shown
    // first, the marks follow.
    QTimer::singleShot(300, this, [this] { status_->refreshMarks(); });
}

void MainWindow::changeDatabaseLocation() {
    DatabaseLocationDialog choice(state_.DBPath, this);
    if (choice.exec() != QDialog::Accepted) return;
    if (choice.serverChosen()) {
        changeToServer(choice.address());
        return;
    }
    QString path = state_.env.prompter->openFileName(texts::DatabaseFilter);
    if (path.isEmpty()) return;
    // An earlier version's file: its converted copy, or nothing changes.
    if (migration::isJetFile(path)) {
        const auto converted = migration::offerConversion(state_, path);
        if (!converted) return;
        path = *converted;
    }
    // The choice is kept even when the file then fails to open.
    logAndLeave(state_.log, texts::ChangeLocationLabel,
                [&] { writeLocationFile(state_.DataFolder, path); });
    reloadDatabase(path, texts::ChangeLocationLabel);
}

// The server's database is tried before anything changes: one that cannot be
// reached or is not a Tolvane database leaves the database in use as it was.
void MainWindow::changeToServer(const store::ServerAddress& address) {
    const QString url = store::serverUrl(address, false);
    QString reason;
    int number = store::code::NotADatabase;
    try {
        auto trial = connectToServer(url, *state_.env.prompter, state_.serverPassword);
        reason = whyNotUsable(*trial, address);
    } catch (const store::Error& e) {
        reason = e.description();
        number = e.number();
    }
    if (!reason.isEmpty()) {
        state_.log.WriteLog(errorEntry(number,
                                       reason + QStringLiteral(": ") + store::displayName(address),
                                       texts::ChangeLocationLabel));
        state_.env.prompter->ask({reason, texts::ServerChoiceTitle, Icon::Warning});
        return;
    }
    logAndLeave(state_.log, texts::ChangeLocationLabel,
                [&] { writeLocationFile(state_.DataFolder, url); });
    reloadDatabase(url, texts::ChangeLocationLabel);
}

void MainWindow::requestEnd() {
    life_ = Life::Ended;
    emit endRequested();
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (life_ == Life::Running) {
        logAndLeave(state_.log, texts::FormUnload, [&] {
            savefields();
            if (ui_.SSTab1->currentIndex() == 2) SaveReadings();
        });
    }
    event->accept();
}

void MainWindow::shutDown() {
    if (life_ == Life::Running) {
        life_ = Life::ShutDown;
        ignoreFailure([&] { state_.releaseDatabase(); });
        // Only the holder of the database's lock may put a new file in place of
        // it; a file opened read-only is left exactly as it is.
        // A server keeps its database itself: nothing to compact or purge here.
        if (state_.DBLock && state_.DBLock->taken() && !state_.ReadOnly &&
            !store::isServerAddress(state_.DBPath)) {
            // What the recycle area no longer keeps goes before the compaction,
            // so that the compaction gives its room back.
            if (state_.env.clock) PurgeRecycleArea(state_.DBPath, *state_.env.clock, state_.log);
            ignoreFailure([&] { CompactDB(state_.DBPath, *state_.env.prompter, state_.log); });
        }
    }
    state_.DBLock.reset();
    lock_.reset();
}

// Start-up centres the window a little above the middle of the screen, but
// never so far that its title bar leaves the screen.
void MainWindow::placeWindow() {
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const int left = twips((area.width() - width()) * 15 / 2);
    const int top = twips(((area.height() - height()) * 15 - 250) / 2);
    move(area.x() + std::max(0, left), area.y() + std::max(0, top));
}

// The tab control keeps its designed size: at 120, 120 twips in a normal
// window, centred on the screen in a maximised one.
void MainWindow::placeTabControl() {
    if (isMinimized()) return;
    if (isMaximized()) {
        const QScreen* screen = this->screen();
        if (!screen) return;
        const QSize s = screen->geometry().size();
        ui_.SSTab1->move((s.width() - TabWidth) / 2, (s.height() - TabHeight) / 2);
    } else {
        ui_.SSTab1->move(twips(120), twips(120));
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeTabControl();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) placeTabControl();
}

// Leaving a tab stores what was typed on it; entering one prepares it. A step
// that fails is skipped.
void MainWindow::onTabChanged(int tab) {
    const int left = previousTab_;
    previousTab_ = tab;
    if (left == 0 || left == 1) ignoreFailure([&] { sensors_->leaveRecordTab(); });
    if (left == 2) readings_->leaveReadingsTab();
    switch (tab) {
    case 0:
        ignoreFailure([&] { sensors_->enterIdentification(); });
        readings_->forgetBookmark();
        break;
    case 1:
        ignoreFailure([&] { sensors_->enterInstallation(); });
        break;
    case 2:
        readings_->enterReadingsTab();
        break;
    case 3:
        graphs_->enterTimeGraph(left);
        break;
    case 4:
        graphs_->enterLengthGraph(left);
        break;
    case 5:
        ignoreFailure([&] { backup_->refreshList(); });
        break;
    case 6:
        status_->enterStatusTab();
        return;
    default:
        break;
    }
    // Whatever the tab left behind may have moved a sensor's status.
    status_->refreshMarks();
}

void MainWindow::openManual() {
    const QString manual = state_.DataFolder + QLatin1Char('/') + ManualFileName;
    if (QFileInfo::exists(manual)) state_.env.desktop->open(manual);
}

void MainWindow::openWebSite() {
    state_.env.desktop->open(texts::WebSite);
}

void MainWindow::showAbout() {
    if (!splash_) splash_ = new AboutDialog(this);
    splash_->exec();
}

void MainWindow::showHistory() {
    logAndLeave(state_.log, maintenance::texts::HistoryClickLabel, [&] {
        if (!state_.cnDatabase) return;
        // The sensor the first tabs show, if any, is the one preselected.
        QString sensor;
        ignoreFailure([&] { sensor = sensors_->current().number; });
        maintenance::HistoryDialog history(*state_.cnDatabase, *state_.env.clock, sensor, this);
        history.exec();
    });
}

void MainWindow::fillfields() {
    sensors_->fillfields();
}

void MainWindow::savefields() {
    sensors_->savefields();
}

void MainWindow::SaveReadings() {
    readings_->SaveReadings();
}

} // namespace app
