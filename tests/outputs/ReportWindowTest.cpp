// The report command driven through the real main window: the options window,
// the graphs drawn through their tabs, the files left in the data folder and
// what the user is told. The report of a sensor's readings runs on both engines.
#include "ReportPackage.h"
#include "support/WindowSupport.h"

#include "app/Texts.h"
#include "graphs/GraphSettings.h"
#include "outputs/Texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <qcustomplot.h>

using namespace testing_support;
using namespace reporttest;

namespace {

using Ticks = QList<bool>; // chkCover, chkTemp, chkSpatial

class ReportWindowTest : public WindowEngineTest {
protected:
    // The sensor with n readings ticked for both graphs, on the Readings tab;
    // the temperature's own axis as the stored preference.
    void startWith(int n, bool temperatureOwnAxis = false) {
        store::Database& db = openNewDatabase();
        addSensor(db, SensorRow{"201391005", "L12"});
        addReadings(db, "201391005", n);
        db.execute("UPDATE `201391005` SET PlotSpatial = 1");
        graphs::setTemperatureOwnAxis(db, temperatureOwnAxis);
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
        tabs()->setCurrentIndex(2);
        before = QDir(dataFolder).entryList(QDir::Files);
        reportFile = dataFile("Report 201391005.docx");
    }
    QTabWidget* tabs() const { return control<QTabWidget>("SSTab1"); }
    std::string newFiles() const {
        QStringList added =
            QDir(dataFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& e : before)
            added.removeAll(e);
        return joined(added);
    }
    // The report command: the options window, as it shows (kept in `shown`),
    // answered with ticks, when given, and a button.
    void report(const char* button, Ticks ticks = {}, const char* command = "imgReport") {
        onNextModal([=, this](QDialog* d) {
            EXPECT_EQ(d->objectName().toStdString(), "frmReport");
            EXPECT_EQ(d->windowTitle().toStdString(), "Tolvane Reporting");
            shown.clear();
            for (const char* name : {"chkCover", "chkTemp", "chkSpatial"}) {
                auto* box = d->findChild<QCheckBox*>(name);
                shown << box->isChecked();
                if (!ticks.isEmpty()) box->setChecked(ticks[shown.size() - 1]);
            }
            d->findChild<QPushButton*>(button)->click();
        });
        click(command);
    }
    std::vector<Paragraph> body() const {
        return paragraphs(unzip(reportFile).value("word/document.xml"));
    }
    static int pageBreaks(const std::vector<Paragraph>& list) {
        return int(std::count_if(list.begin(), list.end(), [](auto& p) { return p.pageBreak; }));
    }
    const app::Prompt& onlyPrompt() const {
        EXPECT_EQ(prompter.prompts.size(), 1u);
        return prompter.prompts.back();
    }

    QString reportFile;
    QStringList before;
    Ticks shown;
};

// The options window and the report's own file: nothing of them differs by engine.
class ReportFileTest : public ReportWindowTest {};

TEST_P(ReportFileTest, CancelStartsNothing) {
    startWith(3);
    report("cmdCancel", {}, "Label46");
    EXPECT_EQ(shown, Ticks({true, true, true}));
    EXPECT_EQ(newFiles(), "\n");
    EXPECT_EQ(tabs()->currentIndex(), 2);
    EXPECT_EQ(joined(desktop.opened), "\n");
    EXPECT_EQ(joined(promptTexts()), "\n");
}

TEST_P(ReportWindowTest, WritesTheChosenPagesAndKeepsTheChoice) {
    startWith(3);
    QApplication::clipboard()->setText("the engineer's own notes");
    report("cmdOK");
    EXPECT_EQ(joined(desktop.opened), joined({reportFile}));
    EXPECT_EQ(tabs()->currentIndex(), 2);
    EXPECT_EQ(joined(promptTexts()), "\n");
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "the engineer's own notes");
    EXPECT_EQ(newFiles(), "\nReport 201391005.docx\nSpatial.jpg\nTemporal.jpg");
    // At print resolution, in the chart's proportions.
    const QSize onScreen = control<QCustomPlot>("ChartT")->size();
    const QSize printed = QImage(dataFile("Temporal.jpg")).size();
    EXPECT_EQ(printed.width(), 2400);
    EXPECT_NEAR(double(printed.height()) / printed.width(),
                double(onScreen.height()) / onScreen.width(), 0.01);
    auto written = body();
    EXPECT_EQ(pageBreaks(written), 2);
    // With seven of the trigger levels and status: an empty line, the
    // heading, the line saying none are set and the data-age limit; an empty
    // line, the status heading and its table.
    ASSERT_EQ(written.size(), 33u);
    EXPECT_EQ(written[9].text.toStdString(), "   Level: L12");
    // The anchors of the sensor's type, measured from the first reading.
    const auto anchors = tables(unzip(reportFile).value("word/document.xml")).at(0);
    ASSERT_EQ(anchors.size(), 9u);
    EXPECT_EQ(anchors[1].join('|').toStdString(), "1|||0.00|2025/03/01 00:00:00");

    // Nothing ticked: the details and anchors alone, written all the same.
    report("cmdOK", Ticks{false, false, false});
    EXPECT_EQ(body().size(), 25u);
    report("cmdCancel");
    EXPECT_EQ(shown, Ticks({false, false, false}));
    EXPECT_EQ(desktop.opened.size(), 2);
}

// A graph of another sensor, or of nothing, is no page of this one's report.
TEST_P(ReportWindowTest, TooFewReadingsLeaveTheGraphPagesOut) {
    startWith(1);
    report("cmdOK");
    EXPECT_EQ(pageBreaks(body()), 0);
    EXPECT_EQ(tabs()->currentIndex(), 2);
    // Each graph tab refused, with its own hint, and went back to the readings.
    const QStringList shownTexts = promptTexts();
    ASSERT_EQ(shownTexts.size(), 2);
    EXPECT_TRUE(
        shownTexts[0].endsWith("Plot Temporal box on the Readings Tab is checked in each case."));
    EXPECT_TRUE(
        shownTexts[1].endsWith("Plot Spatial box on the Readings Tab is checked in each case."));
}

// The format and the temperature axis: a PDF beside where the .docx goes,
// without pictures left behind; the tick starts as the stored preference.
TEST_P(ReportWindowTest, WritesAPdfWhenChosen) {
    startWith(3, true);
    bool axisShown = false;
    onNextModal([&](QDialog* d) {
        axisShown = d->findChild<QCheckBox*>("chkReportTempAxis")->isChecked();
        d->findChild<QRadioButton*>("optPdf")->setChecked(true);
        d->findChild<QPushButton*>("cmdOK")->click();
    });
    click("imgReport");
    EXPECT_TRUE(axisShown);
    const QString pdf = dataFile("Report 201391005.pdf");
    EXPECT_EQ(joined(desktop.opened), joined({pdf}));
    EXPECT_EQ(newFiles(), "\nReport 201391005.pdf");
    EXPECT_TRUE(fileBytes(pdf).startsWith("%PDF-"));
    EXPECT_EQ(tabs()->currentIndex(), 2);
    EXPECT_EQ(joined(promptTexts()), "\n");

    bool pdfKept = false;
    onNextModal([&](QDialog* d) {
        pdfKept = d->findChild<QRadioButton*>("optPdf")->isChecked();
        d->findChild<QPushButton*>("cmdCancel")->click();
    });
    click("imgReport");
    EXPECT_TRUE(pdfKept);
}

TEST_P(ReportFileTest, SaysWhereTheReportIsWhenNothingOpensIt) {
    startWith(0);
    desktop.result = false;
    report("cmdOK", Ticks{true, false, false});
    EXPECT_EQ(onlyPrompt().text.toStdString(),
              outputs::texts::reportNotOpened(QDir::toNativeSeparators(reportFile)).toStdString());
    EXPECT_EQ(onlyPrompt().icon, app::Icon::Information);
    EXPECT_EQ(body().size(), 25u);
}

TEST_P(ReportFileTest, SaysWhenTheReportCannotBeSaved) {
    startWith(0);
    ASSERT_TRUE(QDir().mkdir(reportFile));
    before << QFileInfo(reportFile).fileName();
    expectLog(" imgReport_Click");
    report("cmdOK", Ticks{true, false, false});
    EXPECT_EQ(onlyPrompt().text.toStdString(),
              outputs::texts::reportNotSaved(QDir::toNativeSeparators(reportFile)).toStdString());
    EXPECT_EQ(onlyPrompt().icon, app::Icon::Warning);
    EXPECT_EQ(joined(desktop.opened), "\n");
    EXPECT_EQ(newFiles(), "\nMPBX_logfile.txt");
}

// The same readings on a file and on a server make the same report: every
// paragraph, every table cell and the same pictures' sizes.
class ReportAsOnFileTest : public ReportWindowTest {
protected:
    struct Written {
        std::string text;
        std::vector<std::vector<QStringList>> tables;
        QSize temporal, spatial;
    };
    Written reportOn(Engine on) {
        engine = on;
        startWith(17, true);
        if (on == Engine::Server) {
            EXPECT_FALSE(QFileInfo::exists(dataFile("TolvaneMPBX.mdb")));
        }
        report("cmdOK", Ticks{true, true, true});
        const QByteArray document = unzip(reportFile).value("word/document.xml");
        Written w{describe(paragraphs(document)), tables(document),
                  QImage(dataFile("Temporal.jpg")).size(), QImage(dataFile("Spatial.jpg")).size()};
        closeWindow();
        for (const char* made : {"Report 201391005.docx", "Temporal.jpg", "Spatial.jpg"})
            QFile::remove(dataFile(made));
        return w;
    }
};

TEST_P(ReportAsOnFileTest, TheServersReportIsTheFiles) {
    const Written onFile = reportOn(Engine::File);
    leaveTheFile();
    const Written onServer = reportOn(Engine::Server);
    EXPECT_EQ(onServer.text, onFile.text);
    EXPECT_EQ(onServer.tables, onFile.tables);
    EXPECT_EQ(onServer.temporal, onFile.temporal);
    EXPECT_EQ(onServer.spatial, onFile.spatial);
    ASSERT_FALSE(onFile.tables.empty());
    EXPECT_EQ(onFile.tables[0].size(), 9u); // the anchors were there to compare
    EXPECT_EQ(desktop.opened.size(), 2);
    EXPECT_EQ(joined(promptTexts()), "\n");
}

TOLVANE_ON_BOTH_ENGINES(ReportWindowTest);
TOLVANE_ON_FILE_ONLY(ReportFileTest);
INSTANTIATE_TEST_SUITE_P(Server, ReportAsOnFileTest, ::testing::Values(Engine::Server), engineName);

} // namespace
