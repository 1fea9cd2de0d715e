#pragma once

#include "client/catalogue/DownloadedList.h"
#include "client/ui/CaptionlessDialog.h"

#include <QIcon>
#include <QList>

class QTreeWidget;

// The downloaded songs of a set, shown before the whole set leaves the disk:
// "削除" ends the dialog with 1, "キャンセル" rejects it.
class SetDeleteDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    SetDeleteDialog(const kiro::catalogue::SetDeletion& set, const QList<QIcon>& songIcons, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }

private:
    QTreeWidget* m_list;
};
