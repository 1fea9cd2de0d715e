#pragma once
// The B Plus packet layer's byte-level pieces: control characters, quote sets
// and the quote table, the two check methods and the packet encoder.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kiro::online::bplus {

inline constexpr std::uint8_t ETX = 0x03;
inline constexpr std::uint8_t ENQ = 0x05;
inline constexpr std::uint8_t DLE = 0x10;
inline constexpr std::uint8_t ESC = 0x1B;
inline constexpr std::uint8_t NAK = 0x15;

// Largest block the packet buffers hold: 8 units of 128 bytes.
inline constexpr std::size_t kMaxBlockUnits = 8;
inline constexpr std::size_t kMaxBlockLength = kMaxBlockUnits * 128;
// One received packet: the type byte and at most 1,035 further bytes.
inline constexpr std::size_t kReceiveBufferSize = 1036;

// One bit per control character, most significant bit first: bytes 0-3 cover
// 0x00-0x1F, bytes 4-7 cover 0x80-0x9F.
using QuoteSet = std::array<std::uint8_t, 8>;

// 0x00, 0x03, 0x05, 0x10, 0x11, 0x13 and 0x15: what this side always quotes.
inline constexpr QuoteSet kOwnQuoteSet{0x94, 0x00, 0xD4, 0x00, 0x00, 0x00, 0x00, 0x00};
// Every control character: in force while the transport parameters go out.
inline constexpr QuoteSet kQuoteAll{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Builds the set that quotes exactly the given control characters (bytes
// outside 0x00-0x1F and 0x80-0x9F are ignored).
QuoteSet quoteSetOf(std::span<const std::uint8_t> controls);
bool quoteSetHas(const QuoteSet& set, std::uint8_t byte);

// 256 entries: 0 = send as is, else the byte sent after DLE.
class QuoteTable {
public:
    QuoteTable() { m_entries.fill(0); }
    explicit QuoteTable(const QuoteSet& set) { m_entries.fill(0); add(set); }
    void add(const QuoteSet& set);
    std::uint8_t entry(std::uint8_t byte) const { return m_entries[byte]; }

private:
    std::array<std::uint8_t, 256> m_entries{};
};

// The byte a quoted value after DLE stands for.
inline std::uint8_t unquote(std::uint8_t quoted)
{
    return quoted < 0x60 ? static_cast<std::uint8_t>(quoted & 0x1F)
                         : static_cast<std::uint8_t>(quoted + 0x20);
}

enum class CheckMethod { Checksum, Crc16 };

// The protocol's 8-bit checksum: an end-around-carry rotate-and-add.
std::uint8_t checksumUpdate(std::uint8_t sum, std::uint8_t byte);
std::uint8_t checksum(std::span<const std::uint8_t> bytes);

// CRC-16 with the CCITT polynomial 0x1021, no reflection, no final XOR.
std::uint16_t crc16Update(std::uint16_t crc, std::uint8_t byte);
std::uint16_t crc16(std::span<const std::uint8_t> bytes, std::uint16_t initial = 0xFFFF);

// The running check over the sequence character, the data and ETX.
class PacketCheck {
public:
    explicit PacketCheck(CheckMethod method);
    void add(std::uint8_t byte);
    // The check bytes as sent (one for the checksum, high byte first for CRC).
    std::vector<std::uint8_t> bytes() const;
    CheckMethod method() const { return m_method; }

private:
    CheckMethod m_method;
    std::uint16_t m_value;
};

// Appends byte to out, as DLE + entry when the table quotes it.
void appendQuoted(std::vector<std::uint8_t>& out, std::uint8_t byte, const QuoteTable& table);

// DLE "B" seq data ETX check, with data and check bytes quoted.
std::vector<std::uint8_t> encodePacket(int sequence, std::span<const std::uint8_t> data,
                                       const QuoteTable& table, CheckMethod method);

inline int nextSequence(int sequence) { return (sequence + 1) % 10; }
inline int previousSequence(int sequence) { return (sequence + 9) % 10; }

} // namespace kiro::online::bplus
