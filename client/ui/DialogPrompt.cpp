#include "client/ui/DialogPrompt.h"

#include "client/ui/ConfirmDialog.h"
#include "client/ui/MessageDialog.h"

#include <QApplication>

namespace {
QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
} // namespace

DialogPrompt::DialogPrompt(QWidget* owner)
    : m_owner(owner)
{
}

QWidget* DialogPrompt::owner() const
{
    // A modal screen opened over the owner is the better parent: the notice
    // must come up above it.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_owner.data();
}

void DialogPrompt::message(const std::string& text, const std::string& buttonLabel)
{
    MessageDialog dialog(fromUtf8(text), fromUtf8(buttonLabel), owner());
    dialog.exec();
}

kiro::app::PromptAnswer DialogPrompt::question(const std::string& text, const std::string& firstLabel,
    const std::string& secondLabel)
{
    ConfirmDialog dialog(fromUtf8(text), fromUtf8(firstLabel), fromUtf8(secondLabel), owner());
    return dialog.exec() == QDialog::Accepted ? kiro::app::PromptAnswer::First : kiro::app::PromptAnswer::Second;
}
