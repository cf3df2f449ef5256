// TOA5 files and folders of them through the real main window: the mapping
// step the first time, none the next, and a folder's summary.
#include "support/WindowSupport.h"

#include "importer/Texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace testing_support;

namespace {

const QString Sensor = QStringLiteral("201391005");

QByteArray toa5(const QByteArray& lines) {
    return "\"TOA5\",\"Mine1\",\"CR1000X\",\"1\",\"OS\",\"P\",\"9\",\"Hourly\"\r\n"
           "\"TIMESTAMP\",\"RECORD\",\"Therm\",\"Disp(1)\"\r\n"
           "\"TS\",\"RN\",\"Ohm\",\"mm\"\r\n\"\",\"\",\"Smp\",\"Smp\"\r\n" +
           lines;
}

class LoggerWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        store::Database& db = openNewDatabase();
        addSensor(db, Sensor);
        state->releaseDatabase();
        ASSERT_TRUE(startWindow());
        control<QTabWidget>("SSTab1")->setCurrentIndex(2);
    }
    QString write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        EXPECT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(clock.now().addSecs(-3600), QFileDevice::FileModificationTime);
        return path;
    }
    int readings() const {
        auto db = store::Database::open(dataFile(QStringLiteral("TolvaneMPBX.mdb")), true);
        return rowCount(*db, Sensor);
    }
};

TEST_F(LoggerWindowTest, TheMappingStepComesOnceAndIsSavedForTheLogger) {
    const QString path =
        write(documents.filePath("site.dat"), toa5("\"2025-04-01 06:00:00\",0,3000,1.5\r\n"));
    prompter.chooseFile(path);
    bool stepped = false;
    onNextModal([&](QDialog* step) {
        stepped = true;
        EXPECT_EQ(step->objectName(), "frmMapping");
        EXPECT_EQ(step->findChild<QLabel*>("lblField4")->text(), "Disp(1)");
        // The timestamp is taken for the time; the rest waits to be chosen.
        EXPECT_EQ(step->findChild<QComboBox*>("cboTarget1")->currentText(), "time");
        EXPECT_EQ(step->findChild<QComboBox*>("cboUnit3")->currentText(), "ohm");
        step->findChild<QComboBox*>("cboTarget3")->setCurrentText("temperature");
        step->findChild<QComboBox*>("cboTarget4")->setCurrentText("channel1");
        // A column chosen twice is told, and Import waits for a sound choice.
        step->findChild<QComboBox*>("cboTarget2")->setCurrentText("channel1");
        EXPECT_FALSE(step->findChild<QPushButton*>("cmdMapOk")->isEnabled());
        EXPECT_FALSE(step->findChild<QLabel*>("lblMapProblem")->text().isEmpty());
        step->findChild<QComboBox*>("cboTarget2")->setCurrentText("");
        step->findChild<QPushButton*>("cmdMapOk")->click();
    });
    prompter.answer(app::Answer::Ok);
    click("imgImportLogger");
    EXPECT_TRUE(stepped);
    EXPECT_EQ(prompter.fileFilters.back(), importer::texts::LoggerFileFilter);
    ASSERT_EQ(prompter.prompts.size(), 1u) << promptTexts().join(" / ").toStdString();
    EXPECT_TRUE(prompter.prompts[0].text.startsWith("site.dat: 1 reading(s) appended to sensor "
                                                    "201391005"))
        << prompter.prompts[0].text.toStdString();
    EXPECT_EQ(readings(), 1);
    EXPECT_EQ(control<QLineEdit>("txtRcount")->text(), "1 of 1");

    // The next file of the logger, through the old command too: no step.
    prompter.chooseFile(
        write(documents.filePath("site2.dat"), toa5("\"2025-04-01 07:00:00\",1,3000,1.75\r\n")));
    prompter.answer(app::Answer::Ok);
    click("imgAddTroveData");
    EXPECT_EQ(prompter.prompts.size(), 2u);
    EXPECT_EQ(readings(), 2);
}

TEST_F(LoggerWindowTest, AFolderIsImportedWithASummaryAndArchivedOnRequest) {
    QDir folder(documents.filePath("loggers"));
    ASSERT_TRUE(folder.mkpath("."));
    write(folder.filePath(Sensor + ".txt"),
          "2025/04/01 06:00:00,TR01,91,005,21.46,1,2,3,4,5,6,7,8,9,10,x\r\n");
    write(folder.filePath("other.dat"), toa5("\"2025-04-01 06:00:00\",0,3000,1.5\r\n"));
    control<QCheckBox>("chkArchiveImported")->setChecked(true);
    prompter.chooseFile(folder.filePath("other.dat")); // any file names its folder
    prompter.answer(app::Answer::Ok);
    click("imgImportFolder");
    ASSERT_EQ(prompter.prompts.size(), 1u);
    const QString summary = prompter.prompts[0].text;
    EXPECT_TRUE(summary.contains("201391005.txt: imported, sensor 201391005: 1 appended"))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("other.dat: not mapped")) << summary.toStdString();
    EXPECT_EQ(readings(), 1);
    EXPECT_TRUE(QFile::exists(folder.filePath("imported/2026-12-07/" + Sensor + ".txt")));
    EXPECT_TRUE(QFile::exists(folder.filePath("other.dat")));
}

} // namespace
