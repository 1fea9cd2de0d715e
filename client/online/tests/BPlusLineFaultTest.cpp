// Transfers through a damaged line with the real time-outs: the virtual
// clock makes every time-out free in wall time, but it shows in the line
// time a transfer took.
#include "client/online/tests/BPlusPipeFixture.h"

using namespace kiro::testing::bplus;

namespace {

class BPlusLineFaults : public BPlusTransferTest {};

} // namespace

TEST_F(BPlusLineFaults, NoisyDownloadsRecoverByNakNotByTimeOut)
{
    const std::string content = randomBytes(1 << 20, 77);
    for (std::uint32_t seed : {11u, 12u, 13u, 14u}) {
        SCOPED_TRACE(seed);
        fs::remove(clientFile("N.LZH"));
        const Result r = download(content, "N.LZH", {}, {0.0001, 0.00001, seed}, {0.0001, 0.00001, seed + 100});
        ASSERT_TRUE(r.client.success) << r.client.message;
        EXPECT_EQ(readFile(clientFile("N.LZH")), content);
        std::printf("seed %u: %lld ms, %lld/%lld errors\n", seed, (long long)m_virtualMs, (long long)r.client.counters.receiveErrors, (long long)r.host.counters.sendErrors);
    }
}
