#pragma once

#include <string>

namespace kiro::app {
struct ClientSettings;
class Prompt;
}

namespace kiro::setup {

// The six texts of the user settings dialog (614) and what its OK does.
struct UserSettingsForm {
    // Control identifiers and the longest texts the edits take (code page 932
    // bytes).
    enum Control {
        NiftyIdEdit = 1157,
        PasswordEdit = 1158,
        MailNoEdit = 1417,
        AddressEdit = 1419,
        NameEdit = 1111,
        PhoneEdit = 1421,
        SoundModemButton = 1016,
        AccessPointButton = 1416,
    };
    static constexpr int kAddressLimit = 80;
    static constexpr int kNameLimit = 40;
    static constexpr int kPasswordLimit = 32;
    static constexpr int kPhoneLimit = 12;
    static constexpr int kNiftyIdLimit = 8;
    static constexpr int kMailNoLimit = 8;

    std::string niftyId;
    std::string password;
    std::string mailNo;
    std::string address;
    std::string name;
    std::string phone;

    static UserSettingsForm fromSettings(const app::ClientSettings& settings);

    struct Outcome {
        bool accepted = false;
        int focusControl = 0; // the empty edit; 0 for the access point, which has none
    };

    // The OK button: the first empty text (address, name, password, phone,
    // user ID, postal code, then gate 1's number) is named and refused;
    // otherwise the six texts are stored and SetupIsOK becomes 1. The caller
    // saves the settings.
    Outcome confirm(app::ClientSettings& settings, app::Prompt& prompt) const;
};

} // namespace kiro::setup
