#pragma once

#include <QWidget>

// The owner-drawn message area (1011) of the two message dialogs: the text is
// drawn centred, wrapped at the area's width, with explicit line breaks kept.
class MessageArea : public QWidget {
    Q_OBJECT
public:
    explicit MessageArea(QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return m_text; }

    // The height the text needs at the given width.
    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};
