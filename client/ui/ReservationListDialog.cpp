#include "client/ui/ReservationListDialog.h"

#include "client/app/Prompt.h"
#include "client/db/DbError.h"
#include "client/ui/PictureButton.h"
#include "client/ui/SetContentsDialog.h"
#include "client/ui/SongBookWidgets.h"

#include <QHBoxLayout>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

using songbook::qs;

ReservationListDialog::ReservationListDialog(kiro::db::CatalogueDb& db, int course, kiro::app::Prompt& prompt,
    const QString& installFolder, const QString& systemFolder, QWidget* parent, const QRect& tabArea)
    : CaptionlessDialog(138, parent)
    , m_db(db)
    , m_list(db, course, prompt, installFolder.toStdString())
    , m_icons(songbook::rowIcons(systemFolder, course))
    , m_songIcons(songbook::rowIcons(systemFolder, 10))
{
    auto* tabs = new QTabBar(this);
    tabs->addTab(QStringLiteral("予約中リスト"));
    m_view = songbook::makeList(m_list.headers(), this);
    m_view->setObjectName(QStringLiteral("reservations"));
    m_view->setIconSize(songbook::rowIconSize(course));
    m_view->setFixedSize(520, 300);
    connect(m_view, &QTreeWidget::itemDoubleClicked, this, &ReservationListDialog::cancelSelected);

    auto* back = new PictureButton(QStringLiteral("back"), QStringLiteral("もどる"), this);
    auto* cancel = new PictureButton(QStringLiteral("cancelReservation"), QStringLiteral("取消"), this);
    auto* filter = new PictureButton(QStringLiteral("linkFilter"), QStringLiteral("全部表示"), this);
    filter->setVisible(course == 50);
    for (PictureButton* b : {back, cancel, filter})
        b->setFixedSize(100, 30);
    connect(back, &PictureButton::clicked, this, &QDialog::accept);
    connect(cancel, &PictureButton::clicked, this, &ReservationListDialog::cancelSelected);
    connect(filter, &PictureButton::clicked, this, [this, filter]() {
        filter->setText(qs(m_list.cycleLinkFilter()));
        filter->update();
        refill();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addWidget(tabs);
    layout->addWidget(m_view);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(filter);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(back);
    layout->addLayout(buttons);
    adjustSize();
    placeOver(tabArea);
    songbook::applyWeights(m_view, m_list.weights());
    refill();
}

void ReservationListDialog::placeOver(const QRect& tabArea)
{
    if (!tabArea.isValid())
        return;
    // The list grows to fill the area; it never shrinks below the size its
    // columns need, and then the dialog is centred on the area instead.
    const QSize chrome = size() - m_view->size();
    const QSize wanted = tabArea.size() - chrome;
    m_view->setFixedSize(wanted.expandedTo(m_view->size()));
    adjustSize();
    QRect frame(QPoint(), size());
    frame.moveCenter(tabArea.center());
    if (size().width() <= tabArea.width() && size().height() <= tabArea.height())
        frame.moveTopLeft(tabArea.topLeft());
    move(frame.topLeft());
}

void ReservationListDialog::refill()
{
    m_view->clear();
    try {
        m_list.fill();
    } catch (const kiro::db::DbError&) {
        return; // an unreadable list shows empty
    }
    showRows();
}

void ReservationListDialog::showRows()
{
    m_view->clear();
    for (const auto& row : m_list.rows()) {
        QStringList texts{qs(row.name), qs(row.singer)};
        if (m_view->columnCount() > 2)
            texts << qs(row.state);
        auto* item = new QTreeWidgetItem(m_view, texts);
        if (row.icon >= 0 && row.icon < m_icons.size())
            item->setIcon(0, m_icons[row.icon]);
    }
}

void ReservationListDialog::cancelSelected()
{
    QTreeWidgetItem* current = m_view->currentItem();
    const int row = current && current->isSelected() ? m_view->indexOfTopLevelItem(current) : -1;
    m_list.cancel(row, [this](const std::string& set) {
        std::vector<kiro::catalogue::SetSong> songs;
        try {
            songs = kiro::catalogue::loadSetContents(m_db, m_list.course(), set);
        } catch (const kiro::db::DbError&) {
        }
        SetContentsDialog dialog(songs, m_songIcons,
            QStringLiteral("この商品はセット商品です。\nセット内容のすべての商品の予約が\n取り消されます。"), this);
        return dialog.exec() == QDialog::Accepted;
    });
    showRows(); // the cancel filled the list again
}
