#include "client/ui/SearchKeyboard.h"

#include "common/FileNames.h"

#include <QMouseEvent>
#include <QPainter>

using kiro::catalogue::SearchKeyboardLayout;

SearchKeyboard::SearchKeyboard(const QString& systemFolder, QWidget* parent)
    : QWidget(parent)
    , m_systemFolder(systemFolder)
{
    setObjectName(QStringLiteral("SearchKeyboard"));
    setFixedSize(142, 395);
    setCursor(Qt::PointingHandCursor);
    loadPicture();
}

void SearchKeyboard::loadPicture()
{
    m_dib.clear();
    if (const auto file = kiro::filenames::findInFolder(m_systemFolder.toStdString(), m_layout.bitmapName()))
        m_dib.load(QString::fromStdString(file->string()));
    update();
}

void SearchKeyboard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_dib.isValid()) {
        p.drawImage(0, 0, m_dib.image());
        return;
    }
    // Without the picture the keys are drawn plainly, so the keyboard works.
    p.fillRect(rect(), QColor(0xF0, 0xF0, 0xF4));
    p.setPen(QColor(0x60, 0x60, 0x70));
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 5; ++c) {
            const QRect cell(1 + c * 28, 1 + r * 28, 27, 27);
            p.drawRect(cell);
            p.drawText(cell, Qt::AlignCenter,
                QString::fromStdString(SearchKeyboardLayout::character(m_layout.layout(), r, c)));
        }
    const char* labels[] = {"←", "BS", "→"};
    for (int c = 0; c < 3; ++c) {
        const QRect cell(1 + c * 28, 337, 27, 56);
        p.drawRect(cell);
        p.drawText(cell, Qt::AlignCenter, QString::fromUtf8(labels[c]));
    }
    p.drawRect(QRect(85, 337, 55, 27));
    p.drawText(QRect(85, 337, 55, 27), Qt::AlignCenter, QStringLiteral("空白"));
    p.drawRect(QRect(85, 365, 55, 28));
    p.drawText(QRect(85, 365, 55, 28), Qt::AlignCenter,
        m_layout.layout() == SearchKeyboardLayout::kKatakana ? QStringLiteral("ABC") : QStringLiteral("ｱｲｳ"));
}

void SearchKeyboard::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        clickAt(event->position().toPoint());
}

void SearchKeyboard::clickAt(const QPoint& point)
{
    const SearchKeyboardLayout::Hit hit = m_layout.hitTest(point.x(), point.y());
    switch (hit.action) {
    case SearchKeyboardLayout::Action::None:
        break;
    case SearchKeyboardLayout::Action::Character:
        emit characterTyped(QString::fromStdString(hit.character));
        break;
    case SearchKeyboardLayout::Action::CursorLeft:
        emit editKeyPressed(Qt::Key_Left);
        break;
    case SearchKeyboardLayout::Action::Backspace:
        emit editKeyPressed(Qt::Key_Backspace);
        break;
    case SearchKeyboardLayout::Action::CursorRight:
        emit editKeyPressed(Qt::Key_Right);
        break;
    case SearchKeyboardLayout::Action::SwitchLayout:
        m_layout.switchLayout();
        loadPicture();
        break;
    }
}
