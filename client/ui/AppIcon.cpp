#include "client/ui/AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

namespace kiro::ui {

namespace {

QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QRadialGradient disc(QPointF(12, 10), 22);
    disc.setColorAt(0, QColor(0x7A, 0x4C, 0xD8));
    disc.setColorAt(1, QColor(0x22, 0x18, 0x60));
    p.setPen(QPen(QColor(0xFF, 0xD0, 0x60), 1.5));
    p.setBrush(disc);
    p.drawEllipse(QRectF(1, 1, 30, 30));
    // Microphone: head and handle.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE8, 0xEA, 0xF2));
    p.drawEllipse(QRectF(10, 5, 12, 12));
    p.setBrush(QColor(0xFF, 0xC8, 0x40));
    p.drawRect(QRectF(12.5, 16, 7, 2.5));
    p.setBrush(QColor(0xB0, 0xB4, 0xC4));
    QPolygonF handle;
    handle << QPointF(13, 18.5) << QPointF(19, 18.5) << QPointF(17.5, 28) << QPointF(14.5, 28);
    p.drawPolygon(handle);
    return pixmap;
}

} // namespace

QIcon kiroIcon()
{
    QIcon icon;
    icon.addPixmap(drawIcon(16));
    icon.addPixmap(drawIcon(32));
    return icon;
}

} // namespace kiro::ui
