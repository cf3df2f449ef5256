// The report written as a PDF by the program itself (it needs a
// QGuiApplication for its fonts): its pages, where the graphs are drawn, its
// text as a PDF reader finds it, and a target that cannot be written.
#include "support/Support.h"

#include "outputs/ReportDocument.h"
#include "store/Error.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

using namespace testing_support;

namespace {

class ReportPdfTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        QImage logo(600, 200, QImage::Format_RGB32);
        logo.fill(Qt::darkCyan);
        logo.save(dataFile("vnlogo.jpg"), "JPG");
        report.sensor = {"201391005", "q1MPBX",  "EX",   "2013/12/03",      "J. Smith",
                         "L12",       "Drive 4", "Roof", "Near the crusher"};
        report.date = clock.time;
        report.logo = dataFile("vnlogo.jpg");
        outputs::AnchorTable anchors;
        anchors.latestReading = "2026/12/06 12:00:00";
        anchors.rows = {{"1", "2.50", "2.80", "-0.42", "2025/03/01 00:00:00"}};
        report.anchors = anchors;
        for (const char* heading : {"Disp v Time", "Disp v Length"}) {
            outputs::ReportGraph g;
            g.heading = heading;
            g.shape = QSize(850, 638);
            g.draw = [this](QPainter& painter, const QRectF& rect) {
                drawn << rect;
                painter.drawLine(rect.topLeft(), rect.bottomRight());
            };
            report.graphs.push_back(g);
        }
        target = dataFile("Report 201391005.pdf");
    }
    outputs::Report report;
    QString target;
    QList<QRectF> drawn;
};

TEST_F(ReportPdfTest, DrawsEachGraphAsWideAsTheTextOnAPageOfItsOwn) {
    outputs::saveReportPdf(report, target);
    const QByteArray pdf = fileBytes(target);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.contains("/Count 3")) << "a page for the details, one for each graph";
    ASSERT_EQ(drawn.size(), 2);
    const QSize page = outputs::localPageTwips(); // the writer counts in twips
    for (const QRectF& r : drawn) {
        EXPECT_DOUBLE_EQ(r.left(), 1440);
        EXPECT_DOUBLE_EQ(r.width(), page.width() - 2 * 1440);
        EXPECT_NEAR(r.height() / r.width(), 638.0 / 850.0, 1e-6);
        EXPECT_LT(r.bottom(), page.height() - 1440);
    }
    EXPECT_EQ(QDir(dataFolder).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString(),
              "Report 201391005.pdf vnlogo.jpg");
}

// What a PDF reader finds, where poppler's pdftotext is installed.
TEST_F(ReportPdfTest, ReadsAsTextToAPdfReader) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    outputs::saveReportPdf(report, target);
    QProcess p;
    p.start(pdftotext, {"-layout", target, "-"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* expected :
         {"REPORT FOR SENSOR 201391005", "Report Date: 2026/12/07 15:04:05", "Level: L12",
          "Anchors", "from collar", "2025/03/01 00:00:00", "-0.42", "Page 1 of 3", "Disp v Time",
          "Page 2 of 3", "Disp v Length", "Notes:", "Page 3 of 3"})
        EXPECT_TRUE(text.contains(expected)) << expected << "\n" << text.toStdString();
}

TEST_F(ReportPdfTest, LeavesTheEarlierFileWhenItCannotBeWritten) {
    ASSERT_TRUE(QDir().mkdir(target));
    EXPECT_THROW(outputs::saveReportPdf(report, target), store::Error);
    EXPECT_EQ(QDir(dataFolder)
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                  .join(' ')
                  .toStdString(),
              "Report 201391005.pdf vnlogo.jpg");
}

} // namespace
