#pragma once

#include "client/catalogue/SearchKeyboardLayout.h"
#include "client/ui/CDIB.h"

#include <QString>
#include <QWidget>

// The on-screen keyboard beside the karaoke list: the picture of the current
// layout ("KB-J.bmp" katakana, "KB-E.bmp" Latin, from the system folder);
// a click types a character or an editing key into the search box.
class SearchKeyboard : public QWidget {
    Q_OBJECT
public:
    SearchKeyboard(const QString& systemFolder, QWidget* parent = nullptr);
    int layout() const { return m_layout.layout(); }
    // The click a user makes at picture coordinates (tests use it too).
    void clickAt(const QPoint& point);

signals:
    void characterTyped(const QString& text);
    // Qt::Key_Left, Qt::Key_Backspace or Qt::Key_Right.
    void editKeyPressed(int key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void loadPicture();

    QString m_systemFolder;
    kiro::catalogue::SearchKeyboardLayout m_layout;
    CDIB m_dib;
};
