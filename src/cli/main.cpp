// tolvane-cli: the command line wired to the real clock and the terminal.
#include "app/SystemServices.h"
#include "cli/Cli.h"
#include "cli/ui/ReportCommand.h"

#include <QApplication>

#include <cstdio>
#include <memory>
#include <string_view>
#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

// The tool's standard error is for its own one-line reasons: the toolkit's
// notes about the environment (no runtime folder, no fonts) are not for a script.
void onlyFailures(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(onlyFailures);
    // Pictures are drawn (the logo of a first installation, the manual) but
    // nothing is shown: a run from cron or ssh has no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The report draws its graphs on charts, which are widgets; the other
    // commands start without them.
    bool report = false;
    for (int i = 1; i < argc; ++i)
        report = report || std::string_view(argv[i]) == "report";
    std::unique_ptr<QGuiApplication> application(report ? new QApplication(argc, argv)
                                                        : new QGuiApplication(argc, argv));
    QGuiApplication::setApplicationName(QStringLiteral("Tolvane"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION));
    app::SystemClock clock;
    cli::Streams streams;
    streams.errIsTerminal = isatty(fileno(stderr)) != 0;
    return cli::run(QGuiApplication::arguments(), QProcessEnvironment::systemEnvironment(), clock,
                    streams, cli::writeReport);
}
