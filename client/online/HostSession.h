#pragma once

#include "client/online/CommPort.h"
#include "client/online/ModemCommands.h"
#include "client/online/ModemScripts.h"
#include "client/online/ProgressView.h"
#include "client/online/ScriptStep.h"
#include "client/online/SessionLineTap.h"
#include "client/online/SessionScripts.h"
#include "client/online/TransferStarter.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace kiro::app {
class Prompt;
}

namespace kiro::online {

// The settings the engine reads at the start of a connection (UTF-8; the
// user ID and password are sent in code page 932).
struct SessionSettings {
    int manualModemTest = 0;
    int modemRegNo = 0;
    ModemFragments fragments;
    std::string modemInit = "AT";
    DialSettings dial;
    int reDialInterval = 60; // seconds
    std::string userId;
    std::string password;
};

// The daily check before the first logout of a day. fetchUpdateList is the
// version-up feature's update-list job; until that feature is wired in it is
// empty and the check only records the date.
struct DailyCheckHooks {
    std::function<std::string()> lastLookVup;              // setting LastLookVup
    std::function<void(const std::string &)> storeLastLookVup;
    std::function<int()> fetchUpdateList;                  // < 0 error, > 0 new updates
    std::function<void()> setNeedGetInfo;                  // setting NeedGetInfo = 1
    std::function<std::string()> today;                    // "%y/%m/%d"; the local date when empty
};

// The host session engine: runs scripts against the host over the port,
// with its own modem, login and logout scripts around the caller's script,
// and reports to a progress view. Lives on the main thread; the port's
// reader thread and the transfer thread reach it only through queued calls.
class HostSession final : public QObject, public TransferReportSink {
    Q_OBJECT

public:
    enum State : int {
        Idle = 0,
        ModemInit = 1,
        Dialling = 2,
        RedialWait = 3,
        LoggingIn = 4,
        LoggedIn = 5,
        TransferStep = 6,
        TransferRunning = 7,
        TransferFinished = 8,
        TransferCancel = 9,
        FailureShown = 10,
        Disconnecting = 11,
        LoggingOut = 12,
        IdleWarning = 13,
    };

    static constexpr int kDialTimeOutTicks = 120;
    static constexpr int kPauseTicks = 8;         // the pause ends on the ninth tick
    static constexpr int kIdleCountdownSeconds = 120;

    HostSession(CommPort &port, ProgressView &view, app::Prompt &prompt, QObject *parent = nullptr);
    ~HostSession() override;

    void setSettings(const SessionSettings &settings) { m_settings = settings; }
    void setDailyCheck(DailyCheckHooks hooks) { m_daily = std::move(hooks); }
    // A job that has just fetched the update list itself: that was today's
    // check, so the logout does not fetch it a second time. False when today
    // was checked already.
    bool markDailyCheckDone();
    void setTransferStarter(TransferStarter *starter) { m_transfer = starter; }
    // The session tick (500 ms); tests shorten it and every count scales with it.
    void setTickInterval(std::chrono::milliseconds tick);

    // The port hands every byte outside transfers to this.
    ReceiveHandler &receiveHandler() { return m_tap; }

    bool ShowProgress(bool ask);
    void HideProgress();
    // Returns 0 on success, non-zero on failure; dispatches events meanwhile.
    int Run(bool logoutAfter, const ScriptStep *script, int defaultTimeOut, bool testMode);
    int LastOutcome() const { return m_lastOutcome; }
    bool IsOnline() const { return m_online; }
    void HangUp(const char *status);

    // The progress window's button.
    void pressButton();
    // Ends every wait, for shut-down.
    void abortWaits() { m_aborting = true; }

    void postTransferReport(int code, std::string text, std::int64_t value) override;

    int state() const { return m_state; }
    int phase() const { return m_phase; }
    int road() const { return m_road; }
    bool busy() const { return m_busy; }
    long tickCount() const { return m_tickCount; }
    std::string buttonCaption() const;
    bool buttonEnabled() const { return m_state != Disconnecting && m_state != LoggingOut; }

private:
    void onSessionTick();
    void onProgressTick();
    void handleOutcome(int index, const std::string &text);
    void handleWatchedLine(int index);
    void handleFailure(const StepOutcome &outcome);
    void handleBusy();
    void runStep();
    void nextStep();
    void endOfScript();
    void armAndSend(const ScriptStep &step);
    void timeOutReport();
    void capture(const ScriptStep &step, const StepOutcome *outcome, const std::string &text);
    void setState(int state);
    void setStatus(const std::string &text);
    void closePort();
    void finishRun(bool failed);
    void startScript(const ScriptStep *script, int phase);
    bool runDailyCheck();
    void dropIdleWarning();
    void waitUntil(const std::function<bool()> &done);
    // The application is quitting (or the engine is being destroyed): waits end early.
    bool stopping() const;
    void handleTransferReport(int code, const std::string &text, std::int64_t value);
    void transferFinished(bool success, const std::string &text);
    void handleCarrierLost();

    CommPort &m_port;
    ProgressView &m_view;
    app::Prompt &m_prompt;
    TransferStarter *m_transfer = nullptr;
    SessionSettings m_settings;
    DailyCheckHooks m_daily;
    SessionLineTap m_tap;
    SessionScripts m_scripts;
    ModemCommands m_commands;
    ConnectingScript m_connecting{};
    QTimer m_sessionTimer;
    int m_tickMs = 500;

    int m_state = Idle;
    int m_phase = 0;
    int m_loginStage = 0;
    int m_road = 0;
    const ScriptStep *m_script = nullptr;
    std::size_t m_step = 0;
    const ScriptStep *m_jobScript = nullptr;
    bool m_logoutAfter = false;
    bool m_testMode = false;
    int m_defaultTimeOut = 30;
    int m_currentTimeOut = 30;
    bool m_timeOutArmed = false;
    int m_timeOutCount = 0;
    int m_pauseCount = 0;
    bool m_pauseDone = true;
    bool m_cancelRequested = false;
    bool m_busy = false;
    bool m_failed = false;
    int m_lastOutcome = 0;
    bool m_download = false;
    std::int64_t m_transferTotal = 0;
    bool m_idleWarned = false;
    bool m_idleDisconnected = false;
    int m_stateBeforeWarning = Idle;
    std::string m_status; // the status line as last shown
    long m_tickCount = 0;
    bool m_online = false;
    bool m_failureGuard = false;
    bool m_aborting = false;
    // Counts handled outcomes, so that a step whose pause outlived a change
    // of course (a cancellation handled meanwhile) is not sent after all.
    std::uint64_t m_flowSerial = 0;
    // The transfer of the current kind-4 step and the flow serial it started
    // at; the text that fails the step at the next report (a failed
    // transfer, a dropped line).
    bool m_transferActive = false;
    std::uint64_t m_transferSerial = 0;
    std::string m_forcedFailure;

    // The progress window's counters.
    bool m_progressShown = false;
    bool m_halfSecond = false;
    int m_redialAttempts = 0;
    int m_redialCountdown = 0;
    bool m_redialWaitDone = true;
    int m_idleCountdown = 0;
};

} // namespace kiro::online
