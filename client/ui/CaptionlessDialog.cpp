#include "client/ui/CaptionlessDialog.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

CaptionlessDialog::CaptionlessDialog(int templateId, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QString::number(templateId));
}

void CaptionlessDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(0xF4, 0xF6, 0xFC));
    gradient.setColorAt(1, QColor(0xDD, 0xE4, 0xF2));
    painter.fillRect(rect(), gradient);
    painter.setPen(QColor(0x2C, 0x3C, 0x64));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(QColor(0xFF, 0xFF, 0xFF));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}

void CaptionlessDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void CaptionlessDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
    QDialog::mouseMoveEvent(event);
}

void CaptionlessDialog::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}

void CaptionlessDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A focused button takes Return itself; otherwise button 1 does.
        auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
        auto* button = focused ? focused : findChild<QAbstractButton*>(QStringLiteral("1"), Qt::FindDirectChildrenOnly);
        if (button && button->isEnabled() && button->isVisible()) {
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}
