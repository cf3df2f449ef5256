// What a benchmark needs to run the real main window: prompts answered at
// once, a desktop that opens nothing, and a documents folder holding a data set.
#pragma once

#include "DataSet.h"
#include "Engine.h"

#include "app/DataFolder.h"
#include "app/Environment.h"
#include "app/SystemServices.h"
#include "app/Texts.h"
#include "app/shell/StartUp.h"
#include "app/ui/MainWindow.h"
#include "store/ServerAddress.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>

#include <memory>

namespace bench {

// Messages are answered OK and questions No; every prompt is counted.
class QuietPrompter : public app::Prompter {
public:
    app::Answer ask(const app::Prompt& p) override {
        ++shown;
        return p.buttons == app::Buttons::YesNo ? app::Answer::No : app::Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&) override { return std::nullopt; }
    QString openFileName(const QString&) override { return {}; }
    int shown = 0;
};

class NoDesktop : public app::Desktop {
public:
    bool open(const QString&) override { return true; }
};

// Pending events handled, then the widget drawn as the screen would show it.
inline void painted(QWidget* widget) {
    QCoreApplication::processEvents();
    const QPixmap picture = widget->grab();
    if (picture.isNull()) qFatal("nothing drawn");
}

// A documents folder whose data folder holds a copy of the data set as the
// default database, with the logo and manual already made. On a server the
// copy is a database of its own, named by the location file, and database is
// its address.
struct Documents {
    QTemporaryDir folder;
    QString dataFolder = folder.filePath(QStringLiteral("Vornhald/Tolvane"));
    QString database = dataFolder + QLatin1Char('/') + app::texts::DefaultDatabaseName;
    std::unique_ptr<ServerScratch> scratch;

    explicit Documents(const QString& dataSet) {
        QDir().mkpath(dataFolder);
        if (onServer()) {
            scratch = std::make_unique<ServerScratch>(dataSet);
            database = scratch->address();
            // A password stays in memory: the start-up asks for it.
            app::writeLocationFile(dataFolder,
                                   store::serverUrl(store::parseServerAddress(database)));
            app::prepareDataFolder(dataFolder, false);
            return;
        }
        QFile::copy(dataSet, database);
        app::prepareDataFolder(dataFolder, true);
    }
};

// The real main window started on a copy of a generated data set.
struct RunningWindow {
    Documents documents;
    QuietPrompter prompter;
    NoDesktop desktop;
    app::SystemClock systemClock;
    std::unique_ptr<app::MainWindow> window;
    bool ok = false;

    explicit RunningWindow(int sensors, int readingsPerSensor = 24, app::Clock* clock = nullptr)
        : RunningWindow(sharedDataSet(sensors, readingsPerSensor), clock) {}
    explicit RunningWindow(const QString& dataSet, app::Clock* clock = nullptr,
                           app::Prompter* answers = nullptr)
        : documents(dataSet) {
        const app::Environment env{documents.folder.path(), answers ? answers : &prompter, &desktop,
                                   clock ? clock : &systemClock};
        window = std::make_unique<app::MainWindow>(env);
        ok = window->startUp();
        if (ok) window->show();
        QCoreApplication::processEvents();
    }
    ~RunningWindow() {
        if (!window) return;
        window->close();
        window->shutDown();
    }

    template <class T> T* control(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    // What the user waits for after a click: the events it posted handled and
    // the window drawn.
    void painted() const { bench::painted(window.get()); }
};

} // namespace bench
