// What the picture tools answer in place of a user: messages are printed and
// answered OK or Yes, typed answers and files come from what the tool sets,
// and documents handed to the desktop are printed, not opened.
#pragma once

#include "app/Environment.h"

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

} // namespace tools
