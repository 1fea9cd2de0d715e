#pragma once
// The transport parameters ("+" packet) and what two sides agree on.

#include "client/online/BPlusCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kiro::online::bplus {

struct TransportParameters {
    std::uint8_t windowSend = 0;
    std::uint8_t windowReceive = 0;
    std::uint8_t blockSize = 0;  // units of 128 bytes; 0 means 512 bytes
    std::uint8_t checkMethod = 0;  // 0 = checksum, 1 = CRC-16
    std::uint8_t quotingLevel = 0;  // DQ: only read when the quote set is left out
    std::uint8_t transportLayer = 0;
    QuoteSet quoteSet{};
    std::uint8_t downloadResume = 0;
    std::uint8_t uploadResume = 0;
    std::uint8_t fileInformation = 0;

    // "+" followed by the 17 parameter bytes.
    std::vector<std::uint8_t> encode() const;
    // Parses the bytes after the "+"; parameters a short packet leaves out
    // count as 0. A packet without the whole 8-byte quote set still names the
    // characters it wants quoted through its quoting level, so the set is
    // taken from that level (quoteSetForLevel) instead of left empty.
    static TransportParameters parse(std::span<const std::uint8_t> afterType);
};

// The older peers' quoting levels: 0 = 00 03 05 10 11 13 15, 1 = the same
// without 00, 2 = level 1 with 91 and 93, 3 = every control character. An
// unknown level quotes everything: quoting too much costs a little speed,
// too little corrupts the file.
QuoteSet quoteSetForLevel(std::uint8_t level);

// What this client offers: block size capped at 8 units because our receive
// buffer holds at most 1,024 data bytes.
TransportParameters clientOffer(int speedCode);
// Report interval in bytes for a speed code.
int reportIntervalFor(int speedCode);

struct Agreement {
    int maxOutstanding = 1;  // unacknowledged packets the sender may have
    bool receiveWindow = false;
    std::size_t blockLength = 512;
    CheckMethod check = CheckMethod::Checksum;
    int downloadResume = 0;
    bool fileInformation = false;
    QuoteTable quoteTable{kOwnQuoteSet};
};

// The same rules on both sides: our send-ahead follows the peer's receive
// window, the block is the smaller offer (4 units when that is 0, never
// above 8), CRC only when both ask for it, the smaller resume level, and
// every character either side wants quoted is quoted.
Agreement agree(const TransportParameters& own, const TransportParameters& peer);

} // namespace kiro::online::bplus
