#include "client/ui/SetContentsDialog.h"

#include "client/ui/PictureButton.h"
#include "client/ui/SongBookWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

using songbook::qs;

SetContentsDialog::SetContentsDialog(const std::vector<kiro::catalogue::SetSong>& songs, const QList<QIcon>& icons,
    const QString& text, QWidget* parent)
    : CaptionlessDialog(142, parent)
{
    auto* label = new QLabel(text, this);
    QTreeWidget* list = songbook::makeList({"曲名", "作曲者/アーティスト"}, this);
    list->setObjectName(QStringLiteral("setSongs"));
    for (const auto& song : songs) {
        auto* item = new QTreeWidgetItem(list, QStringList{qs(song.name), qs(song.singer)});
        if (song.downloaded >= 0 && icons.size() > song.downloaded)
            item->setIcon(0, icons[song.downloaded]);
    }
    list->setFixedSize(380, 160);
    auto* cancelSet = new PictureButton(QStringLiteral("1"), QStringLiteral("取消"), this);
    auto* keep = new PictureButton(QStringLiteral("2"), QStringLiteral("キャンセル"), this);
    for (PictureButton* b : {cancelSet, keep})
        b->setFixedSize(100, 30);
    connect(cancelSet, &PictureButton::clicked, this, &QDialog::accept);
    connect(keep, &PictureButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->addWidget(label);
    layout->addWidget(list);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelSet);
    buttons->addWidget(keep);
    layout->addLayout(buttons);
    adjustSize();
    songbook::applyWeights(list, {5, 4});
}
