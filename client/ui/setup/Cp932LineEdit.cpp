#include "client/ui/setup/Cp932LineEdit.h"

#include "client/setup/Cp932Fit.h"

Cp932LineEdit::Cp932LineEdit(const QString& objectName, int byteLimit, QWidget* parent)
    : QLineEdit(parent)
    , m_limit(byteLimit)
{
    setObjectName(objectName);
    connect(this, &QLineEdit::textChanged, this, &Cp932LineEdit::enforceLimit);
}

void Cp932LineEdit::enforceLimit()
{
    if (m_fitting)
        return;
    const std::string text = utf8();
    const std::string fitted = kiro::setup::fitCp932(text, static_cast<std::size_t>(m_limit));
    if (fitted == text)
        return;
    m_fitting = true;
    const int cursor = cursorPosition();
    const QString shown = QString::fromStdString(fitted);
    setText(shown);
    setCursorPosition(std::min(cursor, static_cast<int>(shown.size())));
    m_fitting = false;
}
