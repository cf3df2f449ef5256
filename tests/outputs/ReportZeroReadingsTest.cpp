// A report of a sensor with stored zero readings, written from the database
// as the window and the tool write it: the anchors measured from the zero in
// force and every zero listed below them, in the .docx and the PDF alike.
#include "ReportPackage.h"
#include "support/Support.h"

#include "outputs/ui/ReportWriter.h"
#include "readings/Quality.h"
#include "readings/ZeroHistory.h"

#include <QProcess>
#include <QStandardPaths>

using namespace testing_support;
using namespace reporttest;

namespace {

const QString Sensor = QStringLiteral("202551001"); // four anchors, head at the collar
const std::string Status = "--\nStatus|Anchor|Displacement (mm)|Rate (mm/day)|Latest reading|Age\n";

class ReportZeroReadingsTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
        addSensor(*db, Sensor);
        // Anchor 3 at 4.20 mm, replaced, then 0.10 mm from its new zero.
        addReadings(*db, Sensor, 4);
        db->execute(QStringLiteral("UPDATE `%1` SET Channel1 = 10, Channel2 = 10, Channel4 = 10, "
                                   "Channel3 = CASE substr(FullDate, 12, 2) WHEN '00' THEN 10 "
                                   "WHEN '01' THEN 5.80 WHEN '02' THEN 50 ELSE 49.90 END")
                        .arg(Sensor));
    }
    static QString at(int hour) { return QStringLiteral("2025-03-01 0%1:00:00").arg(hour); }
    void storeZeros() {
        const qint64 wrong = readings::setZero(*db, Sensor, at(1), "entered by mistake", false);
        readings::retireZero(*db, Sensor, wrong, "wrong hour");
        readings::setZero(*db, Sensor, at(2), "anchor 3 replaced", true);
    }
    QString write(outputs::ReportFormat format) {
        outputs::ReportJob job;
        job.sensor = Sensor;
        job.choice.format = format;
        job.target = outputs::reportPath(dataFolder, Sensor, format);
        job.pictureFolder = dataFolder;
        job.date = clock.time;
        outputs::writeReport(*db, job);
        return job.target;
    }
    // The headings and tables as python-docx reads them.
    std::string readByPythonDocx(const QString& python, const QString& docx) {
        const char* script = R"(
import sys, docx
d = docx.Document(sys.argv[1])
for p in d.paragraphs:
    if p.style.name.startswith('Heading'):
        print(p.style.name + ': ' + p.text)
for t in d.tables:
    print('--')
    for row in t.rows:
        print('|'.join(c.text for c in row.cells))
)";
        QProcess p;
        p.start(python, {"-c", script, docx});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()).toStdString(), "");
        return QString::fromUtf8(p.readAllStandardOutput()).toStdString();
    }
    // "retired <when> by <who>: wrong hour", then who set each and when, as stored.
    std::vector<std::string> storedStamps() {
        const auto zeros = readings::zeroReadings(*db, Sensor);
        const auto shown = [](const QString& s) {
            return QDateTime::fromString(s, "yyyy-MM-dd HH:mm:ss").toString("yyyy/MM/dd HH:mm:ss");
        };
        return {("retired " + shown(zeros.at(0).retiredAt) + " by " + zeros.at(0).retiredBy +
                 ": wrong hour")
                    .toStdString(),
                (zeros.at(0).setBy + "|" + shown(zeros.at(0).setAt)).toStdString(),
                (zeros.at(1).setBy + "|" + shown(zeros.at(1).setAt)).toStdString()};
    }
    store::Database* db = nullptr;
};

TEST_F(ReportZeroReadingsTest, TheDocxListsEveryZeroBelowTheAnchors) {
    const QString python = pythonWithDocx();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with python-docx (python3-docx) is not installed";
    // Without stored zeros, the report as it always was: one table, measured
    // from the earliest reading.
    const std::string plain = readByPythonDocx(python, write(outputs::ReportFormat::Docx));
    // The trigger levels (none) and the status follow them.
    EXPECT_EQ(plain, "Heading 1: REPORT FOR SENSOR 202551001\n"
                     "Heading 2: Anchors\n"
                     "Heading 2: Trigger levels\n"
                     "Heading 2: Status at 2026/12/07 15:04:05\n"
                     "--\n"
                     "Anchor|Depth from collar (m)|Depth from roof (m)|Displacement (mm)|Zero "
                     "reading\n"
                     "1|||0.00|2025/03/01 00:00:00\n"
                     "2|||0.00|2025/03/01 00:00:00\n"
                     "3|||-39.90|2025/03/01 00:00:00\n"
                     "4|||0.00|2025/03/01 00:00:00\n" +
                         Status + "normal|3|-39.90||2025/03/01 03:00:00|646 d 12 h\n");

    storeZeros();
    const std::vector<std::string> stamps = storedStamps();
    EXPECT_EQ(readByPythonDocx(python, write(outputs::ReportFormat::Docx)),
              "Heading 1: REPORT FOR SENSOR 202551001\n"
              "Heading 2: Anchors\n"
              "Heading 2: Zero readings\n"
              "Heading 2: Trigger levels\n"
              "Heading 2: Status at 2026/12/07 15:04:05\n"
              "--\n"
              "Anchor|Depth from collar (m)|Depth from roof (m)|Displacement (mm)|Zero reading\n"
              "1|||0.00|2025/03/01 02:00:00\n"
              "2|||0.00|2025/03/01 02:00:00\n"
              "3|||4.30|2025/03/01 02:00:00\n"
              "4|||0.00|2025/03/01 02:00:00\n"
              "--\n"
              "Moment|Reason|Carry-over|Set by|Set on|Status\n"
              "2025/03/01 01:00:00|entered by mistake|no|" +
                  stamps[1] + "|" + stamps[0] + "\n2025/03/01 02:00:00|anchor 3 replaced|yes|" +
                  stamps[2] + "|in force\n" + Status +
                  "normal|3|4.30||2025/03/01 03:00:00|646 d 12 h\n");
}

TEST_F(ReportZeroReadingsTest, ThePdfListsThemToo) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const auto text = [&] {
        QProcess p;
        p.start(pdftotext, {"-layout", write(outputs::ReportFormat::Pdf), "-"});
        EXPECT_TRUE(p.waitForFinished(60000));
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    EXPECT_FALSE(text().contains("Zero readings"));
    storeZeros();
    const QString withZeros = text();
    for (const char* expected :
         {"4.30", "Zero readings", "Moment", "replaced", "mistake", "in force", "wrong"})
        EXPECT_TRUE(withZeros.contains(expected)) << expected << "\n" << withZeros.toStdString();
    // The zeros follow the anchors.
    EXPECT_LT(withZeros.indexOf("Displacement of the latest reading"),
              withZeros.indexOf("Zero readings"));
}

} // namespace
