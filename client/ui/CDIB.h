#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QPainter;
class QRect;

// A device-independent bitmap read from a .BMP/.DIB file. The header (always
// in its 40-byte form, followed by up to 256 colour entries) and the pixel
// bits are kept as read; the picture is decoded once for drawing.
class CDIB {
public:
    // Reads the file; replaces any bitmap held before. A missing file, one
    // that does not start with "BM", or one shorter than its headers leaves
    // the object empty and returns false.
    bool load(const QString& path);
    bool loadFromBytes(const QByteArray& bytes);
    void clear();

    bool isValid() const { return !m_image.isNull(); }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    int colourCount() const { return m_colourCount; }
    // The 40-byte information header followed by the colour entries.
    const QByteArray& header() const { return m_header; }
    const QByteArray& bits() const { return m_bits; }
    const QImage& image() const { return m_image; }
    // Why the last load failed (empty after a successful load).
    const QString& error() const { return m_error; }

    // Draws the whole picture stretched into the target rectangle.
    void draw(QPainter& painter, const QRect& target) const;

private:
    bool fail(const QString& why);
    bool decode(int width, int height, int bitCount, bool topDown);

    QByteArray m_header;
    QByteArray m_bits;
    QImage m_image;
    int m_colourCount = 0;
    QString m_error;
};
