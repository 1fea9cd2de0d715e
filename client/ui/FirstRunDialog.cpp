#include "client/ui/FirstRunDialog.h"

#include "client/app/Prompt.h"
#include "client/ui/PictureButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

FirstRunDialog::FirstRunDialog(Hooks hooks, kiro::app::Prompt& prompt, QWidget* parent)
    : CaptionlessDialog(615, parent)
    , m_hooks(std::move(hooks))
    , m_prompt(prompt)
{
    auto* welcome = new QLabel(QStringLiteral("通信カラオケ KIRO Lite へようこそ。"), this);
    QFont big = welcome->font();
    big.setPixelSize(18);
    big.setBold(true);
    welcome->setFont(big);
    auto* hint = new QLabel(QStringLiteral("はじめに「通信設定」で、IDとパスワード、\n"
                                           "アクセスポイントとモデムを設定してください。"),
        this);
    hint->setAlignment(Qt::AlignCenter);

    auto* karaoke = new PictureButton(QStringLiteral("1"), QStringLiteral("KIROカラオケ"), this);
    auto* setup = new PictureButton(QStringLiteral("setup"), QStringLiteral("通信設定"), this);
    auto* quit = new PictureButton(QStringLiteral("2"), QStringLiteral("終了"), this);
    for (PictureButton* b : {karaoke, setup, quit})
        b->setFixedSize(112, 32);
    connect(karaoke, &PictureButton::clicked, this, &FirstRunDialog::enterKaraoke);
    connect(setup, &PictureButton::clicked, this, [this]() {
        if (m_hooks.runUserSettings)
            m_hooks.runUserSettings(this);
    });
    connect(quit, &PictureButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 22, 24, 18);
    layout->setSpacing(14);
    layout->addWidget(welcome, 0, Qt::AlignCenter);
    layout->addWidget(hint, 0, Qt::AlignCenter);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(karaoke);
    row->addWidget(setup);
    row->addWidget(quit);
    layout->addLayout(row);
    setFixedSize(420, 190);
}

void FirstRunDialog::enterKaraoke()
{
    if (m_hooks.setupIsOK && m_hooks.setupIsOK()) {
        accept();
        return;
    }
    m_prompt.message("通信設定を行ってください。");
}
