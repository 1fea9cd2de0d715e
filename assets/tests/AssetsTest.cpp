// Checks the generated pictures and texts as the client reads them.
#include "client/ui/CDIB.h"
#include "client/ui/RtfReader.h"
#include "common/Cp932.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

QString asset(const char* name)
{
    return QStringLiteral(KIRO_ASSETS_DIR "/") + QString::fromLatin1(name);
}

QByteArray readAll(const char* name)
{
    QFile file(asset(name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\n";
}

TEST(Assets, PicturesHaveTheSizesTheScreensUse)
{
    struct Expect {
        const char* name;
        int width;
        int height;
    };
    for (const Expect& e : {Expect{"sysfile/TopMenu.bmp", 640, 480}, Expect{"sysfile/Lite001.bmp", 400, 240},
             Expect{"sysfile/KB-J.bmp", 142, 394}, Expect{"sysfile/KB-E.bmp", 142, 394},
             Expect{"sysfile/Icons16.bmp", 32, 16}, Expect{"sysfile/Icons32.bmp", 224, 16}}) {
        CDIB dib;
        ASSERT_TRUE(dib.load(asset(e.name))) << e.name << ": " << dib.error().toStdString();
        EXPECT_EQ(dib.width(), e.width) << e.name;
        EXPECT_EQ(dib.height(), e.height) << e.name;
    }
}

TEST(Assets, KeyboardCellsAreFramedOnTheGrid)
{
    // The keys sit in 28x28 cells from (1,1): the grid lines between two keys
    // are the dark frame, the cell centres the light key face.
    CDIB dib;
    ASSERT_TRUE(dib.load(asset("sysfile/KB-J.bmp")));
    const QImage& image = dib.image();
    EXPECT_LT(qGray(image.pixel(1 + 28 * 5, 1 + 14)), 100) << "right of the last column is background";
    EXPECT_GT(qGray(image.pixel(1 + 4, 1 + 28 * 3 + 4)), 180) << "a key face near a cell corner";
    EXPECT_LT(qGray(image.pixel(1 + 28 * 2, 1 + 28 * 2)), 140) << "cell corners are between keys";
}

TEST(Assets, HelpIsRichTextAndNewsIsPlainCodePage932)
{
    int argc = 1;
    char name[] = "assets_tests";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QByteArray help = readAll("InfoText/Help.txt");
    ASSERT_TRUE(RtfReader::looksLikeRtf(help));
    QTextDocument document;
    RtfReader reader;
    ASSERT_TRUE(reader.read(help, document)) << reader.error().toStdString();
    EXPECT_EQ(document.begin().text(), "通信カラオケ KIRO Lite ヘルプ");
    EXPECT_TRUE(document.toPlainText().contains("カラオケ歌本"));

    const QByteArray info = readAll("InfoText/Info.txt");
    ASSERT_FALSE(info.isEmpty());
    EXPECT_FALSE(RtfReader::looksLikeRtf(info));
    const auto text = kiro::cp932::tryToUtf8(info.toStdString());
    ASSERT_TRUE(text.has_value()) << "news must be valid code page 932";
    EXPECT_NE(text->find("お知らせ"), std::string::npos);
}
