#include "client/ui/NoticeLayout.h"

#include "client/ui/MessageArea.h"
#include "client/ui/PictureButton.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace kiro::ui {

namespace {
constexpr int NoticeWidth = 340;
}

void layOutNotice(QDialog* dialog, MessageArea* area, const QList<PictureButton*>& buttons)
{
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->setSpacing(12);
    layout->addWidget(area, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (PictureButton* button : buttons) {
        button->setFixedSize(96, 30);
        row->addWidget(button);
    }
    row->addStretch(1);
    layout->addLayout(row);
    fitNotice(dialog);
}

void fitNotice(QDialog* dialog)
{
    auto* area = dialog->findChild<MessageArea*>(QStringLiteral("1011"));
    const int areaHeight = area ? std::max(72, area->heightForWidth(NoticeWidth - 32)) : 72;
    dialog->setFixedSize(NoticeWidth, areaHeight + 16 + 12 + 30 + 14);
}

} // namespace kiro::ui
