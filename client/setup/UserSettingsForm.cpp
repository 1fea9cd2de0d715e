#include "client/setup/UserSettingsForm.h"

#include "client/app/ClientSettings.h"
#include "client/app/Prompt.h"

#include <QString>

namespace kiro::setup {
namespace {

std::string missingMessage(const char* label, const char* hint)
{
    return QStringLiteral("%1が\n入力されていません。\n%2")
        .arg(QString::fromUtf8(label), QString::fromUtf8(hint))
        .toStdString();
}

} // namespace

UserSettingsForm UserSettingsForm::fromSettings(const app::ClientSettings& settings)
{
    UserSettingsForm form;
    form.niftyId = settings.NiftyID;
    form.password = settings.NiftyPassWord;
    form.mailNo = settings.MailNo;
    form.address = settings.AddrKanji;
    form.name = settings.Name;
    form.phone = settings.Phone;
    return form;
}

UserSettingsForm::Outcome UserSettingsForm::confirm(app::ClientSettings& settings, app::Prompt& prompt) const
{
    const struct {
        const std::string& text;
        const char* label;
        int control;
    } required[] = {
        {address, "住所", AddressEdit},
        {name, "氏名", NameEdit},
        {password, "パスワード", PasswordEdit},
        {phone, "電話番号", PhoneEdit},
        {niftyId, "ユーザーID", NiftyIdEdit},
        {mailNo, "郵便番号", MailNoEdit},
    };
    for (const auto& field : required) {
        if (field.text.empty()) {
            prompt.message(missingMessage(field.label, ""));
            return {false, field.control};
        }
    }
    if (settings.AccessPoint.empty()) {
        prompt.message(missingMessage("アクセスポイント", "「ｱｸｾｽﾎﾟｲﾝﾄ」ボタンで設定してください。"));
        return {false, 0};
    }
    settings.AddrKanji = address;
    settings.Name = name;
    settings.NiftyPassWord = password;
    settings.Phone = phone;
    settings.NiftyID = niftyId;
    settings.MailNo = mailNo;
    settings.SetupIsOK = 1;
    return {true, 0};
}

} // namespace kiro::setup
