#pragma once

#include "client/ui/CaptionlessDialog.h"

class QTextEdit;
class PictureButton;

// Template 619: shows a file of the install folder's InfoText folder, rich
// text formatted and anything else as plain text (both in code page 932).
// A missing or empty file shows an empty viewer, without a message.
class TextViewer : public CaptionlessDialog {
    Q_OBJECT
public:
    TextViewer(const QString& installFolder, const QString& fileName, QWidget* parent = nullptr);

    // The "<install folder>/InfoText/<name>" path the viewer reads.
    static QString infoTextPath(const QString& installFolder, const QString& fileName);
    // Loads the file into the text area; false when nothing was shown.
    bool load(const QString& path);

    QTextEdit* textArea() const { return m_text; }
    bool isRichText() const { return m_rich; }

private:
    QTextEdit* m_text;
    PictureButton* m_back;
    bool m_rich = false;
};
