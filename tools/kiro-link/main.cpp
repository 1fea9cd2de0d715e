// kiro-link: the online engine without windows. Runs the host session with
// the user's settings and prints the progress window as lines of text.
#include "client/app/Prompt.h"
#include "client/app/Settings.h"
#include "client/online/BPlusTransferStarter.h"
#include "client/online/CommPort.h"
#include "client/online/HostSession.h"
#include "client/online/SessionSettingsFrom.h"
#include "client/online/TextProgressView.h"
#include "tools/kiro-link/JobScript.h"
#include "tools/kiro-link/LinkOptions.h"

#include <algorithm>
#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace kiro;

namespace {

volatile std::sig_atomic_t g_signal = 0;

void onSignal(int number) { g_signal = number; }


// Answers every question with its first button ("はい") and acknowledges
// every message, printing both.
class ConsolePrompt final : public app::Prompt {
public:
    void message(const std::string &text, const std::string &buttonLabel) override
    {
        std::printf("[message] %s [%s]\n", text.c_str(), buttonLabel.empty() ? "OK" : buttonLabel.c_str());
        std::fflush(stdout);
    }
    app::PromptAnswer question(const std::string &text, const std::string &firstLabel,
                               const std::string &) override
    {
        std::printf("[question] %s [%s]\n", text.c_str(), firstLabel.empty() ? "OK" : firstLabel.c_str());
        std::fflush(stdout);
        return app::PromptAnswer::First;
    }
};

constexpr int kDefaultTimeOutTicks = 30;

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    link::LinkOptions options;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(link::linkUsage().c_str(), stdout);
        return 0;
    }
    if (auto error = link::parseLinkOptions(args, options)) {
        std::fprintf(stderr, "kiro-link: %s\n%s", error->c_str(), link::linkUsage().c_str());
        return 2;
    }
    // The script is named relative to where kiro-link was started.
    std::optional<link::JobScript> job;
    if (options.command == "run") {
        std::string error;
        job = link::JobScript::fromFile(options.script, error);
        if (!job) {
            std::fprintf(stderr, "kiro-link: %s: %s\n", options.script.c_str(), error.c_str());
            return 2;
        }
    }
    if (!options.windir.empty())
        ::setenv("KIRO_WINDIR", std::filesystem::absolute(options.windir).c_str(), 1);
    if (!options.install.empty() && ::chdir(options.install.c_str()) != 0) {
        std::fprintf(stderr, "kiro-link: cannot enter the install folder %s\n", options.install.c_str());
        return 2;
    }


    QCoreApplication application(argc, argv);
    app::ClientSettings settings;
    if (const std::string error = app::LoadSettings(settings); !error.empty())
        std::fprintf(stderr, "kiro-link: %s\n", error.c_str());

    ConsolePrompt prompt;
    online::TextProgressView view;
    // --tick-ms scales the virtual modem's guard time and connect time-out too.
    online::CommPort port(online::defaultPortDeviceFactory(options.tickMs / 500.0), std::filesystem::current_path());
    online::HostSession session(port, view, prompt);
    if (!port.Init(&session.receiveHandler(), static_cast<std::uint8_t>(settings.ComPort),
                   static_cast<std::uint32_t>(settings.BaudRate))) {
        std::fprintf(stderr, "kiro-link: the port could not be set up\n");
        return 1;
    }
    session.setSettings(online::sessionSettingsFrom(settings, *online::systemRegistry()));
    // Kind-4 steps run B Plus; each transfer ends with one report line.
    online::BPlusTransferOptions transferOptions;
    transferOptions.speedCode = online::BPlusTransferStarter::speedCodeFor(settings.RoadType);
    // A shortened tick (tests) shortens the transfer's time-outs alike.
    transferOptions.timeouts = online::BPlusTransferStarter::timeoutsForTick(std::chrono::milliseconds(options.tickMs));
    online::BPlusTransferStarter transfers(port, transferOptions, [](const online::BPlusOutcome &o) {
        const long long seconds = std::max<long long>(o.elapsedMs / 1000, 1);
        // A transfer that failed before the host named its file has no
        // direction either.
        const std::string what =
            o.started ? std::string(o.download ? "download " : "upload ") + o.fileName : "before the file was named";
        std::printf("[transfer] %s: %lld bytes, %lld errors, %lld bytes/s, %s\n", what.c_str(),
                    static_cast<long long>(o.bytesInFile),
                    static_cast<long long>(o.counters.sendErrors + o.counters.receiveErrors),
                    static_cast<long long>(o.dataBytes) / seconds, o.message.c_str());
    });
    session.setTransferStarter(&transfers);
    session.setTickInterval(std::chrono::milliseconds(options.tickMs));
    session.setDailyCheck({
        [&settings] { return settings.LastLookVup; },
        [&settings](const std::string &today) {
            settings.LastLookVup = today;
            app::SaveSettings(settings);
            std::printf("[daily check] %s\n", today.c_str());
        },
        // The version-up feature's FetchUpdateList is not wired in yet.
        {},
        [&settings] {
            settings.NeedGetInfo = 1;
            app::SaveSettings(settings);
        },
        {},
    });
    // SIGINT/SIGTERM: every wait ends, a transfer stops, and the port is
    // closed below, which drops DTR (or the call) and hangs the line up.
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    QTimer signalWatch;
    QObject::connect(&signalWatch, &QTimer::timeout, [&] {
        if (g_signal == 0)
            return;
        std::printf("[signal] %d: hanging up\n", static_cast<int>(g_signal));
        signalWatch.stop();
        port.EndTransferMode();
        session.abortWaits();
    });
    signalWatch.start(50);

    if (!options.pressWhen.empty())
        view.pressWhen(options.pressWhen, [&session] {
            QTimer::singleShot(0, &session, [&session] {
                std::printf("[press]\n");
                session.pressButton();
            });
        });

    int result = 1;
    if (options.command == "modem-test") {
        port.Reconfigure(static_cast<std::uint8_t>(settings.ComPort), static_cast<std::uint32_t>(settings.BaudRate));
        session.ShowProgress(false);
        const int failed = session.Run(false, nullptr, online::kModemTestTimeOutTicks, true);
        session.HideProgress();
        const bool answered = failed == 0 && session.LastOutcome() == 2;
        std::printf("%s\n", answered ? "modem answered" : "modem did not answer");
        result = answered ? 0 : 1;
    } else {
        static const online::ScriptStep kNothing[1] = {{}};
        const online::ScriptStep *script = job ? job->steps() : kNothing;
        if (session.ShowProgress(true)) {
            result = 1;
        } else {
            int failed = session.Run(false, script, kDefaultTimeOutTicks, false);
            const bool logout = options.command == "login" || options.logout;
            if (logout && session.IsOnline() && g_signal == 0)
                failed |= session.Run(true, nullptr, kDefaultTimeOutTicks, false);
            session.HideProgress();
            result = failed ? 1 : 0;
        }
        if (job)
            for (std::size_t i = 0; i < job->size(); ++i)
                if (auto text = job->capturedText(i))
                    std::printf("[capture %zu] %s\n", i, text->c_str());
    }
    transfers.join();
    if (g_signal != 0)
        result = 1;
    std::printf("result: %s\n", result == 0 ? "success" : "failure");
    port.Shutdown();
    return result;
}
