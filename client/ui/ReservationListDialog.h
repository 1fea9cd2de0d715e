#pragma once

#include "client/catalogue/ReservationList.h"
#include "client/ui/CaptionlessDialog.h"

#include <QIcon>
#include <QList>
#include <QRect>

namespace kiro::app {
class Prompt;
}
namespace kiro::db {
class CatalogueDb;
}
class PictureButton;
class QTreeWidget;

// The reservations of the course ("予約中リスト") with "取消", "もどる" and,
// for course 50, the link filter; reports what was cancelled. Given the
// karaoke screen's tab area (screen coordinates), it lies over that area so
// the list it replaces for a while is where the user was looking.
class ReservationListDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    ReservationListDialog(kiro::db::CatalogueDb& db, int course, kiro::app::Prompt& prompt, const QString& installFolder,
        const QString& systemFolder, QWidget* parent = nullptr, const QRect& tabArea = {});

    int cancelledNotDownloaded() const { return m_list.cancelledNotDownloaded(); }
    int cancelledOneTime() const { return m_list.cancelledOneTime(); }
    QTreeWidget* listView() const { return m_view; }

    void cancelSelected();

private:
    void placeOver(const QRect& tabArea);
    void refill();
    void showRows();

    kiro::db::CatalogueDb& m_db;
    kiro::catalogue::ReservationList m_list;
    QTreeWidget* m_view;
    QList<QIcon> m_icons;
    QList<QIcon> m_songIcons;
};
