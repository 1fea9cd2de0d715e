#include "common/qt/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <iostream>

namespace kiro {

QtMessageBoxes::QtMessageBoxes() = default;

QtMessageBoxes::QtMessageBoxes(int& argc, char** argv)
    : m_argc(&argc)
    , m_argv(argv)
{
}

QtMessageBoxes::~QtMessageBoxes() = default;

void QtMessageBoxes::ensureApplication()
{
    if (QApplication::instance() || !m_argc)
        return;
    m_application = std::make_unique<QApplication>(*m_argc, m_argv);
}

void QtMessageBoxes::showBox(const std::string& text, const std::string& title, BoxIcon icon)
{
    ensureApplication();
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    switch (icon) {
    case BoxIcon::None:
        break;
    case BoxIcon::Information:
        shown = QMessageBox::Information;
        break;
    case BoxIcon::Question:
        shown = QMessageBox::Question;
        break;
    case BoxIcon::Error:
        shown = QMessageBox::Critical;
        break;
    }
    QMessageBox box(shown, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

ButtonAnswer QtMessageBoxes::askYesNo(const std::string& text, const std::string& title)
{
    ensureApplication();
    QMessageBox box(QMessageBox::Question, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    return box.exec() == QMessageBox::Yes ? ButtonAnswer::First : ButtonAnswer::Second;
}

std::unique_ptr<MessageBoxes> makeMessageBoxes(int& argc, char** argv)
{
    if (displayAvailable())
        return std::make_unique<QtMessageBoxes>(argc, argv);
    return std::make_unique<ConsoleMessageBoxes>(std::cerr, std::cin);
}

} // namespace kiro
