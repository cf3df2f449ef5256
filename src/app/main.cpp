// Wires the real prompter, desktop and clock to the main window.
#include "app/shell/StartUp.h"
#include "app/SystemServices.h"
#include "app/ui/FirstPaint.h"
#include "app/ui/MainWindow.h"
#include "app/ui/WidgetPrompter.h"

#include <QApplication>

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
            // Set by the cold-start benchmark: the start is measured, then it ends.
            app::ExitAfterFirstPaint exitAfterFirstPaint;
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
