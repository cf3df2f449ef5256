// The end of a start that is being timed: "painted" on standard output once
// the watched window is first drawn, then the process ends at once.
#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace app {

// Used by the cold-start benchmark, on the program and on its minimal
// reference alike: nothing was changed that an exit would store.
class ExitAfterFirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // After the paint: the whole window is drawn by then.
            QTimer::singleShot(0, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

} // namespace app
