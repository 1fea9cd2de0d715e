#include "UiTestSupport.h"

#include <QList>

// The font cache of the system's fontconfig is never freed; those are not our
// leaks. (Read by LeakSanitizer at start-up.)
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\nleak:libdbus\n";
}

namespace kiro::uitest {

namespace {
void put16(QByteArray& b, int v)
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

QByteArray makeBmp(int width, int height, int bitCount, bool coreHeader, const std::function<int(int, int)>& pixel,
    const QList<unsigned>& palette)
{
    const int headerSize = coreHeader ? 12 : 40;
    const int entry = coreHeader ? 3 : 4;
    const int colours = bitCount <= 8 ? int(palette.size()) : 0;
    const int stride = ((width * bitCount + 31) / 32) * 4;
    const int offset = 14 + headerSize + colours * entry;
    QByteArray b;
    b.append("BM");
    put32(b, unsigned(offset + stride * height));
    put32(b, 0);
    put32(b, unsigned(offset));
    put32(b, unsigned(headerSize));
    if (coreHeader) {
        put16(b, width);
        put16(b, height);
        put16(b, 1);
        put16(b, bitCount);
    } else {
        put32(b, unsigned(width));
        put32(b, unsigned(height));
        put16(b, 1);
        put16(b, bitCount);
        put32(b, 0);
        put32(b, unsigned(stride * height));
        put32(b, 2835);
        put32(b, 2835);
        put32(b, unsigned(colours));
        put32(b, 0);
    }
    for (unsigned rgb : palette) {
        b.append(char(rgb & 0xFF));
        b.append(char((rgb >> 8) & 0xFF));
        b.append(char((rgb >> 16) & 0xFF));
        if (!coreHeader)
            b.append('\0');
    }
    for (int row = height - 1; row >= 0; --row) {
        QByteArray line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const int v = pixel(x, row);
            if (bitCount == 8) {
                line[x] = char(v);
            } else if (bitCount == 4) {
                line[x / 2] = char(line[x / 2] | (x % 2 ? v : v << 4));
            } else if (bitCount == 24) {
                line[3 * x] = char(v & 0xFF);
                line[3 * x + 1] = char((v >> 8) & 0xFF);
                line[3 * x + 2] = char((v >> 16) & 0xFF);
            }
        }
        b.append(line);
    }
    return b;
}

} // namespace kiro::uitest
