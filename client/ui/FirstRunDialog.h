#pragma once

#include "client/ui/CaptionlessDialog.h"

#include <functional>

class PictureButton;
namespace kiro::app {
class Prompt;
}

// Template 615, shown at start-up until the user settings were completed.
// "KIROカラオケ" (1) closes it with OK only once setup is done; "通信設定"
// runs the user settings dialog and saves; "終了" (2) closes it with cancel.
class FirstRunDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> setupIsOK;
        // The user settings dialog followed by SaveSettings.
        std::function<void(QWidget* parent)> runUserSettings;
    };

    FirstRunDialog(Hooks hooks, kiro::app::Prompt& prompt, QWidget* parent = nullptr);

private:
    void enterKaraoke();

    Hooks m_hooks;
    kiro::app::Prompt& m_prompt;
};
