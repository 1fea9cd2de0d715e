#include "midiload/EngineLibrary.h"
#include "midiload/orvelmpl.h"
#include "midiload/tests/LoaderTestSupport.h"

#include <unistd.h>

using Loader = LoaderFixture;

TEST_F(Loader, WithoutTheRegistryKeyEveryMidiFunctionReports15AndStatusIs0)
{
    EXPECT_EQ(vmpldOpen(1, 0, 0), 15);
    std::uint32_t position = 0;
    std::int32_t value = 0;
    VmpCaps caps {};
    const std::uint16_t results[] = {vmpldSetSong("a.mid"), vmpldStart(), vmpldStop(), vmpldSetPlayMode(2),
        vmpldSetPosition(1), vmpldGetPosition(&position), vmpldSendReset(0), vmpldSetRepeatPoint(1, 2),
        vmpldSetKeyShift(1), vmpldGetKeyShift(&value), vmpldSetTempo(1), vmpldGetTempo(&value),
        vmpldSetVolume(1, 1), vmpldGetVolume(1, &value), vmpldSetSeekMode(0), vmpldSetPositionByMS(1),
        vmpldGetPositionByMS(&position), vmpldSetClkMsg(1, 2, 3), vmpldSetDataEndMsg(1, 2), vmpldGetCaps(&caps),
        vmpldSetCaps(caps), vmpldMute(1)};
    for (std::uint16_t result : results)
        EXPECT_EQ(result, 15);
    EXPECT_EQ(vmpldGetStatus(), 0);
    EXPECT_EQ(vmpldWavePlay("x.wav"), 0u);
    EXPECT_EQ(vmpldWaveSetVol(1), 0u);
    EXPECT_EQ(vmpldWaveClose(), 1u);
    EXPECT_EQ(vmpldClose(), 0);
}

TEST_F(Loader, InterfaceKindTwoAndUnloadableEnginesReport15)
{
    chooseEngine("kirofakeengine.dll", 2);
    EXPECT_EQ(vmpldOpen(1, 0, 0), 15);
    chooseEngine("no-such-engine.dll", 0);
    EXPECT_EQ(vmpldOpen(1, 0, 0), 15);
    // A name longer than the 30-byte buffer keeps the default engine name;
    // the registry is read again at every open.
    chooseEngine(std::string(40, 'k') + ".dll", 0);
    EXPECT_EQ(vmpldOpen(1, 0, 0), 0) << "the default engine (liborvelmp.so) should have loaded";
    EXPECT_EQ(vmpldClose(), 0);
    chooseEngine("kirofakeengine.dll", 0);
    EXPECT_EQ(vmpldOpen(1, 5, 6), 0);
    EXPECT_EQ(log(), "vmpOpen 5 6;");
}

TEST_F(Loader, OpeningTwiceClosesAndAThirdOpenWorks)
{
    chooseEngine("KiroFakeEngine.DLL", 0); // the file is found whatever the letter case
    EXPECT_EQ(vmpldOpen(1, 0, 0), 0);
    EXPECT_EQ(vmpldOpen(1, 0, 0), 1);
    EXPECT_EQ(log(), "vmpOpen 0 0;vmpClose;");
    EXPECT_EQ(vmpldStart(), 15) << "the second open left the player closed";
    EXPECT_EQ(vmpldOpen(1, 0, 0), 0);
    EXPECT_EQ(vmpldStart(), 0);
    EXPECT_EQ(vmpldGetStatus(), 2);
}

TEST_F(Loader, AFailedEngineOpenClosesAndPassesTheResultOn)
{
    chooseEngine("kirofakeengine.dll", 1);
    resetLog(9);
    EXPECT_EQ(vmpldOpen(77, 1, 2), 9);
    // Interface 1 passes the window first; closing stops the engine's WAV sound too.
    EXPECT_EQ(log(), "vmpOpen 77 1;vmpdsWaveClose;vmpClose;");
    EXPECT_EQ(vmpldStart(), 15);
}

TEST_F(Loader, ArgumentsAreCutToTheWidthsTheEngineTakes)
{
    chooseEngine("kirofakeengine.dll", 0);
    ASSERT_EQ(vmpldOpen(1, 0, 0), 0);
    resetLog();
    vmpldSetPlayMode(0x10002);
    vmpldSetKeyShift(0x1FE); // signed 8 bits: -2
    vmpldSetVolume(0x105, 0x10064);
    vmpldSetRepeatPoint(96, 864);
    vmpldSetPosition(0x12345678);
    EXPECT_EQ(log(), "vmpSetPlayMode 2;vmpSetKeyShift -2;vmpSetVolume 5 100;vmpSetRepeatPoint 96 864;vmpSetPosition 305419896;");
    EXPECT_EQ(vmpldSetPositionByMS(3), 42) << "the engine's own result comes back";
}

TEST_F(Loader, MissingEntriesAndInterfaceZeroLimits)
{
    chooseEngine("kirofakeengine.dll", 0);
    ASSERT_EQ(vmpldOpen(1, 0, 0), 0);
    std::int32_t value = 0;
    EXPECT_EQ(vmpldSetTempo(100), 16);
    EXPECT_EQ(vmpldGetTempo(&value), 16);
    EXPECT_EQ(vmpldSetClkMsg(1, 2, 3), 16);
    VmpCaps caps {};
    EXPECT_EQ(vmpldGetCaps(&caps), 3);
    EXPECT_EQ(vmpldSetCaps(caps), 3);
    EXPECT_EQ(vmpldMute(1), 0);
    EXPECT_EQ(vmpldWaveSetVol(0x8000), 1u);
    EXPECT_EQ(log().find("vmpMute"), std::string::npos);
    EXPECT_EQ(log().find("vmpGetCaps"), std::string::npos);
}

TEST_F(Loader, InterfaceOneForwardsCapsMuteAndWaveToTheEngine)
{
    chooseEngine("kirofakeengine.dll", 1);
    ASSERT_EQ(vmpldOpen(1, 0, 0), 0);
    resetLog();
    VmpCaps caps {};
    EXPECT_EQ(vmpldGetCaps(&caps), 0);
    EXPECT_EQ(caps.word[12], 0xCAFEu);
    caps.word[0] = 11;
    caps.word[1] = 22;
    caps.word[12] = 33;
    EXPECT_EQ(vmpldSetCaps(caps), 0);
    EXPECT_EQ(vmpldMute(1), 0);
    EXPECT_EQ(vmpldWavePlay("x.wav"), 7u);
    EXPECT_EQ(vmpldWaveClose(), 8u);
    EXPECT_EQ(vmpldWaveSetVol(1), 0u) << "the engine lacks vmpdsWaveSetVol";
    EXPECT_EQ(log(), "vmpGetCaps;vmpSetCaps 11 22 33;vmpMute 1;vmpdsWavePlay;vmpdsWaveClose;");
}

TEST(LoaderNames, DllNamesBecomeSharedLibraryNames)
{
    EXPECT_EQ(kiro::midiload::sharedLibraryName("orvelmp.dll"), "liborvelmp.so");
    EXPECT_EQ(kiro::midiload::sharedLibraryName("ORVELSMP.DLL"), "libORVELSMP.so");
    EXPECT_EQ(kiro::midiload::kEntryNames[28], std::string("@@@@@@@vsswaveOutOpen"));
    EXPECT_EQ(kiro::midiload::openEngineLibrary("../../etc/evil.dll", KIRO_LIB_DIR), nullptr);
}

namespace {
int g_notices = 0;
void countNotice(std::uint32_t window, std::uint32_t message, std::uint32_t wparam, std::uint32_t lparam, void* context)
{
    EXPECT_EQ(window + message + wparam + lparam, 10u);
    EXPECT_EQ(context, &g_notices);
    ++g_notices;
}
} // namespace

TEST_F(Loader, TheNotificationCallbackReachesEveryEngineLoadedAndIsWithdrawnOnClose)
{
    chooseEngine("kirofakeengine.dll", 0);
    g_notices = 0;
    vmpldSetNotify(&countNotice, &g_notices);
    ASSERT_EQ(vmpldOpen(1, 0, 0), 0);
    EXPECT_EQ(g_notices, 1);
    vmpldClose();
    EXPECT_EQ(log(), "vmpSetNotify;vmpOpen 0 0;vmpClose;vmpSetNotify(null);");
    ASSERT_EQ(vmpldOpen(1, 0, 0), 0);
    EXPECT_EQ(g_notices, 2) << "a new load gets the callback again";
    vmpldSetNotify(nullptr, nullptr);
}
