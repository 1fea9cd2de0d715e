#include "UiTestSupport.h"

#include "client/ui/PictureButton.h"
#include "client/ui/TextViewer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {
void writeInfoText(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QDir(dir.path()).mkpath("InfoText");
    QFile file(dir.filePath("InfoText/" + name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}
} // namespace

TEST(TextViewer, RichTextIsFormattedAndPlainTextIsText)
{
    kiro::uitest::app();
    QTemporaryDir install;
    writeInfoText(install, "Help.txt", "{\\rtf1\\ansi\\ansicpg932 {\\b \\'83\\'77\\'83\\'8b\\'83\\'76}\\par second}");
    // Plain text in code page 932 that merely looks like markup stays as written.
    writeInfoText(install, "Info.txt", QByteArray("\x82\xA8\x92\x6D\x82\xE7\x82\xB9\r\n{\\b not bold}\r\n"));

    TextViewer help(install.path(), "Help.txt");
    EXPECT_EQ(help.objectName(), "619");
    auto* area = help.findChild<QTextEdit*>("1166");
    ASSERT_NE(area, nullptr);
    EXPECT_TRUE(area->isReadOnly());
    EXPECT_TRUE(help.isRichText());
    EXPECT_EQ(area->document()->begin().text(), "ヘルプ");
    QTextCursor cursor(area->document());
    cursor.setPosition(1);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(area->document()->begin().next().text(), "second");
    EXPECT_EQ(help.findChild<PictureButton*>("1")->text(), "もどる");

    TextViewer info(install.path(), "Info.txt");
    EXPECT_FALSE(info.isRichText());
    EXPECT_EQ(info.textArea()->toPlainText(), "お知らせ\n{\\b not bold}\n");
}

TEST(TextViewer, MissingOrEmptyFileShowsAnEmptyViewer)
{
    kiro::uitest::app();
    QTemporaryDir install;
    TextViewer missing(install.path(), "Help.txt");
    EXPECT_TRUE(missing.textArea()->toPlainText().isEmpty());
    writeInfoText(install, "Info.txt", "");
    TextViewer empty(install.path(), "Info.txt");
    EXPECT_TRUE(empty.textArea()->toPlainText().isEmpty());

    kiro::uitest::whenModalOpens([](QDialog* d) { d->findChild<PictureButton*>("1")->click(); });
    EXPECT_EQ(missing.exec(), QDialog::Accepted) << "もどる closes the viewer";
}
