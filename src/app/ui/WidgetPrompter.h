// Message boxes, input boxes and the open dialog, as the user sees them.
#pragma once

#include "app/Environment.h"

class QWidget;

namespace app {

class WidgetPrompter : public Prompter {
public:
    explicit WidgetPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Answer ask(const Prompt& prompt) override;
    std::optional<QString> input(const QString& prompt, const QString& title) override;
    QString openFileName(const QString& filter) override;
    std::optional<QString> password(const QString& prompt, const QString& title) override;

private:
    QWidget* parent_;
};

} // namespace app
