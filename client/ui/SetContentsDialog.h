#pragma once

#include "client/catalogue/SetContents.h"
#include "client/ui/CaptionlessDialog.h"

#include <QIcon>
#include <QList>
#include <QString>

// The songs of a set, shown before the whole set's reservation is cancelled:
// "取消" accepts, "キャンセル" rejects.
class SetContentsDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    SetContentsDialog(const std::vector<kiro::catalogue::SetSong>& songs, const QList<QIcon>& icons,
        const QString& text, QWidget* parent = nullptr);
};
