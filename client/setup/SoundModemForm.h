#pragma once

#include "client/setup/SetupServices.h"

#include <string>
#include <vector>

namespace kiro::setup {

// One entry of the modem list: position 0 is "no modem", then the installed
// modems in registry order, then the TELNET virtual modem, which needs no
// registry entry and answers on the TELNET port.
struct ModemChoice {
    std::string label;
    int modemRegNo = 0; // what ModemRegNo becomes when this entry is chosen
    bool telnet = false;
};

// The sound module and modem dialog (405): the values its controls show,
// the two tests, and what "設定" and "もどる" do to the settings, the port,
// the host session and the music.
class SoundModemForm {
public:
    enum Control {
        BothConnected = 1040, // ComSingle 0
        Switching = 1041,     // ComSingle 1
        ModemCombo = 1240,
        PortCombo = 1246,
        ModemInitEdit = 1244,
        Tone = 1242,
        Pulse = 1243,
        ModemTestButton = 1016,
        SoundTestButton = 1017,
    };
    static constexpr int kSerialPorts = 4;
    static constexpr int kTelnetComPort = 5; // any port above 4 is the TELNET device
    static constexpr int kModemInitLimit = 127;

    // Fills the modem list, preselects position 1 when no modem was ever
    // chosen (stored at once, as an explicit choice would be), then keeps a
    // copy of the settings for "もどる" and takes the values to show.
    explicit SoundModemForm(SetupServices& services);

    const std::vector<ModemChoice>& modems() const { return m_modems; }
    // "COM1" ... "COM4" and the TELNET virtual modem.
    static std::vector<std::string> portNames();

    // The controls' values.
    int modemPosition = 0;
    int portPosition = 0;
    std::string modemInit;
    int comSingle = 1;
    int phoneType = 0;
    bool softwareSound = false;
    bool music = false; // background music on (BgmOff 0)

    // Choosing the TELNET virtual modem also chooses its port.
    void chooseModem(int position);

    // The buttons. The tests ask first whether the device is connected.
    void modemTest();
    void soundTest();
    void confirm();
    void cancel();

    // The TELNET phone book, one "number = host:port" per line, for the dialog.
    std::vector<std::string> phoneBookLines() const;

private:
    struct Kept {
        std::string modemInit;
        int manualModemTest, comSingle, comPort, modemRegPos, modemRegNo, phoneType, bgmOff, softwareSound;
    };

    void reconfigurePort();

    SetupServices& m_services;
    std::vector<ModemChoice> m_modems;
    Kept m_kept{};
};

} // namespace kiro::setup
