#include "client/online/CommPort.h"
#include "client/online/HostSession.h"
#include "client/online/ModemTest.h"
#include "client/online/TextProgressView.h"
#include "client/setup/SoundModemForm.h"
#include "SetupFixture.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using kiro::app::PromptAnswer;
using kiro::setup::SoundModemForm;
using kiro::setuptest::SetupFixture;

namespace {

void installTwoModems(SetupFixture& f)
{
    kiro::Registry registry = f.registry();
    const std::string key = kiro::online::kModemClassKey;
    registry.writeString(key + "\\0003", "Model", "Fast Modem");
    registry.writeString(key + "\\0001", "Other", "no model: skipped");
    registry.writeString(key + "\\0007", "Model", "Slow Modem");
}

} // namespace

TEST(SoundModemForm, ListsNoModemTheInstalledOnesAndTheTelnetModem)
{
    SetupFixture f;
    installTwoModems(f);
    SoundModemForm form(f.services);
    ASSERT_EQ(form.modems().size(), 4u);
    EXPECT_EQ(form.modems()[1].label, "Fast Modem");
    EXPECT_EQ(form.modems()[1].modemRegNo, 4);
    EXPECT_EQ(form.modems()[2].modemRegNo, 8);
    EXPECT_TRUE(form.modems()[3].telnet);
    EXPECT_EQ(SoundModemForm::portNames().size(), 5u);

    // Never chosen before: position 1 is chosen at once, as if picked.
    EXPECT_EQ(f.settings.ModemRegPos, 1);
    EXPECT_EQ(f.settings.ModemRegNo, 4);
    EXPECT_EQ(form.modemPosition, 1);

    form.chooseModem(3);
    EXPECT_EQ(form.portPosition, 4) << "the TELNET modem answers on the TELNET port";
    form.confirm();
    EXPECT_EQ(f.settings.ModemRegPos, 3);
    EXPECT_EQ(f.settings.ModemRegNo, 0) << "the virtual modem has no registry entry";
    EXPECT_EQ(f.settings.ComPort, 5);
}

TEST(SoundModemForm, WithoutInstalledModemsTheTelnetModemIsPreselected)
{
    SetupFixture f;
    SoundModemForm form(f.services);
    ASSERT_EQ(form.modems().size(), 2u);
    EXPECT_EQ(f.settings.ModemRegPos, 1);
    EXPECT_EQ(f.settings.ModemRegNo, 0);
}

TEST(SoundModemForm, CancelPutsBackThePortAndEverythingElse)
{
    SetupFixture f;
    installTwoModems(f);
    f.settings.ModemRegPos = 2;
    f.settings.ModemRegNo = 8;
    f.settings.BaudRate = 38400;
    SoundModemForm form(f.services);
    EXPECT_EQ(form.portPosition, 1);
    form.portPosition = 3;
    form.modemInit = "ATX3";
    form.phoneType = 1;
    f.prompt.addAnswer(PromptAnswer::First);
    form.modemTest(); // takes the port from the combo
    EXPECT_EQ(f.testedPorts, std::vector<int>{4});
    form.cancel();
    EXPECT_EQ(f.settings.ComPort, 2);
    EXPECT_EQ(f.settings.ModemInit, "AT");
    EXPECT_EQ(f.settings.PhoneType, 0);
    EXPECT_EQ(f.settings.ModemRegPos, 2);
    EXPECT_EQ(f.settings.ModemRegNo, 8);
    ASSERT_FALSE(f.reconfigured.empty());
    EXPECT_EQ(f.reconfigured.back(), "2@38400") << "the port goes back to where it was";
}

TEST(SoundModemForm, ConfirmStoresReloadsAndRestartsTheMusicWithTheEngine)
{
    SetupFixture f;
    installTwoModems(f);
    SoundModemForm form(f.services);
    form.modemPosition = 2;
    form.portPosition = 0;
    form.comSingle = 0;
    form.phoneType = 1;
    form.modemInit = "ATM0";
    form.softwareSound = true;
    form.music = true;
    form.confirm();
    EXPECT_EQ(f.settings.ComPort, 1);
    EXPECT_EQ(f.settings.ComSingle, 0);
    EXPECT_EQ(f.settings.PhoneType, 1);
    EXPECT_EQ(f.settings.ModemInit, "ATM0");
    EXPECT_EQ(f.settings.ModemRegPos, 2);
    EXPECT_EQ(f.settings.ModemRegNo, 8);
    EXPECT_EQ(f.settings.SoftwareSound, 1);
    EXPECT_EQ(f.settings.BgmOff, 0);
    EXPECT_GE(f.changes, 1) << "the session reloads the modem's fragments";
    EXPECT_EQ(f.reconfigured, std::vector<std::string>{"1@9600"});
    EXPECT_EQ(f.music.calls, (std::vector<std::string>{"suspend -1", "close", "setOff 0", "selectEngine 1",
                                                       "openAndPlay -1", "resume"}));

    form.modemPosition = 0;
    form.confirm();
    EXPECT_EQ(f.settings.ModemRegNo, 0) << "no modem: no fragments";
}

TEST(SoundModemForm, TestsAskFirstAndReportWhatHappened)
{
    SetupFixture f;
    SoundModemForm form(f.services);

    f.prompt.addAnswer(PromptAnswer::Second);
    form.modemTest();
    EXPECT_TRUE(f.testedPorts.empty()) << "no modem connected: nothing is run";

    f.prompt.clear();
    f.modemAnswers = false;
    f.prompt.addAnswer(PromptAnswer::First);
    form.modemTest();
    EXPECT_EQ(f.prompt.texts(), (std::vector<std::string>{"パソコンに\nモデムが接続されて\nいますか？",
                                                          "モデムから応答が\nありませんでした。\n\nモデムの設定を\n確認してください。"}));
    EXPECT_EQ(f.prompt.records()[0].firstLabel, "はい");
    EXPECT_EQ(f.prompt.records()[0].secondLabel, "いいえ");

    f.prompt.clear();
    f.prompt.addAnswer(PromptAnswer::First);
    f.prompt.addAnswer(PromptAnswer::First);
    form.soundTest();
    EXPECT_EQ(f.prompt.texts(), (std::vector<std::string>{"パソコンに\n音源が接続されて\nいますか？",
                                                          "今、スピーカーから\n音楽が流れていますか？",
                                                          "もし、音楽が流れていれば\n問題ありません。"}));
    // The test tune plays although background music is off, which it is again afterwards.
    EXPECT_EQ(f.music.calls, (std::vector<std::string>{"setOff 0", "openAndPlay 0", "close", "setOff 1"}));
    EXPECT_TRUE(f.music.off());

    // With background music on, the dialog's tune comes back after the test.
    f.music.setOff(false);
    f.music.play(5);
    f.music.calls.clear();
    f.prompt.clear();
    f.prompt.addAnswer(PromptAnswer::First);
    f.prompt.addAnswer(PromptAnswer::Second);
    form.soundTest();
    EXPECT_EQ(f.music.calls,
        (std::vector<std::string>{"setOff 0", "openAndPlay 0", "close", "setOff 0", "openAndPlay 5"}));
    EXPECT_EQ(f.music.current(), 5);
}

TEST(ModemTest, TheTelnetVirtualModemAnswers)
{
    SetupFixture f;
    static int argc = 1;
    static char name[] = "setup_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application = new QCoreApplication(argc, argv);
    (void)application;

    kiro::online::TextProgressView view;
    kiro::online::CommPort port(kiro::online::defaultPortDeviceFactory(), f.dir.path);
    kiro::online::HostSession session(port, view, f.prompt);
    ASSERT_TRUE(port.Init(&session.receiveHandler(), 1, 9600));
    session.setTickInterval(std::chrono::milliseconds(50));
    f.services.runModemTest = [&]() {
        return kiro::online::RunModemTest(port, session, f.settings.ComPort, static_cast<std::uint32_t>(f.settings.BaudRate));
    };

    SoundModemForm form(f.services);
    form.portPosition = SoundModemForm::kTelnetComPort - 1;
    f.prompt.addAnswer(PromptAnswer::First);
    form.modemTest();
    EXPECT_EQ(port.port(), 5);
    ASSERT_EQ(f.prompt.texts().size(), 2u);
    EXPECT_EQ(f.prompt.texts()[1], "モデムから応答が\nありました。\n\nモデムは正常に\n接続されています。");
    port.Shutdown();
}
