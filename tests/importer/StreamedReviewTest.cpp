// The review window on a file too large to hold: its first and last lines
// under their own line numbers, the message saying what is not shown, and
// an append that takes the shown ticks as left and the others as proposed.
#include "support/Support.h"

#include "importer/Texts.h"
#include "importer/TroveData.h"
#include "importer/ui/ReviewDialog.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

using namespace testing_support;
using namespace importer;

namespace {

class StreamedReviewTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        addSensor(openNewDatabase(), Sensor);
    }
    static QString hourly(int k) {
        return QDateTime(QDate(2025, 4, 1), QTime(6, 0))
            .addSecs(3600LL * k)
            .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    }
    // Hourly lines; channel 1 holds the line's number.
    std::unique_ptr<TextFile> open(int lines, const ReadLimits& limits) {
        QByteArray bytes;
        for (int k = 0; k < lines; ++k)
            bytes += (hourly(k) + QStringLiteral(",TR01,91,005,20.0,%1\r\n").arg(k + 1)).toLatin1();
        const QString path = documents.filePath(Sensor + ".txt");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        return openLoggerText(dataFolder, path, limits);
    }
    static ReadLimits showing(int shownLines) {
        ReadLimits l;
        l.wholeFileBytes = 0;
        l.chunkRows = 7;
        l.shownLines = shownLines;
        return l;
    }
    std::vector<int> stored() {
        std::vector<int> lines;
        store::Statement st = state->database().prepare(
            QStringLiteral("SELECT Channel1 FROM `%1` ORDER BY FullDate").arg(Sensor));
        while (st.step())
            lines.push_back(int(st.int64(0)));
        return lines;
    }
    const sensors::CurrentSensor sensor{QStringLiteral("201391005"), QStringLiteral("91"), 3, true};
    const QString Sensor = sensor.number;
};

TEST_F(StreamedReviewTest, ShowsTheFirstAndLastLinesAndAppendsTheRestAsProposed) {
    const auto file = open(50, showing(4));
    ASSERT_TRUE(file->streamed());
    ReviewDialog w(*state, sensor, file.get(), 8);
    auto* grid = w.findChild<QTableView*>(QStringLiteral("MSFlexGrid1"));
    QAbstractItemModelTester tester(grid->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto* shown = w.findChild<QLabel*>(QStringLiteral("lblShown"));
    EXPECT_FALSE(shown->isHidden());
    EXPECT_EQ(shown->text(), "Showing the first and last 4 of 50 lines; the 42 lines between are "
                             "appended as proposed.");

    QStringList numbers, cells, ticks;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        numbers << grid->model()->headerData(r, Qt::Vertical).toString();
        cells << grid->model()->index(r, 5).data().toString();
        ticks << (w.model().isTicked(r) ? "1" : "0");
    }
    EXPECT_EQ(numbers.join(' '), "1 2 3 4 47 48 49 50");
    EXPECT_EQ(cells.join(' '), "1 2 3 4 47 48 49 50");
    // Every eighth hour from line 1: lines 41 and 49 are ticked, 41 unseen.
    EXPECT_EQ(ticks.join(""), "10000010");

    w.model().flip(1); // line 2
    w.model().flip(6); // line 49
    w.model().flip(7); // line 50
    prompter.answer(app::Answer::Yes);
    w.findChild<QPushButton*>(QStringLiteral("cmdAppend"))->click();
    EXPECT_EQ(stored(), (std::vector<int>{1, 2, 9, 17, 25, 33, 41, 50}));
    EXPECT_EQ(prompter.prompts.back().text, " 8 records appended to 201391005");
}

TEST_F(StreamedReviewTest, AFileShownWholeSaysNothingOfLinesLeftOut) {
    for (const ReadLimits& limits : {ReadLimits{}, showing(30)}) {
        const auto file = open(50, limits);
        ReviewDialog w(*state, sensor, file.get(), 24);
        EXPECT_TRUE(w.findChild<QLabel*>(QStringLiteral("lblShown"))->isHidden());
        EXPECT_EQ(w.model().rowCount(), 50);
        EXPECT_EQ(w.model().headerData(49, Qt::Vertical).toInt(), 50);
    }
}

TEST_F(StreamedReviewTest, AFileThatCannotBeReadAgainAppendsNothing) {
    const auto file = open(50, showing(4));
    QFile::resize(dataFile(texts::ImportWorkingFile), 100);
    expectLog(texts::ImportLabel);
    ReviewDialog w(*state, sensor, file.get(), 8);
    EXPECT_EQ(w.model().rowCount(), 0);
    EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("cmdAppend"))->isEnabled());
    EXPECT_TRUE(w.findChild<QLabel*>(QStringLiteral("lblHeader"))
                    ->text()
                    .startsWith("Nothing of the file was imported:"));
}

} // namespace
