#include "client/ui/setup/SoundModemDialog.h"

#include "client/online/PortRegistry.h"
#include "client/ui/PictureButton.h"
#include "client/ui/setup/Cp932LineEdit.h"
#include "client/ui/setup/SetupWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

using kiro::setup::SoundModemForm;

namespace {

QRadioButton* radio(int id, const QString& text, QWidget* parent)
{
    auto* r = new QRadioButton(text, parent);
    r->setObjectName(QString::number(id));
    return r;
}

} // namespace

SoundModemDialog::SoundModemDialog(kiro::setup::SetupServices& services, QWidget* parent)
    : CaptionlessDialog(405, parent)
    , m_services(services)
    , m_form(services)
    , m_both(radio(SoundModemForm::BothConnected, QStringLiteral("モデムと音源モジュール両方を接続している"), this))
    , m_switching(radio(SoundModemForm::Switching, QStringLiteral("モデムと音源モジュールをつなぎかえて使う"), this))
    , m_modem(new QComboBox(this))
    , m_port(new QComboBox(this))
    , m_init(new Cp932LineEdit(QString::number(SoundModemForm::ModemInitEdit), SoundModemForm::kModemInitLimit, this))
    , m_tone(radio(SoundModemForm::Tone, QStringLiteral("トーン"), this))
    , m_pulse(radio(SoundModemForm::Pulse, QStringLiteral("パルス"), this))
    , m_music(new QCheckBox(QStringLiteral("BGMを鳴らす"), this))
    , m_softwareSound(new QCheckBox(QStringLiteral("ソフトウェア音源を使う"), this))
{
    // Each pair of radios is a group of its own.
    auto* connection = new QButtonGroup(this);
    connection->addButton(m_both);
    connection->addButton(m_switching);
    auto* dialling = new QButtonGroup(this);
    dialling->addButton(m_tone);
    dialling->addButton(m_pulse);

    m_modem->setObjectName(QString::number(SoundModemForm::ModemCombo));
    for (const kiro::setup::ModemChoice& choice : m_form.modems())
        m_modem->addItem(QString::fromStdString(choice.label));
    m_port->setObjectName(QString::number(SoundModemForm::PortCombo));
    for (const std::string& name : SoundModemForm::portNames())
        m_port->addItem(QString::fromStdString(name));
    m_music->setObjectName(QStringLiteral("music"));
    m_softwareSound->setObjectName(QStringLiteral("softwareSound"));

    (m_form.comSingle ? m_switching : m_both)->setChecked(true);
    m_modem->setCurrentIndex(m_form.modemPosition);
    m_port->setCurrentIndex(m_form.portPosition);
    m_init->setText(QString::fromStdString(m_form.modemInit));
    (m_form.phoneType ? m_pulse : m_tone)->setChecked(true);
    m_music->setChecked(m_form.music);
    m_softwareSound->setChecked(m_form.softwareSound);
    connect(m_modem, &QComboBox::activated, this, [this](int position) {
        m_form.chooseModem(position);
        m_port->setCurrentIndex(m_form.portPosition);
    });

    auto* wiring = new QGroupBox(QStringLiteral("接続"), this);
    auto* wiringLayout = new QVBoxLayout(wiring);
    wiringLayout->addWidget(m_both);
    wiringLayout->addWidget(m_switching);
    auto* modem = new QGroupBox(QStringLiteral("モデム"), this);
    auto* modemForm = new QFormLayout(modem);
    modemForm->addRow(QStringLiteral("モデム"), m_modem);
    modemForm->addRow(QStringLiteral("ポート"), m_port);
    modemForm->addRow(QStringLiteral("追加初期化コマンド"), m_init);
    auto* dial = new QHBoxLayout;
    dial->addWidget(m_tone);
    dial->addWidget(m_pulse);
    dial->addStretch(1);
    modemForm->addRow(QStringLiteral("ダイアル"), dial);
    auto* sound = new QHBoxLayout;
    sound->addWidget(m_music);
    sound->addWidget(m_softwareSound);
    sound->addStretch(1);

    QStringList book;
    for (const std::string& line : m_form.phoneBookLines())
        book << QString::fromStdString(line);
    auto* phoneBook = new QLabel(QStringLiteral("TELNET仮想モデム(ポート「TELNET仮想モデム」)の電話帳: %1\n"
                                                "編集は %2 の [HKEY_LOCAL_MACHINE\\%3] で。")
                                     .arg(book.isEmpty() ? QStringLiteral("(なし)") : book.join(QStringLiteral(", ")),
                                          QString::fromStdString(m_services.registryFile),
                                          QString::fromUtf8(kiro::online::kTelnetKey)),
                                 this);
    phoneBook->setObjectName(QStringLiteral("phoneBook"));
    phoneBook->setWordWrap(true);
    phoneBook->setStyleSheet(QStringLiteral("color: #405070;"));

    auto* back = kiro::setupui::labelButton(QStringLiteral("2"), QStringLiteral("もどる"), this);
    auto* modemTestButton = kiro::setupui::labelButton(QString::number(SoundModemForm::ModemTestButton),
                                                       QStringLiteral("モデムテスト"), this);
    auto* soundTestButton = kiro::setupui::labelButton(QString::number(SoundModemForm::SoundTestButton),
                                                       QStringLiteral("音源テスト"), this);
    auto* ok = kiro::setupui::labelButton(QStringLiteral("1"), QStringLiteral("設定"), this);
    connect(back, &PictureButton::clicked, this, &SoundModemDialog::reject);
    connect(modemTestButton, &PictureButton::clicked, this, &SoundModemDialog::modemTest);
    connect(soundTestButton, &PictureButton::clicked, this, &SoundModemDialog::soundTest);
    connect(ok, &PictureButton::clicked, this, &SoundModemDialog::confirm);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addWidget(kiro::setupui::titleLabel(QStringLiteral("音源とモデムの設定・テスト"), this));
    layout->addWidget(wiring);
    layout->addWidget(modem);
    layout->addLayout(sound);
    layout->addWidget(phoneBook);
    auto* row = new QHBoxLayout;
    row->addWidget(modemTestButton);
    row->addWidget(soundTestButton);
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(back);
    layout->addLayout(row);
    setFixedSize(560, 470);
}

void SoundModemDialog::pull()
{
    m_form.modemPosition = m_modem->currentIndex();
    m_form.portPosition = m_port->currentIndex();
    m_form.modemInit = m_init->utf8();
    m_form.comSingle = m_switching->isChecked() ? 1 : 0;
    m_form.phoneType = m_pulse->isChecked() ? 1 : 0;
    m_form.music = m_music->isChecked();
    m_form.softwareSound = m_softwareSound->isChecked();
}

void SoundModemDialog::modemTest()
{
    pull();
    m_form.modemTest();
}

void SoundModemDialog::soundTest()
{
    pull();
    m_form.soundTest();
}

void SoundModemDialog::confirm()
{
    pull();
    m_form.confirm();
    accept();
}

void SoundModemDialog::reject()
{
    m_form.cancel();
    CaptionlessDialog::reject();
}
