#include "client/ui/CompactionProgress.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

CompactionProgress::CompactionProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("592"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#592 { background: #EEF2FA; border: 1px solid #2C3C64; }"));
    auto* title = new QLabel(QStringLiteral("データベースを最適化中..."), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_status->setObjectName(QStringLiteral("1015"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addWidget(title, 0, Qt::AlignCenter);
    layout->addWidget(m_status, 0, Qt::AlignCenter);
    setFixedSize(300, 90);
    if (parent)
        move(parent->mapToGlobal(parent->rect().center()) - rect().center());
}

void CompactionProgress::setStatus(const QString& text)
{
    m_status->setText(text);
    // The compaction runs on the main thread: let the new line be drawn.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString CompactionProgress::status() const
{
    return m_status->text();
}
