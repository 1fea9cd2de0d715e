#include "assets/generator/Art.h"

#include <QPainter>
#include <QPainterPath>

namespace kiro::assets {

namespace {

// A disc with a note: filled green when the song is on the disk, an empty
// grey ring when it still has to be received.
void drawSongIcon(QPainter& p, QPointF centre, bool downloaded)
{
    p.save();
    p.translate(centre);
    if (downloaded) {
        p.setPen(QPen(QColor(0x10, 0x60, 0x20), 1));
        p.setBrush(QColor(0x3C, 0xC0, 0x50));
    } else {
        p.setPen(QPen(QColor(0x80, 0x88, 0x98), 1.2));
        p.setBrush(QColor(0xF4, 0xF4, 0xF8));
    }
    p.drawEllipse(QPointF(0, 0), 6.5, 6.5);
    const QColor ink = downloaded ? QColor(0xFF, 0xFF, 0xFF) : QColor(0x70, 0x78, 0x88);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(-1.5, 2.5), 2.0, 1.6);
    p.fillRect(QRectF(0.2, -4, 1.1, 6.5), ink);
    p.restore();
}

// The set mark of the performance course: a stack (parent) or a stem (child).
void drawLinkMark(QPainter& p, QPointF centre, int linkSign)
{
    p.save();
    p.translate(centre);
    p.setPen(QPen(QColor(0x50, 0x30, 0x90), 1));
    if (linkSign == 1) {
        p.setBrush(QColor(0xE8, 0xD8, 0xFF));
        p.drawRect(QRectF(-5, -5, 8, 8));
        p.drawRect(QRectF(-3, -3, 8, 8));
    } else if (linkSign == 2) {
        p.drawLine(QPointF(-5, -6), QPointF(-5, 2));
        p.drawLine(QPointF(-5, 2), QPointF(3, 2));
        p.setBrush(QColor(0xE8, 0xD8, 0xFF));
        p.drawEllipse(QPointF(4, 2), 2.2, 2.2);
    }
    p.restore();
}

} // namespace

QImage drawRowIcons16()
{
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawSongIcon(p, QPointF(8, 8), false);
    drawSongIcon(p, QPointF(24, 8), true);
    return image;
}

QImage drawRowIcons32()
{
    QImage image(7 * 32, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int index = 1; index < 7; ++index) {
        const int downloaded = (index - 1) % 2;
        const int linkSign = (index - 1) / 2;
        drawLinkMark(p, QPointF(index * 32 + 8, 8), linkSign);
        drawSongIcon(p, QPointF(index * 32 + 23, 8), downloaded == 1);
    }
    return image;
}

} // namespace kiro::assets
