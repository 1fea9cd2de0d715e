#pragma once

#include "client/ui/CaptionlessDialog.h"

class MessageArea;
class PictureButton;

// Template 132: a message and one button (1, "OK" unless the caller gives
// another label). Every notice of the client is shown through it.
class MessageDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    explicit MessageDialog(QWidget* parent = nullptr);
    MessageDialog(const QString& message, const QString& buttonLabel = QString(), QWidget* parent = nullptr);

    void setMessage(const QString& message);
    // An empty label keeps "OK".
    void setButtonLabel(const QString& label);
    QString message() const;

private:
    MessageArea* m_area;
    PictureButton* m_button;
};
