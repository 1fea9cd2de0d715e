#include "tools/check/CheckDialog.h"

#include "tools/check/CheckTexts.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kiro::check {

CheckDialog::CheckDialog(const std::filesystem::path& installFolder, QWidget* parent)
    : QDialog(parent)
    , m_status(new QLabel(QString::fromUtf8(kIntroText)))
    , m_progress(new QProgressBar)
    , m_ok(new QPushButton(QString::fromUtf8(kRunButton)))
    , m_cancel(new QPushButton(QString::fromUtf8(kCancelButton)))
    , m_controller(installFolder, *this)
{
    setWindowTitle(QString::fromUtf8(kCaption));
    m_status->setMinimumWidth(360);
    m_progress->hide();
    m_ok->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, [this] { m_controller.okPressed(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(this, &QDialog::finished, this, [this] { m_controller.closing(); });
}

void CheckDialog::setStatusText(const std::string& text)
{
    m_status->setText(QString::fromStdString(text));
}

void CheckDialog::setOkButton(const std::string& label, bool enabled)
{
    m_ok->setText(QString::fromStdString(label));
    m_ok->setEnabled(enabled);
}

void CheckDialog::setCancelEnabled(bool enabled)
{
    m_cancel->setEnabled(enabled);
}

void CheckDialog::showProgress(int maximum)
{
    m_progress->setRange(0, maximum);
    m_progress->setValue(0);
    m_progress->show();
    QCoreApplication::processEvents();
}

void CheckDialog::advanceProgress()
{
    m_progress->setValue(m_progress->value() + 1);
    // The window repaints while the rebuild runs; its buttons are disabled
    // and closing it is refused until the rebuild ends.
    QCoreApplication::processEvents();
}

void CheckDialog::message(const std::string& text)
{
    m_messages.push_back(text);
    if (!m_quiet)
        QMessageBox::information(this, QString::fromUtf8(kCaption), QString::fromStdString(text));
}

void CheckDialog::endDialog(int result)
{
    done(result);
}

void CheckDialog::reject()
{
    if (m_controller.running())
        return;
    QDialog::reject();
}

} // namespace kiro::check
