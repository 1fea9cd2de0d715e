#include "UiTestSupport.h"

#include "client/ui/ConfirmDialog.h"
#include "client/ui/DialogPrompt.h"
#include "client/ui/MessageArea.h"
#include "client/ui/MessageDialog.h"
#include "client/ui/PictureButton.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {
PictureButton* button(QWidget* dialog, const char* id)
{
    return dialog->findChild<PictureButton*>(QString::fromLatin1(id));
}
} // namespace

TEST(MessageDialogs, LabelsDefaultAndCanBeSet)
{
    kiro::uitest::app();
    MessageDialog message(QStringLiteral("通信設定を行ってください。"));
    EXPECT_EQ(message.objectName(), "132");
    ASSERT_NE(button(&message, "1"), nullptr);
    EXPECT_EQ(button(&message, "1")->text(), "OK");
    message.setButtonLabel(QStringLiteral("もどる"));
    EXPECT_EQ(button(&message, "1")->text(), "もどる");
    EXPECT_EQ(message.findChild<MessageArea*>("1011")->text(), "通信設定を行ってください。");

    ConfirmDialog confirm(QStringLiteral("よろしいですか？"), QStringLiteral("はい"), QStringLiteral("いいえ"));
    EXPECT_EQ(confirm.objectName(), "130");
    EXPECT_EQ(button(&confirm, "1")->text(), "はい");
    EXPECT_EQ(button(&confirm, "2")->text(), "いいえ");
    confirm.setButtonLabels(QString(), QString());
    EXPECT_EQ(button(&confirm, "1")->text(), "OK");
    EXPECT_EQ(button(&confirm, "2")->text(), "キャンセル");
}

TEST(MessageDialogs, ButtonsEndTheModalRun)
{
    kiro::uitest::app();
    ConfirmDialog confirm(QStringLiteral("削除しますか？"));
    kiro::uitest::whenModalOpens([](QDialog* d) { button(d, "2")->click(); });
    EXPECT_EQ(confirm.exec(), QDialog::Rejected);
    kiro::uitest::whenModalOpens([](QDialog* d) { button(d, "1")->click(); });
    EXPECT_EQ(confirm.exec(), QDialog::Accepted);

    MessageDialog message(QStringLiteral("終わりました。"));
    kiro::uitest::whenModalOpens([](QDialog* d) { button(d, "1")->click(); });
    EXPECT_EQ(message.exec(), QDialog::Accepted);
}

TEST(MessageDialogs, LongMessagesGrowTheDialog)
{
    kiro::uitest::app();
    MessageDialog message(QStringLiteral("短い"));
    const int shortHeight = message.height();
    message.setMessage(QStringLiteral("データベースが見つからないか、\nオープンに失敗しました。\n\n三行目\n四行目\n五行目\n六行目"));
    EXPECT_GT(message.height(), shortHeight);
}

TEST(MessageDialogs, DialogPromptShowsTheRealDialogs)
{
    kiro::uitest::app();
    DialogPrompt prompt;
    QString seenLabel;
    kiro::uitest::whenModalOpens([&](QDialog* d) {
        EXPECT_EQ(d->objectName(), "130");
        seenLabel = button(d, "2")->text();
        button(d, "2")->click();
    });
    EXPECT_EQ(prompt.question("受信しますか？", "はい", "いいえ"), kiro::app::PromptAnswer::Second);
    EXPECT_EQ(seenLabel, "いいえ");

    QString seenText;
    kiro::uitest::whenModalOpens([&](QDialog* d) {
        EXPECT_EQ(d->objectName(), "132");
        seenText = d->findChild<MessageArea*>("1011")->text();
        button(d, "1")->click();
    });
    prompt.message("通信設定を行ってください。");
    EXPECT_EQ(seenText, "通信設定を行ってください。");
}

TEST(MessageDialogs, ReturnPressesButtonOne)
{
    kiro::uitest::app();
    ConfirmDialog confirm(QStringLiteral("よろしいですか？"));
    kiro::uitest::whenModalOpens([](QDialog* d) {
        d->setFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(d, &press);
    });
    EXPECT_EQ(confirm.exec(), QDialog::Accepted);
}
