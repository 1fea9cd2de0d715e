#include "client/setup/SoundModemForm.h"

#include "client/app/ClientSettings.h"
#include "client/app/Prompt.h"
#include "client/music/BackgroundMusic.h"
#include "client/online/ModemCommands.h"
#include "client/online/PortRegistry.h"

#include <algorithm>

namespace kiro::setup {
namespace {

constexpr const char* kYes = "はい";
constexpr const char* kNo = "いいえ";

bool yes(app::Prompt& prompt, const char* question)
{
    return prompt.question(question, kYes, kNo) == app::PromptAnswer::First;
}

} // namespace

SoundModemForm::SoundModemForm(SetupServices& services)
    : m_services(services)
{
    app::ClientSettings& s = *m_services.settings;
    m_modems.push_back({"(モデムを使わない)", 0, false});
    if (m_services.registry)
        for (const online::ModemListEntry& entry : online::ModemList(*m_services.registry))
            m_modems.push_back({entry.model, entry.number + 1, false});
    m_modems.push_back({"TELNET仮想モデム", 0, true});

    if (s.ModemRegPos < 0) {
        s.ModemRegPos = 1;
        s.ModemRegNo = m_modems[1].modemRegNo;
    }
    m_kept = {s.ModemInit, s.ManualModemTest, s.ComSingle, s.ComPort, s.ModemRegPos,
              s.ModemRegNo, s.PhoneType, s.BgmOff, s.SoftwareSound};

    // A position the list no longer has (a modem was removed) shows "no modem".
    modemPosition = s.ModemRegPos < static_cast<int>(m_modems.size()) ? s.ModemRegPos : 0;
    portPosition = std::clamp(s.ComPort, 1, kTelnetComPort) - 1;
    modemInit = s.ModemInit;
    comSingle = s.ComSingle != 0 ? 1 : 0;
    phoneType = s.PhoneType != 0 ? 1 : 0;
    softwareSound = s.SoftwareSound != 0;
    music = s.BgmOff == 0;
}

std::vector<std::string> SoundModemForm::portNames()
{
    std::vector<std::string> names;
    for (int port = 1; port <= kSerialPorts; ++port)
        names.push_back("COM" + std::to_string(port));
    names.push_back("TELNET仮想モデム");
    return names;
}

void SoundModemForm::chooseModem(int position)
{
    if (position < 0 || position >= static_cast<int>(m_modems.size()))
        return;
    modemPosition = position;
    if (m_modems[position].telnet)
        portPosition = kTelnetComPort - 1;
}

void SoundModemForm::modemTest()
{
    app::Prompt& prompt = *m_services.prompt;
    if (!yes(prompt, "パソコンに\nモデムが接続されて\nいますか？"))
        return;
    m_services.settings->ComPort = portPosition + 1;
    const bool answered = m_services.runModemTest && m_services.runModemTest();
    prompt.message(answered ? "モデムから応答が\nありました。\n\nモデムは正常に\n接続されています。"
                            : "モデムから応答が\nありませんでした。\n\nモデムの設定を\n確認してください。");
}

void SoundModemForm::soundTest()
{
    app::Prompt& prompt = *m_services.prompt;
    if (!yes(prompt, "パソコンに\n音源が接続されて\nいますか？"))
        return;
    music::BackgroundMusic* player = m_services.music;
    // The test tune plays even while background music is switched off; when
    // it is on, the tune it interrupted plays again afterwards.
    const bool wasOff = player ? player->off() : true;
    const int interrupted = player ? player->current() : -1;
    if (player) {
        player->setOff(false);
        player->openAndPlay(0);
    }
    const bool heard = yes(prompt, "今、スピーカーから\n音楽が流れていますか？");
    if (player) {
        player->close();
        player->setOff(wasOff);
        if (!wasOff && interrupted >= 0)
            player->openAndPlay(interrupted);
    }
    if (heard)
        prompt.message("もし、音楽が流れていれば\n問題ありません。");
    else
        prompt.message("音源の接続と、\n「ソフトウェア音源を使う」の\n設定を確認してください。");
}

void SoundModemForm::confirm()
{
    app::ClientSettings& s = *m_services.settings;
    s.ComPort = portPosition + 1;
    s.ModemInit = modemInit;
    s.ComSingle = comSingle;
    s.PhoneType = phoneType;
    s.ModemRegPos = modemPosition;
    s.ModemRegNo = modemPosition < 1 ? 0 : m_modems[modemPosition].modemRegNo;
    s.SoftwareSound = softwareSound ? 1 : 0;
    s.BgmOff = music ? 0 : 1;
    if (m_services.settingsChanged)
        m_services.settingsChanged();
    reconfigurePort();
    if (music::BackgroundMusic* player = m_services.music) {
        player->suspend(-1);
        player->close();
        player->setOff(s.BgmOff != 0);
        player->selectEngine(s.SoftwareSound != 0 ? 1 : 0);
        player->openAndPlay(-1);
        player->resume();
    }
}

void SoundModemForm::cancel()
{
    app::ClientSettings& s = *m_services.settings;
    s.ModemInit = m_kept.modemInit;
    s.ManualModemTest = m_kept.manualModemTest;
    s.ComSingle = m_kept.comSingle;
    s.ComPort = m_kept.comPort;
    s.ModemRegPos = m_kept.modemRegPos;
    s.ModemRegNo = m_kept.modemRegNo;
    s.PhoneType = m_kept.phoneType;
    s.BgmOff = m_kept.bgmOff;
    s.SoftwareSound = m_kept.softwareSound;
    // The preselection on opening may have chosen a modem; the session follows.
    if (m_services.settingsChanged)
        m_services.settingsChanged();
    reconfigurePort();
}

void SoundModemForm::reconfigurePort()
{
    if (m_services.reconfigurePort)
        m_services.reconfigurePort(m_services.settings->ComPort, m_services.settings->BaudRate);
}

std::vector<std::string> SoundModemForm::phoneBookLines() const
{
    std::vector<std::string> lines;
    if (!m_services.registry)
        return lines;
    for (const auto& [name, value] : m_services.registry->stringValues(online::kTelnetKey))
        lines.push_back(name + " = " + value);
    return lines;
}

} // namespace kiro::setup
