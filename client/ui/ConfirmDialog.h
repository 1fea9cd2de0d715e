#pragma once

#include "client/ui/CaptionlessDialog.h"

class MessageArea;
class PictureButton;

// Template 130: a message and two buttons; button 1 ("OK" unless given)
// accepts, button 2 ("キャンセル" unless given) rejects.
class ConfirmDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    explicit ConfirmDialog(QWidget* parent = nullptr);
    ConfirmDialog(const QString& message, const QString& okLabel = QString(), const QString& cancelLabel = QString(),
        QWidget* parent = nullptr);

    void setMessage(const QString& message);
    // Empty labels keep the defaults.
    void setButtonLabels(const QString& okLabel, const QString& cancelLabel);
    QString message() const;

private:
    MessageArea* m_area;
    PictureButton* m_ok;
    PictureButton* m_cancel;
};
