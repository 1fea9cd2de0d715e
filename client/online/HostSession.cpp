#include "client/online/HostSession.h"

#include "client/app/Prompt.h"
#include "client/app/WaitWithPump.h"
#include "common/Cp932.h"


#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>

namespace kiro::online {

namespace {

constexpr const char *kModemQuestion = "モデムが接続されていますか？";
constexpr const char *kNothingToRun = "実行すべきスクリプトがありません。";
constexpr const char *kLoggingOut = "ログアウト中...";
constexpr const char *kDisconnecting = "切断中...";
constexpr const char *kCancelling = "キャンセル...";
constexpr const char *kAborting = "中断処理中...";
constexpr const char *kClearedMessage = "切断されました。";

bool same(const char *a, const char *b) { return a && b && std::strcmp(a, b) == 0; }

std::string format(const char *pattern, long long value)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string localToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%y/%m/%d", &tm);
    return buffer;
}

} // namespace

HostSession::HostSession(CommPort &port, ProgressView &view, app::Prompt &prompt, QObject *parent)
    : QObject(parent), m_port(port), m_view(view), m_prompt(prompt)
{
    // The reader thread only queues; the report is handled on this object's thread.
    m_tap.setSink([this](int index, std::string text) {
        QMetaObject::invokeMethod(
            this, [this, index, text = std::move(text)] { handleOutcome(index, text); }, Qt::QueuedConnection);
    });
    connect(&m_sessionTimer, &QTimer::timeout, this, &HostSession::onSessionTick);
    m_sessionTimer.start(m_tickMs);
}

HostSession::~HostSession()
{
    m_tap.setSink({});
    m_aborting = true;
    // The port must not hand bytes to a matcher that is about to go away.
    m_port.Close();
    m_port.setReceiveHandler(nullptr);
}

void HostSession::setTickInterval(std::chrono::milliseconds tick)
{
    m_tickMs = static_cast<int>(std::max<long long>(1, tick.count()));
    m_sessionTimer.start(m_tickMs);
}

// ---------------------------------------------------------------------------
// Waiting and timers

void HostSession::waitUntil(const std::function<bool()> &done)
{
    app::WaitWithPump([&] { return done() || m_aborting; }, 0);
}

bool HostSession::stopping() const
{
    return m_aborting || app::quitRequested();
}

void HostSession::onSessionTick()
{
    if (m_timeOutArmed && ++m_timeOutCount > m_currentTimeOut)
        timeOutReport();
    if (!m_pauseDone && ++m_pauseCount > kPauseTicks)
        m_pauseDone = true;
    ++m_tickCount;
    // The redial countdown must run out even if no progress window is shown.
    if (m_progressShown || m_redialCountdown > 0)
        onProgressTick();
}

void HostSession::onProgressTick()
{
    if (m_progressShown)
        m_view.setButton(buttonCaption(), buttonEnabled());
    m_halfSecond = !m_halfSecond;
    if (m_halfSecond)
        return;
    if (m_redialCountdown > 0) {
        --m_redialCountdown;
        setStatus(format("リダイアル待機中...あと%lld秒。", m_redialCountdown));
        if (m_redialCountdown == 0) {
            setState(Idle);
            m_redialWaitDone = true;
        }
    }
    if (m_idleCountdown > 0) {
        --m_idleCountdown;
        if (m_idleCountdown > 20) {
            setStatus(format("強制切断まであと%lld秒。", m_idleCountdown));
        } else {
            setStatus("何も入力がないと、あと少しで回線が切断されます。");
            m_idleCountdown = 0;
        }
    }
}

void HostSession::timeOutReport()
{
    m_tap.reportTimeout();
}

// ---------------------------------------------------------------------------
// Progress window

std::string HostSession::buttonCaption() const
{
    switch (m_state) {
    case Idle:
    case ModemInit:
    case Dialling:
    case RedialWait:
        return "キャンセル";
    case TransferRunning:
        return m_download ? "受信ｷｬﾝｾﾙ" : "送信ｷｬﾝｾﾙ";
    case FailureShown:
    case IdleWarning:
        return "OK";
    case Disconnecting:
    case LoggingOut:
        return "";
    default:
        return "強制回線切断";
    }
}

void HostSession::setState(int state)
{
    m_state = state;
    if (m_progressShown)
        m_view.setButton(buttonCaption(), buttonEnabled());
}

void HostSession::setStatus(const std::string &text)
{
    m_status = text;
    m_view.setLine(ProgressLine::Status, text);
}

bool HostSession::ShowProgress(bool ask)
{
    if (ask && m_settings.manualModemTest == 0 && !m_online &&
        m_prompt.question(kModemQuestion, "はい", "いいえ") == app::PromptAnswer::Second)
        return true;
    if (m_progressShown)
        return false;
    for (int line = 0; line < 6; ++line)
        m_view.setLine(static_cast<ProgressLine>(line), "");
    m_view.setBarRange(100);
    m_view.setBarPosition(0);
    m_progressShown = true;
    m_halfSecond = false;
    m_view.setButton(buttonCaption(), buttonEnabled());
    m_view.setOwnerEnabled(false);
    m_view.showWindow();
    return false;
}

void HostSession::HideProgress()
{
    if (!m_progressShown)
        return;
    m_progressShown = false;
    m_view.setOwnerEnabled(true);
    m_view.hideWindow();
}

void HostSession::pressButton()
{
    switch (m_state) {
    case Idle:
    case ModemInit:
    case Dialling:
        setStatus(kCancelling);
        m_cancelRequested = true;
        timeOutReport();
        break;
    case RedialWait:
        setState(Disconnecting);
        m_redialWaitDone = true;
        m_redialCountdown = 0;
        break;
    case TransferRunning:
        setStatus(kAborting);
        m_port.RequestTransferAbort();
        m_cancelRequested = true;
        setState(TransferCancel);
        timeOutReport();
        break;
    case FailureShown:
        setStatus(kDisconnecting);
        setState(Disconnecting);
        break;
    case Disconnecting:
    case LoggingOut:
        m_view.beep();
        break;
    case IdleWarning:
        m_idleCountdown = 0;
        // Back to what the session was doing, so that the next job's button
        // cancels again instead of only hiding the window.
        setState(m_stateBeforeWarning);
        HideProgress();
        break;
    default:
        setStatus(kDisconnecting);
        m_cancelRequested = true;
        setState(Disconnecting);
        timeOutReport();
        break;
    }
}

// ---------------------------------------------------------------------------
// Runs

void HostSession::closePort()
{
    m_port.Close();
}

void HostSession::finishRun(bool failed)
{
    m_failed = failed;
    m_busy = false;
}

void HostSession::startScript(const ScriptStep *script, int phase)
{
    // A new script supersedes a step still waiting out its pause (the idle
    // logout can start from the line watcher in the middle of one).
    ++m_flowSerial;
    m_script = script;
    m_step = 0;
    m_phase = phase;
    nextStep();
}

int HostSession::Run(bool logoutAfter, const ScriptStep *script, int defaultTimeOut, bool testMode)
{
    if (m_busy)
        return 1; // one run at a time; a nested job must not tear into the running one
    bool dailyCheckFailed = false;
    m_logoutAfter = logoutAfter;
    m_jobScript = script;
    m_testMode = testMode;
    m_defaultTimeOut = defaultTimeOut;
    m_currentTimeOut = defaultTimeOut;
    m_transferTotal = 0;
    m_failed = false;
    m_timeOutCount = 0;
    m_timeOutArmed = false;
    m_cancelRequested = false;

    if (testMode) {
        m_logoutAfter = false;
        m_port.Open();
        m_busy = true;
        startScript(kModemTestScript, 1);
    } else if (!m_online) {
        m_commands.buildInitialisation(m_settings.modemRegNo, m_settings.fragments);
        m_commands.buildAdditional(m_settings.modemInit);
        if (m_commands.BuildDialCommand(m_settings.dial, false))
            return 1;
        m_road = 0;
        m_idleWarned = false;
        m_connecting = makeConnectingScript(m_commands);
        // The result is not checked: a port that did not open makes the
        // first modem step time out with its own message.
        m_port.Open();
        setState(Idle);
        m_loginStage = 0;
        m_redialAttempts = 0;
        m_redialCountdown = 0;
        m_idleCountdown = 0;
        setStatus(kModemInitialisingStatus);
        m_busy = true;
        startScript(m_connecting.data(), 0);
    } else if (script) {
        dropIdleWarning();
        m_busy = true;
        startScript(script, 1);
    } else if (logoutAfter) {
        dropIdleWarning();
        const bool checked = runDailyCheck();
        // The update-list job may have lost the line (its own failure hung
        // up): there is nothing left to log out of, and a "bye\r" into a
        // closed port would wait for ever on road 7.
        if (!m_online)
            return 1;
        // A job that failed with the line still up (a database error) must
        // not leave the call and the host session open: log out, and still
        // report the failure.
        dailyCheckFailed = !checked;
        // The update-list job ran its own runs; this one is the logout again.
        m_logoutAfter = logoutAfter;
        m_jobScript = nullptr;
        m_testMode = false;
        m_defaultTimeOut = m_currentTimeOut = defaultTimeOut;
        m_failed = false;
        m_cancelRequested = false;
        setStatus(kLoggingOut);
        m_busy = true;
        startScript(m_scripts.logout(m_road), 2);
    } else {
        setStatus(kNothingToRun);
        return 1;
    }

    waitUntil([this] { return !m_busy; });
    if (m_busy && stopping()) {
        // Shut-down ended the wait: leave nothing running behind.
        m_busy = false;
        m_failed = true;
    }
    return m_failed || dailyCheckFailed ? 1 : 0;
}

void HostSession::dropIdleWarning()
{
    // The user is at work again; a warning left standing would turn the
    // job's button into "OK", which only hides the window.
    if (m_state != IdleWarning)
        return;
    m_idleCountdown = 0;
    setState(m_stateBeforeWarning);
}

bool HostSession::markDailyCheckDone()
{
    const std::string today = m_daily.today ? m_daily.today() : localToday();
    const std::string last = m_daily.lastLookVup ? m_daily.lastLookVup() : std::string();
    if (today.compare(last) <= 0)
        return false;
    if (m_daily.storeLastLookVup)
        m_daily.storeLastLookVup(today);
    return true;
}

bool HostSession::runDailyCheck()
{
    if (!markDailyCheckDone())
        return true;
    // Until the version-up feature provides FetchUpdateList the hook is empty
    // and the check only records the day.
    if (!m_daily.fetchUpdateList)
        return true;
    const int result = m_daily.fetchUpdateList();
    if (result < 0)
        return false;
    if (result > 0 && m_daily.setNeedGetInfo)
        m_daily.setNeedGetInfo();
    return true;
}

void HostSession::HangUp(const char *status)
{
    if (status)
        setStatus(status);
    // Disconnecting: the button has nothing to cancel any more.
    setState(Disconnecting);
    startScript(kHangUpScript, 2);
}

// ---------------------------------------------------------------------------
// Steps

void HostSession::runStep()
{
    if (!m_script || m_script[m_step].isEnd())
        return;
    const ScriptStep &step = m_script[m_step];
    const std::uint64_t serial = m_flowSerial;
    if (step.kind() == kStepTransfer) {
        m_view.setBarRange(100);
        m_view.setBarPosition(0);
        m_transferTotal = -1;
        m_transferActive = m_transfer != nullptr;
        m_transferSerial = serial;
        m_forcedFailure.clear();
        if (m_transfer)
            m_transfer->start(step.command, *this);
    }
    if (step.timeOutArmed()) {
        m_timeOutCount = 0;
        m_timeOutArmed = true;
    }
    if (step.pauseBefore()) {
        m_pauseCount = 0;
        m_pauseDone = false;
        waitUntil([this] { return m_pauseDone; });
        if (serial != m_flowSerial || stopping())
            return; // an outcome handled during the pause has moved the session on
    }
    if (same(step.command, kModemResetCommand))
        setState(ModemInit);
    else if (same(step.command, kByeCommand))
        setState(LoggingOut);
    armAndSend(step);
}

void HostSession::armAndSend(const ScriptStep &step)
{
    MatchArm arm;
    const auto kind = step.kind();
    if (kind == 4 || kind == 5 || kind == 6)
        arm.mode = MatchMode::Prompts;
    else if (kind == kStepCountBytes)
        arm.mode = MatchMode::CountBytes;
    else
        arm.mode = step.matchAtOnce ? MatchMode::Prompts : MatchMode::WaitEcho;
    arm.command = step.command;
    for (std::size_t i = 0; i < step.outcomeCount(); ++i)
        arm.prompts.emplace_back(step.outcomes[i].prompt);
    arm.byteCount = step.captureSize;
    m_tap.arm(std::move(arm));
    if (step.sendsCommand())
        m_port.Write(step.command);
}

void HostSession::nextStep()
{
    if (!m_script || m_script[m_step].isEnd()) {
        endOfScript();
        return;
    }
    const ScriptStep &step = m_script[m_step];
    if (m_phase == 0) {
        if (same(step.command, m_commands.dial())) {
            setState(Dialling);
            m_currentTimeOut = kDialTimeOutTicks;
        } else if (same(step.command, kCNifCommand) || same(step.command, kNiftyCommand)) {
            m_currentTimeOut = m_defaultTimeOut;
        } else if (same(step.command, kMenuOffCommand)) {
            setState(LoggedIn);
        }
    } else if (m_phase == 1 && (step.kindAndFlags == 4 || step.kindAndFlags == 5)) {
        setState(TransferStep);
    }
    runStep();
}

void HostSession::endOfScript()
{
    switch (m_phase) {
    case 0:
        if (m_loginStage == 0) {
            m_road = m_lastOutcome == 2 ? 7 : 5;
            m_loginStage = 1;
            startScript(m_scripts.accessNetwork(m_road), 0);
        } else if (m_loginStage == 1) {
            m_scripts.fillMember(cp932::fromUtf8(m_settings.userId), cp932::fromUtf8(m_settings.password));
            m_loginStage = 2;
            startScript(m_scripts.memberLogin(), 0);
        } else {
            m_online = true;
            startScript(m_jobScript, 1);
        }
        return;
    case 1:
        if (m_logoutAfter) {
            setStatus(kLoggingOut);
            startScript(m_scripts.logout(m_road), 2);
            return;
        }
        if (m_testMode) {
            closePort();
            setState(Idle);
        }
        finishRun(false);
        return;
    default:
        closePort();
        m_online = false;
        finishRun(m_state != LoggingOut);
        setState(Idle);
        if (m_idleDisconnected) {
            HideProgress();
            m_prompt.message(kClearedMessage);
            m_idleDisconnected = false;
        }
        return;
    }
}

// ---------------------------------------------------------------------------
// Outcomes

void HostSession::handleWatchedLine(int index)
{
    if (m_failureGuard)
        return;
    if (index == 32) {
        m_idleCountdown = kIdleCountdownSeconds;
        if (m_state != IdleWarning)
            m_stateBeforeWarning = m_state;
        setState(IdleWarning);
        ShowProgress(false);
        setState(IdleWarning);
        m_idleWarned = true;
        return;
    }
    if (m_idleWarned) {
        m_idleDisconnected = true;
        m_idleCountdown = 0;
        ShowProgress(false);
        setStatus(kDisconnecting);
        setState(Disconnecting);
        startScript(m_scripts.idleLogout(), 2);
    }
    m_idleWarned = false;
}

void HostSession::handleOutcome(int index, const std::string &text)
{
    if (index == 32 || index == 33) {
        handleWatchedLine(index);
        return;
    }
    if (index == SessionLineTap::kCarrierLostIndex) {
        handleCarrierLost();
        return;
    }
    if (index < 0 || index >= static_cast<int>(kStepOutcomeCount))
        return;
    m_tap.acknowledge();
    ++m_flowSerial;
    // A cancellation is outcome 0 even when a prompt completed in the same
    // moment: otherwise a go-on prompt would carry the script on after the
    // cancel had already closed the port and ended the run.
    if (m_cancelRequested)
        index = 0;
    m_timeOutArmed = false;
    m_lastOutcome = index + 1;

    if (m_cancelRequested) {
        m_cancelRequested = false;
        m_forcedFailure.clear();
        switch (m_state) {
        case Idle:
        case ModemInit:
        case RedialWait:
            closePort();
            m_online = false;
            setState(Idle);
            finishRun(true);
            break;
        case Dialling:
        case LoggingIn:
        case TransferCancel:
            HangUp(nullptr);
            return;
        case Disconnecting:
            startScript(kForcedDisconnectScript, 2);
            setState(Disconnecting);
            return;
        default:
            break;
        }
    }

    if (!m_forcedFailure.empty()) {
        // The step's transfer failed, or the line dropped: whatever the host
        // said since, the step fails with that text.
        const std::string failure = std::move(m_forcedFailure);
        m_forcedFailure.clear();
        const StepOutcome failed{kTimeOutPrompt, 1, failure.c_str()};
        setStatus(failure);
        m_failureGuard = true;
        handleFailure(failed);
        m_failureGuard = false;
        return;
    }

    if (!m_script || m_script[m_step].isEnd())
        return;
    const ScriptStep &step = m_script[m_step];
    const StepOutcome *outcome =
        static_cast<std::size_t>(index) < step.outcomeCount() ? &step.outcomes[index] : nullptr;
    if (outcome && outcome->status)
        setStatus(outcome->status);

    if (!outcome || outcome->verdict <= 0) {
        if (m_phase == 0 && outcome && (same(outcome->prompt, kRoad5Prompt) || same(outcome->prompt, kRoad7Prompt)))
            setState(LoggingIn);
        capture(step, outcome, text);
        ++m_step;
        nextStep();
        return;
    }
    m_failureGuard = true;
    if (same(outcome->prompt, kBusyPrompt))
        handleBusy();
    else
        handleFailure(*outcome);
    m_failureGuard = false;
}

void HostSession::capture(const ScriptStep &step, const StepOutcome *outcome, const std::string &text)
{
    const auto kind = step.kind();
    const std::size_t promptLength = outcome && outcome->prompt ? std::strlen(outcome->prompt) : 0;
    const std::string before = text.substr(0, text.size() - std::min(promptLength, text.size()));
    if ((kind == kStepCaptureText || kind == kStepCountBytes) && step.captureTarget && step.captureSize > 0) {
        const std::size_t n = std::min<std::size_t>(before.size(), step.captureSize - 1);
        std::memcpy(step.captureTarget, before.data(), n);
        step.captureTarget[n] = '\0';
    } else if (kind == kStepCaptureFile && step.captureTarget && *step.captureTarget) {
        std::ofstream out(step.captureTarget, std::ios::binary | std::ios::trunc);
        if (out)
            out.write(before.data(), static_cast<std::streamsize>(before.size()));
    }
}

void HostSession::handleFailure(const StepOutcome &outcome)
{
    setState(FailureShown);
    // The user acknowledges the failure: through the prompt interface, or the
    // progress window's "OK" button while the message is up.
    std::string text = outcome.status ? outcome.status : m_status;
    if (!text.empty())
        m_prompt.message(text, "OK");
    if (m_state == FailureShown)
        pressButton();
    waitUntil([this] { return m_state == Disconnecting; });
    if (m_online)
        m_phase = 1;
    if (m_phase == 1) {
        startScript(kHangUpScript, 2);
        return;
    }
    closePort();
    m_online = false;
    setState(Idle);
    finishRun(true);
}

void HostSession::handleBusy()
{
    ++m_redialAttempts;
    if (m_redialAttempts >= kDialAttemptLimit) {
        HideProgress();
        m_prompt.message(kBusyGiveUpMessage);
        closePort();
        m_online = false;
        setState(Idle);
        finishRun(true);
        return;
    }
    // With no interval the redial goes out at once rather than waiting for a
    // countdown that would never run.
    if (m_settings.reDialInterval > 0) {
        m_redialCountdown = m_settings.reDialInterval;
        m_redialWaitDone = false;
        setState(RedialWait);
        setStatus(format("リダイアル待機中...あと%lld秒。", m_redialCountdown));
        waitUntil([this] { return m_redialWaitDone; });
    }
    if (m_state == Disconnecting || stopping()) {
        closePort();
        m_online = false;
        setState(Idle);
        finishRun(true);
        return;
    }
    setStatus(kDialingStatus);
    m_commands.BuildDialCommand(m_settings.dial, dialAlternateAfter(m_redialAttempts));
    nextStep();
}

// ---------------------------------------------------------------------------
// Transfer reports

void HostSession::handleCarrierLost()
{
    if (!m_busy) {
        // Between jobs: the next one must dial again.
        if (m_online) {
            m_online = false;
            closePort();
        }
        return;
    }
    // Hanging up on purpose: nothing to fail.
    if (m_phase == 2 || m_state == Disconnecting || m_state == LoggingOut || m_cancelRequested)
        return;
    if (m_failureGuard) {
        // A failure is already being shown: it only must not try to hang up.
        m_online = false;
        m_phase = 0;
        return;
    }
    // There is no line left to log out of or hang up: the failure closes
    // the port. A transfer still running stops with it.
    m_online = false;
    m_phase = 0;
    m_transferActive = false;
    if (!m_port.TransferModeEnded())
        m_port.EndTransferMode();
    m_forcedFailure = kClearedMessage;
    timeOutReport();
}

void HostSession::transferFinished(bool success, const std::string &text)
{
    // A cancel, or the host's prompt, may have moved the session on already.
    if (!m_transferActive || m_transferSerial != m_flowSerial || m_cancelRequested || m_state == TransferCancel)
        return;
    m_transferActive = false;
    if (success) {
        // The host's prompt follows at once; a host that never sends it
        // must not keep the line for ever.
        m_currentTimeOut = m_defaultTimeOut;
        m_timeOutCount = 0;
        m_timeOutArmed = true;
        return;
    }
    m_forcedFailure = text.empty() ? std::string("Transfer failure") : text;
    // Ends the step now, unless the host's prompt is already on its way;
    // either report fails the step with the transfer's text.
    timeOutReport();
}

void HostSession::postTransferReport(int code, std::string text, std::int64_t value)
{
    QMetaObject::invokeMethod(
        this, [this, code, text = std::move(text), value] { handleTransferReport(code, text, value); },
        Qt::QueuedConnection);
}

void HostSession::handleTransferReport(int code, const std::string &text, std::int64_t value)
{
    switch (code) {
    case 1:
        m_download = !text.empty() && text[0] == 'D';
        break;
    case 3:
        m_view.setLine(ProgressLine::FileName, "File Name:" + text);
        break;
    case 6:
    case 9:
        m_view.setLine(ProgressLine::Errors, format("Error:%lld", value));
        break;
    case 10:
        if (m_transferTotal < 0) {
            m_view.setBarRange(static_cast<int>(value / 10));
            m_view.setBarPosition(0);
            m_transferTotal = value;
            setState(TransferRunning);
        }
        m_view.setLine(ProgressLine::Remaining, format("Remaining:%lld", value));
        if (value == 0)
            setState(TransferFinished);
        break;
    case 11:
        m_view.setLine(ProgressLine::Bytes, format(m_download ? "Read Byte:%lld" : "Send Byte:%lld", value));
        m_view.setBarPosition(static_cast<int>(value / 10));
        break;
    case 13:
        m_view.setLine(ProgressLine::Rate, format("Rate:%lld(Byte/Sec)", value));
        break;
    case 17:
        transferFinished(value != 0, text);
        break;
    default:
        break;
    }
}

} // namespace kiro::online
