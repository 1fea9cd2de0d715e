// The client's engine against a scripted host: the bytes the host sends are
// fixed in advance, and what the client writes is checked byte for byte.
#include "client/online/BPlusCodec.h"
#include "client/online/BPlusParameters.h"
#include "client/online/BPlusTransfer.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

using namespace kiro::online;
using namespace kiro::online::bplus;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Plays back the host's bytes; when they run out the line is down.
class ScriptLine : public BPlusLine {
public:
    explicit ScriptLine(Bytes input) : m_input(input.begin(), input.end()) {}
    Read readByte(std::uint8_t& byte, std::chrono::milliseconds, bool) override
    {
        if (m_input.empty()) {
            m_ended = true;
            return Read::Interrupted;
        }
        byte = m_input.front();
        m_input.pop_front();
        return Read::Byte;
    }
    void write(const std::uint8_t* bytes, std::size_t count) override { m_output.insert(m_output.end(), bytes, bytes + count); }
    bool abortRequested() override { return false; }
    bool transferModeEnded() override { return m_ended; }
    void endTransferMode() override { m_ended = true; }
    std::chrono::milliseconds now() override { return std::chrono::milliseconds(0); }

    const Bytes& output() const { return m_output; }

private:
    std::deque<std::uint8_t> m_input;
    Bytes m_output;
    bool m_ended = false;
};

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

Bytes packet(int seq, const Bytes& data) { return encodePacket(seq, data, QuoteTable(kOwnQuoteSet), CheckMethod::Checksum); }

// The host's parameters: windows 0, 512-byte blocks, checksum, no resume, no file information.
Bytes hostStart()
{
    TransportParameters host;
    host.blockSize = 4;
    Bytes b{ENQ};
    append(b, packet(1, host.encode()));
    append(b, {DLE, '2'});  // acknowledges the client's parameters
    return b;
}

bool contains(const Bytes& haystack, const Bytes& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

std::size_t count(const Bytes& haystack, const Bytes& needle)
{
    std::size_t n = 0;
    for (auto it = haystack.begin(); (it = std::search(it, haystack.end(), needle.begin(), needle.end())) != haystack.end(); ++it)
        ++n;
    return n;
}

class BPlusPacketReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("kiro-bplus-reader-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string readBack(const std::string& name)
    {
        std::ifstream in(m_folder / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path m_folder;
};

} // namespace

TEST_F(BPlusPacketReaderTest, AnswersEnqAndIdentifies)
{
    ScriptLine line({ENQ, ESC, 'I'});
    BPlusTransfer transfer(line, nullptr);
    transfer.run(m_folder.string());
    Bytes expected{DLE, '+', '+', DLE, '0'};
    append(expected, text("#XXX,PB,+0576\r"));
    EXPECT_EQ(line.output(), expected);
    EXPECT_TRUE(line.transferModeEnded());
}

TEST_F(BPlusPacketReaderTest, RepeatedPacketIsWrittenOnceAndWaitsAndHighBitDleAreRead)
{
    Bytes host = hostStart();
    append(host, packet(3, text("TDBSONG.LZH")));
    append(host, {DLE, ';'});  // the host asks us to wait
    append(host, packet(4, text("Nhello ")));
    append(host, packet(4, text("Nhello ")));  // our acknowledgement was "lost"
    Bytes highBit = packet(5, Bytes{'N', 0x90, 0x03, 0x10, 'x'});
    highBit[0] = 0x90;  // DLE with its high bit set still starts a packet
    append(host, highBit);
    append(host, {ENQ});  // asks for the last acknowledgement again
    append(host, packet(6, text("TC")));
    ScriptLine line(host);
    BPlusTransfer transfer(line, nullptr);
    const BPlusOutcome outcome = transfer.run(m_folder.string() + "\\");
    ASSERT_TRUE(outcome.success) << outcome.message;
    EXPECT_EQ(readBack("SONG.LZH"), std::string("hello \x90\x03\x10x", 10));
    EXPECT_EQ(count(line.output(), {DLE, '4'}), 2u);
    EXPECT_EQ(count(line.output(), {DLE, '5'}), 2u);
    EXPECT_TRUE(contains(line.output(), {DLE, '6'}));
    EXPECT_EQ(outcome.counters.waits, 1);
    // Our reply to the parameters quotes every control character.
    const Bytes reply = encodePacket(2, clientOffer(8).encode(), QuoteTable(kQuoteAll), CheckMethod::Checksum);
    EXPECT_TRUE(contains(line.output(), reply));
}

TEST_F(BPlusPacketReaderTest, NaksEveryErrorBeforeTheParametersAndRejectsOverlongPackets)
{
    TransportParameters params;
    Bytes bad = packet(1, params.encode());
    bad[bad.size() - 1] ^= 0x01;  // wrong checksum
    Bytes host{ENQ};
    append(host, bad);
    append(host, bad);
    ScriptLine line(host);
    BPlusTransfer transfer(line, nullptr);
    transfer.run(m_folder.string());
    const Bytes expected{DLE, '+', '+', DLE, '0', NAK, NAK};
    EXPECT_EQ(line.output(), expected);

    Bytes longHost = hostStart();
    append(longHost, packet(3, text("TDBBIG.BIN")));
    Bytes data(1 + 1100, 'a');
    data[0] = 'N';
    append(longHost, packet(4, data));
    ScriptLine longLine(longHost);
    BPlusTransfer longTransfer(longLine, nullptr);
    const BPlusOutcome outcome = longTransfer.run(m_folder.string());
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.message, "Download failure");
    EXPECT_EQ(outcome.counters.receiveErrors, 1);
    EXPECT_EQ(longLine.output().back(), NAK);
    EXPECT_EQ(readBack("BIG.BIN"), "");
}

TEST_F(BPlusPacketReaderTest, TransferInformationSetsTheRemainingBytes)
{
    class Sink : public BPlusReportSink {
    public:
        void report(const BPlusReport& r) override
        {
            if (r.code == BPlusReportCode::BytesRemaining)
                remaining.push_back(r.value);
        }
        std::vector<std::int64_t> remaining;
    } sink;
    Bytes host = hostStart();
    append(host, packet(3, text("TDAREADME.TXT")));
    append(host, packet(4, text("TIA012 ")));
    append(host, packet(5, text("Nabcd")));
    append(host, packet(6, text("TC")));
    ScriptLine line(host);
    BPlusTransfer transfer(line, &sink);
    const BPlusOutcome outcome = transfer.run(m_folder.string());
    ASSERT_TRUE(outcome.success);
    ASSERT_GE(sink.remaining.size(), 3u);
    EXPECT_EQ(sink.remaining[0], 12);
    EXPECT_EQ(sink.remaining[1], 8);
    EXPECT_EQ(sink.remaining.back(), 0);
}

TEST_F(BPlusPacketReaderTest, ResynchronisationEndsAPacketAndReArmsItsNak)
{
    Bytes host = hostStart();
    append(host, packet(3, text("TDBSONG.LZH")));
    // A packet cut short by the host's ENQ ENQ: its bytes are no data.
    Bytes cut = packet(4, text("Nhello"));
    cut.resize(cut.size() - 4);
    append(host, cut);
    append(host, {ENQ, ENQ});
    // The resent packet is damaged: NAK. After the next resynchronisation
    // it is damaged again: that attempt earns its own NAK.
    Bytes damaged = packet(4, text("Nhello"));
    damaged[4] ^= 0x20;
    append(host, damaged);
    append(host, {ENQ, ENQ});
    append(host, damaged);
    append(host, {ENQ, ENQ});
    append(host, packet(4, text("Nhello")));
    append(host, packet(5, text("TC")));
    ScriptLine line(host);
    BPlusTransfer transfer(line, nullptr);
    const BPlusOutcome outcome = transfer.run(m_folder.string());
    ASSERT_TRUE(outcome.success) << outcome.message;
    EXPECT_EQ(readBack("SONG.LZH"), "hello");
    EXPECT_EQ(count(line.output(), {NAK}), 2u);
    EXPECT_EQ(count(line.output(), {DLE, '4'}), 1u);
    EXPECT_GE(count(line.output(), {DLE, '3'}), 4u);
}
