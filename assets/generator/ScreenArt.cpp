#include "assets/generator/Art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace kiro::assets {

QFont artFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

namespace {

void drawNote(QPainter& p, QPointF at, double size, const QColor& colour, bool twin)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const double head = size * 0.32;
    p.translate(at);
    p.save();
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), head * 1.25, head * 0.9);
    p.restore();
    p.fillRect(QRectF(head * 1.05, -size, size * 0.09, size), colour);
    if (twin) {
        p.save();
        p.translate(size * 0.75, -size * 0.18);
        p.rotate(-20);
        p.drawEllipse(QPointF(0, 0), head * 1.25, head * 0.9);
        p.restore();
        p.fillRect(QRectF(head * 1.05 + size * 0.75, -size * 1.18, size * 0.09, size), colour);
        QPainterPath beam;
        beam.moveTo(head * 1.05, -size);
        beam.lineTo(head * 1.05 + size * 0.84, -size * 1.18);
        beam.lineTo(head * 1.05 + size * 0.84, -size * 1.0);
        beam.lineTo(head * 1.05, -size * 0.82);
        beam.closeSubpath();
        p.drawPath(beam);
    } else {
        QPainterPath flag;
        flag.moveTo(head * 1.05 + size * 0.09, -size);
        flag.cubicTo(head * 1.05 + size * 0.5, -size * 0.8, head * 1.05 + size * 0.5, -size * 0.5,
            head * 1.05 + size * 0.3, -size * 0.35);
        flag.cubicTo(head * 1.05 + size * 0.35, -size * 0.6, head * 1.05 + size * 0.2, -size * 0.75,
            head * 1.05 + size * 0.09, -size * 0.78);
        flag.closeSubpath();
        p.drawPath(flag);
    }
    p.restore();
}

void drawMicrophone(QPainter& p, QPointF centre, double scale)
{
    p.save();
    p.translate(centre);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    // Handle.
    QLinearGradient handle(-10, 0, 10, 0);
    handle.setColorAt(0, QColor(0x30, 0x30, 0x38));
    handle.setColorAt(0.5, QColor(0x90, 0x90, 0xA0));
    handle.setColorAt(1, QColor(0x20, 0x20, 0x28));
    QPainterPath grip;
    grip.moveTo(-11, 18);
    grip.lineTo(11, 18);
    grip.lineTo(6, 110);
    grip.lineTo(-6, 110);
    grip.closeSubpath();
    p.fillPath(grip, handle);
    // Collar.
    QLinearGradient collar(-16, 0, 16, 0);
    collar.setColorAt(0, QColor(0x8A, 0x6A, 0x10));
    collar.setColorAt(0.5, QColor(0xFF, 0xE0, 0x70));
    collar.setColorAt(1, QColor(0x7A, 0x5A, 0x08));
    p.setPen(Qt::NoPen);
    p.setBrush(collar);
    p.drawRoundedRect(QRectF(-16, 8, 32, 14), 4, 4);
    // Grille.
    QRadialGradient ball(QPointF(-10, -20), 44);
    ball.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    ball.setColorAt(0.35, QColor(0xC8, 0xCC, 0xD8));
    ball.setColorAt(1, QColor(0x50, 0x54, 0x64));
    p.setBrush(ball);
    p.drawEllipse(QPointF(0, -12), 30, 30);
    p.setPen(QPen(QColor(0x60, 0x64, 0x74, 140), 1.2));
    for (int i = -24; i <= 24; i += 8) {
        const double half = std::sqrt(30.0 * 30.0 - double(i) * i);
        p.drawLine(QPointF(i, -12 - half), QPointF(i, -12 + half));
        p.drawLine(QPointF(-half, -12 + i), QPointF(half, -12 + i));
    }
    p.restore();
}

void drawGlowText(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font,
    const QColor& fill, const QColor& glow)
{
    p.save();
    p.setFont(font);
    p.setPen(glow);
    for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) {
            if (dx * dx + dy * dy <= 5)
                p.drawText(box.translated(dx, dy), flags, text);
        }
    }
    p.setPen(fill);
    p.drawText(box, flags, text);
    p.restore();
}

} // namespace

QImage drawTopMenu()
{
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, 0, 480);
    sky.setColorAt(0, QColor(0x0B, 0x0F, 0x3A));
    sky.setColorAt(0.55, QColor(0x3A, 0x17, 0x66));
    sky.setColorAt(1, QColor(0x8A, 0x22, 0x6E));
    p.fillRect(image.rect(), sky);

    // Spotlights from the top edge onto the stage.
    for (int i = 0; i < 3; ++i) {
        const double x = 80 + i * 140;
        QPainterPath beam;
        beam.moveTo(x - 8, 0);
        beam.lineTo(x + 8, 0);
        beam.lineTo(x + 110 - i * 60, 420);
        beam.lineTo(x - 40 - i * 60, 420);
        beam.closeSubpath();
        QLinearGradient light(0, 0, 0, 420);
        light.setColorAt(0, QColor(255, 250, 210, 90));
        light.setColorAt(1, QColor(255, 250, 210, 0));
        p.fillPath(beam, light);
    }
    // Stars.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        const int x = (i * 97 + 31) % 640;
        const int y = (i * 53 + 17) % 260;
        p.setBrush(QColor(255, 255, 255, 60 + (i * 37) % 150));
        p.drawEllipse(QPointF(x, y), 1.0 + (i % 3) * 0.5, 1.0 + (i % 3) * 0.5);
    }
    // Stage.
    QLinearGradient stage(0, 410, 0, 480);
    stage.setColorAt(0, QColor(0x5A, 0x1E, 0x3A));
    stage.setColorAt(1, QColor(0x1E, 0x08, 0x18));
    QPainterPath floor;
    floor.moveTo(0, 480);
    floor.lineTo(0, 430);
    floor.quadTo(320, 395, 640, 430);
    floor.lineTo(640, 480);
    floor.closeSubpath();
    p.fillPath(floor, stage);
    p.setPen(QPen(QColor(0xFF, 0xC8, 0x50, 160), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(floor);

    drawMicrophone(p, QPointF(150, 250), 1.35);
    drawNote(p, QPointF(60, 190), 40, QColor(0xFF, 0xD8, 0x60), false);
    drawNote(p, QPointF(235, 170), 46, QColor(0x7F, 0xE0, 0xFF), true);
    drawNote(p, QPointF(285, 330), 34, QColor(0xFF, 0x8A, 0xC8), false);
    drawNote(p, QPointF(50, 370), 30, QColor(0xB0, 0xFF, 0x9A), true);

    // Title.
    drawGlowText(p, QRectF(20, 22, 420, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("通信カラオケ"),
        artFont(34, true), QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0x4F, 0xA8, 120));
    QLinearGradient gold(0, 64, 0, 120);
    gold.setColorAt(0, QColor(0xFF, 0xF4, 0xB0));
    gold.setColorAt(1, QColor(0xE8, 0xA0, 0x20));
    QPainterPath title;
    title.addText(QPointF(24, 116), artFont(58, true), QStringLiteral("KIRO Lite"));
    p.setPen(QPen(QColor(0x60, 0x20, 0x00), 3));
    p.drawPath(title);
    p.fillPath(title, gold);
    drawGlowText(p, QRectF(26, 124, 400, 22), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("歌いたい曲を、いつでも、おうちで。"), artFont(15), QColor(0xE8, 0xE8, 0xFF), QColor(0, 0, 0, 90));

    // The panel behind the screen's five buttons.
    const QRectF panel(444, 118, 180, 304);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 120), 1.5));
    p.setBrush(QColor(0x10, 0x10, 0x30, 150));
    p.drawRoundedRect(panel, 14, 14);
    drawGlowText(p, QRectF(444, 124, 180, 22), Qt::AlignCenter, QStringLiteral("メニュー"), artFont(14, true),
        QColor(0xFF, 0xE8, 0xA0), QColor(0, 0, 0, 120));

    p.setPen(QColor(0xD0, 0xC8, 0xF0));
    p.setFont(artFont(11));
    p.drawText(QRectF(0, 452, 632, 22), Qt::AlignRight | Qt::AlignVCenter,
        QStringLiteral("KIRO Lite  —  karaoke on demand"));
    return image;
}

QImage drawSplash()
{
    QImage image(400, 240, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient back(0, 0, 400, 240);
    back.setColorAt(0, QColor(0x12, 0x18, 0x50));
    back.setColorAt(1, QColor(0x7A, 0x20, 0x70));
    p.fillRect(image.rect(), back);
    p.setPen(QPen(QColor(0xFF, 0xD0, 0x60), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(4, 4, 392, 232));

    drawMicrophone(p, QPointF(74, 118), 0.9);
    drawNote(p, QPointF(350, 205), 26, QColor(0x7F, 0xE0, 0xFF), true);
    drawNote(p, QPointF(28, 200), 24, QColor(0xFF, 0xD8, 0x60), false);

    drawGlowText(p, QRectF(140, 40, 250, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("通信カラオケ"),
        artFont(28, true), QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0x4F, 0xA8, 120));
    QLinearGradient gold(0, 80, 0, 130);
    gold.setColorAt(0, QColor(0xFF, 0xF4, 0xB0));
    gold.setColorAt(1, QColor(0xE8, 0xA0, 0x20));
    QPainterPath title;
    title.addText(QPointF(140, 126), artFont(46, true), QStringLiteral("KIRO Lite"));
    p.setPen(QPen(QColor(0x60, 0x20, 0x00), 2.5));
    p.drawPath(title);
    p.fillPath(title, gold);
    p.setPen(QColor(0xE8, 0xE8, 0xFF));
    p.setFont(artFont(14));
    p.drawText(QRectF(140, 150, 250, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("起動しています…"));
    p.setFont(artFont(11));
    p.setPen(QColor(0xC0, 0xB8, 0xE0));
    p.drawText(QRectF(140, 196, 248, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Version 1.0"));
    return image;
}

} // namespace kiro::assets
