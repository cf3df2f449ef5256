// The report's trigger levels and the sensor's status at the report date,
// written from the database as the window and the tool write it, read back
// from the .docx by python-docx and from the PDF by pdftotext.
#include "ReportPackage.h"
#include "support/Support.h"

#include "levels/TriggerLevels.h"
#include "outputs/ui/ReportWriter.h"

#include <QProcess>
#include <QStandardPaths>

using namespace testing_support;
using namespace reporttest;

namespace {

const QString Sensor = QStringLiteral("202551001"); // four anchors, head at the collar

class ReportLevelsTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
        addSensor(*db, Sensor);
        // Anchor 3 at 0, 1.2, 3.0 and 4.0 mm, hourly from 2025/03/01 00:00.
        addReadings(*db, Sensor, 4);
        db->execute(QStringLiteral("UPDATE `%1` SET Channel1 = 10, Channel2 = 10, Channel4 = 10, "
                                   "Channel3 = CASE substr(FullDate, 12, 2) WHEN '00' THEN 10 "
                                   "WHEN '01' THEN 8.8 WHEN '02' THEN 7 ELSE 6 END")
                        .arg(Sensor));
    }
    void setThresholds() {
        const auto site = levels::siteLevels(*db);
        levels::SensorTriggers t;
        t.windowHours = 2;
        t.staleAfterHours = 48;
        t.displacement[0] = levels::parseThresholds("Alert=3,Alarm=10,Action=20", site, "");
        t.displacement[3] = levels::parseThresholds("Alert=2.5,Alarm=5", site, "");
        t.rate[0] = levels::parseThresholds("Alarm=50", site, "");
        levels::setSensorTriggers(*db, Sensor, t);
    }
    QString write(outputs::ReportFormat format, const QDateTime& date) {
        outputs::ReportJob job;
        job.sensor = Sensor;
        job.choice.format = format;
        job.target = outputs::reportPath(dataFolder, Sensor, format);
        job.pictureFolder = dataFolder;
        job.date = date;
        outputs::writeReport(*db, job);
        return job.target;
    }
    // From the levels' heading on: headings, other paragraphs, then the tables
    // after the anchors'.
    std::string levelsPart(const QString& python, const QString& docx) {
        const char* script = R"(
import sys, docx
d = docx.Document(sys.argv[1])
on = False
for p in d.paragraphs:
    on = on or p.text == 'Trigger levels'
    if on and p.text:
        print((p.style.name + ': ' if p.style.name.startswith('Heading') else '') + p.text)
for t in d.tables[1:]:
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
    store::Database* db = nullptr;
};

TEST_F(ReportLevelsTest, TheDocxListsTheLevelsAndTheStatusAtTheReportDate) {
    const QString python = pythonWithDocx();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with python-docx (python3-docx) is not installed";
    const QDateTime date(QDate(2025, 3, 1), QTime(2, 30));
    EXPECT_EQ(levelsPart(python, write(outputs::ReportFormat::Docx, date)),
              "Heading 2: Trigger levels\n"
              "No trigger levels are set for this sensor.\n"
              "   No new data after: off.\n"
              "Heading 2: Status at 2025/03/01 02:30:00\n"
              "--\n"
              "Status|Anchor|Displacement (mm)|Rate (mm/day)|Latest reading|Age\n"
              "normal|3|3.00||2025/03/01 02:00:00|0 h\n");

    // Anchor 3 held to its own Alert of 2.5 mm; the reading of 03:00 comes
    // after the report date and does not count.
    setThresholds();
    EXPECT_EQ(levelsPart(python, write(outputs::ReportFormat::Docx, date)),
              "Heading 2: Trigger levels\n"
              "   Rate over the last 2 h before each reading.\n"
              "   No new data after: 48 h.\n"
              "Heading 2: Status at 2025/03/01 02:30:00\n"
              "--\n"
              "Level|Displacement (mm)|Anchors' own (mm)|Rate (mm/day)|Anchors' own (mm/day)\n"
              "Alert|3.00|Anchor 3: 2.50||\n"
              "Alarm|10.00|Anchor 3: 5.00|50.00|\n"
              "Action|20.00|Anchor 3: none||\n"
              "--\n"
              "Status|Anchor|Displacement (mm)|Rate (mm/day)|Latest reading|Age\n"
              "Alert by displacement|3|3.00|36.00|2025/03/01 02:00:00|0 h\n");
}

TEST_F(ReportLevelsTest, ThePdfListsThemToo) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    setThresholds();
    // At the clock's now the last reading is long past the 48 hours.
    QProcess p;
    p.start(pdftotext, {"-layout", write(outputs::ReportFormat::Pdf, clock.time), "-"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* expected :
         {"Trigger levels", "Anchor 3: none", "Rate over the last 2 h", "No new data after: 48 h",
          "Status at 2026/12/07 15:04:05", "no new data", "4.00", "33.60"})
        EXPECT_TRUE(text.contains(expected)) << expected << "\n" << text.toStdString();
    EXPECT_LT(text.indexOf("Displacement of the latest reading"), text.indexOf("Trigger levels"));
    EXPECT_LT(text.indexOf("Trigger levels"), text.indexOf("Status at"));
}

} // namespace
