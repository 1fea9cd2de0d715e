// The engine in one process: HostSession over CommPort and the TELNET
// virtual modem, against kiro-hostsim.
#include "client/app/ScriptedPrompt.h"
#include "client/app/WaitWithPump.h"
#include "client/online/HostSession.h"
#include "client/online/TelnetModemDevice.h"
#include "common/Cp932.h"
#include "tools/hostsim/tests/HostSimProcess.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace kiro;
using namespace kiro::online;
using kiro::testing::HostSimProcess;

namespace {

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "host_session_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Remembers everything the engine shows.
class RecordingView final : public ProgressView {
public:
    void setLine(ProgressLine line, const std::string &text) override
    {
        lines[static_cast<int>(line)] = text;
        if (line == ProgressLine::Status && !text.empty())
            statuses.push_back(text);
    }
    void setBarRange(int maximum) override { barMaximum = maximum; }
    void setBarPosition(int position) override { barPosition = position; }
    void setButton(const std::string &caption, bool enabled) override
    {
        if (captions.empty() || captions.back() != caption)
            captions.push_back(caption);
        buttonEnabled = enabled;
    }
    void showWindow() override { shown = true; }
    void hideWindow() override { shown = false; }
    void setOwnerEnabled(bool enabled) override { ownerEnabled = enabled; }
    void beep() override { ++beeps; }

    bool sawStatus(const std::string &text) const
    {
        return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
    }
    bool sawCaption(const std::string &text) const
    {
        return std::find(captions.begin(), captions.end(), text) != captions.end();
    }

    std::string lines[6];
    std::vector<std::string> statuses;
    std::vector<std::string> captions;
    int barMaximum = 0;
    int barPosition = 0;
    bool buttonEnabled = true;
    bool shown = false;
    bool ownerEnabled = true;
    int beeps = 0;
};

std::string readAll(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

class HostSessionTest : public ::testing::Test {
protected:
    void start(std::vector<std::string> hostArgs)
    {
        application();
        char pattern[] = "/tmp/host-session-test-XXXXXX";
        m_dir = ::mkdtemp(pattern);
        hostArgs.insert(hostArgs.end(), {"--member", "ABC01234:secret"});
        host = std::make_unique<HostSimProcess>(hostArgs, (m_dir / "host.log").string());
        ASSERT_GT(host->port(), 0);
        const int hostPort = host->port();
        port = std::make_unique<CommPort>(
            [hostPort](std::uint8_t) {
                TelnetModemOptions options;
                options.phoneBook = [hostPort](const std::string &) {
                    return std::optional<std::string>("127.0.0.1:" + std::to_string(hostPort));
                };
                return std::make_unique<TelnetModemDevice>(options);
            },
            m_dir);
        session = std::make_unique<HostSession>(*port, view, prompt);
        ASSERT_TRUE(port->Init(&session->receiveHandler(), 5, 9600));
        SessionSettings settings;
        settings.dial.accessPoint = "0300000001";
        settings.modemInit = "ATS12=5";
        settings.userId = "ABC01234";
        settings.password = "secret";
        session->setSettings(settings);
        session->setTickInterval(std::chrono::milliseconds(60));
    }
    void TearDown() override
    {
        if (port)
            port->Shutdown();
        session.reset();
        port.reset();
        host.reset();
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir);
    }
    std::string hostLog() const { return readAll(m_dir / "host.log"); }
    std::filesystem::path dir() const { return m_dir; }

    // Waits (dispatching events) for a condition, at most `ms`.
    bool waitFor(const std::function<bool()> &done, int ms = 10000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        app::WaitWithPump([&] { return done() || std::chrono::steady_clock::now() > end; }, 0);
        return done();
    }

    RecordingView view;
    app::ScriptedPrompt prompt{{}, app::PromptAnswer::First};
    std::unique_ptr<HostSimProcess> host;
    std::unique_ptr<CommPort> port;
    std::unique_ptr<HostSession> session;

private:
    std::filesystem::path m_dir;
};

std::size_t count(const std::string &text, const std::string &needle)
{
    std::size_t n = 0;
    for (auto pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1))
        ++n;
    return n;
}

const std::string kPrompt = cp932::fromUtf8("＞");

} // namespace

TEST_F(HostSessionTest, RunsInARowShareOneLoginUntilTheLogout)
{
    start({});
    char menu[256] = {};
    const char *captureFile = nullptr;
    const std::string file = (dir() / "page.txt").string();
    captureFile = file.c_str();
    const ScriptStep job[] = {
        {kStepCaptureText, "go top\r", 0, {{kPrompt.c_str(), 0, "一つ目"}}, menu, sizeof menu},
        {kStepCaptureFile, "go top\r", 0, {{kPrompt.c_str(), 0, "二つ目"}}, const_cast<char *>(captureFile), 0},
        {},
    };
    EXPECT_FALSE(session->ShowProgress(true));
    EXPECT_TRUE(view.shown);
    EXPECT_FALSE(view.ownerEnabled);
    EXPECT_EQ(session->Run(false, job, 30, false), 0);
    EXPECT_TRUE(session->IsOnline());
    EXPECT_EQ(session->road(), 5);
    EXPECT_EQ(session->state(), HostSession::LoggedIn);
    EXPECT_NE(std::string(menu).find(cp932::fromUtf8("カラオケ")), std::string::npos);
    const std::string page = readAll(file);
    EXPECT_EQ(page.rfind("\n", 0), 0u) << "the text starts after the echo";
    EXPECT_NE(page.find(cp932::fromUtf8("フォーラム")), std::string::npos);
    EXPECT_EQ(page.find(kPrompt), std::string::npos) << "the prompt is not part of the capture";

    // The second run goes straight to its script.
    view.statuses.clear();
    EXPECT_EQ(session->Run(false, job, 30, false), 0);
    EXPECT_FALSE(view.sawStatus("ダイアル中..."));
    EXPECT_TRUE(view.sawStatus("二つ目"));
    EXPECT_EQ(session->Run(false, nullptr, 30, false), 1) << "online, no script, no logout";
    EXPECT_TRUE(view.sawStatus("実行すべきスクリプトがありません。"));

    EXPECT_EQ(session->Run(true, nullptr, 30, false), 0);
    EXPECT_FALSE(session->IsOnline());
    EXPECT_FALSE(port->IsConnected());
    session->HideProgress();
    EXPECT_TRUE(view.ownerEnabled);
    const std::string log = hostLog();
    EXPECT_EQ(count(log, "] connected"), 1u) << log;
    EXPECT_EQ(count(log, "caller: C NIF"), 1u);
    // Nobody asked "モデムが接続されていますか？" a second time: it was asked once, offline.
    EXPECT_EQ(prompt.records().size(), 1u);
}

TEST_F(HostSessionTest, IdleWarningThenIdleLogout)
{
    start({"--idle-warn", "0.4", "--idle-drop", "0.8"});
    const ScriptStep nothing[] = {{}};
    session->ShowProgress(false);
    ASSERT_EQ(session->Run(false, nothing, 30, false), 0);
    session->HideProgress();
    ASSERT_TRUE(waitFor([&] { return session->state() == HostSession::IdleWarning; }));
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(view.captions.back(), "OK");
    ASSERT_TRUE(waitFor([&] { return !session->IsOnline(); }));
    EXPECT_TRUE(view.sawStatus("切断中..."));
    EXPECT_TRUE(view.sawStatus("ログアウト完了。"));
    ASSERT_FALSE(prompt.records().empty());
    EXPECT_EQ(prompt.records().back().text, "切断されました。");
    EXPECT_FALSE(view.shown);
    EXPECT_FALSE(port->IsConnected());
    EXPECT_NE(hostLog().find("caller: off"), std::string::npos);
}

TEST_F(HostSessionTest, AcknowledgedIdleWarningLeavesTheSessionUsable)
{
    start({"--idle-warn", "0.3", "--idle-drop", "30"});
    const ScriptStep nothing[] = {{}};
    ASSERT_EQ(session->Run(false, nothing, 30, false), 0);
    ASSERT_TRUE(waitFor([&] { return session->state() == HostSession::IdleWarning; }));
    ASSERT_TRUE(waitFor([&] { return view.lines[5].find("強制切断まであと") != std::string::npos; }));
    session->pressButton();
    EXPECT_FALSE(view.shown);
    EXPECT_EQ(session->state(), HostSession::LoggedIn);
    EXPECT_EQ(session->buttonCaption(), "強制回線切断");
    const ScriptStep job[] = {{kStepSend, "go top\r", 0, {{kPrompt.c_str(), 0, "戻った"}}}, {}};
    EXPECT_EQ(session->Run(true, job, 30, false), 0);
    EXPECT_TRUE(view.sawStatus("戻った"));
}

namespace {

// Stands in for B Plus: owns the line for a moment, reports progress, then
// hands the line back and nudges the host for its prompt.
class FakeTransfer final : public TransferStarter {
public:
    explicit FakeTransfer(CommPort &port) : m_port(port) {}
    ~FakeTransfer() override
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    bool start(const std::string &parameter, TransferReportSink &reports) override
    {
        parameters.push_back(parameter);
        m_port.BeginTransferMode();
        m_thread = std::thread([this, &reports] {
            reports.postTransferReport(1, "D", 0);
            reports.postTransferReport(3, "SONG.LZH", 0);
            reports.postTransferReport(10, {}, 2000);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            reports.postTransferReport(11, {}, 1500);
            reports.postTransferReport(13, {}, 960);
            reports.postTransferReport(10, {}, 0);
            m_port.EndTransferMode();
            m_port.Write("\r");
        });
        return true;
    }
    std::vector<std::string> parameters;

private:
    CommPort &m_port;
    std::thread m_thread;
};

} // namespace

TEST_F(HostSessionTest, TransferStepHandsTheLineToTheTransferAndMatchesAfterwards)
{
    start({});
    FakeTransfer transfer(*port);
    session->setTransferStarter(&transfer);
    const ScriptStep job[] = {
        {kStepTransfer, "/tmp/MAIL", 0, {{kPrompt.c_str(), 0, "受信完了"}}},
        {},
    };
    session->ShowProgress(false);
    EXPECT_EQ(session->Run(true, job, 30, false), 0);
    ASSERT_EQ(transfer.parameters.size(), 1u);
    EXPECT_EQ(transfer.parameters[0], "/tmp/MAIL");
    EXPECT_TRUE(view.sawCaption("受信ｷｬﾝｾﾙ"));
    EXPECT_TRUE(view.sawStatus("受信完了"));
    EXPECT_EQ(view.lines[2], "File Name:SONG.LZH");
    EXPECT_EQ(view.lines[0], "Remaining:0");
    EXPECT_EQ(view.lines[4], "Read Byte:1500");
    EXPECT_EQ(view.lines[1], "Rate:960(Byte/Sec)");
    EXPECT_EQ(view.barMaximum, 200);
    EXPECT_EQ(view.barPosition, 150);
}

TEST_F(HostSessionTest, DeclinedModemQuestionAndUndiallableNumber)
{
    start({});
    app::ScriptedPrompt no({app::PromptAnswer::Second});
    HostSession other(*port, view, no);
    EXPECT_TRUE(other.ShowProgress(true));
    EXPECT_FALSE(view.shown);
    EXPECT_EQ(no.records().at(0).text, "モデムが接続されていますか？");
    EXPECT_EQ(no.records().at(0).firstLabel, "はい");
    EXPECT_EQ(no.records().at(0).secondLabel, "いいえ");

    SessionSettings empty;
    other.setSettings(empty);
    const ScriptStep nothing[] = {{}};
    EXPECT_EQ(other.Run(false, nothing, 30, false), 1);
    EXPECT_FALSE(port->IsConnected());
    EXPECT_FALSE(other.busy());
}

TEST_F(HostSessionTest, PortThatDoesNotOpenTimesOutInTheFirstModemStep)
{
    start({});
    CommPort dead([](std::uint8_t) { return std::unique_ptr<PortDevice>(); }, dir());
    HostSession offline(dead, view, prompt);
    ASSERT_TRUE(dead.Init(&offline.receiveHandler(), 5, 9600));
    SessionSettings settings;
    settings.dial.accessPoint = "0300000001";
    offline.setSettings(settings);
    offline.setTickInterval(std::chrono::milliseconds(10));
    const ScriptStep nothing[] = {{}};
    EXPECT_EQ(offline.Run(false, nothing, 30, false), 1);
    ASSERT_FALSE(prompt.records().empty());
    EXPECT_EQ(prompt.records().back().text, "モデムの初期化に失敗しました。");
    EXPECT_EQ(offline.LastOutcome(), 1);
    EXPECT_FALSE(offline.IsOnline());
    EXPECT_EQ(offline.state(), HostSession::Idle);
    dead.Shutdown();
}

TEST_F(HostSessionTest, ButtonDuringFailureWaitAndLogout)
{
    start({});
    // The user presses the progress window's "OK" while the failure message is up.
    struct PressingPrompt final : app::Prompt {
        HostSession *session = nullptr;
        std::vector<std::pair<int, std::string>> seen;
        void message(const std::string &text, const std::string &) override
        {
            seen.emplace_back(session->state(), text);
            if (session->state() == HostSession::FailureShown)
                session->pressButton();
        }
        app::PromptAnswer question(const std::string &, const std::string &, const std::string &) override
        {
            return app::PromptAnswer::First;
        }
    } pressing;
    HostSession other(*port, view, pressing);
    pressing.session = &other;
    port->setReceiveHandler(&other.receiveHandler());
    SessionSettings settings;
    settings.dial.accessPoint = "0300000001";
    settings.modemInit = "ATS12=5";
    settings.userId = "ABC01234";
    settings.password = "secret";
    other.setSettings(settings);
    other.setTickInterval(std::chrono::milliseconds(60));

    const ScriptStep failing[] = {{kStepSend, "go top\r", 0, {{kPrompt.c_str(), 1, "メニューで失敗"}}}, {}};
    other.ShowProgress(false);
    EXPECT_EQ(other.Run(false, failing, 30, false), 1);
    ASSERT_EQ(pressing.seen.size(), 1u);
    EXPECT_EQ(pressing.seen[0].first, HostSession::FailureShown);
    EXPECT_EQ(pressing.seen[0].second, "メニューで失敗");
    EXPECT_TRUE(view.sawCaption("OK"));
    // Logged in when it failed: the line is hung up, not logged out.
    EXPECT_FALSE(other.IsOnline());
    EXPECT_FALSE(port->IsConnected());
    EXPECT_FALSE(view.sawStatus("ログアウト完了。"));
    EXPECT_EQ(hostLog().find("caller: bye"), std::string::npos) << hostLog();
}
