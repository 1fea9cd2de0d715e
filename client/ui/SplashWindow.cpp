#include "client/ui/SplashWindow.h"

#include "client/ui/PictureButton.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

SplashWindow::SplashWindow(const QString& systemFolder, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_picture(new PictureButton(this))
{
    setObjectName(QStringLiteral("484"));
    m_picture->setObjectName(QStringLiteral("1422"));
    m_picture->setFlat(true);
    if (m_picture->loadPicture(QDir(systemFolder).filePath(QStringLiteral("Lite001.bmp"))))
        setFixedSize(m_picture->dib().width(), m_picture->dib().height());
    else
        setFixedSize(400, 240);
    m_picture->setGeometry(rect());
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    if (m_picture->hasPicture())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x1A, 0x20, 0x58));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(24);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("通信カラオケ KIRO Lite"));
}
