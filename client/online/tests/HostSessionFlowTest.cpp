// The engine's flow against an in-memory line: a scripted device plays the
// modem and the host, so the order of what the client sends can be checked
// without a host process or real time.
#include "client/app/ScriptedPrompt.h"
#include "client/app/WaitWithPump.h"
#include "client/online/HostSession.h"
#include "common/Cp932.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

using namespace kiro;
using namespace kiro::online;

namespace {

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "host_session_flow_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

const std::string kMainPrompt = cp932::fromUtf8("＞");

// Modem and host in one: echoes every line and answers the engine's own
// scripts (road 5). Lines it does not know get the echo only.
struct FakeLine {
    std::mutex mutex;
    std::condition_variable readable;
    std::deque<unsigned char> toPort;
    bool interrupted = false;
    std::vector<std::string> writes;
    // The host hangs up when this line is sent (the modem says NO CARRIER).
    std::string hangUpAt;
    bool carrierLost = false;

    void hostSays(const std::string &text)
    {
        std::lock_guard lock(mutex);
        toPort.insert(toPort.end(), text.begin(), text.end());
        readable.notify_all();
    }

    std::string answer(const std::string &line) const
    {
        if (line == "+++")
            return "\r\nOK\r\n";
        if (line.rfind("ATD", 0) == 0)
            return line + "\r\nCONNECT 9600\r\nHOST NAME?\r\n*";
        if (line.rfind("AT", 0) == 0)
            return line + "\r\nOK\r\n";
        if (line == "C NIF\r")
            return line + "\r\nEnter SVC  --->";
        if (line == "SVC/SJIS\r")
            return line + "\r\nEnter User-ID  --->";
        if (line == "ABC01234\r")
            return line + "\r\nEnter Password --->";
        if (line == "secret\r")
            return "\r\nTOP " + kMainPrompt;
        if (line.rfind("go ", 0) == 0 || line.rfind("SET ", 0) == 0)
            return line + "\r\nTOP " + kMainPrompt;
        if (line == "bye\r")
            return line + "\r\nHOST NAME?\r\n*";
        if (line == "off\r")
            return line + "\r\nNO CARRIER\r\n";
        return line;
    }

    bool wrote(const std::string &line)
    {
        std::lock_guard lock(mutex);
        return std::find(writes.begin(), writes.end(), line) != writes.end();
    }
};

class FakeDevice final : public PortDevice {
public:
    explicit FakeDevice(FakeLine &line) : m_line(line) {}
    bool open(const LineSettings &) override
    {
        std::lock_guard lock(m_line.mutex);
        m_line.interrupted = false;
        m_open = true;
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool waitForData() override
    {
        std::unique_lock lock(m_line.mutex);
        m_line.readable.wait(lock, [&] { return !m_line.toPort.empty() || m_line.interrupted; });
        if (m_line.interrupted) {
            m_line.interrupted = false;
            return false;
        }
        return true;
    }
    void interruptWait() override
    {
        std::lock_guard lock(m_line.mutex);
        m_line.interrupted = true;
        m_line.readable.notify_all();
    }
    std::size_t queuedBytes() override
    {
        std::lock_guard lock(m_line.mutex);
        return m_line.toPort.size();
    }
    IoResult read(unsigned char *buffer, std::size_t size, int) override
    {
        std::lock_guard lock(m_line.mutex);
        std::size_t n = 0;
        while (n < size && !m_line.toPort.empty()) {
            buffer[n++] = m_line.toPort.front();
            m_line.toPort.pop_front();
        }
        return {n, n == 0 ? EAGAIN : 0};
    }
    IoResult write(const unsigned char *data, std::size_t size, int) override
    {
        const std::string line(reinterpret_cast<const char *>(data), size);
        std::lock_guard lock(m_line.mutex);
        m_line.writes.push_back(line);
        std::string reply = m_line.answer(line);
        if (!m_line.hangUpAt.empty() && line == m_line.hangUpAt) {
            reply = "\r\nNO CARRIER\r\n";
            m_line.carrierLost = true;
        }
        m_line.toPort.insert(m_line.toPort.end(), reply.begin(), reply.end());
        m_line.readable.notify_all();
        return {size, 0};
    }
    bool setDtr(bool) override { return true; }
    bool takeCarrierLost() override
    {
        std::lock_guard lock(m_line.mutex);
        return std::exchange(m_line.carrierLost, false);
    }
    void purge() override {}
    std::string lastError() const override { return {}; }

private:
    FakeLine &m_line;
    bool m_open = false;
};

class NullView final : public ProgressView {
public:
    void setLine(ProgressLine line, const std::string &text) override
    {
        if (line == ProgressLine::Status)
            statuses.push_back(text);
    }
    void setBarRange(int) override {}
    void setBarPosition(int) override {}
    void setButton(const std::string &caption, bool) override { this->caption = caption; }
    void showWindow() override { shown = true; }
    void hideWindow() override { shown = false; }
    void setOwnerEnabled(bool) override {}
    void beep() override {}

    std::vector<std::string> statuses;
    std::string caption;
    bool shown = false;
};

class HostSessionFlowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        port = std::make_unique<CommPort>([this](std::uint8_t) { return std::make_unique<FakeDevice>(line); },
                                          std::filesystem::temp_directory_path());
        session = std::make_unique<HostSession>(*port, view, prompt);
        ASSERT_TRUE(port->Init(&session->receiveHandler(), 5, 9600));
        SessionSettings settings;
        settings.dial.accessPoint = "0300000001";
        settings.userId = "ABC01234";
        settings.password = "secret";
        session->setSettings(settings);
        session->setTickInterval(std::chrono::milliseconds(30));
    }
    void TearDown() override
    {
        session.reset();
        port->Shutdown();
        port.reset();
        std::filesystem::remove(std::filesystem::temp_directory_path() / CommPort::kCaptureFileName);
    }

    bool waitFor(const std::function<bool()> &done, int ms = 10000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        app::WaitWithPump([&] { return done() || std::chrono::steady_clock::now() > end; }, 0);
        return done();
    }

    void loggedInWithIdleWarning()
    {
        const ScriptStep nothing[] = {{}};
        ASSERT_EQ(session->Run(false, nothing, 30, false), 0);
        ASSERT_TRUE(session->IsOnline());
        line.hostSays("\r\n" + LineWatcher::idleWarningLine() + "\r\n");
        ASSERT_TRUE(waitFor([&] { return session->state() == HostSession::IdleWarning; }));
    }

    std::vector<std::string> messages() const { return prompt.texts(); }
    bool told(const std::string &text) const
    {
        const auto texts = prompt.texts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    FakeLine line;
    NullView view;
    app::ScriptedPrompt prompt{{}, app::PromptAnswer::First};
    std::unique_ptr<CommPort> port;
    std::unique_ptr<HostSession> session;
};

// The host drops the member session while a job step waits out its pause:
// the idle logout takes the line, and the paused step must not be sent into
// it afterwards.
TEST_F(HostSessionFlowTest, HostNameDuringAPauseLeavesTheLineToTheIdleLogout)
{
    loggedInWithIdleWarning();
    // Longer ticks for this job: the host's text must land inside the pause
    // even when every thread runs several times slower (ThreadSanitizer).
    session->setTickInterval(std::chrono::milliseconds(150));
    const ScriptStep job[] = {
        {kStepSend | kStepPause, "go kiro\r", 0, {{kMainPrompt.c_str(), 0, "job done"}}},
        {},
    };
    // Well inside the job step's pause of nine ticks.
    QTimer::singleShot(60, [&] { line.hostSays("HOST NAME?\r\n"); });
    EXPECT_EQ(session->Run(false, job, 30, false), 1) << "the session was dropped under the job";
    ASSERT_TRUE(waitFor([&] { return !port->IsConnected(); }));
    EXPECT_TRUE(line.wrote("off\r"));
    EXPECT_FALSE(line.wrote("go kiro\r")) << "the paused step was sent after the idle logout began";
    EXPECT_FALSE(session->IsOnline());
    const auto texts = messages();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "切断されました。");
}

// A warning nobody acknowledged must not survive into the next job: its
// button would read "OK" and only hide the window instead of cutting the line.
TEST_F(HostSessionFlowTest, NextJobDropsAnUnacknowledgedIdleWarning)
{
    loggedInWithIdleWarning();
    EXPECT_EQ(session->buttonCaption(), "OK");
    session->ShowProgress(false);
    // A step the host never answers: the button (or, failing that, the
    // time-out) ends it.
    const ScriptStep job[] = {
        {kStepSend | kStepTimeOut, "wait\r", 0, {{kTimeOutPrompt, 1, "タイムアウトエラーです。"}}},
        {},
    };
    std::string captionAtPress;
    QTimer::singleShot(60, [&] {
        captionAtPress = session->buttonCaption();
        session->pressButton();
    });
    EXPECT_EQ(session->Run(false, job, 30, false), 1);
    EXPECT_EQ(captionAtPress, "強制回線切断");
    EXPECT_TRUE(view.shown) << "the button cut the line rather than hiding the window";
    EXPECT_TRUE(line.wrote("\r")) << "forced disconnect";
    EXPECT_FALSE(session->IsOnline());
    EXPECT_FALSE(port->IsConnected());
    EXPECT_FALSE(told("タイムアウトエラーです。"));
}

// The daily check's update-list job fails and hangs up; the logout that was
// to follow has no line left and must not be attempted.
TEST_F(HostSessionFlowTest, LogoutAfterTheDailyCheckLostTheLineFailsAtOnce)
{
    const ScriptStep nothing[] = {{}};
    ASSERT_EQ(session->Run(false, nothing, 30, false), 0);
    int fetched = 0;
    DailyCheckHooks hooks;
    hooks.lastLookVup = [] { return std::string("00/01/01"); };
    hooks.today = [] { return std::string("99/12/31"); };
    hooks.fetchUpdateList = [&] {
        ++fetched;
        // A job that fails once logged in: "OK", then the line is hung up.
        const ScriptStep failing[] = {{kStepSend, "go list\r", 0, {{kMainPrompt.c_str(), 1, "list failed"}}}, {}};
        EXPECT_EQ(session->Run(false, failing, 30, false), 1);
        return 0; // the job does not pass the failure on
    };
    session->setDailyCheck(hooks);
    EXPECT_EQ(session->Run(true, nullptr, 30, false), 1);
    EXPECT_EQ(fetched, 1);
    EXPECT_FALSE(session->IsOnline());
    EXPECT_FALSE(session->busy());
    EXPECT_FALSE(told("タイムアウトエラーです。")) << "a logout was tried on the closed line";
}

// The version-up job fetched the list itself: its logout does not fetch it again.
TEST_F(HostSessionFlowTest, ADayIsCheckedOnceWhenAJobFetchedTheListItself)
{
    const ScriptStep nothing[] = {{}};
    ASSERT_EQ(session->Run(false, nothing, 30, false), 0);
    int fetched = 0;
    std::string last = "00/01/01";
    DailyCheckHooks hooks;
    hooks.lastLookVup = [&] { return last; };
    hooks.storeLastLookVup = [&](const std::string &today) { last = today; };
    hooks.today = [] { return std::string("99/12/31"); };
    hooks.fetchUpdateList = [&] { return ++fetched, 0; };
    session->setDailyCheck(hooks);
    session->markDailyCheckDone();
    EXPECT_EQ(last, "99/12/31");
    EXPECT_EQ(session->Run(true, nullptr, 30, false), 0);
    EXPECT_EQ(fetched, 0);
    EXPECT_TRUE(line.wrote("bye\r"));
}

// The daily check's update-list job fails on the database while the line
// is still up: the logout must still end the host session and the call.
TEST_F(HostSessionFlowTest, LogoutAfterADailyCheckThatFailedOnlineStillLogsOut)
{
    const ScriptStep nothing[] = {{}};
    ASSERT_EQ(session->Run(false, nothing, 30, false), 0);
    DailyCheckHooks hooks;
    hooks.lastLookVup = [] { return std::string("00/01/01"); };
    hooks.today = [] { return std::string("99/12/31"); };
    hooks.fetchUpdateList = [] { return -1; };
    session->setDailyCheck(hooks);
    EXPECT_EQ(session->Run(true, nullptr, 30, false), 1) << "the check's failure is still reported";
    EXPECT_TRUE(line.wrote("bye\r"));
    EXPECT_FALSE(session->IsOnline());
    EXPECT_FALSE(port->IsConnected());
    EXPECT_FALSE(session->busy());
}

// Stands in for a B Plus transfer that ends at once with the given result.
// The host sends its prompt afterwards only when asked to.
class EndingTransfer final : public TransferStarter {
public:
    EndingTransfer(CommPort &port, FakeLine &line, bool success, std::string promptAfter)
        : m_port(port), m_line(line), m_success(success), m_promptAfter(std::move(promptAfter))
    {
    }
    ~EndingTransfer() override
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    bool start(const std::string &, TransferReportSink &reports) override
    {
        m_port.BeginTransferMode();
        m_thread = std::thread([this, &reports] {
            reports.postTransferReport(17, m_success ? "*** Transfer Complete ***" : "Download failure", m_success);
            m_port.EndTransferMode();
            if (!m_promptAfter.empty())
                m_line.hostSays(m_promptAfter);
        });
        return true;
    }

private:
    CommPort &m_port;
    FakeLine &m_line;
    bool m_success;
    std::string m_promptAfter;
    std::thread m_thread;
};

const ScriptStep kTransferJob[] = {
    {kStepTransfer, "/tmp/", 0, {{kTimeOutPrompt, 1, "no prompt"}, {kMainPrompt.c_str(), 0, "transfer over"}}},
    {},
};

// The host's prompt after a failed transfer must not carry the job on.
TEST_F(HostSessionFlowTest, AFailedTransferFailsItsStepWithItsOwnText)
{
    const ScriptStep nothing[] = {{}};
    ASSERT_EQ(session->Run(false, nothing, 30, false), 0);
    EndingTransfer transfer(*port, line, false, "\r\nTOP " + kMainPrompt);
    session->setTransferStarter(&transfer);
    EXPECT_EQ(session->Run(false, kTransferJob, 30, false), 1);
    EXPECT_TRUE(told("Download failure"));
    EXPECT_TRUE(line.wrote("ATH0\r")) << "the failed job hangs up";
    EXPECT_FALSE(session->IsOnline());
}

// A host that never sends the prompt after the transfer: the step's
// time-out ends the wait.
TEST_F(HostSessionFlowTest, TheStepAfterATransferHasATimeOut)
{
    const ScriptStep nothing[] = {{}};
    ASSERT_EQ(session->Run(false, nothing, 30, false), 0);
    EndingTransfer transfer(*port, line, true, {});
    session->setTransferStarter(&transfer);
    bool ended = false;
    QTimer::singleShot(5000, [&] {
        if (!ended)
            session->abortWaits();
    });
    EXPECT_EQ(session->Run(false, kTransferJob, 30, false), 1);
    ended = true;
    EXPECT_TRUE(told("no prompt"));
}


// The host hangs up at the ID, a step that waits for its echo and has no
// time-out: the dropped line ends the run at once.
TEST_F(HostSessionFlowTest, ALineDroppedDuringLoginFailsTheRunAtOnce)
{
    line.hangUpAt = "ABC01234\r";
    bool ended = false;
    QTimer::singleShot(5000, [&] {
        if (!ended)
            session->abortWaits();
    });
    const ScriptStep job[] = {{kStepSend, "go kiro\r", 0, {{kMainPrompt.c_str(), 0, "job done"}}}, {}};
    EXPECT_EQ(session->Run(false, job, 30, false), 1);
    ended = true;
    EXPECT_TRUE(told("切断されました。"));
    EXPECT_FALSE(line.wrote("go kiro\r"));
    EXPECT_FALSE(line.wrote("+++")) << "no hang-up on a line that is gone";
    EXPECT_FALSE(session->IsOnline());
    EXPECT_FALSE(port->IsConnected());
}

// Logged in, the job's step waits for a prompt when the line drops.
TEST_F(HostSessionFlowTest, ALineDroppedDuringAJobFailsItsStep)
{
    const ScriptStep nothing[] = {{}};
    ASSERT_EQ(session->Run(false, nothing, 30, false), 0);
    line.hangUpAt = "go kiro\r";
    const ScriptStep job[] = {{kStepSend, "go kiro\r", 0, {{kMainPrompt.c_str(), 0, "job done"}}}, {}};
    EXPECT_EQ(session->Run(false, job, 30, false), 1);
    EXPECT_TRUE(told("切断されました。"));
    EXPECT_FALSE(session->IsOnline());
}

} // namespace
