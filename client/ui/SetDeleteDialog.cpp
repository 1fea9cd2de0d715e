#include "client/ui/SetDeleteDialog.h"

#include "client/ui/PictureButton.h"
#include "client/ui/SongBookWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

using songbook::qs;

SetDeleteDialog::SetDeleteDialog(const kiro::catalogue::SetDeletion& set, const QList<QIcon>& songIcons, QWidget* parent)
    : CaptionlessDialog(146, parent)
{
    auto* label = new QLabel(qs(kiro::catalogue::DownloadedList::kSetDeleteText), this);
    m_list = songbook::makeList({"曲名", "作曲者/アーティスト"}, this);
    m_list->setObjectName(QStringLiteral("setSongs"));
    for (const auto& song : set.songs) {
        auto* item = new QTreeWidgetItem(m_list, QStringList{qs(song.name), qs(song.singer)});
        if (song.icon >= 0 && song.icon < songIcons.size())
            item->setIcon(0, songIcons[song.icon]);
    }
    m_list->setFixedSize(380, 160);
    auto* remove = new PictureButton(QStringLiteral("1"), QStringLiteral("削除"), this);
    auto* cancel = new PictureButton(QStringLiteral("2"), QStringLiteral("キャンセル"), this);
    for (PictureButton* b : {remove, cancel})
        b->setFixedSize(100, 30);
    connect(remove, &PictureButton::clicked, this, [this]() { done(1); });
    connect(cancel, &PictureButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->addWidget(label);
    layout->addWidget(m_list);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(remove);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    adjustSize();
    songbook::applyWeights(m_list, {5, 4});
}
