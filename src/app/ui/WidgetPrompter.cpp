#include "app/ui/WidgetPrompter.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace app {

namespace {

QMessageBox::Icon boxIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Answer WidgetPrompter::ask(const Prompt& prompt) {
    QMessageBox box(boxIcon(prompt.icon), prompt.title, prompt.text, QMessageBox::NoButton,
                    parent_);
    if (prompt.buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(prompt.defaultNo ? QMessageBox::No : QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

std::optional<QString> WidgetPrompter::input(const QString& prompt, const QString& title) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, {}, &ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<QString> WidgetPrompter::password(const QString& prompt, const QString& title) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, title, prompt, QLineEdit::Password, {}, &ok);
    if (!ok) return std::nullopt;
    return text;
}

QString WidgetPrompter::openFileName(const QString& filter) {
    // "Name (*.ext) | *.ext": the part before the bar is the filter Qt understands.
    QString qtFilter = filter.section(QLatin1Char('|'), 0, 0).trimmed();
    return QFileDialog::getOpenFileName(parent_, QString(), QString(), qtFilter);
}

} // namespace app
