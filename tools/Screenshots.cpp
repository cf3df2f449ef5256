// Starts the main window offscreen on a documents folder and saves a picture of
// every tab (and the about window), so that the layout can be looked at
// without a display. A tab's picture is named after its caption
// ("4. Disp v Time" -> 4-disp-v-time.png). Messages are printed, and answered with OK or Yes. An
// empty register gets a six-anchor sample sensor, added as a user would, and
// the installation tab is pictured with the head at the collar and at the toe.
// The sample sensor gets three readings, typed in on the Readings tab and
// ticked for both graphs, and a backup; the deletion window is pictured too, and the review window
// of a generated logger file, and the history of all of it.
#include "ToolDoubles.h"
#include "app/Environment.h"
#include "app/SystemServices.h"
#include "app/ui/MainWindow.h"
#include "levels/TriggerLevels.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <utility>

namespace {

using tools::NoDesktop;
using tools::PrintingPrompter;

// "4. Disp v Time" -> "4-disp-v-time": lower case, every run of other
// characters one dash.
QString slug(const QString& caption) {
    QString out;
    for (const QChar c : caption.toLower()) {
        if (c.isLetterOrNumber())
            out += c;
        else if (!out.isEmpty() && !out.endsWith(QLatin1Char('-')))
            out += QLatin1Char('-');
    }
    while (out.endsWith(QLatin1Char('-')))
        out.chop(1);
    return out;
}

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
    bool sampleAdded = false;
    const auto box = [&](const char* name) {
        return window.findChild<QLineEdit*>(QString::fromLatin1(name));
    };
    if (window.findChild<QComboBox*>(QStringLiteral("cboSensors"))->count() == 0) {
        tools::addSampleSensor(window, prompter, QStringLiteral("202571001"));
        sampleAdded = true;
    }
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    if (sampleAdded) {
        tabs->setCurrentIndex(2);
        auto* date = window.findChild<QDateEdit*>(QStringLiteral("dtpRdate"));
        const QDate today = clock.now().date();
        const double values[3][6] = {{10.0, 12.0, 15.0, 18.2, 20.4, 25.1},
                                     {10.5, 12.2, 15.0, 18.3, 20.4, 25.2},
                                     {11.2, 12.5, 15.1, 18.3, 20.5, 25.2}};
        for (int r = 0; r < 3; ++r) {
            window.findChild<QToolButton*>(QStringLiteral("imgAddReading"))->click();
            for (int i = 0; i < 6; ++i)
                box(qPrintable(QStringLiteral("txtChannel%1").arg(i + 1)))
                    ->setText(QString::number(values[r][i], 'f', 2));
            box("txtChannelT")->setText(QStringLiteral("2%1.5").arg(r));
            // New readings are not ticked for the length graph, which refuses
            // to draw fewer than two.
            window.findChild<QCheckBox*>(QStringLiteral("chkSpatial"))->setChecked(true);
            date->setDate(today.addDays(14 * (r - 2)));
            emit date->editingFinished();
        }
        tabs->setCurrentIndex(0);
    }
    if (sampleAdded) {
        // Thresholds the sample's readings reach, so that the Status tab and
        // the sensor list show a level.
        auto db = store::Database::open(
            QDir(args[1]).filePath(QStringLiteral("Vornhald/Tolvane/TolvaneMPBX.mdb")));
        levels::SensorTriggers t;
        t.displacement[0] =
            levels::parseThresholds(QStringLiteral("Alert=0.01,Alarm=50,Action=100"),
                                    levels::siteLevels(*db), QStringLiteral("sample"));
        t.rate[0] = levels::parseThresholds(QStringLiteral("Alarm=5"), levels::siteLevels(*db),
                                            QStringLiteral("sample"));
        t.staleAfterHours = 24 * 30;
        levels::setSensorTriggers(*db, QStringLiteral("202571001"), t);
    }
    int failed = 0;
    const auto picture = [&](const QString& name) {
        QApplication::processEvents();
        const QString file = out.filePath(name);
        if (!window.grab().save(file)) {
            std::fprintf(stderr, "could not save %s\n", qPrintable(file));
            ++failed;
            return;
        }
        std::printf("%s\n", qPrintable(file));
    };
    // A tab that refuses (a graph with too few readings) leaves another one
    // shown: no picture then, rather than one under the wrong name.
    const auto tabPicture = [&](int tab, const QString& suffix = {}) {
        tabs->setCurrentIndex(tab);
        const QString name = slug(tabs->tabText(tab)) + suffix;
        if (tabs->currentIndex() != tab) {
            std::fprintf(stderr, "tab %s refused to open: no %s.png\n",
                         qPrintable(tabs->tabText(tab)), qPrintable(name));
            ++failed;
            return;
        }
        picture(name + QStringLiteral(".png"));
    };
    for (int i = 0; i < tabs->count(); ++i)
        tabPicture(i);
    // The installation tab again with the head at the other end of the hole.
    tabs->setCurrentIndex(0);
    auto* collar = window.findChild<QRadioButton*>(QStringLiteral("Option1"));
    auto* toe = window.findChild<QRadioButton*>(QStringLiteral("Option2"));
    (collar->isChecked() ? toe : collar)->setChecked(true);
    tabPicture(1, QStringLiteral("-other-head"));
    // The deletion window, cancelled.
    tabs->setCurrentIndex(2);
    QTimer::singleShot(0, [&] {
        if (auto* deletion = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            deletion->grab().save(out.filePath(QStringLiteral("deletion.png")));
            deletion->reject();
        }
    });
    window.findChild<QToolButton*>(QStringLiteral("imgDeleteReading"))->click();
    // The datasheet, then its export (the workbook lands in the data folder).
    QTimer::singleShot(0, [&] {
        if (auto* sheet = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            sheet->grab().save(out.filePath(QStringLiteral("datasheet.png")));
            if (auto* exporting = sheet->findChild<QToolButton*>(QStringLiteral("Image1")))
                exporting->click();
            sheet->close();
        }
    });
    window.findChild<QToolButton*>(QStringLiteral("imgDatasheet"))->click();
    if (sampleAdded) {
        window.findChild<QToolButton*>(QStringLiteral("imgBackup"))->click();
        tabPicture(5, QStringLiteral("-backup"));
    }
    // The review window of a logger file named for the sensor shown, closed
    // without appending.
    QTemporaryDir loggerFolder;
    if (auto* sensors = window.findChild<QComboBox*>(QStringLiteral("cboSensors"));
        sensors && sensors->count() > 0) {
        const QString path = loggerFolder.filePath(sensors->currentText() + ".txt");
        QFile logger(path);
        if (logger.open(QIODevice::WriteOnly)) {
            const QDateTime first(clock.now().date().addDays(-3), QTime(0, 15));
            for (int k = 0; k < 72; ++k) {
                const QString when =
                    k == 30
                        ? QStringLiteral("2000/01/01 00:00:80")
                        : first.addSecs(3600LL * k).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
                QString line =
                    when + QStringLiteral(",TR0042,71,001,%1").arg(18.0 + k % 24 * 0.25, 0, 'f', 1);
                for (int c = 1; c <= 10; ++c)
                    line +=
                        QStringLiteral(",%1").arg(c <= 6 ? 10.0 * c + k * 0.013 : 0.0, 0, 'f', 3);
                logger.write((line + QStringLiteral(",0\r\n")).toLatin1());
            }
            logger.close();
            prompter.file = path;
            tabs->setCurrentIndex(2);
            QTimer::singleShot(0, [&] {
                if (auto* review = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    // As wide as on a desktop screen (the offscreen one is
                    // narrow), down to a proposed line and a marked one.
                    review->resize(1180, review->height());
                    if (auto* grid = review->findChild<QTableView*>(QStringLiteral("MSFlexGrid1")))
                        grid->scrollTo(grid->model()->index(19, 0),
                                       QAbstractItemView::PositionAtTop);
                    QApplication::processEvents();
                    review->grab().save(out.filePath(QStringLiteral("import.png")));
                    review->reject();
                }
            });
            window.findChild<QToolButton*>(QStringLiteral("imgAddTroveData"))->click();
        }
    }
    // The report window, grabbed and cancelled: nothing is written.
    tabs->setCurrentIndex(2);
    QTimer::singleShot(0, [&] {
        if (auto* report = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            report->grab().save(out.filePath(QStringLiteral("report.png")));
            report->reject();
        }
    });
    window.findChild<QToolButton*>(QStringLiteral("imgReport"))->click();
    // The history of every change made above, down to the newest.
    QTimer::singleShot(0, [&] {
        if (auto* history = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            QApplication::processEvents();
            history->grab().save(out.filePath(QStringLiteral("history.png")));
            history->reject();
        }
    });
    tabs->setCurrentIndex(5);
    if (auto* command = window.findChild<QWidget*>(QStringLiteral("imgHistory")))
        QMetaObject::invokeMethod(command, "click");
    // The sample's trigger levels.
    QTimer::singleShot(0, [&] {
        if (auto* levels = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            QApplication::processEvents();
            levels->grab().save(out.filePath(QStringLiteral("trigger-levels.png")));
            levels->reject();
        }
    });
    tabs->setCurrentIndex(1);
    if (auto* command = window.findChild<QWidget*>(QStringLiteral("imgTriggerLevels")))
        QMetaObject::invokeMethod(command, "click");
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
    return failed == 0 ? 0 : 1;
}
