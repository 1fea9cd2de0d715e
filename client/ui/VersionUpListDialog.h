#pragma once

#include "client/services/VersionUpList.h"
#include "client/ui/CaptionlessDialog.h"

#include <vector>

class PictureButton;
class QTreeWidget;

// Template 533: the version-up list. A tab "バージョンアップリスト" over a
// list of the known updates (program, version, state) with a small image
// telling received from not received; "もどる" closes it. The rows come
// from loadVersionUpList; the dialog only shows them.
class VersionUpListDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    VersionUpListDialog(const std::vector<kiro::services::VersionUpListRow>& rows, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }

private:
    QTreeWidget* m_list;
    PictureButton* m_back;
};
