// Wires the real prompter, desktop and clock to the main window.
#include "app/StartUp.h"
#include "app/SystemServices.h"
#include "app/ui/MainWindow.h"
#include "app/ui/WidgetPrompter.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// With TOLVANE_EXIT_AFTER_FIRST_PAINT set (by the cold-start benchmark), the
// program says "painted" once the window is first drawn and ends there: the
// start has been measured, and nothing was changed that an exit would store.
class ExitAfterFirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
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

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION));

    app::SystemClock clock;
    app::ShellDesktop desktop;
    app::WidgetPrompter prompter;
    const app::Environment environment{app::GetSpecialPath(QApplication::arguments()), &prompter,
                                       &desktop, &clock};

    int result = 0;
    {
        app::MainWindow window(environment);
        prompter.setParent(&window);
        if (window.startUp()) {
            QObject::connect(&window, &app::MainWindow::endRequested, &application,
                             &QApplication::quit, Qt::QueuedConnection);
            ExitAfterFirstPaint exitAfterFirstPaint;
            if (qEnvironmentVariableIsSet("TOLVANE_EXIT_AFTER_FIRST_PAINT"))
                window.installEventFilter(&exitAfterFirstPaint);
            window.show();
            result = QApplication::exec();
        }
        prompter.setParent(nullptr);
        window.shutDown();
    }
    return result;
}
