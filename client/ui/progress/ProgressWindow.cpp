#include "client/ui/progress/ProgressWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kiro::ui {

ProgressWindow::ProgressWindow(QWidget *owner) : QDialog(owner), m_owner(owner)
{
    setModal(false);
    setWindowTitle(QStringLiteral("通信中"));
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *layout = new QVBoxLayout(this);
    for (auto &line : m_lines) {
        line = new QLabel(this);
        line->setMinimumWidth(280);
        line->setTextFormat(Qt::PlainText);
        layout->addWidget(line);
    }
    // The status line is the one the user reads; keep it apart from the figures.
    m_lines[static_cast<int>(online::ProgressLine::Status)]->setWordWrap(true);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    layout->addWidget(m_bar);
    m_button = new QPushButton(this);
    m_button->setAutoDefault(false);
    layout->addWidget(m_button, 0, Qt::AlignHCenter);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_press)
            m_press();
    });
}

void ProgressWindow::setLine(online::ProgressLine line, const std::string &text)
{
    m_lines[static_cast<int>(line)]->setText(QString::fromStdString(text));
}

void ProgressWindow::setBarRange(int maximum)
{
    m_bar->setRange(0, std::max(0, maximum));
}

void ProgressWindow::setBarPosition(int position)
{
    m_bar->setValue(std::clamp(position, m_bar->minimum(), m_bar->maximum()));
}

void ProgressWindow::setButton(const std::string &caption, bool enabled)
{
    m_button->setText(QString::fromStdString(caption));
    m_button->setEnabled(enabled);
}

void ProgressWindow::showWindow()
{
    // A job started from a modal screen (the song book, a setup dialog)
    // would leave this window blocked behind it, its button dead: then it
    // comes up modal itself, above that screen, for as long as it is shown.
    if (!isVisible()) {
        QWidget *modal = QApplication::activeModalWidget();
        setWindowModality(modal && modal != this ? Qt::ApplicationModal : Qt::NonModal);
    }
    show();
    raise();
    m_button->setFocus();
}

void ProgressWindow::hideWindow()
{
    hide();
}

void ProgressWindow::setOwnerEnabled(bool enabled)
{
    if (m_owner)
        m_owner->setEnabled(enabled);
    // This window is the owner's child: disabling the owner disables it too,
    // and the button that cancels a job would be dead while the job runs.
    setEnabled(true);
}

void ProgressWindow::beep()
{
    QApplication::beep();
}

QString ProgressWindow::lineText(online::ProgressLine line) const
{
    return m_lines[static_cast<int>(line)]->text();
}

} // namespace kiro::ui
