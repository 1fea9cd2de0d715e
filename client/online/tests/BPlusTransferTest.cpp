// End-to-end transfers between the client's engine and the host's role over
// the in-memory line (virtual clock, optional faults with fixed seeds).
#include "client/online/tests/BPlusPipeFixture.h"
#include "client/online/BPlusTransferStarter.h"

using namespace kiro::testing::bplus;


TEST_F(BPlusTransferTest, DownloadsEverySizeAroundTheBlockLength)
{
    for (std::size_t size : {0u, 1u, 1023u, 1024u, 1025u, 1048576u}) {
        SCOPED_TRACE(size);
        const std::string content = randomBytes(size, static_cast<unsigned>(size));
        const Result r = download(content, "SONG.LZH");
        EXPECT_TRUE(r.client.success) << r.client.message;
        EXPECT_TRUE(r.host.success) << r.host.message;
        EXPECT_TRUE(r.client.download);
        EXPECT_EQ(r.client.fileName, "SONG.LZH");
        EXPECT_EQ(r.client.message, "*** Transfer Complete ***");
        EXPECT_EQ(readFile(clientFile("SONG.LZH")), content);
    }
}

TEST_F(BPlusTransferTest, UploadsEverySizeAroundTheBlockLength)
{
    for (std::size_t size : {0u, 1u, 1023u, 1024u, 1025u, 1048576u}) {
        SCOPED_TRACE(size);
        const std::string content = randomBytes(size, static_cast<unsigned>(size) + 7);
        const Result r = upload(content, "MAIL.TXT");
        EXPECT_TRUE(r.client.success) << r.client.message;
        EXPECT_TRUE(r.host.success) << r.host.message;
        EXPECT_FALSE(r.client.download);
        EXPECT_EQ(readFile(hostFile("MAIL.TXT")), content);
        if (size == 0) {
            // Only the parameters and "TC" reach the host.
            EXPECT_EQ(r.host.counters.packetsReceived, 2);
        }
    }
}

TEST_F(BPlusTransferTest, EveryByteValueBothWaysWithEveryCheckAndWindow)
{
    const std::string content = allByteValues(9) + randomBytes(70000, 3);
    for (int window : {0, 1}) {
        for (int check : {0, 1}) {
            SCOPED_TRACE("window " + std::to_string(window) + " check " + std::to_string(check));
            Result r = download(content, "A.BIN", hostWith(window, check));
            EXPECT_TRUE(r.client.success) << r.client.message;
            EXPECT_EQ(readFile(clientFile("A.BIN")), content);
            fs::remove(clientFile("A.BIN"));
            r = upload(content, "B.BIN", hostWith(window, check));
            EXPECT_TRUE(r.host.success) << r.host.message;
            EXPECT_EQ(readFile(hostFile("B.BIN")), content);
        }
    }
}

TEST_F(BPlusTransferTest, HostQuoteSetAndBlockSizeZero)
{
    BPlusHostOptions options = hostWith(1, 1, 0);
    options.parameters.quoteSet = kiro::online::bplus::kQuoteAll;
    const std::string content = allByteValues(8);  // 2,048 bytes
    const Result r = download(content, "Q.BIN", options);
    ASSERT_TRUE(r.client.success) << r.client.message;
    EXPECT_EQ(readFile(clientFile("Q.BIN")), content);
    // 512-byte blocks: "+", "TD", "TI", four data packets, "TC".
    EXPECT_EQ(r.host.counters.packetsSent, 8);
}

TEST_F(BPlusTransferTest, ReportsNameDirectionTypeAndProgress)
{
    const std::string content = randomBytes(5000, 11);
    const Result r = download(content, "R.LZH");
    ASSERT_TRUE(r.client.success);
    EXPECT_EQ(m_sink.last(BPlusReportCode::Direction)->text, "Downloading ");
    EXPECT_EQ(m_sink.last(BPlusReportCode::FileType)->text, "Binary");
    EXPECT_EQ(m_sink.last(BPlusReportCode::FileName)->text, "R.LZH");
    EXPECT_EQ(m_sink.last(BPlusReportCode::BytesInFile)->value, 5000);
    EXPECT_EQ(m_sink.last(BPlusReportCode::BytesRemaining)->value, 0);
    EXPECT_GT(m_sink.last(BPlusReportCode::RawBytesReceived)->value, 5000);
}

TEST_F(BPlusTransferTest, ResumesAMatchingPartialFile)
{
    const std::string content = randomBytes(300000, 5);
    writeFile(clientFile("PART.LZH"), content.substr(0, 123457));
    const Result r = download(content, "PART.LZH");
    ASSERT_TRUE(r.client.success) << r.client.message;
    EXPECT_EQ(r.host.resumedFrom, 123457);
    EXPECT_EQ(r.host.bytes, 300000 - 123457);
    EXPECT_EQ(readFile(clientFile("PART.LZH")), content);
}

TEST_F(BPlusTransferTest, OverwritesAMismatchingPartialFile)
{
    const std::string content = randomBytes(300000, 6);
    std::string partial = content.substr(0, 100000);
    partial[500] = static_cast<char>(partial[500] ^ 0x55);
    writeFile(clientFile("PART.LZH"), partial);
    const Result r = download(content, "PART.LZH");
    ASSERT_TRUE(r.client.success) << r.client.message;
    EXPECT_EQ(r.host.resumedFrom, 0);
    EXPECT_EQ(readFile(clientFile("PART.LZH")), content);

    // A longer local file than the host's also starts again.
    writeFile(clientFile("LONG.LZH"), content + "tail");
    const Result longer = download(content, "LONG.LZH");
    ASSERT_TRUE(longer.client.success);
    EXPECT_EQ(readFile(clientFile("LONG.LZH")), content);
}

TEST_F(BPlusTransferTest, APartialFileTheHostRefusesIsSetAside)
{
    const std::string content = randomBytes(20000, 7);
    const std::string stale = "not the host's file";
    writeFile(clientFile("R.LZH"), stale);
    BPlusHostOptions refusing;
    refusing.refuseMismatchedResume = true;
    Result r = download(content, "R.LZH", refusing);
    EXPECT_FALSE(r.client.success);
    EXPECT_EQ(readFile(clientFile("R.LZH.old")), stale);
    // The next try starts from nothing and gets the whole file.
    r = download(content, "R.LZH", refusing);
    ASSERT_TRUE(r.client.success) << r.client.message;
    EXPECT_EQ(readFile(clientFile("R.LZH")), content);
}

TEST_F(BPlusTransferTest, WithoutResumeAnOldFileIsReplaced)
{
    const std::string content = randomBytes(4000, 8);
    writeFile(clientFile("OLD.LZH"), content.substr(0, 1000));
    const Result r = download(content, "OLD.LZH", hostWith(1, 1, 8, 0));
    ASSERT_TRUE(r.client.success);
    EXPECT_EQ(r.host.resumedFrom, 0);
    EXPECT_EQ(readFile(clientFile("OLD.LZH")), content);
}

TEST_F(BPlusTransferTest, UserAbortsADownloadAndThePartialFileIsKept)
{
    const std::string content = randomBytes(400000, 9);
    const Result r = download(content, "AB.LZH", {}, {}, {},
                              [](BPlusMemoryPipe& p) { p.requestAbortAfter(BPlusMemoryPipe::Client, 100000); });
    EXPECT_FALSE(r.client.success);
    EXPECT_EQ(r.client.message, "Aborting download per your request");
    EXPECT_FALSE(r.host.success);
    EXPECT_EQ(r.host.message, "AAborted by user");
    const auto kept = fs::file_size(clientFile("AB.LZH"));
    EXPECT_GT(kept, 90000u);
    EXPECT_LT(kept, 400000u);
    EXPECT_EQ(readFile(clientFile("AB.LZH")), content.substr(0, kept));
}

TEST_F(BPlusTransferTest, UserAbortsAnUpload)
{
    const std::string content = randomBytes(400000, 10);
    const Result r = upload(content, "UP.TXT", {}, {}, {},
                            [](BPlusMemoryPipe& p) { p.requestAbortAfter(BPlusMemoryPipe::Client, 200); });
    EXPECT_FALSE(r.client.success);
    EXPECT_EQ(r.client.message, "Aborting the upload per your request");
    EXPECT_FALSE(r.host.success);
    EXPECT_EQ(r.host.message, "AAborted by user");
}

TEST_F(BPlusTransferTest, HostFailurePacketEndsTheDownload)
{
    BPlusHostOptions options;
    options.failAfterBytes = 10000;
    const Result r = download(randomBytes(50000, 12), "HF.LZH", options);
    EXPECT_FALSE(r.client.success);
    EXPECT_EQ(r.client.message, "Failure Packet received...aborting");
    EXPECT_TRUE(fs::exists(clientFile("HF.LZH")));
    EXPECT_GE(fs::file_size(clientFile("HF.LZH")), 10000u);
}

TEST_F(BPlusTransferTest, UnknownDirectionOrFileTypeIsRefused)
{
    BPlusHostOptions direction;
    direction.directionLetter = 'X';
    Result r = download("data", "X.BIN", direction);
    EXPECT_FALSE(r.client.started);
    EXPECT_EQ(r.client.message, "Unimplemented Transfer Function");
    EXPECT_EQ(r.host.message, "NUnimplemented Transfer function");

    BPlusHostOptions type;
    type.typeLetter = 'Z';
    r = download("data", "Z.BIN", type);
    EXPECT_EQ(r.client.message, "Unimplemented File Type");
    EXPECT_EQ(r.host.message, "NUnimplemented file type");
}

TEST_F(BPlusTransferTest, HostFileNamesStayInsideTheLocalFolder)
{
    const std::string content = "inside";
    writeFile(hostFile("evil.bin"), content);
    Result r = run([&](BPlusLine& line) {
        return BPlusHost(line).sendFile(hostFile("evil.bin"), "..\\..\\evil.bin");
    });
    ASSERT_TRUE(r.client.success) << r.client.message;
    EXPECT_EQ(readFile(clientFile("evil.bin")), content);
    EXPECT_FALSE(fs::exists(m_root / "evil.bin"));

    r = run([&](BPlusLine& line) { return BPlusHost(line).sendFile(hostFile("evil.bin"), "sub/../.."); });
    EXPECT_FALSE(r.client.success);
    EXPECT_EQ(r.host.message, "CCannot create file");

    // A Shift-JIS name whose trail byte is 0x5C is one name, not a path.
    const std::string sjis = "\x83\x5C\x83\x93\x83\x4F.LZH";  // ソング.LZH
    r = run([&](BPlusLine& line) { return BPlusHost(line).sendFile(hostFile("evil.bin"), sjis); });
    ASSERT_TRUE(r.client.success) << r.client.message;
    EXPECT_EQ(readFile(clientFile("ソング.LZH")), content);

    // An upload may not reach outside the folder either.
    writeFile(m_root / "secret.txt", "secret");
    r = run([&](BPlusLine& line) { return BPlusHost(line).receiveFile(hostFile("got.txt"), "../secret.txt"); });
    EXPECT_FALSE(r.host.success);
    EXPECT_EQ(r.host.message, "MFile not found");
}

TEST_F(BPlusTransferTest, OneMebibyteEachWayThroughALineWithNoise)
{
    // 0.01% of the bytes changed and 0.001% lost, in each direction.
    const LineFaults toClient{0.0001, 0.00001, 4242};
    const LineFaults toHost{0.0001, 0.00001, 777};
    const std::string content = randomBytes(1 << 20, 99);
    Result r = download(content, "NOISE.LZH", {}, toClient, toHost);
    ASSERT_TRUE(r.client.success) << r.client.message;
    EXPECT_EQ(readFile(clientFile("NOISE.LZH")), content);
    EXPECT_GT(r.client.counters.receiveErrors + r.client.counters.sendErrors, 0);

    r = upload(content, "NOISE.TXT", {}, toClient, toHost);
    ASSERT_TRUE(r.host.success) << r.host.message;
    EXPECT_EQ(readFile(hostFile("NOISE.TXT")), content);
}

TEST(BPlusTimeouts, FollowTheSessionTick)
{
    using std::chrono::milliseconds;
    using kiro::online::BPlusTransferStarter;
    // The real tick keeps the real waits; a shortened tick shortens them all.
    const auto real = BPlusTransferStarter::timeoutsForTick(milliseconds(500));
    EXPECT_EQ(real.normal, milliseconds(15000));
    EXPECT_EQ(real.afterFailure, milliseconds(10000));
    EXPECT_EQ(real.silence, milliseconds(45000));
    const auto fast = BPlusTransferStarter::timeoutsForTick(milliseconds(5));
    EXPECT_EQ(fast.normal, milliseconds(150));
    EXPECT_EQ(fast.afterFailure, milliseconds(100));
    EXPECT_EQ(fast.silence, milliseconds(450));
    EXPECT_EQ(fast.withinPacket, milliseconds(30));
    EXPECT_EQ(BPlusTransferStarter::timeoutsForTick(milliseconds(1000)).normal, milliseconds(30000));
}
