#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QWidget;

namespace kiro::tour {

// One step of a walk through the program's screens: it waits until `ready`
// holds (polled, so it sees dialogs opened in nested event loops), takes a
// picture when pictures are on, then runs `act`. `act` returns a problem,
// or an empty text when all is well; it must not block (clicks that open
// dialogs are posted, see TourRunner::click).
struct TourStep {
    std::string name;
    bool picture = false;
    std::function<bool()> ready;
    std::function<std::string()> act;
    std::chrono::milliseconds wait{std::chrono::seconds(20)};
    // How long the screen stays as it is before its picture is taken.
    std::chrono::milliseconds settle{std::chrono::milliseconds(600)};
};

struct TourRunnerOptions {
    std::filesystem::path pictures;  // empty: no pictures
    std::chrono::milliseconds limit{std::chrono::minutes(4)};
    // After a failure the program gets this long to close its screens
    // before it is stopped outright.
    std::chrono::milliseconds grace{std::chrono::seconds(20)};
    std::chrono::milliseconds poll{std::chrono::milliseconds(25)};
};

// Runs steps one after another on the main thread, each with a bounded
// wait and the whole walk under a limit. Message and confirm dialogs that no
// step waits for are answered with their first button. On a failure it names
// the step on standard error and closes the screens; should the program not
// end within the grace time, a watchdog thread ends the process (exit 3).
class TourRunner : public QObject {
    Q_OBJECT
public:
    explicit TourRunner(TourRunnerOptions options, QObject* parent = nullptr);
    ~TourRunner() override;

    void add(TourStep step) { m_steps.push_back(std::move(step)); }
    // Starts polling. `top` is closed after a failure once no other screen is open.
    void start(QWidget* top);
    // Called on a failure, before the screens are closed (e.g. to end
    // waits that would not let them close).
    void setOnFailure(std::function<void()> onFailure) { m_onFailure = std::move(onFailure); }

    bool done() const { return m_index >= m_steps.size(); }
    bool failed() const { return m_failed; }
    // The step the walk is at ("NN-name" for pictured steps).
    std::string currentStepName() const;
    // Marks the walk failed at the current step (no-op once failed).
    void fail(const std::string& reason);

    // One line "kiro tour: ..." on standard error.
    static void report(const std::string& line);
    // Clicks the named button of `parent` from the event loop, so that a
    // dialog it opens runs its own loop outside the caller. False when there
    // is no such enabled button.
    static bool click(QWidget* parent, const char* objectName);
    // The visible modal screen on top, or null.
    static QWidget* modal();
    // True when the top modal screen is of class `className`.
    static bool modalIs(const char* className);

private:
    void poll();
    void closeScreens();
    void answerStrayDialog();
    bool takePicture(const std::filesystem::path& file);
    std::string stepLabel(size_t index) const;
    void armHardStop(std::chrono::milliseconds after);

    TourRunnerOptions m_options;
    std::vector<TourStep> m_steps;
    std::vector<int> m_pictureNumbers;
    size_t m_index = 0;
    QTimer m_timer;
    QElapsedTimer m_walkClock;
    QElapsedTimer m_stepClock;
    QElapsedTimer m_readyClock;
    bool m_readySeen = false;
    bool m_failed = false;
    QPointer<QWidget> m_top;
    QPointer<QWidget> m_answered;
    std::function<void()> m_onFailure;

    // The watchdog thread: ends the process when the walk's deadline passes.
    std::thread m_hardStop;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_stopWatching = false;
};

} // namespace kiro::tour
