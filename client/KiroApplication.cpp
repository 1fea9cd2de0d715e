#include "client/KiroApplication.h"

#include "client/MidiEngineChoice.h"
#include "client/ProgramServices.h"
#include "client/app/ClientSettings.h"
#include "client/app/ConsolePrompt.h"
#include "client/app/Settings.h"
#include "client/ui/DialogPrompt.h"
#include "client/ui/TopScreen.h"
#include "common/MessageBoxes.h"
#include "common/Registry.h"
#include "common/SingleInstance.h"

#include <QApplication>
#include <QFont>

#include <cstdio>
#include <iostream>

namespace kiro::client {

void useJapaneseFont()
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(13);
    QApplication::setFont(font);
}

KiroRunResult runKiro(const std::filesystem::path& windowsDir, const KiroRunHooks& hooks)
{
    // A second copy ends here, without a word and without waking the first.
    SingleInstance instance;
    if (!instance.acquired())
        return {KiroRunResult::Outcome::SecondInstance};

    QApplication::setOverrideCursor(Qt::WaitCursor);
    kiro::app::ClientSettings settings;
    const std::string problem = kiro::app::LoadSettings(settings, windowsDir);
    if (!problem.empty())
        std::fprintf(stderr, "kiro: %s\n", problem.c_str());
    selectMidiEngine(0, windowsDir / "registry.reg");
    // The modem's registry fragments for ModemRegNo are read by the online
    // link when it is part of the program.

    // Without a display (or with KIRO_MESSAGES=stderr) notices go to standard
    // error and questions are answered by a line of standard input, as in
    // every other program of the system.
    DialogPrompt dialogs;
    kiro::app::ConsolePrompt console(std::cerr, std::cin);
    const bool windowed = hooks.dialogsAlways || kiro::displayAvailable();
    kiro::app::Prompt& prompt = windowed ? static_cast<kiro::app::Prompt&>(dialogs) : console;
    ProgramServices services(settings, prompt, windowsDir);
    KiroRunResult result {KiroRunResult::Outcome::Closed};
    {
        TopScreen top(services, prompt);
        dialogs.setOwner(&top);
        if (!top.startUp())
            result.outcome = KiroRunResult::Outcome::StartUpFailed;
        else {
            if (hooks.started)
                hooks.started(top, services);
            top.exec();
        }
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
    // Leaving the scope shut the main window down; the mutex goes last.
    return result;
}

} // namespace kiro::client
