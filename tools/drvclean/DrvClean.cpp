#include "tools/drvclean/DrvClean.h"

#include "tools/drvclean/DriverCleanup.h"
#include "tools/drvclean/DrvCleanCommand.h"

namespace kiro::drvclean {

int runDrvClean(const std::string& commandLine, const DrvCleanSetup& setup)
{
    MessageBoxes& boxes = *setup.boxes;
    auto command = parseCommandLine(commandLine);
    if (!command) {
        boxes.showBox(kBrokenInfo, kErrorTitle, BoxIcon::Error);
        return 1;
    }
    if (command->setS || command->setC) {
        if (boxes.askYesNo(kAskRemoval, kQuestionTitle) == ButtonAnswer::Second)
            return 0;
        if (command->setS)
            removeDriverSet(driverSetS(), setup.windowsFolder, setup.systemFolder);
        if (command->setC)
            removeDriverSet(driverSetC(), setup.windowsFolder, setup.systemFolder);
        boxes.showBox(kRestartNeeded, kInformationTitle, BoxIcon::Information);
    }
    std::string error;
    if (!setup.start(command->uninstaller, splitParameters(command->parameters), error)) {
        boxes.showBox(kStartFailed, kErrorTitle, BoxIcon::Error);
        return 1;
    }
    return 0;
}

} // namespace kiro::drvclean
