// kiro — the karaoke-on-demand client. It runs in its install folder (the
// folder holding sysfile/, karaoke/, InfoText/, MAIL/ and CDEx/): the current
// folder when it is one, else the folder given with --install DIR, else the
// user's own folder ($XDG_DATA_HOME/kiro), made from the installed template
// on first start. The Windows directory with KIROL.INI is $KIRO_WINDIR.
#include "client/KiroApplication.h"
#include "client/app/InstallFolderChoice.h"
#include "client/tour/Tour.h"
#include "client/ui/AppIcon.h"
#include "common/WinPaths.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: kiro [--install DIR]\n"
    "  Runs in the current folder when it is an install folder (it holds sysfile/KIRODB.MDB),\n"
    "  else in DIR, else in $XDG_DATA_HOME/kiro (~/.local/share/kiro); a folder that is\n"
    "  missing or empty is made from the installed template first.\n"
    "  Settings: KIROL.INI in $KIRO_WINDIR (default ~/.config/kiro/windows).\n"
    "  Without a display set KIRO_MESSAGES=stderr.\n"
    "  KIRO_TOUR=walk walks every screen and ends (KIRO_TOUR_SHOTS=DIR saves a picture of each).\n";

std::filesystem::path programFolder(const char* argv0)
{
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        self = std::filesystem::absolute(argv0, ec);
    return self.parent_path();
}

} // namespace

// Fontconfig keeps its cache until the process ends; not a leak of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\nleak:libdbus\n";
}

int main(int argc, char** argv)
{
    std::optional<std::filesystem::path> requested;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--install") == 0) {
            if (i + 1 >= argc) {
                std::fputs(kUsage, stderr);
                return 2;
            }
            requested = argv[++i];
        }
    }
    // The tour walks the program's own screens (KIRO_TOUR=walk); it is off
    // unless the environment asks for it. Read before the folder changes, so a
    // relative picture folder means the one it was started in.
    std::string tourProblem;
    const auto tourOptions = kiro::tour::tourFromEnvironment(tourProblem);
    if (!tourProblem.empty()) {
        std::fprintf(stderr, "kiro: %s\n", tourProblem.c_str());
        return 2;
    }
    std::error_code ec;
    const auto choice = kiro::app::chooseInstallFolder(requested, std::filesystem::current_path(ec), programFolder(argv[0]));
    if (choice.folder.empty()) {
        std::fprintf(stderr, "kiro: %s\n", choice.problem.c_str());
        return tourOptions ? 1 : 0; // a walk that cannot start has failed
    }
    // Started in its install folder the client says nothing (a second copy
    // ends without a word); elsewhere it says which folder it uses.
    if (choice.folder != std::filesystem::current_path(ec)) {
        if (::chdir(choice.folder.c_str()) != 0) {
            std::fprintf(stderr, "kiro: cannot enter %s\n", choice.folder.c_str());
            return tourOptions ? 1 : 0;
        }
        std::fprintf(stderr, "kiro: install folder %s%s\n", choice.folder.c_str(),
            choice.created ? " (made from the installed template)" : "");
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kiro"));
    QApplication::setWindowIcon(kiro::ui::kiroIcon());
    kiro::client::useJapaneseFont();
    std::unique_ptr<kiro::tour::Tour> tour;
    kiro::client::KiroRunHooks hooks;
    if (tourOptions) {
        tour = std::make_unique<kiro::tour::Tour>(*tourOptions);
        hooks.dialogsAlways = true;
        hooks.started = [&tour](TopScreen& top, kiro::client::ProgramServices& services) { tour->start(top, services); };
    }
    const kiro::client::KiroRunResult result = kiro::client::runKiro(kiro::winpaths::windowsDirectory(), hooks);
    if (tour)
        return tour->finish(result.outcome == kiro::client::KiroRunResult::Outcome::Closed);
    return 0;
}
