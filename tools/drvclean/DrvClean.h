#pragma once

#include "common/MessageBoxes.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// drvclean runs at uninstallation: it removes the soft-synthesizer drivers
// from the Windows configuration files and starts the uninstaller its
// command line names, without waiting for it.
namespace kiro::drvclean {

inline constexpr char kBrokenInfo[] = "アンインストール情報が壊れています";
inline constexpr char kAskRemoval[] = "ドライバーの削除を行いますか？";
inline constexpr char kRestartNeeded[] =
    "ドライバーの削除を行うためには、Windows の再起動が必要です。\nアンインストールが終了した後、Windows を再起動して下さい。";
inline constexpr char kStartFailed[] = "アンインストーラーの起動中にエラーが発生しました";
inline constexpr char kErrorTitle[] = "エラー";
inline constexpr char kQuestionTitle[] = "質問";
inline constexpr char kInformationTitle[] = "情報";

struct DrvCleanSetup {
    MessageBoxes* boxes = nullptr;
    std::filesystem::path windowsFolder; // holds system.ini and wininit.ini
    std::filesystem::path systemFolder;  // where the driver files lie
    // Starts the program with its arguments and returns at once; false (and
    // a reason) when it could not be started.
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments,
                       std::string& error)>
        start;
};

// The whole run over one command line; returns the exit status: 0 when the
// uninstaller was started or the user declined the removal, 1 for a broken
// command line or an uninstaller that could not be started.
int runDrvClean(const std::string& commandLine, const DrvCleanSetup& setup);

} // namespace kiro::drvclean
