// kiro-link: the online engine without windows. Runs the host session with
// the user's settings and prints the progress window as lines of text.
#include "client/app/AppFolders.h"
#include "client/app/Prompt.h"
#include "client/catalogue/BulkReceive.h"
#include "client/catalogue/ReceiveButton.h"
#include "client/db/CatalogueDb.h"
#include "common/FileNames.h"
#include "client/app/Settings.h"
#include "client/online/BPlusTransferStarter.h"
#include "client/online/CommPort.h"
#include "client/online/HostSession.h"
#include "client/online/ModemTest.h"
#include "client/online/SessionSettingsFrom.h"
#include "client/online/TextProgressView.h"
#include "client/db/CatalogueDb.h"
#include "client/services/VersionUp.h"
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
#include <memory>
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

// The bulk receive of the install folder's reservations, as the play
// button runs it.
int receive(online::HostSession &session, app::Prompt &prompt, app::ClientSettings &settings, int course,
            std::string &summary)
{
    app::AppFolders folders = app::AppFolders::fromCurrentDirectory();
    folders.recordCurrentYear();
    const auto file = filenames::findUnder(folders.installFolder, std::string("sysfile/") + std::string(db::CatalogueDb::kFileName));
    db::CatalogueDb db;
    if (!file || !db.open(*file)) {
        std::fprintf(stderr, "kiro-link: cannot open the catalogue sysfile/KIRODB.MDB\n");
        return 2;
    }
    catalogue::BulkReceive job(db, session, settings, folders.installFolder, folders.currentYear2);
    job.setStatusSink([](const std::string &text) { std::printf("[receive] %s\n", text.c_str()); });
    job.setSettingsSaver([&settings] { app::SaveSettings(settings); });
    const catalogue::ReceiveButtonResult result = catalogue::PlayButtonReceive(job, prompt, db, course);
    summary = "downloaded " + std::to_string(result.downloaded) + " cancelled " + std::to_string(result.cancelled);
    return result.error ? 1 : 0;
}

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
    // The catalogue of the install folder, when there is one: the daily
    // check and the version-up job record updates in it.
    app::AppFolders folders = app::AppFolders::fromCurrentDirectory();
    folders.recordCurrentYear();
    db::CatalogueDb catalogue;
    std::unique_ptr<services::VersionUp> versionUp;
    const std::filesystem::path catalogueFile =
        std::filesystem::path(folders.systemFolder) / std::string(db::CatalogueDb::kFileName);
    if (std::filesystem::exists(catalogueFile) && catalogue.open(catalogueFile))
        versionUp = std::make_unique<services::VersionUp>(services::VersionUpContext{
            catalogue, session, settings, prompt, folders.installFolder, folders.currentYear4, &view,
            [&settings] { app::SaveSettings(settings); }});
    if (options.command == "versionup" && !versionUp) {
        std::fprintf(stderr, "kiro-link: the catalogue %s does not open\n", catalogueFile.c_str());
        return 1;
    }
    session.setDailyCheck({
        [&settings] { return settings.LastLookVup; },
        [&settings](const std::string &today) {
            settings.LastLookVup = today;
            app::SaveSettings(settings);
            std::printf("[daily check] %s\n", today.c_str());
        },
        versionUp ? std::function<int()>([&versionUp] { return versionUp->FetchUpdateList(); })
                  : std::function<int()>(),
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
    // Scripts read the receive's counts from the last line of the output.
    std::string receiveSummary;
    if (options.command == "versionup") {
        result = versionUp->RunVersionUpJob();
        for (const std::string &update : versionUp->recordedUpdates())
            std::printf("[recorded] %s\n", update.c_str());
        for (const std::string &file : versionUp->receivedFiles())
            std::printf("[received] %s\n", file.c_str());
    } else if (options.command == "modem-test") {
        const bool answered = online::RunModemTest(port, session, settings.ComPort,
                                                   static_cast<std::uint32_t>(settings.BaudRate));
        std::printf("%s\n", answered ? "modem answered" : "modem did not answer");
        result = answered ? 0 : 1;
    } else if (options.command == "receive") {
        result = receive(session, prompt, settings, options.course, receiveSummary);
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
    if (!receiveSummary.empty())
        std::printf("%s\n", receiveSummary.c_str());
    return result;
}
