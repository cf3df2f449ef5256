// The report document read back from its package: the paragraphs in order with
// their type, the graph pages, the header logo, awkward text, and the files
// left when something cannot be read or written.
#include "ReportPackage.h"
#include "support/Support.h"

#include "app/TextFormat.h"
#include "outputs/ReportDocument.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>
#include <QImage>

using namespace testing_support;
using namespace reporttest;
using outputs::ReportGraph;

namespace {

class ReportDocumentTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        for (auto [name, size] : {std::pair("vnlogo.jpg", QSize(600, 200)),
                                  {"Temporal.jpg", QSize(850, 638)},
                                  {"Spatial.jpg", {850, 638}}}) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            image.save(dataFile(name), "JPG");
        }
        logo = dataFile("vnlogo.jpg");
        timeGraph = {"Disp v Time", dataFile("Temporal.jpg")};
        lengthGraph = {"Disp v Length", dataFile("Spatial.jpg")};
        target = dataFile("Report 201391005.docx");
    }
    QMap<QString, QByteArray> write(const std::vector<ReportGraph>& graphs) {
        outputs::saveDocx(outputs::reportDocument(sensor, clock.time, graphs, logo), target);
        return unzip(target);
    }
    void overwrite(const QString& path, const QByteArray& content) const {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QStringList entries() const {
        return QDir(dataFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    outputs::ReportSensor sensor{"201391005",     "q1MPBX",   "EX",
                                 "2013/12/03",    "J. Smith", "L12",
                                 "Drive 4 North", "Roof",     "Near the crusher"};
    QString logo, target;
    ReportGraph timeGraph, lengthGraph;
};

class ReportGraphPages : public ReportDocumentTest,
                         public ::testing::WithParamInterface<std::pair<bool, bool>> {};

TEST_P(ReportGraphPages, FollowTheDetailsEachOnAPageOfItsOwn) {
    std::vector<ReportGraph> graphs;
    if (GetParam().first) graphs.push_back(timeGraph);
    if (GetParam().second) graphs.push_back(lengthGraph);
    auto parts = write(graphs);
    const auto body = paragraphs(parts["word/document.xml"]);

    QStringList expected{"|0|bold",
                         "|32|bold",
                         "REPORT FOR SENSOR 201391005|32|bold",
                         "|24",
                         "   Report Date: " + app::shortDate(clock.time.date()) + "|24",
                         "   Sensor Number: 201391005|24",
                         "   Sensor Type: q1MPBX EX|24",
                         "   Date Installed: 2013/12/03|24",
                         "   Installed By: J. Smith|24",
                         "   Level: L12|24",
                         "   Location: Drive 4 North|24",
                         "   Purpose: Roof|24",
                         "   Notes: Near the crusher|24"};
    QList<QByteArray> pictures;
    for (const ReportGraph& g : graphs) {
        expected << g.heading + "|24|page"
                 << "|24|picture"
                 << "   Notes:|24";
        pictures << fileBytes(g.picture);
    }
    expected << "|24";
    EXPECT_EQ(describe(body), joined(expected));
    QList<QByteArray> shown;
    for (const Paragraph& p : body)
        for (const QString& id : p.pictures)
            shown << parts["word/" + relTarget(parts["word/_rels/document.xml.rels"], id)];
    EXPECT_EQ(shown, pictures);
}

INSTANTIATE_TEST_SUITE_P(Choices, ReportGraphPages,
                         ::testing::Values(std::pair(false, false), std::pair(true, false),
                                           std::pair(false, true), std::pair(true, true)));

TEST_F(ReportDocumentTest, CarriesTheLogoCentredInTheHeaderOfEveryPage) {
    auto parts = write({timeGraph});
    EXPECT_TRUE(parts["word/document.xml"].contains(
        R"(<w:sectPr><w:headerReference w:type="default" r:id="rId3"/>)"));
    EXPECT_EQ(relTarget(parts["word/_rels/document.xml.rels"], "rId3"), "header1.xml");
    EXPECT_TRUE(parts["[Content_Types].xml"].contains(
        R"(PartName="/word/header1.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml")"));
    EXPECT_TRUE(parts["word/header1.xml"].contains(R"(<w:jc w:val="center"/>)"));
    const auto header = paragraphs(parts["word/header1.xml"]);
    ASSERT_EQ(describe(header), "\n|0|picture");
    const QString media = relTarget(parts["word/_rels/header1.xml.rels"], header[0].pictures[0]);
    EXPECT_EQ(media.toStdString(), "media/image1.jpeg");
    EXPECT_EQ(parts["word/" + media], fileBytes(logo));
}

TEST_F(ReportDocumentTest, KeepsAwkwardTextAsTyped) {
    sensor.InstallDate.clear();
    sensor.InstallBy = "<b>O'Neil & \"Sons\"</b>";
    sensor.Notes = "  cracked\r\nroof\tbolt \x01]]>";
    const auto body = paragraphs(write({})["word/document.xml"]);
    ASSERT_EQ(body.size(), 14u) << describe(body);
    EXPECT_EQ(body[7].text.toStdString(), "   Date Installed: ");
    EXPECT_EQ(body[8].text.toStdString(), "   Installed By: <b>O'Neil & \"Sons\"</b>");
    EXPECT_EQ(body[12].text.toStdString(), "   Notes:   cracked\nroof\tbolt ]]>");
    EXPECT_EQ(outputs::reportPath(dataFolder, "../12:3").toStdString(),
              dataFile("Report .._12_3.docx").toStdString());
}

// The logo is decoration: without one the report is still made.
class ReportWithoutLogo : public ReportDocumentTest,
                          public ::testing::WithParamInterface<const char*> {};

TEST_P(ReportWithoutLogo, HasAnEmptyHeader) {
    QFile::remove(logo);
    if (GetParam()) overwrite(logo, GetParam());
    auto parts = write({});
    EXPECT_EQ(describe(paragraphs(parts["word/header1.xml"])), "\n|0");
    EXPECT_FALSE(parts.contains("word/media/image1.jpeg"));
}

INSTANTIATE_TEST_SUITE_P(Logos, ReportWithoutLogo,
                         ::testing::Values(nullptr, "", "not a picture at all"));

// A report that cannot be made leaves the earlier one and nothing else.
enum class Broken { GraphMissing, GraphNotAPicture, FolderInThePlace };
class ReportNotWritten : public ReportDocumentTest, public ::testing::WithParamInterface<Broken> {};

TEST_P(ReportNotWritten, LeavesTheEarlierReport) {
    write({timeGraph});
    const QByteArray earlier = fileBytes(target);
    if (GetParam() == Broken::GraphMissing) QFile::remove(timeGraph.picture);
    if (GetParam() == Broken::GraphNotAPicture) overwrite(timeGraph.picture, "GIF89a broken");
    if (GetParam() == Broken::FolderInThePlace) {
        QFile::remove(target);
        ASSERT_TRUE(QDir().mkdir(target));
    }
    const QStringList present = entries();
    EXPECT_THROW(write({timeGraph, lengthGraph}), store::Error);
    EXPECT_EQ(joined(entries()), joined(present));
    EXPECT_EQ(fileBytes(target), GetParam() == Broken::FolderInThePlace ? "" : earlier);
}

INSTANTIATE_TEST_SUITE_P(Failures, ReportNotWritten,
                         ::testing::Values(Broken::GraphMissing, Broken::GraphNotAPicture,
                                           Broken::FolderInThePlace));

} // namespace
