#include "client/ui/CDIB.h"

#include <QFile>
#include <QPainter>
#include <QRect>

#include <cstdint>
#include <cstring>

namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr int CoreHeaderSize = 12;
constexpr int MaxColours = 256;
// Larger pictures are not something this program draws; refusing them keeps
// a damaged header from asking for gigabytes.
constexpr int MaxSide = 16384;

uint16_t read16(const char* p)
{
    auto b = reinterpret_cast<const unsigned char*>(p);
    return uint16_t(b[0] | (b[1] << 8));
}

uint32_t read32(const char* p)
{
    auto b = reinterpret_cast<const unsigned char*>(p);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

void write16(char* p, uint16_t v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

void write32(char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

bool CDIB::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open %1").arg(path));
    return loadFromBytes(file.readAll());
}

void CDIB::clear()
{
    m_header.clear();
    m_bits.clear();
    m_image = QImage();
    m_colourCount = 0;
}

bool CDIB::fail(const QString& why)
{
    clear();
    m_error = why;
    return false;
}

bool CDIB::loadFromBytes(const QByteArray& bytes)
{
    clear();
    m_error.clear();
    const qsizetype size = bytes.size();
    const char* data = bytes.constData();
    if (size < FileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M')
        return fail(QStringLiteral("not a BM file"));
    const uint32_t bitsOffset = read32(data + 10);
    const uint32_t headerSize = read32(data + FileHeaderSize);

    int width = 0;
    int height = 0;
    int bitCount = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    int entrySize = 4;
    m_header = QByteArray(InfoHeaderSize, '\0');
    char* info = m_header.data();
    if (headerSize == CoreHeaderSize) {
        if (size < FileHeaderSize + CoreHeaderSize)
            return fail(QStringLiteral("file shorter than its header"));
        const char* core = data + FileHeaderSize;
        width = read16(core + 4);
        height = int16_t(read16(core + 6));
        bitCount = read16(core + 10);
        entrySize = 3;
    } else if (headerSize >= InfoHeaderSize) {
        // Later header versions start with the same 40 bytes.
        if (size < FileHeaderSize + qsizetype(headerSize))
            return fail(QStringLiteral("file shorter than its header"));
        const char* h = data + FileHeaderSize;
        width = int32_t(read32(h + 4));
        height = int32_t(read32(h + 8));
        bitCount = read16(h + 14);
        compression = read32(h + 16);
        coloursUsed = read32(h + 32);
        std::memcpy(info, h, InfoHeaderSize);
    } else {
        return fail(QStringLiteral("unknown header size %1").arg(headerSize));
    }
    if (compression != 0)
        return fail(QStringLiteral("compressed bitmaps are not supported"));
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
        return fail(QStringLiteral("bad picture size"));
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return fail(QStringLiteral("unsupported bit count %1").arg(bitCount));

    int colours = 0;
    if (bitCount <= 8)
        colours = (coloursUsed > 0 && coloursUsed < (1u << bitCount)) ? int(coloursUsed) : (1 << bitCount);
    else if (coloursUsed > 0)
        colours = int(std::min<uint32_t>(coloursUsed, MaxColours));
    const qsizetype tableStart = FileHeaderSize + headerSize;
    if (entrySize == 3) {
        // The core form has no count: the table fills the gap before the bits.
        colours = bitCount <= 8 ? (1 << bitCount) : 0;
        if (bitsOffset > tableStart && bitsOffset < tableStart + qsizetype(colours) * 3)
            colours = int((bitsOffset - tableStart) / 3);
    }
    colours = std::min(colours, MaxColours);

    // The core form widened to the information form, so both are drawn alike.
    write32(info + 0, InfoHeaderSize);
    write32(info + 4, uint32_t(width));
    write32(info + 8, uint32_t(topDown ? -height : height));
    write16(info + 12, 1);
    write16(info + 14, uint16_t(bitCount));
    write32(info + 16, 0);
    write32(info + 32, uint32_t(colours));

    if (size < tableStart + qsizetype(colours) * entrySize)
        return fail(QStringLiteral("file shorter than its colour table"));
    m_header.resize(InfoHeaderSize + colours * 4);
    for (int i = 0; i < colours; ++i) {
        const char* src = data + tableStart + qsizetype(i) * entrySize;
        char* dst = m_header.data() + InfoHeaderSize + i * 4;
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        dst[3] = 0;
    }
    m_colourCount = colours;

    if (bitsOffset >= uint32_t(size))
        return fail(QStringLiteral("no pixel bits"));
    m_bits = bytes.mid(bitsOffset);
    if (!decode(width, height, bitCount, topDown))
        return fail(QStringLiteral("cannot decode the pixel bits"));
    return true;
}

bool CDIB::decode(int width, int height, int bitCount, bool topDown)
{
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    image.fill(Qt::black);
    QList<QRgb> table;
    for (int i = 0; i < m_colourCount; ++i) {
        auto e = reinterpret_cast<const unsigned char*>(m_header.constData() + InfoHeaderSize + i * 4);
        table.append(qRgb(e[2], e[1], e[0]));
    }
    const qsizetype stride = ((qsizetype(width) * bitCount + 31) / 32) * 4;
    const auto* bits = reinterpret_cast<const unsigned char*>(m_bits.constData());
    const qsizetype available = m_bits.size();
    for (int row = 0; row < height; ++row) {
        const qsizetype rowStart = qsizetype(row) * stride;
        // A file cut short draws what it has; the rest stays black.
        if (rowStart + stride > available)
            break;
        const unsigned char* src = bits + rowStart;
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(topDown ? row : height - 1 - row));
        for (int x = 0; x < width; ++x) {
            switch (bitCount) {
            case 1:
            case 4:
            case 8: {
                const int perByte = 8 / bitCount;
                const int shift = 8 - bitCount * (x % perByte + 1);
                const int index = (src[x / perByte] >> shift) & ((1 << bitCount) - 1);
                dst[x] = index < table.size() ? table[index] : qRgb(0, 0, 0);
                break;
            }
            case 16: {
                const uint16_t v = uint16_t(src[2 * x] | (src[2 * x + 1] << 8));
                dst[x] = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
                break;
            }
            case 24:
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            case 32:
                dst[x] = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
                break;
            default:
                return false;
            }
        }
    }
    m_image = image;
    return true;
}

void CDIB::draw(QPainter& painter, const QRect& target) const
{
    if (m_image.isNull())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, m_image);
    painter.restore();
}
