// drvclean: removes the soft-synthesizer drivers from the Windows
// configuration files and starts the uninstaller named in brackets:
//   drvclean SC[/opt/kiro/uninstall -fkiro.log]
#include "common/Process.h"
#include "common/WinPaths.h"
#include "common/qt/QtMessageBoxes.h"
#include "tools/drvclean/DrvClean.h"
#include "tools/drvclean/DrvCleanCommand.h"

int main(int argc, char** argv)
{
    std::unique_ptr<kiro::MessageBoxes> boxes = kiro::makeMessageBoxes(argc, argv);
    kiro::drvclean::DrvCleanSetup setup;
    setup.boxes = boxes.get();
    setup.windowsFolder = kiro::winpaths::windowsDirectory();
    setup.systemFolder = kiro::winpaths::systemDirectory();
    setup.start = [](const std::string& program, const std::vector<std::string>& arguments, std::string& error) {
        // The handle is dropped at once: the uninstaller goes on alone.
        return kiro::Process::start(program, arguments, {}, &error).valid();
    };
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return kiro::drvclean::runDrvClean(kiro::drvclean::joinArguments(arguments), setup);
}
