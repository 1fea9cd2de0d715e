#include "client/ui/ConfirmDialog.h"

#include "client/ui/MessageArea.h"
#include "client/ui/NoticeLayout.h"
#include "client/ui/PictureButton.h"

ConfirmDialog::ConfirmDialog(QWidget* parent)
    : CaptionlessDialog(130, parent)
    , m_area(new MessageArea(this))
    , m_ok(new PictureButton(QStringLiteral("1"), QStringLiteral("OK"), this))
    , m_cancel(new PictureButton(QStringLiteral("2"), QStringLiteral("キャンセル"), this))
{
    connect(m_ok, &PictureButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &PictureButton::clicked, this, &QDialog::reject);
    kiro::ui::layOutNotice(this, m_area, {m_ok, m_cancel});
}

ConfirmDialog::ConfirmDialog(const QString& message, const QString& okLabel, const QString& cancelLabel, QWidget* parent)
    : ConfirmDialog(parent)
{
    setMessage(message);
    setButtonLabels(okLabel, cancelLabel);
}

void ConfirmDialog::setMessage(const QString& message)
{
    m_area->setText(message);
    kiro::ui::fitNotice(this);
}

void ConfirmDialog::setButtonLabels(const QString& okLabel, const QString& cancelLabel)
{
    m_ok->setText(okLabel.isEmpty() ? QStringLiteral("OK") : okLabel);
    m_cancel->setText(cancelLabel.isEmpty() ? QStringLiteral("キャンセル") : cancelLabel);
}

QString ConfirmDialog::message() const
{
    return m_area->text();
}
