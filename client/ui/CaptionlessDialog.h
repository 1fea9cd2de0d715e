#pragma once

#include <QDialog>
#include <QPoint>

// Base of every screen: a dialog without a caption, drawn with a soft
// background and a frame, that can be moved by dragging its body.
class CaptionlessDialog : public QDialog {
    Q_OBJECT
public:
    // templateId becomes the object name, so tools find a screen by its number.
    CaptionlessDialog(int templateId, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Return presses button 1 (the dialog's OK), as the default button would.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPoint m_dragOffset;
    bool m_dragging = false;
};
