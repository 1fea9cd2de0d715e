#include "client/ui/MessageDialog.h"

#include "client/ui/MessageArea.h"
#include "client/ui/NoticeLayout.h"
#include "client/ui/PictureButton.h"

MessageDialog::MessageDialog(QWidget* parent)
    : CaptionlessDialog(132, parent)
    , m_area(new MessageArea(this))
    , m_button(new PictureButton(QStringLiteral("1"), QStringLiteral("OK"), this))
{
    connect(m_button, &PictureButton::clicked, this, &QDialog::accept);
    kiro::ui::layOutNotice(this, m_area, {m_button});
}

MessageDialog::MessageDialog(const QString& message, const QString& buttonLabel, QWidget* parent)
    : MessageDialog(parent)
{
    setMessage(message);
    setButtonLabel(buttonLabel);
}

void MessageDialog::setMessage(const QString& message)
{
    m_area->setText(message);
    kiro::ui::fitNotice(this);
}

void MessageDialog::setButtonLabel(const QString& label)
{
    m_button->setText(label.isEmpty() ? QStringLiteral("OK") : label);
}

QString MessageDialog::message() const
{
    return m_area->text();
}
