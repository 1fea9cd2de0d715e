#include "UiTestSupport.h"

#include "client/ui/RtfReader.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

namespace {

QByteArray dataFile(const char* name)
{
    QFile file(QStringLiteral(KIRO_SOURCE_DIR "/client/ui/tests/data/") + QString::fromLatin1(name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// The character format at the first occurrence of the text.
QTextCharFormat formatAt(QTextDocument& document, const QString& text)
{
    QTextCursor found = document.find(text);
    if (found.isNull())
        return {};
    QTextCursor at(&document);
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

std::vector<QString> blocks(const QTextDocument& document)
{
    std::vector<QString> result;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        result.push_back(b.text());
    return result;
}

} // namespace

TEST(RtfReader, HandWrittenHelpFile)
{
    kiro::uitest::app();
    QTextDocument document;
    RtfReader reader;
    ASSERT_TRUE(reader.read(dataFile("formatted.rtf"), document)) << reader.error().toStdString();
    const auto lines = blocks(document);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "ヘルプ") << "\\'xx pairs are code page 932";
    EXPECT_EQ(lines[1], "Plain italic under red end.");
    EXPECT_EQ(lines[2], QStringLiteral("Tab\there") + QChar(QChar::LineSeparator) + "next line");
    EXPECT_EQ(lines[3], "Arial blue back {braces} and \\ slash");
    EXPECT_EQ(lines[4], QStringLiteral("あ") + QChar(0xFFFD) + " done。") << "\\uN with its fallback skipped";
    EXPECT_EQ(lines[5], "after picture") << "pictures, info and \\* groups are skipped";
    EXPECT_FALSE(document.toPlainText().contains("Secret")) << document.toPlainText().toStdString();
    EXPECT_FALSE(document.toPlainText().contains("Hand 1.0"));

    EXPECT_EQ(document.begin().blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(document.begin().next().blockFormat().alignment(), Qt::AlignLeft) << "\\pard resets the paragraph";

    const QTextCharFormat title = formatAt(document, "ヘルプ");
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(title.fontPointSize(), 16.0);
    EXPECT_EQ(title.fontFamilies().toStringList(), QStringList{"ＭＳ ゴシック"}) << "font names from the table";

    EXPECT_TRUE(formatAt(document, "italic").fontItalic());
    EXPECT_FALSE(formatAt(document, "Plain").fontItalic());
    EXPECT_TRUE(formatAt(document, "under").fontUnderline());
    EXPECT_EQ(formatAt(document, "red").foreground().color(), QColor(255, 0, 0));
    EXPECT_FALSE(formatAt(document, "end").foreground().style() != Qt::NoBrush) << "\\cf0 is the default colour";
    EXPECT_DOUBLE_EQ(formatAt(document, "Plain").fontPointSize(), 10.0);

    const QTextCharFormat blue = formatAt(document, "Arial blue");
    EXPECT_EQ(blue.foreground().color(), QColor(0, 0, 128));
    EXPECT_EQ(blue.fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_NE(formatAt(document, "back").foreground().color(), QColor(0, 0, 128)) << "a group's state ends with it";
    EXPECT_FALSE(document.isModified());
}

TEST(RtfReader, DoubleByteCharactersSplitAcrossEscapesAndText)
{
    kiro::uitest::app();
    QTextDocument document;
    RtfReader reader;
    // Lead byte as an escape, trail byte as a plain character ("ソ" is 83 5C in
    // code page 932, its trail byte a backslash written as \\).
    ASSERT_TRUE(reader.read("{\\rtf1 \\'83\\\\ \\'83A}", document));
    EXPECT_EQ(document.toPlainText(), "ソ ア");
    // Raw code page 932 bytes in the file are read as such.
    ASSERT_TRUE(reader.read(QByteArray("{\\rtf1 \x83\x4A\x83\x89\x83\x49\x83\x50}"), document));
    EXPECT_EQ(document.toPlainText(), "カラオケ");
}

TEST(RtfReader, DamagedInputEndsCleanly)
{
    kiro::uitest::app();
    QTextDocument document;
    RtfReader reader;
    EXPECT_FALSE(reader.read("plain words", document));
    EXPECT_FALSE(reader.read("{\\rtf1 open {\\b never closed", document));
    EXPECT_TRUE(document.toPlainText().contains("open"));
    EXPECT_TRUE(reader.read("{\\rtf1 a}} trailing ignored", document));
    EXPECT_EQ(document.toPlainText(), "a");
    // Cut escapes and absurd numbers must neither crash nor read past the end.
    reader.read("{\\rtf1 \\'4", document);
    reader.read("{\\rtf1 \\u99999999999999999 \\fs-4 \\fs99999999999 x\\", document);

    QByteArray deep = "{\\rtf1 ";
    deep += QByteArray(100000, '{');
    EXPECT_FALSE(reader.read(deep, document));
    EXPECT_FALSE(reader.error().isEmpty());
}

TEST(RtfReader, RecognisesRichText)
{
    EXPECT_TRUE(RtfReader::looksLikeRtf("  \r\n{\\rtf1\\ansi}"));
    EXPECT_FALSE(RtfReader::looksLikeRtf("{ not rtf"));
    EXPECT_FALSE(RtfReader::looksLikeRtf(""));
}
