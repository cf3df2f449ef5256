// tolvane-cli run while the window is open on the same data folder: what the
// tool stores shows at the window's next reading of the table, and the
// window's own work goes on.
#include "support/WindowSupport.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>

using namespace testing_support;

namespace {

class ToolBesideWindowTest : public WindowTest {
protected:
    int tool(const QStringList& arguments) {
        QProcess p;
        p.start(QStringLiteral(TOLVANE_CLI),
                QStringList{QStringLiteral("--documents"), documents.path()} + arguments);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.readAllStandardError(), QByteArray());
        return p.exitCode();
    }
};

TEST_F(ToolBesideWindowTest, TheWindowShowsWhatTheToolStoredAtItsNextRequery) {
    const QString sensor = QStringLiteral("202541001");
    makeDefaultDatabase({sensor});
    ASSERT_TRUE(startWindow());
    auto* tabs = control<QTabWidget>("SSTab1");
    tabs->setCurrentIndex(2);
    EXPECT_EQ(control<QLineEdit>("txtRcount")->text(), "0 of 0");

    const QString file = documents.filePath(sensor + ".txt");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("2025/04/01 06:00:00,TR01,91,005,21.46,1,2,3\r\n"
            "2025/04/01 07:00:00,TR01,91,005,21.46,1,2,3\r\n");
    f.close();
    EXPECT_EQ(tool({"import", file, "--sensor", sensor, "--all"}), 0);
    tabs->setCurrentIndex(1);
    tabs->setCurrentIndex(2);
    EXPECT_EQ(control<QLineEdit>("txtRcount")->text().toStdString(), "2 of 2");

    // The window writes on; the tool reads what it wrote.
    click("imgAddReading");
    tabs->setCurrentIndex(1);
    QProcess p;
    p.start(QStringLiteral(TOLVANE_CLI), {"--documents", documents.path(), "sensors"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_TRUE(p.readAllStandardOutput().contains(" 3 ")) << "three readings listed";
}

} // namespace
