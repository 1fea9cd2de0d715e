#include "client/ui/PictureButton.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

PictureButton::PictureButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

PictureButton::PictureButton(const QString& objectName, const QString& label, QWidget* parent)
    : PictureButton(parent)
{
    setObjectName(objectName);
    setText(label);
}

bool PictureButton::loadPicture(const QString& path)
{
    const bool loaded = m_dib.load(path);
    update();
    return loaded;
}

void PictureButton::clearPicture()
{
    m_dib.clear();
    update();
}

void PictureButton::setFlat(bool flat)
{
    m_flat = flat;
    setFocusPolicy(flat ? Qt::NoFocus : Qt::StrongFocus);
    setCursor(flat ? Qt::ArrowCursor : Qt::PointingHandCursor);
    update();
}

QSize PictureButton::sizeHint() const
{
    if (m_dib.isValid())
        return {m_dib.width(), m_dib.height()};
    const QFontMetrics metrics(font());
    return {std::max(88, metrics.horizontalAdvance(text()) + 28), std::max(30, metrics.height() + 14)};
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_dib.isValid()) {
        m_dib.draw(painter, rect());
        if (!m_flat && isDown())
            painter.fillRect(rect(), QColor(0, 0, 0, 60));
        return;
    }
    if (m_flat)
        return;
    paintLabel(painter);
}

void PictureButton::paintLabel(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF face = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QPainterPath path;
    path.addRoundedRect(face, 5, 5);

    const bool enabled = isEnabled();
    const bool down = isDown();
    const bool hot = underMouse() && enabled;
    QLinearGradient gradient(face.topLeft(), face.bottomLeft());
    if (!enabled) {
        gradient.setColorAt(0, QColor(0xE4, 0xE4, 0xE8));
        gradient.setColorAt(1, QColor(0xD2, 0xD2, 0xD8));
    } else if (down) {
        gradient.setColorAt(0, QColor(0x9C, 0xB8, 0xE0));
        gradient.setColorAt(1, QColor(0xC8, 0xDA, 0xF4));
    } else {
        gradient.setColorAt(0, hot ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xFA, 0xFB, 0xFF));
        gradient.setColorAt(1, hot ? QColor(0xD6, 0xE4, 0xFA) : QColor(0xC9, 0xD6, 0xEC));
    }
    painter.fillPath(path, gradient);
    painter.setPen(QPen(enabled ? QColor(0x3A, 0x4E, 0x7A) : QColor(0xA0, 0xA0, 0xA8), hasFocus() ? 2.0 : 1.0));
    painter.drawPath(path);

    painter.setPen(enabled ? QColor(0x14, 0x1E, 0x3C) : QColor(0x98, 0x98, 0xA0));
    QRect textRect = rect();
    if (down)
        textRect.translate(1, 1);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
}
