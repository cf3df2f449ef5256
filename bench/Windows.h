// What a benchmark needs to run the real main window: prompts answered at
// once, a desktop that opens nothing, and a documents folder holding a data set.
#pragma once

#include "app/Environment.h"
#include "app/StartUp.h"
#include "app/Texts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

// A documents folder whose data folder holds a copy of the data set as the
// default database, with the logo and manual already made.
struct Documents {
    QTemporaryDir folder;
    QString dataFolder = folder.filePath(QStringLiteral("Vornhald/Tolvane"));
    QString database = dataFolder + QLatin1Char('/') + app::texts::DefaultDatabaseName;

    explicit Documents(const QString& dataSet) {
        QDir().mkpath(dataFolder);
        QFile::copy(dataSet, database);
        app::prepareDataFolder(dataFolder, true);
    }
};

} // namespace bench
