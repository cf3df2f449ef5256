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
#include <QProcess>
#include <QRegularExpression>

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
        timeGraph.heading = "Disp v Time";
        timeGraph.picture = dataFile("Temporal.jpg");
        lengthGraph.heading = "Disp v Length";
        lengthGraph.picture = dataFile("Spatial.jpg");
        target = dataFile("Report 201391005.docx");
    }
    QMap<QString, QByteArray> write(const std::vector<ReportGraph>& graphs) {
        outputs::saveDocx(outputs::reportDocument({sensor, clock.time, anchors, graphs, logo, {}}),
                          target);
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
    std::optional<outputs::AnchorTable> anchors;
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
                         "REPORT FOR SENSOR 201391005|32|bold|Heading1",
                         "|24",
                         "   Report Date: 2026/12/07 15:04:05|24",
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
        expected << g.heading + "|24|Heading2|page"
                 << "|24|picture"
                 << "   Notes:|24"
                 << "[table]";
        pictures << fileBytes(g.picture);
    }
    // A body cannot end with a table: a paragraph too small for a page of its own.
    expected << (graphs.empty() ? "|24" : "|2");
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

outputs::AnchorTable twoAnchorsAtTheToe() {
    outputs::AnchorTable t;
    t.headAtCollar = false;
    t.latestReading = "2026/12/06 12:00:00";
    t.rows = {{"1", "2.50", "9.75", "-0.42", "2025/03/01 00:00:00"}, {"2", "5.00", "7.25", "", ""}};
    return t;
}

TEST_F(ReportDocumentTest, HasHeadingsAnAnchorsTableAndPageNumbers) {
    anchors = twoAnchorsAtTheToe();
    auto parts = write({timeGraph});
    const auto body = paragraphs(parts["word/document.xml"]);
    const std::string described = describe(body);
    EXPECT_NE(described.find("\nREPORT FOR SENSOR 201391005|32|bold|Heading1\n"), std::string::npos)
        << described;
    EXPECT_NE(described.find("\n   Notes: Near the crusher|24\n|24\nAnchors|24|Heading2\n[table]\n"
                             "   Displacement of the latest reading, 2026/12/06 12:00:00, against "
                             "the zero reading.|24\nDisp v Time|24|Heading2|page\n"),
              std::string::npos)
        << described;
    const auto cells = tables(parts["word/document.xml"]);
    ASSERT_EQ(cells.size(), 2u); // the anchors, then the notes lines
    EXPECT_EQ(cells[0],
              (std::vector<QStringList>{{"Anchor", "Depth from toe (m)", "Depth from roof (m)",
                                         "Displacement (mm)", "Zero reading"},
                                        {"1", "2.50", "9.75", "-0.42", "2025/03/01 00:00:00"},
                                        {"2", "5.00", "7.25", "", ""}}));
    // The styles a table of contents lists, as the built-in headings.
    const QByteArray styles = parts["word/styles.xml"];
    for (const char* style :
         {R"(w:styleId="Heading1"><w:name w:val="heading 1"/>)", R"(<w:outlineLvl w:val="0"/>)",
          R"(w:styleId="Heading2"><w:name w:val="heading 2"/>)", R"(<w:outlineLvl w:val="1"/>)"})
        EXPECT_TRUE(styles.contains(style)) << style;
    // "Page N of M" on every page, from fields the word processor keeps up to date.
    EXPECT_TRUE(parts["word/document.xml"].contains(
        R"(<w:footerReference w:type="default" r:id="rId4"/>)"));
    EXPECT_EQ(relTarget(parts["word/_rels/document.xml.rels"], "rId4"), "footer1.xml");
    EXPECT_TRUE(parts["[Content_Types].xml"].contains(R"(PartName="/word/footer1.xml")"));
    EXPECT_EQ(describe(paragraphs(parts["word/footer1.xml"])), "\nPage {PAGE}1 of {NUMPAGES}1|20");
}

// A graph page: the picture as wide as the text, and ruled notes lines that
// fill the page without running onto one of their own, whatever the chart's shape.
class ReportGraphShapes : public ReportDocumentTest, public ::testing::WithParamInterface<QSize> {};

TEST_P(ReportGraphShapes, FillThePageAndNoMore) {
    QImage image(GetParam(), QImage::Format_RGB32);
    image.fill(Qt::white);
    image.save(timeGraph.picture, "JPG");
    const QString xml = QString::fromUtf8(write({timeGraph})["word/document.xml"]);
    const auto number = [&](const QString& pattern) {
        return QRegularExpression(pattern).match(xml).captured(1).toLongLong();
    };
    const qint64 emuPerTwip = 635;
    const qint64 pageHeight = number(R"x(<w:pgSz w:w="\d+" w:h="(\d+)")x");
    const qint64 top = number(R"x(<w:pgMar w:top="(\d+)")x");
    const qint64 bottom = number(R"x( w:bottom="(\d+)")x");
    const qint64 textWidth =
        number(R"x(<w:pgSz w:w="(\d+)")x") - 2 * number(R"x( w:left="(\d+)")x");
    // The body's pictures: the logo sits in the header part.
    const QRegularExpressionMatch extent =
        QRegularExpression(R"x(<wp:extent cx="(\d+)" cy="(\d+)"/>)x").match(xml);
    const qint64 width = extent.captured(1).toLongLong() / emuPerTwip;
    const qint64 height = extent.captured(2).toLongLong() / emuPerTwip;
    const qint64 rows = xml.count(R"x(<w:trHeight w:val="400" w:hRule="exact"/>)x");
    // Heading (an exact line and the space after it), picture with its space
    // after, the notes line as a word processor sets 12 points, the ruled rows.
    const qint64 used = 480 + height + 120 + 330 + rows * 400;
    const qint64 room = pageHeight - top - bottom;
    EXPECT_LE(std::abs(width - textWidth), 1) << "picture not as wide as the text";
    EXPECT_LE(used, room);
    EXPECT_GT(used, room - 3 * 400) << rows << " ruled lines leave the page half empty";
}

INSTANTIATE_TEST_SUITE_P(Shapes, ReportGraphShapes,
                         ::testing::Values(QSize(850, 638), QSize(2400, 1800), QSize(900, 800),
                                           QSize(2400, 400)));

TEST_F(ReportDocumentTest, ReadsAsAWordDocumentToPythonDocx) {
    const QString python = pythonWithDocx();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with python-docx (python3-docx) is not installed";
    anchors = twoAnchorsAtTheToe();
    write({timeGraph, lengthGraph});
    const char* script = R"(
import sys, docx
d = docx.Document(sys.argv[1])
for p in d.paragraphs:
    if p.style.name.startswith('Heading'):
        print(p.style.name + ': ' + p.text)
t = d.tables[0]
print(len(t.rows), 'x', len(t.columns))
for row in t.rows:
    print('|'.join(c.text for c in row.cells))
footer = d.sections[0].footer
print(footer.paragraphs[0].text)
print(' '.join(e.text.strip() for e in footer._element.iter(
    '{http://schemas.openxmlformats.org/wordprocessingml/2006/main}instrText')))
)";
    QProcess p;
    p.start(python, {"-c", script, target});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()).toStdString(), "");
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).toStdString(),
              "Heading 1: REPORT FOR SENSOR 201391005\n"
              "Heading 2: Anchors\n"
              "Heading 2: Disp v Time\n"
              "Heading 2: Disp v Length\n"
              "3 x 5\n"
              "Anchor|Depth from toe (m)|Depth from roof (m)|Displacement (mm)|Zero reading\n"
              "1|2.50|9.75|-0.42|2025/03/01 00:00:00\n"
              "2|5.00|7.25||\n"
              "Page 1 of 1\n"
              "PAGE NUMPAGES\n");
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
