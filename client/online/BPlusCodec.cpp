#include "client/online/BPlusCodec.h"

namespace kiro::online::bplus {

namespace {

// Index of a control character in a quote set, or -1 for a printable byte.
int quoteIndex(std::uint8_t byte)
{
    if (byte < 0x20)
        return byte;
    if (byte >= 0x80 && byte < 0xA0)
        return 0x20 + (byte - 0x80);
    return -1;
}

std::array<std::uint16_t, 256> makeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        table[i] = crc;
    }
    return table;
}

const std::array<std::uint16_t, 256> kCrcTable = makeCrcTable();

} // namespace

QuoteSet quoteSetOf(std::span<const std::uint8_t> controls)
{
    QuoteSet set{};
    for (std::uint8_t c : controls) {
        const int index = quoteIndex(c);
        if (index >= 0)
            set[index / 8] |= static_cast<std::uint8_t>(0x80 >> (index % 8));
    }
    return set;
}

bool quoteSetHas(const QuoteSet& set, std::uint8_t byte)
{
    const int index = quoteIndex(byte);
    return index >= 0 && (set[index / 8] & (0x80 >> (index % 8))) != 0;
}

void QuoteTable::add(const QuoteSet& set)
{
    for (unsigned c = 0; c < 256; ++c) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (!quoteSetHas(set, byte))
            continue;
        m_entries[c] = c < 0x20 ? static_cast<std::uint8_t>(0x40 + c)
                                : static_cast<std::uint8_t>(0x60 + (c - 0x80));
    }
}

std::uint8_t checksumUpdate(std::uint8_t sum, std::uint8_t byte)
{
    unsigned value = static_cast<unsigned>(sum) << 1;
    if (value >= 256)
        value = (value & 0xFF) + 1;
    value += byte;
    if (value >= 256)
        value = (value & 0xFF) + 1;
    return static_cast<std::uint8_t>(value);
}

std::uint8_t checksum(std::span<const std::uint8_t> bytes)
{
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes)
        sum = checksumUpdate(sum, b);
    return sum;
}

std::uint16_t crc16Update(std::uint16_t crc, std::uint8_t byte)
{
    return static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ byte) & 0xFF]);
}

std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t initial)
{
    std::uint16_t crc = initial;
    for (std::uint8_t b : bytes)
        crc = crc16Update(crc, b);
    return crc;
}

PacketCheck::PacketCheck(CheckMethod method)
    : m_method(method), m_value(method == CheckMethod::Crc16 ? 0xFFFF : 0)
{
}

void PacketCheck::add(std::uint8_t byte)
{
    switch (m_method) {
    case CheckMethod::Checksum:
        m_value = checksumUpdate(static_cast<std::uint8_t>(m_value), byte);
        break;
    case CheckMethod::Crc16:
        m_value = crc16Update(m_value, byte);
        break;
    }
}

std::vector<std::uint8_t> PacketCheck::bytes() const
{
    switch (m_method) {
    case CheckMethod::Checksum:
        return {static_cast<std::uint8_t>(m_value)};
    case CheckMethod::Crc16:
        return {static_cast<std::uint8_t>(m_value >> 8), static_cast<std::uint8_t>(m_value & 0xFF)};
    }
    return {};
}

void appendQuoted(std::vector<std::uint8_t>& out, std::uint8_t byte, const QuoteTable& table)
{
    const std::uint8_t entry = table.entry(byte);
    if (entry != 0) {
        out.push_back(DLE);
        out.push_back(entry);
    } else {
        out.push_back(byte);
    }
}

std::vector<std::uint8_t> encodePacket(int sequence, std::span<const std::uint8_t> data,
                                       const QuoteTable& table, CheckMethod method)
{
    std::vector<std::uint8_t> out;
    out.reserve(data.size() + data.size() / 8 + 8);
    PacketCheck check(method);
    const auto seqChar = static_cast<std::uint8_t>('0' + sequence);
    out.push_back(DLE);
    out.push_back('B');
    out.push_back(seqChar);
    check.add(seqChar);
    for (std::uint8_t b : data) {
        appendQuoted(out, b, table);
        check.add(b);
    }
    out.push_back(ETX);
    check.add(ETX);
    for (std::uint8_t b : check.bytes())
        appendQuoted(out, b, table);
    return out;
}

} // namespace kiro::online::bplus
