#pragma once

#include "client/setup/FieldCheck.h"

#include <array>
#include <string>

namespace kiro::app {
struct ClientSettings;
class Prompt;
}

namespace kiro::setup {

// One choice of the gate speed combos and the BaudRate it stores.
struct SpeedChoice {
    const char* text;
    int value;
};
inline constexpr std::array<SpeedChoice, 4> kSpeedTable = {{
    {"9600bps", 9600},
    {"19200bps", 19200},
    {"38400bps", 38400},
    {"57600bps", 57600},
}};

// The speed a road type code (ten times RoadType) suggests; codes outside the
// known roads fall back to the slowest speed.
int defaultSpeedPosition(int roadCode);

// One row of the access point list: "名前-ロード" and "市外局番-番号", and the
// row's road type code.
struct AccessPointRow {
    std::string place;
    std::string number;
    int roadCode = 0;
};

// The two departure gates of the access point dialog (465) and what its
// buttons do to them.
class AccessPointForm {
public:
    enum Control {
        Tab = 1063,
        List = 1144,
        Gate1Name = 1226,
        Gate1Phone = 1228,
        Gate1Speed = 1382,
        Gate2Name = 1227,
        Gate2Phone = 1229,
        Gate2Speed = 1383,
        Gate1Button = 1254,
        Gate2Button = 1255,
    };

    struct Gate {
        std::string name;
        std::string phone;
        int roadCode = 0;
        int speedPosition = 0;
    };

    // The check the OK button runs: gate 1's name, and its number in
    // half-width characters; gate 2's number, when given, half-width too
    // (the modem would be sent double-byte codes for it on a redial).
    static const std::array<FieldCheckRow, 3> kChecks;

    explicit AccessPointForm(const app::ClientSettings& settings);

    // gate 1 or 2.
    Gate& gate(int number) { return m_gates[number == 2 ? 1 : 0]; }
    const Gate& gate(int number) const { return m_gates[number == 2 ? 1 : 0]; }
    int selectedGate() const { return m_selected; }
    void selectGate(int number) { m_selected = number; }

    // A double click on the list (`row` null when no row is selected): copies
    // the row into the selected gate with the road's speed. False, after
    // telling the user, when there is no row or no gate.
    bool applyRow(const AccessPointRow* row, app::Prompt& prompt);

    // Stores both gates (AccessPoint, AccessPointName, RoadType, AccessSpeedPos,
    // BaudRate and their "2"/"2nd" twins). The caller has run the checks.
    void store(app::ClientSettings& settings) const;

private:
    std::array<Gate, 2> m_gates;
    int m_selected = 1;
};

} // namespace kiro::setup
