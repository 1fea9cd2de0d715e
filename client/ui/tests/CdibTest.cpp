#include "UiTestSupport.h"

#include "client/ui/CDIB.h"
#include "client/ui/PictureButton.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kiro::uitest::makeBmp;

namespace {

const QList<unsigned> Palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
int checker(int x, int y) { return (x / 2 + y) % 5; }

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

} // namespace

TEST(Cdib, CoreHeaderDrawsLikeInfoHeader)
{
    for (int bits : {4, 8}) {
        CDIB info;
        CDIB core;
        ASSERT_TRUE(info.loadFromBytes(makeBmp(7, 5, bits, false, checker, Palette))) << info.error().toStdString();
        ASSERT_TRUE(core.loadFromBytes(makeBmp(7, 5, bits, true, checker, Palette))) << core.error().toStdString();
        EXPECT_EQ(info.image(), core.image());
        // The core form is kept in the information form, entries widened to four bytes.
        EXPECT_EQ(core.header().size(), 40 + 4 * 5) << "the table fills the gap before the bits";
        EXPECT_EQ(core.header().mid(4, 12), info.header().mid(4, 12)) << "size, planes and bit count";
        EXPECT_EQ(core.header().mid(40), info.header().mid(40)) << "the colour entries";
        EXPECT_EQ(core.image().pixel(0, 0), qRgb(0, 0, 0));
        EXPECT_EQ(core.image().pixel(2, 0), qRgb(0xFF, 0, 0));
        EXPECT_EQ(core.image().pixel(0, 3), qRgb(0, 0, 0xFF));
    }
}

TEST(Cdib, TrueColourAndTopDownRows)
{
    CDIB dib;
    ASSERT_TRUE(dib.loadFromBytes(makeBmp(3, 2, 24, false, [](int x, int y) { return (x == 1 && y == 0) ? 0x123456 : 0; })));
    EXPECT_EQ(dib.image().pixel(1, 0), qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(dib.image().pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(dib.bits().size(), 2 * 12);

    // A negative height stores the top row first.
    QByteArray bytes = makeBmp(3, 2, 24, false, [](int, int y) { return y == 0 ? 0xFFFFFF : 0; });
    const int h = -2;
    std::memcpy(bytes.data() + 22, &h, 4);
    ASSERT_TRUE(dib.loadFromBytes(bytes));
    EXPECT_EQ(dib.image().pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(dib.image().pixel(0, 1), qRgb(0xFF, 0xFF, 0xFF));
}

TEST(Cdib, BadFilesLeaveNoPicture)
{
    QTemporaryDir dir;
    CDIB dib;
    ASSERT_TRUE(dib.loadFromBytes(makeBmp(4, 4, 8, false, checker, Palette)));
    EXPECT_FALSE(dib.load(dir.filePath("missing.bmp")));
    EXPECT_FALSE(dib.isValid()) << "a failed load replaces the old picture";

    const QByteArray good = makeBmp(4, 4, 8, false, checker, Palette);
    QByteArray notBm = good;
    notBm[0] = 'X';
    EXPECT_FALSE(dib.loadFromBytes(notBm));
    for (int cut : {0, 2, 13, 20, 53, 60}) {
        EXPECT_FALSE(dib.loadFromBytes(good.left(cut))) << "cut at " << cut;
        EXPECT_FALSE(dib.isValid());
    }
    QByteArray huge = good;
    const int side = 1 << 30;
    std::memcpy(huge.data() + 18, &side, 4);
    EXPECT_FALSE(dib.loadFromBytes(huge));
    QByteArray oddHeader = good;
    oddHeader[14] = 20;
    EXPECT_FALSE(dib.loadFromBytes(oddHeader));

    // Pixel rows missing at the end draw black instead of reading past the data.
    ASSERT_TRUE(dib.loadFromBytes(good.left(good.size() - 4)));
    EXPECT_EQ(dib.image().pixel(0, 0), qRgb(0, 0, 0));
}

TEST(Cdib, ColourCountFollowsTheHeader)
{
    CDIB dib;
    QByteArray bytes = makeBmp(2, 2, 8, false, [](int, int) { return 2; }, Palette);
    ASSERT_TRUE(dib.loadFromBytes(bytes));
    EXPECT_EQ(dib.colourCount(), 5);
    EXPECT_EQ(dib.image().pixel(0, 0), qRgb(0, 0xFF, 0));
    // An index beyond the table draws black.
    bytes = makeBmp(2, 2, 8, false, [](int, int) { return 9; }, Palette);
    ASSERT_TRUE(dib.loadFromBytes(bytes));
    EXPECT_EQ(dib.image().pixel(1, 1), qRgb(0, 0, 0));
}

TEST(PictureButton, DrawsItsPictureStretched)
{
    kiro::uitest::app();
    QTemporaryDir dir;
    const QString path = writeFile(dir, "pic.bmp", makeBmp(2, 2, 24, true, [](int x, int) { return x ? 0x0000FF : 0xFF0000; }));
    PictureButton button(QStringLiteral("1038"), QString(), nullptr);
    button.resize(40, 20);
    ASSERT_TRUE(button.loadPicture(path));
    const QImage shot = button.grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 10), QColor(0xFF, 0, 0));
    EXPECT_EQ(shot.pixelColor(35, 10), QColor(0, 0, 0xFF));

    EXPECT_FALSE(button.loadPicture(dir.filePath("none.bmp")));
    EXPECT_FALSE(button.hasPicture());
}
