// The drawn pictures and the manual PDF: sizes, what must differ, and the
// manual's all-or-nothing writing. The manual is typeset in the system's
// fonts, which only a QGuiApplication reaches: these run with the window's tests.
#include "app/Pictures.h"
#include "app/Manual.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace app::pictures;

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
