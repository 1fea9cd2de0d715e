#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reads rich text format into a QTextDocument: groups, the font and colour
// tables, bold/italic/underline, font sizes, text colours, paragraphs and
// alignment, line breaks, tabs, \'xx bytes (code page 932, so a double-byte
// character may come as two escapes), \uN with its \ucN fallback count, and
// destinations that are skipped (\*, pictures, headers, document info...).
// Anything it does not know is ignored, as readers of the format must.
class RtfReader {
public:
    // True when the bytes start (after white space) with "{\rtf".
    static bool looksLikeRtf(const QByteArray& bytes);

    // Replaces the document's content. Returns false (leaving whatever was
    // read so far) when the text is not rich text or its groups do not close.
    bool read(const QByteArray& rtf, QTextDocument& document);

    const QString& error() const { return m_error; }

private:
    QString m_error;
};
