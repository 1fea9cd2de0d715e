#include "client/online/BPlusParameters.h"

#include <algorithm>

namespace kiro::online::bplus {

std::vector<std::uint8_t> TransportParameters::encode() const
{
    std::vector<std::uint8_t> out{'+', windowSend, windowReceive, blockSize, checkMethod, quotingLevel, transportLayer};
    out.reserve(18);
    for (std::uint8_t b : quoteSet)
        out.push_back(b);
    out.push_back(downloadResume);
    out.push_back(uploadResume);
    out.push_back(fileInformation);
    return out;
}

TransportParameters TransportParameters::parse(std::span<const std::uint8_t> p)
{
    auto at = [&](std::size_t i) -> std::uint8_t { return i < p.size() ? p[i] : 0; };
    TransportParameters t;
    t.windowSend = at(0);
    t.windowReceive = at(1);
    t.blockSize = at(2);
    t.checkMethod = at(3);
    t.quotingLevel = at(4);
    t.transportLayer = at(5);
    if (p.size() >= 14) {
        for (std::size_t i = 0; i < 8; ++i)
            t.quoteSet[i] = p[6 + i];
    } else {
        t.quoteSet = quoteSetForLevel(t.quotingLevel);
    }
    t.downloadResume = at(14);
    t.uploadResume = at(15);
    t.fileInformation = at(16);
    return t;
}

QuoteSet quoteSetForLevel(std::uint8_t level)
{
    switch (level) {
    case 0:
        return kOwnQuoteSet;  // the same seven characters
    case 1:
        return {0x14, 0x00, 0xD4, 0x00, 0x00, 0x00, 0x00, 0x00};
    case 2:
        return {0x14, 0x00, 0xD4, 0x00, 0x00, 0x00, 0x50, 0x00};
    default:
        return kQuoteAll;
    }
}

namespace {

int offeredBlockUnits(int speedCode)
{
    if (speedCode <= 2)
        return 1;
    if (speedCode <= 4)
        return 4;
    if (speedCode == 5)
        return 6;
    if (speedCode <= 8)
        return 8;
    // Speed codes 9 and 10 once offered 24 units (3,072 bytes), more than the
    // receive buffer holds; a host taking the smaller value would then send
    // packets we must reject. The protocol's maximum is 8.
    return static_cast<int>(kMaxBlockUnits);
}

} // namespace

int reportIntervalFor(int speedCode)
{
    if (speedCode <= 2)
        return 30;
    if (speedCode <= 4)
        return 120;
    if (speedCode == 5)
        return 180;
    return 240;
}

TransportParameters clientOffer(int speedCode)
{
    TransportParameters t;
    t.windowSend = 1;
    t.windowReceive = 1;
    t.blockSize = static_cast<std::uint8_t>(offeredBlockUnits(speedCode));
    t.checkMethod = 1;
    t.quoteSet = kOwnQuoteSet;
    t.downloadResume = 2;
    t.uploadResume = 0;
    t.fileInformation = 1;
    return t;
}

Agreement agree(const TransportParameters& own, const TransportParameters& peer)
{
    Agreement a;
    a.maxOutstanding = (own.windowSend != 0 && peer.windowReceive != 0) ? 2 : 1;
    a.receiveWindow = own.windowReceive != 0 && peer.windowSend != 0;
    int units = std::min(own.blockSize, peer.blockSize);
    if (units == 0)
        units = 4;
    units = std::min<int>(units, kMaxBlockUnits);
    a.blockLength = static_cast<std::size_t>(units) * 128;
    a.check = (own.checkMethod == 1 && peer.checkMethod == 1) ? CheckMethod::Crc16 : CheckMethod::Checksum;
    a.downloadResume = std::min(own.downloadResume, peer.downloadResume);
    a.fileInformation = own.fileInformation != 0 && peer.fileInformation != 0;
    a.quoteTable = QuoteTable(own.quoteSet);
    a.quoteTable.add(peer.quoteSet);
    return a;
}

} // namespace kiro::online::bplus
