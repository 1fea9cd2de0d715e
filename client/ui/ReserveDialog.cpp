#include "client/ui/ReserveDialog.h"

#include "client/ui/PictureButton.h"
#include "client/ui/SongBookWidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

using kiro::catalogue::ReserveResult;
using songbook::qs;

ReserveDialog::ReserveDialog(int course, const kiro::catalogue::ProductDetails& p, bool needsDownload,
    kiro::app::Prompt& prompt, QWidget* parent)
    : CaptionlessDialog(140, parent)
    , m_offer(course, p.price1, p.price2, needsDownload)
    , m_prompt(prompt)
    , m_fields(new QGridLayout)
{
    addField("曲名：", p.name);
    addField(course == 50 ? "作曲者/ｱｰﾃｨｽﾄ：" : "歌手：", p.singer);
    if (course != 50) {
        addField("作詞：", p.lyricist);
        addField("作曲：", p.composer);
    }
    addField(course == 50 ? "備考：" : "歌い出し：", p.firstWords);
    addField("JASRAC：", p.jasrac);
    finish(nullptr);
}

ReserveDialog::ReserveDialog(int course, const kiro::catalogue::SetForReserve& set, bool needsDownload,
    const QList<QIcon>& icons, kiro::app::Prompt& prompt, QWidget* parent)
    : CaptionlessDialog(141, parent)
    , m_offer(course, set.price1, set.price2, needsDownload)
    , m_prompt(prompt)
    , m_fields(new QGridLayout)
{
    addField("曲集名：", set.name);
    addField("作曲者/ｱｰﾃｨｽﾄ：", set.composer);
    addField("備考:", set.firstWords);
    addField("JASRAC:", set.jasrac);
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("この商品はセット商品です。セット内容は以下の通りです。"), box));
    QTreeWidget* list = songbook::makeList({"曲名", "作曲者/アーティスト", "備考"}, box);
    list->setObjectName(QStringLiteral("setSongs"));
    list->setIconSize(songbook::rowIconSize(16));
    for (const auto& song : set.songs) {
        auto* item = new QTreeWidgetItem(list, QStringList{qs(song.name), qs(song.singer), qs(song.firstWords)});
        if (song.downloaded >= 0 && song.downloaded < 2 && icons.size() > song.downloaded)
            item->setIcon(0, icons[song.downloaded]);
    }
    list->setFixedSize(420, 140);
    layout->addWidget(list);
    finish(box);
    songbook::applyWeights(list, {5, 4, 4});
}

void ReserveDialog::addField(const char* label, const std::string& value)
{
    const int row = m_fields->rowCount();
    m_fields->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0, Qt::AlignRight | Qt::AlignTop);
    auto* text = new QLabel(qs(value), this);
    text->setWordWrap(true);
    text->setObjectName(QString::fromUtf8(label));
    m_fields->addWidget(text, row, 1);
}

void ReserveDialog::finish(QWidget* extra)
{
    auto* oneTime = new PictureButton(QStringLiteral("oneTime"), qs(m_offer.oneTimeCaption()), this);
    auto* keeping = new PictureButton(QStringLiteral("keeping"), qs(m_offer.keepingCaption()), this);
    auto* cancel = new PictureButton(QStringLiteral("cancel"), QStringLiteral("キャンセル"), this);
    oneTime->setVisible(m_offer.oneTimeShown());
    keeping->setEnabled(m_offer.keepingEnabled());
    for (PictureButton* b : {oneTime, keeping, cancel})
        b->setFixedSize(120, 30);
    connect(oneTime, &PictureButton::clicked, this, [this]() { press(true); });
    connect(keeping, &PictureButton::clicked, this, [this]() { press(false); });
    connect(cancel, &PictureButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->addLayout(m_fields);
    if (extra)
        layout->addWidget(extra);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(oneTime);
    buttons->addWidget(keeping);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setMinimumWidth(460);
    adjustSize();
}

void ReserveDialog::press(bool oneTime)
{
    const auto result = oneTime ? m_offer.pressOneTime(m_prompt) : m_offer.pressKeeping(m_prompt);
    if (!result)
        return;
    m_choice = *result;
    accept();
}
