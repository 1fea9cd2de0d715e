#include "client/ui/setup/SetupWidgets.h"

#include "client/ui/PictureButton.h"

#include <QLabel>

namespace kiro::setupui {

QLabel* titleLabel(const QString& text, QWidget* parent)
{
    auto* title = new QLabel(text, parent);
    QFont big = title->font();
    big.setPixelSize(18);
    big.setBold(true);
    title->setFont(big);
    return title;
}

PictureButton* labelButton(const QString& id, const QString& text, QWidget* parent, int width)
{
    auto* button = new PictureButton(id, text, parent);
    button->setFixedSize(width, 30);
    return button;
}

} // namespace kiro::setupui
