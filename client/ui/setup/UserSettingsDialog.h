#pragma once

#include "client/setup/SetupServices.h"
#include "client/ui/CaptionlessDialog.h"

class Cp932LineEdit;
class PictureButton;

// Template 614: the NIFTY-Serve account and the user's own details. Its OK is
// the only way SetupIsOK becomes 1; "音源/ﾓﾃﾞﾑﾃｽﾄ" and "ｱｸｾｽﾎﾟｲﾝﾄ" open the
// other setup dialogs and save after their OK.
class UserSettingsDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    UserSettingsDialog(kiro::setup::SetupServices& services, bool showSetupButtons = true, QWidget* parent = nullptr);

    Cp932LineEdit* edit(int control) const;
    // "OK": refuses with a message while something is missing.
    void confirm();

private:
    void openSoundModem();
    void openAccessPoint();

    kiro::setup::SetupServices& m_services;
};
