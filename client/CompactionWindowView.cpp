#include "client/CompactionWindowView.h"

#include "client/ui/CompactionProgress.h"

#include <QApplication>
#include <QWidget>

namespace kiro::client {

CompactionWindowView::CompactionWindowView(QWidget* menu)
    : m_menu(menu)
{
}

CompactionWindowView::~CompactionWindowView() = default;

void CompactionWindowView::setBusy(bool busy)
{
    if (m_menu)
        m_menu->setEnabled(!busy);
}

void CompactionWindowView::showProgress(const std::string&)
{
    // The notice's own text ("データベースを最適化中...") is fixed.
    m_notice = std::make_unique<::CompactionProgress>(m_menu);
    m_notice->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CompactionWindowView::setStatus(const std::string& status)
{
    if (m_notice)
        m_notice->setStatus(QString::fromStdString(status));
}

void CompactionWindowView::hideProgress()
{
    if (m_notice)
        m_notice->hide();
    m_notice.reset();
}

} // namespace kiro::client
