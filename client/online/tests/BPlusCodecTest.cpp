// Packet-level vectors from the protocol's published definition, and the
// parameter rules.
#include "client/online/BPlusCodec.h"
#include "client/online/BPlusParameters.h"

#include <gtest/gtest.h>

#include <string>

using namespace kiro::online::bplus;

namespace {

std::vector<std::uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

} // namespace

TEST(BPlusCodec, PublishedChecksumAndCrcVectors)
{
    // DLE "B" "7" "TDAS.C" ETX: the check covers "7TDAS.C" and ETX.
    std::vector<std::uint8_t> covered = bytes("7TDAS.C");
    covered.push_back(ETX);
    EXPECT_EQ(checksum(covered), 0x2A);
    EXPECT_EQ(crc16(covered), 0x57FF);
    EXPECT_EQ(crc16(bytes("123456789")), 0x29B1);

    const QuoteTable table(kOwnQuoteSet);
    const std::vector<std::uint8_t> crcPacket = encodePacket(7, bytes("TDAS.C"), table, CheckMethod::Crc16);
    std::vector<std::uint8_t> expected{DLE, 'B', '7', 'T', 'D', 'A', 'S', '.', 'C', ETX, 0x57, 0xFF};
    EXPECT_EQ(crcPacket, expected);
    const std::vector<std::uint8_t> sumPacket = encodePacket(7, bytes("TDAS.C"), table, CheckMethod::Checksum);
    expected = {DLE, 'B', '7', 'T', 'D', 'A', 'S', '.', 'C', ETX, 0x2A};
    EXPECT_EQ(sumPacket, expected);
}

TEST(BPlusCodec, OwnQuoteSetAndQuotedBytes)
{
    const std::uint8_t controls[] = {0x00, 0x03, 0x05, 0x10, 0x11, 0x13, 0x15};
    const QuoteSet set = quoteSetOf(controls);
    EXPECT_EQ(set, (QuoteSet{0x94, 0x00, 0xD4, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(set, kOwnQuoteSet);

    const QuoteTable own(kOwnQuoteSet);
    EXPECT_EQ(own.entry(0x03), 0x43);
    EXPECT_EQ(own.entry(0x41), 0);
    EXPECT_EQ(own.entry(0x90), 0);  // not in the own set

    const QuoteTable all(kQuoteAll);
    EXPECT_EQ(all.entry(0x90), 0x70);
    EXPECT_EQ(all.entry(0x9F), 0x7F);
    EXPECT_EQ(all.entry(0x1F), 0x5F);
    EXPECT_EQ(all.entry(0xA0), 0);
    // Every quoted value reads back as the byte it stands for.
    for (int c = 0; c < 256; ++c) {
        const std::uint8_t entry = all.entry(static_cast<std::uint8_t>(c));
        if (entry != 0) {
            EXPECT_EQ(unquote(entry), c) << c;
        }
    }
    std::vector<std::uint8_t> out;
    appendQuoted(out, 0x90, all);
    appendQuoted(out, 0x03, own);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{DLE, 0x70, DLE, 0x43}));
}

TEST(BPlusCodec, CheckBytesAreQuotedToo)
{
    // Find a payload whose checksum is a quoted control character.
    const QuoteTable table(kOwnQuoteSet);
    for (int c = 0; c < 256; ++c) {
        std::vector<std::uint8_t> data{'N', static_cast<std::uint8_t>(c)};
        std::vector<std::uint8_t> covered{'1', 'N', static_cast<std::uint8_t>(c), ETX};
        const std::uint8_t sum = checksum(covered);
        if (table.entry(sum) == 0)
            continue;
        const auto packet = encodePacket(1, data, table, CheckMethod::Checksum);
        ASSERT_GE(packet.size(), 2u);
        EXPECT_EQ(packet[packet.size() - 2], DLE);
        EXPECT_EQ(unquote(packet.back()), sum);
        return;
    }
    FAIL() << "no payload with a quoted checksum";
}

TEST(BPlusParameters, ShortHostPacketAndBlockRules)
{
    const TransportParameters own = clientOffer(10);
    EXPECT_EQ(own.blockSize, 8);  // never more than the receive buffer holds
    EXPECT_EQ(clientOffer(8).blockSize, 8);
    EXPECT_EQ(own.encode().size(), 18u);

    // A host packet of three parameters: check method, resume, quote set 0.
    const std::uint8_t shortPacket[] = {1, 1, 0};
    const TransportParameters host = TransportParameters::parse(shortPacket);
    EXPECT_EQ(host.checkMethod, 0);
    EXPECT_EQ(host.downloadResume, 0);
    const Agreement a = agree(own, host);
    EXPECT_EQ(a.blockLength, 512u);  // block size 0 means 512
    EXPECT_EQ(a.check, CheckMethod::Checksum);
    EXPECT_EQ(a.downloadResume, 0);
    EXPECT_FALSE(a.fileInformation);
    EXPECT_EQ(a.maxOutstanding, 2);
    EXPECT_EQ(a.quoteTable.entry(0x90), 0);

    TransportParameters big = host;
    big.blockSize = 24;
    big.checkMethod = 1;
    big.windowReceive = 0;
    big.downloadResume = 1;
    big.quoteSet = quoteSetOf(std::vector<std::uint8_t>{0x90});
    const Agreement b = agree(own, big);
    EXPECT_EQ(b.blockLength, 1024u);
    EXPECT_EQ(b.check, CheckMethod::Crc16);
    EXPECT_EQ(b.maxOutstanding, 1);
    EXPECT_EQ(b.downloadResume, 1);
    EXPECT_EQ(b.quoteTable.entry(0x90), 0x70);
    EXPECT_EQ(b.quoteTable.entry(0x10), 0x50);

    TransportParameters two = host;
    two.blockSize = 2;
    EXPECT_EQ(agree(own, two).blockLength, 256u);
}

// A host that leaves out Q1-Q8 names its quote set through the quoting level;
// a host that sends them is taken at its word and the level is ignored.
TEST(BPlusParameters, QuotingLevelStandsInForAMissingQuoteSet)
{
    const TransportParameters own = clientOffer(8);
    struct Case {
        std::uint8_t level;
        std::uint8_t byte;
        std::uint8_t entry;
    };
    for (const Case c : {Case{3, 0x01, 0x41}, Case{3, 0x9F, 0x7F}, Case{3, 0x1B, 0x5B}, Case{2, 0x91, 0x71},
                         Case{2, 0x93, 0x73}, Case{2, 0x92, 0}, Case{1, 0x01, 0}, Case{0, 0x00, 0x40},
                         Case{7, 0x81, 0x61}}) {
        SCOPED_TRACE("level " + std::to_string(c.level) + " byte " + std::to_string(c.byte));
        const std::uint8_t packet[] = {1, 1, 8, 1, c.level, 0};
        const Agreement a = agree(own, TransportParameters::parse(packet));
        EXPECT_EQ(a.quoteTable.entry(c.byte), c.entry);
        EXPECT_EQ(a.quoteTable.entry(0x10), 0x50);  // the own set stays in force
    }

    // Q1-Q8 present and empty: level 3 does not add anything.
    std::vector<std::uint8_t> full(17, 0);
    full[4] = 3;
    const TransportParameters host = TransportParameters::parse(full);
    EXPECT_EQ(host.quoteSet, (QuoteSet{}));
    EXPECT_EQ(agree(own, host).quoteTable.entry(0x01), 0);
}
