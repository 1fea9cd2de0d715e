#include "assets/generator/BmpFile.h"

#include <QByteArray>
#include <QFile>

namespace kiro::assets {

namespace {
void put16(QByteArray& b, unsigned v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
void put32(QByteArray& b, unsigned v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
} // namespace

bool writeBmp(const QImage& source, const QString& path)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    const int stride = ((width * 24 + 31) / 32) * 4;
    const unsigned offset = 14 + 40;
    QByteArray bytes;
    bytes.reserve(int(offset) + stride * height);
    bytes.append("BM");
    put32(bytes, offset + unsigned(stride * height));
    put32(bytes, 0);
    put32(bytes, offset);
    put32(bytes, 40);
    put32(bytes, unsigned(width));
    put32(bytes, unsigned(height));
    put16(bytes, 1);
    put16(bytes, 24);
    put32(bytes, 0);
    put32(bytes, unsigned(stride * height));
    put32(bytes, 2835);
    put32(bytes, 2835);
    put32(bytes, 0);
    put32(bytes, 0);
    for (int y = height - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            row[3 * x] = char(qBlue(line[x]));
            row[3 * x + 1] = char(qGreen(line[x]));
            row[3 * x + 2] = char(qRed(line[x]));
        }
        bytes.append(row);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

} // namespace kiro::assets
