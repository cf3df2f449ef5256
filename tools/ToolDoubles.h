// What the picture tools answer in place of a user: messages are printed and
// answered OK or Yes, typed answers and files come from what the tool sets,
// and documents handed to the desktop are printed, not opened.
#pragma once

#include "app/Environment.h"
#include "app/ui/MainWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <QString>

#include <cstdio>
#include <optional>
#include <utility>

namespace tools {

class PrintingPrompter : public app::Prompter {
public:
    app::Answer ask(const app::Prompt& p) override {
        std::printf(
            "[%s] %s\n", qPrintable(p.title),
            qPrintable(QString(p.text).replace(QStringLiteral("\r\n"), QStringLiteral(" / "))));
        return p.buttons == app::Buttons::YesNo ? app::Answer::Yes : app::Answer::Ok;
    }
    std::optional<QString> input(const QString& prompt, const QString&) override {
        std::printf("[input] %s\n", qPrintable(prompt));
        return std::exchange(answer, std::nullopt);
    }
    std::optional<QString> answer;
    // The file chosen in the next open dialog; none after it.
    QString file;
    QString openFileName(const QString&) override { return std::exchange(file, QString()); }
};

class NoDesktop : public app::Desktop {
public:
    bool open(const QString& what) override {
        std::printf("[open] %s\n", qPrintable(what));
        return true;
    }
};

// The six-anchor sample sensor, added through Add New and saved as a user
// would, on whichever tab the window shows.
inline void addSampleSensor(app::MainWindow& window, PrintingPrompter& prompter,
                            const QString& number) {
    prompter.answer = number;
    window.findChild<QToolButton*>(QStringLiteral("imgAddSensor"))->click();
    const std::pair<const char*, const char*> sample[] = {{"txtLengthofCable", "21.5"},
                                                          {"txtRecess", "0.3"},
                                                          {"txtNode1", "2"},
                                                          {"txtNode2", "4"},
                                                          {"txtNode3", "6.5"},
                                                          {"txtNode4", "9"},
                                                          {"txtNode5", "13"},
                                                          {"txtNode6", "20"},
                                                          {"txtLevel", "1200 Level"},
                                                          {"txtLocation", "Stope 14 Hangingwall"},
                                                          {"txtBorehole", "BH-14-03"},
                                                          {"txtInstallBy", "Geotechnical crew"},
                                                          {"txtPurpose", "Hangingwall dilation"}};
    for (const auto& [name, text] : sample)
        window.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QString::fromLatin1(text));
    window.findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
}

} // namespace tools
