#include "client/SetupDialogs.h"

#include "client/ProgramServices.h"
#include "client/ui/setup/PictureSettingsDialog.h"
#include "client/ui/setup/SoundModemDialog.h"

namespace kiro::client {

int openPictureSettingsDialog(QWidget* parent, ProgramServices& services)
{
    kiro::setup::SetupServices setup = services.setupServices();
    PictureSettingsDialog dialog(setup, parent);
    return dialog.exec();
}

int openSoundModemDialog(QWidget* parent, ProgramServices& services)
{
    kiro::setup::SetupServices setup = services.setupServices();
    SoundModemDialog dialog(setup, parent);
    return dialog.exec();
}

} // namespace kiro::client
