// Wires the real prompter, desktop and clock to the program.
#include "app/SystemServices.h"
#include "app/ui/WidgetPrompter.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION));

    app::SystemClock clock;
    app::ShellDesktop desktop;
    app::WidgetPrompter prompter;
    Q_UNUSED(clock);
    Q_UNUSED(desktop);

    // The main window arrives with the start-up work; until then the program
    // shows who it is and ends when that window is closed.
    QLabel window(QStringLiteral("Tolvane %1").arg(QStringLiteral(TOLVANE_VERSION)));
    window.setObjectName(QStringLiteral("frmTolvane"));
    window.setMinimumSize(320, 120);
    window.setAlignment(Qt::AlignCenter);
    prompter.setParent(&window);
    window.show();
    return QApplication::exec();
}
