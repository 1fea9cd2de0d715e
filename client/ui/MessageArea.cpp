#include "client/ui/MessageArea.h"

#include <QPainter>

namespace {
constexpr int Margin = 10;
constexpr int TextFlags = Qt::AlignCenter | Qt::TextWordWrap;
}

MessageArea::MessageArea(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("1011"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void MessageArea::setText(const QString& text)
{
    m_text = text;
    updateGeometry();
    update();
}

int MessageArea::heightForWidth(int width) const
{
    const QRect bounds = fontMetrics().boundingRect(QRect(0, 0, std::max(40, width - 2 * Margin), 10000), TextFlags, m_text);
    return bounds.height() + 2 * Margin;
}

QSize MessageArea::sizeHint() const
{
    return {300, heightForWidth(300)};
}

void MessageArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect box = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(box, QColor(0xFF, 0xFF, 0xFF));
    painter.setPen(QColor(0x9A, 0xA8, 0xC8));
    painter.drawRect(box);
    painter.setPen(QColor(0x10, 0x18, 0x30));
    painter.drawText(rect().adjusted(Margin, Margin, -Margin, -Margin), TextFlags, m_text);
}
