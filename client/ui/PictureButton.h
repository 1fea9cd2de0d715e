#pragma once

#include "client/ui/CDIB.h"

#include <QAbstractButton>

// An owner-drawn button that shows either a label drawn by the program or a
// bitmap read from a file (stretched to the button).
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);
    PictureButton(const QString& objectName, const QString& label, QWidget* parent);

    // Shows the bitmap of the file; a missing, non-"BM" or short file leaves
    // the button without a picture (it then draws its label). Returns whether
    // a picture was loaded.
    bool loadPicture(const QString& path);
    void clearPicture();
    bool hasPicture() const { return m_dib.isValid(); }
    const CDIB& dib() const { return m_dib; }

    // A picture used only as a backdrop takes no focus and draws no frame.
    void setFlat(bool flat);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintLabel(QPainter& painter);

    CDIB m_dib;
    bool m_flat = false;
};
