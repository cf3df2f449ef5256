// Starts the main window offscreen on a documents folder and saves a picture of
// every tab (and the about window), so that the layout can be looked at
// without a display. Messages are printed, and answered with OK or Yes.
#include "app/Environment.h"
#include "app/SystemServices.h"
#include "app/ui/MainWindow.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace {

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
        return std::nullopt;
    }
    QString openFileName(const QString&) override { return {}; }
};

class NoDesktop : public app::Desktop {
public:
    bool open(const QString& what) override {
        std::printf("[open] %s\n", qPrintable(what));
        return true;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tolvane_screenshots DOCUMENTS_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QDir().mkpath(args[2]);
    const QDir out(args[2]);
    PrintingPrompter prompter;
    NoDesktop desktop;
    app::SystemClock clock;
    app::MainWindow window({args[1], &prompter, &desktop, &clock});
    if (!window.startUp()) return 1;
    window.show();
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString file = out.filePath(QStringLiteral("tab%1.png").arg(i));
        window.grab().save(file);
        std::printf("%s\n", qPrintable(file));
    }
    // The about window, grabbed while it is up.
    QTimer::singleShot(0, [&] {
        if (auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            about->grab().save(out.filePath(QStringLiteral("about.png")));
            about->accept();
        }
    });
    tabs->setCurrentIndex(5);
    if (auto* command = window.findChild<QWidget*>(QStringLiteral("imgAbout")))
        QMetaObject::invokeMethod(command, "click");
    window.close();
    window.shutDown();
    return 0;
}
