// What the program asks of the desktop around it: prompts, the shell's open
// action and the clock. main() wires the real ones; tests script them.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace app {

enum class Icon { None, Information, Warning, Critical, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct Prompt {
    QString text;
    QString title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    bool defaultNo = false;
};

class Prompter { // every message box, input box and open dialog
public:
    virtual ~Prompter() = default;
    virtual Answer ask(const Prompt& prompt) = 0;
    virtual std::optional<QString> input(const QString& prompt,
                                         const QString& title) = 0; // nullopt: cancelled
    virtual QString openFileName(const QString& filter) = 0;        // "": cancelled
    // A password box: what is typed is never shown. nullopt: cancelled.
    virtual std::optional<QString> password(const QString& prompt, const QString& title) {
        return input(prompt, title);
    }
};

class Desktop { // the shell's open-document action
public:
    virtual ~Desktop() = default;
    virtual bool open(const QString& fileOrUrl) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

struct Environment {
    QString documentsFolder; // what GetSpecialPath returns
    Prompter* prompter = nullptr;
    Desktop* desktop = nullptr;
    Clock* clock = nullptr;
};

} // namespace app
