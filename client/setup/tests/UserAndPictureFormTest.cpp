#include "client/setup/PictureSettingsForm.h"
#include "client/setup/UserSettingsForm.h"
#include "SetupFixture.h"

#include <gtest/gtest.h>

using kiro::setup::UserSettingsForm;

namespace {

UserSettingsForm filledForm()
{
    UserSettingsForm form;
    form.niftyId = "ABC01234";
    form.password = "secret";
    form.mailNo = "100-0001";
    form.address = "東京都千代田区";
    form.name = "山田太郎";
    form.phone = "0312345678";
    return form;
}

} // namespace

TEST(UserSettingsForm, NamesTheFirstMissingFieldInCheckOrder)
{
    kiro::app::ClientSettings settings;
    settings.AccessPoint = "0350000001";
    kiro::app::ScriptedPrompt prompt;
    UserSettingsForm form = filledForm();
    form.niftyId.clear();
    form.mailNo.clear();
    form.phone.clear();
    auto outcome = form.confirm(settings, prompt);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.focusControl, UserSettingsForm::PhoneEdit) << "電話番号 comes before ユーザーID and 郵便番号";
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"電話番号が\n入力されていません。\n"});

    prompt.clear();
    form = filledForm();
    form.mailNo.clear();
    outcome = form.confirm(settings, prompt);
    EXPECT_EQ(outcome.focusControl, UserSettingsForm::MailNoEdit);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"郵便番号が\n入力されていません。\n"});
    EXPECT_EQ(settings.SetupIsOK, 0);
    EXPECT_EQ(settings.Name, "氏名未登録") << "nothing is stored while a field is missing";
}

TEST(UserSettingsForm, WithoutAnAccessPointSetupStaysIncomplete)
{
    kiro::app::ClientSettings settings;
    kiro::app::ScriptedPrompt prompt;
    const auto outcome = filledForm().confirm(settings, prompt);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.focusControl, 0);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{
                                  "アクセスポイントが\n入力されていません。\n「ｱｸｾｽﾎﾟｲﾝﾄ」ボタンで設定してください。"});
    EXPECT_EQ(settings.SetupIsOK, 0);
    EXPECT_TRUE(settings.NiftyID.empty());

    settings.AccessPoint = "0350000001";
    prompt.clear();
    EXPECT_TRUE(filledForm().confirm(settings, prompt).accepted);
    EXPECT_TRUE(prompt.records().empty());
    EXPECT_EQ(settings.SetupIsOK, 1);
    EXPECT_EQ(settings.NiftyID, "ABC01234");
    EXPECT_EQ(settings.NiftyPassWord, "secret");
    EXPECT_EQ(settings.MailNo, "100-0001");
    EXPECT_EQ(settings.AddrKanji, "東京都千代田区");
    EXPECT_EQ(settings.Name, "山田太郎");
    EXPECT_EQ(settings.Phone, "0312345678");
}

TEST(PictureSettingsForm, DefaultRowsGetTheirFoldersAndOwnFoldersMustBeGiven)
{
    kiro::app::ClientSettings settings;
    settings.UseMyCG = 1;
    settings.PathMyCG = "/home/u/pics";
    const auto folders = kiro::app::AppFolders::fromInstallFolder("/opt/kiro");
    kiro::setup::PictureSettingsForm form(settings, folders);
    EXPECT_TRUE(form.editable(2));
    EXPECT_FALSE(form.editable(0));

    form.row(2).folder = "/somewhere/else";
    form.chooseDefault(2);
    EXPECT_EQ(form.row(2).folder, "/opt/kiro/karaoke/User") << "what was typed gives way to the default";
    EXPECT_FALSE(form.editable(2));
    form.chooseOwn(1);
    form.row(1).folder.clear();
    kiro::app::ScriptedPrompt prompt;
    EXPECT_EQ(form.store(settings, prompt), 1);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"KIROカラオケの動画のフォルダが\n入力されていません。"});
    EXPECT_EQ(settings.UseMyCG, 1) << "a refused store changes nothing";

    form.row(1).folder = "/media/videos";
    prompt.clear();
    EXPECT_EQ(form.store(settings, prompt), -1);
    EXPECT_EQ(settings.UseKiroKaraAVI, 1);
    EXPECT_EQ(settings.PathKiroKaraAVI, "/media/videos");
    EXPECT_EQ(settings.UseMyCG, 0);
    EXPECT_EQ(settings.PathMyCG, "/opt/kiro/karaoke/User");
    EXPECT_EQ(settings.PathKiroKaraCG, "/opt/kiro/karaoke/Pict");
    EXPECT_EQ(settings.PathMyAVI, "//CDROM/KiroAvi");
}
