#pragma once

#include <QWidget>

class PictureButton;

// Template 484: the modeless picture shown while the client starts.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    // Shows "<system folder>/Lite001.bmp" in picture button 1422; without the
    // file the window shows the program's name instead.
    explicit SplashWindow(const QString& systemFolder, QWidget* parent = nullptr);

    PictureButton* picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureButton* m_picture;
};
