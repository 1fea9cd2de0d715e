#include "midithunk/VmpBackend.h"
#include "midithunk/orvelmp.h"

#include <gtest/gtest.h>

#include <vector>

using kiro::vmp::VmpArgs;
using kiro::vmp::VmpFunction;

namespace {

struct Recorded {
    VmpFunction function;
    VmpArgs args;
};

class RecordingBackend final : public kiro::vmp::VmpBackend {
public:
    std::uint16_t call(VmpFunction function, const VmpArgs& args) override
    {
        calls.push_back({function, args});
        return result;
    }
    void setNotify(kiro::vmp::NotifyProc, void*) override { }

    std::vector<Recorded> calls;
    std::uint16_t result = 0;
};

class VmpExports : public testing::Test {
protected:
    void SetUp() override { kiro::vmp::installBackend(&backend); }
    void TearDown() override { kiro::vmp::installBackend(nullptr); }
    const Recorded& only()
    {
        EXPECT_EQ(backend.calls.size(), 1u);
        return backend.calls.back();
    }
    RecordingBackend backend;
};

} // namespace

TEST_F(VmpExports, MillisecondPositionIsClampedTo4294967)
{
    vmpSetPositionByMS(5000000);
    EXPECT_EQ(only().function, VmpFunction::SetPositionByMS);
    EXPECT_EQ(only().args.value[0], 4294967u);
    backend.calls.clear();
    vmpSetPositionByMS(4294967);
    EXPECT_EQ(only().args.value[0], 4294967u);
    backend.calls.clear();
    vmpSetPositionByMS(1234);
    EXPECT_EQ(only().args.value[0], 1234u);
}

TEST_F(VmpExports, SixteenBitArgumentsKeepOnlyTheirLowHalf)
{
    vmpSetPlayMode(0x12340002);
    EXPECT_EQ(backend.calls.back().args.value[0], 2u);
    vmpSetSeekMode(0xFFFF0001);
    EXPECT_EQ(backend.calls.back().args.value[0], 1u);
    vmpSendReset(0x10000);
    EXPECT_EQ(backend.calls.back().args.value[0], 0u);
    vmpSetVolume(0x10005, 100);
    EXPECT_EQ(backend.calls.back().args.value[0], 5u);
    EXPECT_EQ(backend.calls.back().args.value[1], 100u);
    // A signed value survives the cut with its sign.
    vmpSetKeyShift(-3);
    EXPECT_EQ(static_cast<std::int32_t>(backend.calls.back().args.value[0]), -3);
    vmpSetTempo(0x10000 + 120);
    EXPECT_EQ(static_cast<std::int32_t>(backend.calls.back().args.value[0]), 120);
    // Window handles are cut to their 16-bit form; 32-bit values pass whole.
    vmpSetClkMsg(0xABCD1234, 0x80001234, 250);
    EXPECT_EQ(backend.calls.back().function, VmpFunction::SetClkMsg);
    EXPECT_EQ(backend.calls.back().args.value[0], 0x1234u);
    EXPECT_EQ(backend.calls.back().args.value[1], 0x80001234u);
    EXPECT_EQ(backend.calls.back().args.value[2], 250u);
    vmpSetRepeatPoint(0x12345678, 0x9ABCDEF0);
    EXPECT_EQ(backend.calls.back().args.value[0], 0x12345678u);
    EXPECT_EQ(backend.calls.back().args.value[1], 0x9ABCDEF0u);
}

TEST_F(VmpExports, EveryExportReachesItsNumberedFunctionAndReturnsItsResult)
{
    backend.result = 0xBEEF;
    std::uint32_t position = 0;
    std::int32_t value = 0;
    const std::vector<std::pair<std::uint16_t, VmpFunction>> calls = {
        {vmpSetDataEndMsg(1, 2), VmpFunction::SetDataEndMsg},
        {vmpSetClkMsg(1, 2, 3), VmpFunction::SetClkMsg},
        {vmpGetPositionByMS(&position), VmpFunction::GetPositionByMS},
        {vmpSetPositionByMS(1), VmpFunction::SetPositionByMS},
        {vmpSetSeekMode(0), VmpFunction::SetSeekMode},
        {vmpGetVolume(0, &value), VmpFunction::GetVolume},
        {vmpSetVolume(0, 0), VmpFunction::SetVolume},
        {vmpGetTempo(&value), VmpFunction::GetTempo},
        {vmpSetTempo(100), VmpFunction::SetTempo},
        {vmpGetKeyShift(&value), VmpFunction::GetKeyShift},
        {vmpSetKeyShift(0), VmpFunction::SetKeyShift},
        {vmpSetRepeatPoint(0, 0), VmpFunction::SetRepeatPoint},
        {vmpSendReset(0), VmpFunction::SendReset},
        {vmpGetPosition(&position), VmpFunction::GetPosition},
        {vmpSetPosition(0), VmpFunction::SetPosition},
        {vmpGetStatus(), VmpFunction::GetStatus},
        {vmpSetPlayMode(0), VmpFunction::SetPlayMode},
        {vmpStop(), VmpFunction::Stop},
        {vmpStart(), VmpFunction::Start},
        {vmpSetSong("x.mid"), VmpFunction::SetSong},
        {vmpClose(), VmpFunction::Close},
        {vmpOpen(0, 0), VmpFunction::Open},
    };
    ASSERT_EQ(backend.calls.size(), 22u);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].first, 0xBEEF);
        EXPECT_EQ(static_cast<int>(backend.calls[i].function), static_cast<int>(i));
        EXPECT_EQ(calls[i].second, backend.calls[i].function);
    }
    EXPECT_EQ(backend.calls[2].args.position, &position);
    EXPECT_EQ(backend.calls[5].args.signedOut, &value);
    EXPECT_STREQ(backend.calls[19].args.path, "x.mid");
}
