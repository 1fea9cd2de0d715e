#include "client/CompactionWindowView.h"

#include "client/app/Prompt.h"
#include "client/ui/CompactionProgress.h"

#include <QApplication>
#include <QWidget>

namespace kiro::client {

CompactionWindowView::CompactionWindowView(kiro::app::Prompt& prompt, QWidget* menu)
    : m_prompt(prompt)
    , m_menu(menu)
{
}

CompactionWindowView::~CompactionWindowView() = default;

bool CompactionWindowView::confirm(const std::string& question)
{
    return m_prompt.question(question) == kiro::app::PromptAnswer::First;
}

void CompactionWindowView::message(const std::string& text)
{
    m_prompt.message(text);
}

void CompactionWindowView::setBusy(bool busy)
{
    // The menu marks itself busy while any entry runs; here the menu only
    // must not take input while the files are moved.
    if (m_menu)
        m_menu->setEnabled(!busy);
}

void CompactionWindowView::showProgress(const std::string&)
{
    // The notice's own text ("データベースを最適化中...") is fixed.
    m_progress = std::make_unique<CompactionProgress>(m_menu);
    m_progress->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CompactionWindowView::setStatus(const std::string& status)
{
    if (m_progress)
        m_progress->setStatus(QString::fromStdString(status));
}

void CompactionWindowView::hideProgress()
{
    if (m_progress)
        m_progress->hide();
    m_progress.reset();
}

} // namespace kiro::client
