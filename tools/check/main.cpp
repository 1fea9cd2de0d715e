// check: rebuilds the downloaded flags of the catalogue from the song files
// of the install folder (the current folder). "--batch" runs without a window.
#include "client/ui/AppIcon.h"
#include "common/MessageBoxes.h"
#include "tools/check/CheckBatch.h"
#include "tools/check/CheckDialog.h"
#include "tools/check/CheckTexts.h"

#include <QApplication>
#include <cstring>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    std::error_code ec;
    const std::filesystem::path install = std::filesystem::current_path(ec);
    if (ec) {
        std::cerr << "check: the current folder cannot be read: " << ec.message() << '\n';
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--batch") == 0)
            return kiro::check::runBatch(install, std::cout, std::cerr);
        std::cerr << "usage: check [--batch]   (run in the install folder)\n";
        return 2;
    }

    if (!kiro::displayAvailable()) {
        // No window can be shown (or messages are wanted on the console):
        // the dialog's question is asked there, and the rebuild runs as the
        // batch one does rather than waiting on a box nobody sees.
        if (kiro::askOnConsole(std::cerr, std::cin, kiro::check::kCaption, kiro::check::kIntroText,
                               kiro::check::kRunButton, kiro::check::kCancelButton) != kiro::ButtonAnswer::First)
            return 0;
        return kiro::check::runBatch(install, std::cout, std::cerr);
    }

    QApplication application(argc, argv);
    kiro::check::CheckDialog dialog(install);
    dialog.setWindowIcon(kiro::ui::kiroIcon());
    if (!dialog.controller().start())
        return 1;
    return dialog.exec() < 0 ? 1 : 0;
}
