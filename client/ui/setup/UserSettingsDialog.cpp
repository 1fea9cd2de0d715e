#include "client/ui/setup/UserSettingsDialog.h"

#include "client/app/ClientSettings.h"
#include "client/setup/UserSettingsForm.h"
#include "client/ui/PictureButton.h"
#include "client/ui/setup/AccessPointDialog.h"
#include "client/ui/setup/Cp932LineEdit.h"
#include "client/ui/setup/SetupWidgets.h"
#include "client/ui/setup/SoundModemDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QHBoxLayout>
#include <QVBoxLayout>

using kiro::setup::UserSettingsForm;

UserSettingsDialog::UserSettingsDialog(kiro::setup::SetupServices& services, bool showSetupButtons, QWidget* parent)
    : CaptionlessDialog(614, parent)
    , m_services(services)
{
    const UserSettingsForm current = UserSettingsForm::fromSettings(*m_services.settings);
    auto makeEdit = [this](int control, int limit, const std::string& text) {
        auto* e = new Cp932LineEdit(QString::number(control), limit, this);
        e->setText(QString::fromStdString(text));
        return e;
    };
    auto* id = makeEdit(UserSettingsForm::NiftyIdEdit, UserSettingsForm::kNiftyIdLimit, current.niftyId);
    auto* password = makeEdit(UserSettingsForm::PasswordEdit, UserSettingsForm::kPasswordLimit, current.password);
    password->setEchoMode(QLineEdit::Password);
    auto* mailNo = makeEdit(UserSettingsForm::MailNoEdit, UserSettingsForm::kMailNoLimit, current.mailNo);
    auto* address = makeEdit(UserSettingsForm::AddressEdit, UserSettingsForm::kAddressLimit, current.address);
    auto* name = makeEdit(UserSettingsForm::NameEdit, UserSettingsForm::kNameLimit, current.name);
    auto* phone = makeEdit(UserSettingsForm::PhoneEdit, UserSettingsForm::kPhoneLimit, current.phone);
    id->setFixedWidth(110);
    password->setFixedWidth(220);
    mailNo->setFixedWidth(110);
    phone->setFixedWidth(140);

    auto* nifty = new QGroupBox(QStringLiteral("NIFTY-Serveのユーザー設定"), this);
    auto* niftyForm = new QFormLayout(nifty);
    niftyForm->addRow(QStringLiteral("ユーザーID"), id);
    niftyForm->addRow(QStringLiteral("パスワード"), password);
    auto* kiro = new QGroupBox(QStringLiteral("KIRO Lite ユーザー設定"), this);
    auto* kiroForm = new QFormLayout(kiro);
    kiroForm->addRow(QStringLiteral("〒"), mailNo);
    kiroForm->addRow(QStringLiteral("住所"), address);
    kiroForm->addRow(QStringLiteral("氏名"), name);
    kiroForm->addRow(QStringLiteral("電話番号"), phone);
    // The group boxes took the edits; the identifiers stay findable from the dialog.

    auto* back = kiro::setupui::labelButton(QStringLiteral("2"), QStringLiteral("もどる"), this);
    auto* soundModem = kiro::setupui::labelButton(QString::number(UserSettingsForm::SoundModemButton),
                                                  QStringLiteral("音源/ﾓﾃﾞﾑﾃｽﾄ"), this, 120);
    auto* accessPoint = kiro::setupui::labelButton(QString::number(UserSettingsForm::AccessPointButton),
                                                   QStringLiteral("ｱｸｾｽﾎﾟｲﾝﾄ"), this, 120);
    auto* ok = kiro::setupui::labelButton(QStringLiteral("1"), QStringLiteral("OK"), this);
    soundModem->setVisible(showSetupButtons);
    accessPoint->setVisible(showSetupButtons);
    connect(back, &PictureButton::clicked, this, &QDialog::reject);
    connect(soundModem, &PictureButton::clicked, this, &UserSettingsDialog::openSoundModem);
    connect(accessPoint, &PictureButton::clicked, this, &UserSettingsDialog::openAccessPoint);
    connect(ok, &PictureButton::clicked, this, &UserSettingsDialog::confirm);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addWidget(kiro::setupui::titleLabel(QStringLiteral("ユーザー情報の設定"), this));
    layout->addWidget(nifty);
    layout->addWidget(kiro);
    auto* row = new QHBoxLayout;
    row->addWidget(soundModem);
    row->addWidget(accessPoint);
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(back);
    layout->addLayout(row);
    setFixedSize(560, 400);
}

Cp932LineEdit* UserSettingsDialog::edit(int control) const
{
    return findChild<Cp932LineEdit*>(QString::number(control));
}

void UserSettingsDialog::confirm()
{
    UserSettingsForm form;
    form.niftyId = edit(UserSettingsForm::NiftyIdEdit)->utf8();
    form.password = edit(UserSettingsForm::PasswordEdit)->utf8();
    form.mailNo = edit(UserSettingsForm::MailNoEdit)->utf8();
    form.address = edit(UserSettingsForm::AddressEdit)->utf8();
    form.name = edit(UserSettingsForm::NameEdit)->utf8();
    form.phone = edit(UserSettingsForm::PhoneEdit)->utf8();
    const UserSettingsForm::Outcome outcome = form.confirm(*m_services.settings, *m_services.prompt);
    if (!outcome.accepted) {
        if (outcome.focusControl != 0)
            edit(outcome.focusControl)->setFocus();
        return;
    }
    if (m_services.settingsChanged)
        m_services.settingsChanged();
    if (m_services.saveSettings)
        m_services.saveSettings();
    accept();
}

void UserSettingsDialog::openSoundModem()
{
    SoundModemDialog dialog(m_services, this);
    if (dialog.exec() == QDialog::Accepted && m_services.saveSettings)
        m_services.saveSettings();
}

void UserSettingsDialog::openAccessPoint()
{
    AccessPointDialog dialog(m_services, this);
    if (dialog.exec() == QDialog::Accepted && m_services.saveSettings)
        m_services.saveSettings();
}
