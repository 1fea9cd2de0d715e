#pragma once

#include "client/catalogue/DownloadedList.h"
#include "client/ui/CaptionlessDialog.h"

#include <QIcon>
#include <QList>
#include <QString>

namespace kiro::app {
class Prompt;
}
namespace kiro::db {
class CatalogueDb;
}
class PictureButton;
class QTreeWidget;
class SetDeleteDialog;

// The songs of a course that are on the disk, one tab "ダウンロード済みリスト",
// with "削除" (a set goes as a whole, after SetDeleteDialog) and, for course
// 50, the link filter. A thin view over DownloadedList.
class DownloadedListDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    DownloadedListDialog(kiro::db::CatalogueDb& db, int course, const QString& installFolder,
        const QString& systemFolder, kiro::app::Prompt& prompt, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_view; }
    PictureButton* linkFilterButton() const { return m_filter; }
    const kiro::catalogue::DownloadedList& rows() const { return m_list; }

    // The "削除" button for the selected row.
    void deleteSelected();
    // The link filter button (course 50).
    void cycleLinkFilter();

signals:
    // The set confirmation was created (tests answer it while it is modal).
    void setDeleteDialogOpened(SetDeleteDialog* dialog);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showRows();
    bool confirmSet(const kiro::catalogue::SetDeletion& set);

    kiro::catalogue::DownloadedList m_list;
    QList<QIcon> m_icons;
    QList<QIcon> m_songIcons;
    QTreeWidget* m_view = nullptr;
    PictureButton* m_filter = nullptr;
};
