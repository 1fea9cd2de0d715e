#include "client/ui/DownloadedListDialog.h"

#include "client/ui/PictureButton.h"
#include "client/ui/SetDeleteDialog.h"
#include "client/ui/SongBookWidgets.h"

#include <QHBoxLayout>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

using songbook::qs;

namespace {

const std::vector<int> kWeights{5, 3};

std::vector<std::string> headersFor(int course)
{
    if (course == 50)
        return {"曲名/曲集名", "作曲者/アーティスト"};
    return {"曲名", "アーティスト"};
}

} // namespace

DownloadedListDialog::DownloadedListDialog(kiro::db::CatalogueDb& db, int course, const QString& installFolder,
    const QString& systemFolder, kiro::app::Prompt& prompt, QWidget* parent)
    : CaptionlessDialog(140, parent)
    , m_list(db, course, installFolder.toStdString(), prompt,
          [this](const kiro::catalogue::SetDeletion& set) { return confirmSet(set); })
    , m_icons(songbook::rowIcons(systemFolder, course))
    , m_songIcons(songbook::rowIcons(systemFolder, 10))
{
    auto* tabs = new QTabBar(this);
    tabs->setExpanding(false);
    tabs->addTab(QStringLiteral("ダウンロード済みリスト"));
    m_view = songbook::makeList(headersFor(course), this);
    m_view->setObjectName(QStringLiteral("downloaded"));
    m_view->setIconSize(songbook::rowIconSize(course));
    m_view->setMinimumSize(520, 300);

    auto* back = new PictureButton(QStringLiteral("back"), QStringLiteral("もどる"), this);
    auto* remove = new PictureButton(QStringLiteral("delete"), QStringLiteral("削除"), this);
    m_filter = new PictureButton(QStringLiteral("linkFilter"), qs(kiro::catalogue::DownloadedList::kLinkFilterCaptions[0]), this);
    m_filter->setVisible(course == 50);
    for (PictureButton* b : {back, remove, m_filter})
        b->setFixedSize(100, 30);
    connect(back, &PictureButton::clicked, this, &QDialog::accept);
    connect(remove, &PictureButton::clicked, this, &DownloadedListDialog::deleteSelected);
    connect(m_filter, &PictureButton::clicked, this, &DownloadedListDialog::cycleLinkFilter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(0);
    layout->addWidget(tabs);
    layout->addWidget(m_view, 1);
    layout->addSpacing(10);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_filter);
    buttons->addStretch();
    buttons->addWidget(remove);
    buttons->addWidget(back);
    layout->addLayout(buttons);
    adjustSize();
    m_list.fill();
    showRows();
}

void DownloadedListDialog::showRows()
{
    m_view->clear();
    for (const auto& row : m_list.rows()) {
        auto* item = new QTreeWidgetItem(m_view, QStringList{qs(row.name), qs(row.singer)});
        if (row.icon >= 0 && row.icon < m_icons.size())
            item->setIcon(0, m_icons[row.icon]);
    }
}

void DownloadedListDialog::deleteSelected()
{
    QTreeWidgetItem* current = m_view->currentItem();
    const int row = current && current->isSelected() ? m_view->indexOfTopLevelItem(current) : -1;
    if (m_list.deleteRow(row))
        showRows();
}

void DownloadedListDialog::cycleLinkFilter()
{
    m_list.cycleLinkFilter();
    m_filter->setText(qs(kiro::catalogue::DownloadedList::kLinkFilterCaptions[m_list.linkFilter()]));
    m_filter->update();
    showRows();
}

bool DownloadedListDialog::confirmSet(const kiro::catalogue::SetDeletion& set)
{
    SetDeleteDialog dialog(set, m_songIcons, this);
    emit setDeleteDialogOpened(&dialog);
    return dialog.exec() == 1;
}

void DownloadedListDialog::resizeEvent(QResizeEvent* event)
{
    CaptionlessDialog::resizeEvent(event);
    songbook::applyWeights(m_view, kWeights);
}
