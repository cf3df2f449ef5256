// The drawn pictures and the manual PDF: sizes, what must differ, and the
// manual's all-or-nothing writing.
#include "app/Pictures.h"
#include "app/Manual.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace app::pictures;

// The caller's layout for a 150 x 440 drawing with the head at the collar.
BoreholeRows collarRows() {
    BoreholeRows rows;
    rows.roof = 400;
    rows.head = 385;
    for (int i = 0; i < 8; ++i)
        rows.anchors[size_t(i)] = 345 - i * 42;
    return rows;
}

int differingPixels(const QImage& image, int rowA, int rowB) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += image.pixel(x, rowA) != image.pixel(x, rowB);
    return n;
}

TEST(PicturesTest, LogoIsWhiteBacked) {
    const QImage logo = app::pictures::logo();
    EXPECT_EQ(logo.size(), QSize(600, 200));
    // Saved as JPEG: opaque white at the corners.
    for (QPoint corner : {QPoint(0, 0), QPoint(599, 0), QPoint(0, 199), QPoint(599, 199)})
        EXPECT_EQ(logo.pixel(corner), qRgb(255, 255, 255));
}

TEST(PicturesTest, AliveAndDeadDifferAndAreTransparentAtTheCorners) {
    const QImage a = alive();
    const QImage d = dead();
    EXPECT_EQ(a.size(), QSize(32, 32));
    EXPECT_EQ(d.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(a.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(d.pixel(0, 0)), 0);
    EXPECT_NE(a, d);
    // Told apart by colour, not only by shape: alive is green, dead is not.
    const QRgb aliveBody = a.pixel(6, 16);
    const QRgb deadBody = d.pixel(6, 16);
    EXPECT_GT(qGreen(aliveBody), qRed(aliveBody) + 40);
    EXPECT_LT(qGreen(deadBody), qRed(deadBody) + 10);
}

TEST(PicturesTest, BoreholeHasTheRequestedSizeAndMarksItsRows) {
    const BoreholeRows rows = collarRows();
    for (Head head : {Head::Collar, Head::Toe}) {
        const QImage image = borehole(head, QSize(150, 440), rows);
        ASSERT_EQ(image.size(), QSize(150, 440));
        // A rock row between two anchors carries only the hole and strata; the
        // head's and each anchor's rows carry their mark and a leader to the edge.
        const int plainRow = (rows.anchors[0] + rows.anchors[1]) / 2;
        EXPECT_GT(differingPixels(image, rows.head, plainRow), 40);
        EXPECT_GT(differingPixels(image, rows.anchors[7], plainRow), 40);
        EXPECT_NE(image.pixel(148, rows.head), image.pixel(148, plainRow));
    }
    // Rock above the roof, drift below it.
    const QImage image = borehole(Head::Collar, QSize(150, 440), rows);
    EXPECT_NE(image.pixel(140, rows.roof - 5), image.pixel(140, rows.roof + 20));
    // The head's end is told apart in the drawing.
    EXPECT_NE(image, borehole(Head::Toe, QSize(150, 440), rows));
}

TEST(ManualTest, WritesAPdfOfSeveralPagesAndNothingElse) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(app::ManualFileName);
    ASSERT_TRUE(app::writeManual(path));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    const int pages = pdf.count("/Type /Page") - pdf.count("/Type /Pages");
    EXPECT_GT(pages, 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{app::ManualFileName});
}

TEST(ManualTest, MissingFolderFailsAndCreatesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no/such/") + app::ManualFileName);
    EXPECT_FALSE(app::writeManual(path));
    EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

} // namespace
