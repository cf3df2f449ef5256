// A caption label that runs the picture command beside it when clicked.
#pragma once

#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QToolButton>

namespace app {

class CommandLabel : public QLabel {
    Q_OBJECT
public:
    CommandLabel(const QString& text, QToolButton* command, QWidget* parent)
        : QLabel(text, parent), command_(command) {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            command_ && command_->isEnabled())
            command_->click();
    }

private:
    QPointer<QToolButton> command_;
};

} // namespace app
