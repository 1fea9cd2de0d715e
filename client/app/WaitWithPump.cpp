#include "client/app/WaitWithPump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <thread>

namespace kiro::app {

namespace {

std::atomic<bool> g_quitSeen{false};

// Watches the application object for the Quit event that
// QCoreApplication::quit sends; it lets the event through so the outer
// event loop ends as well.
class QuitWatcher final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Quit)
            g_quitSeen = true;
        return QObject::eventFilter(watched, event);
    }
};

void ensureQuitWatcher(QCoreApplication* app)
{
    // One watcher per application object; it dies with the application, and
    // a later application object gets its own.
    static QPointer<QuitWatcher> watcher;
    if (watcher && watcher->parent() == app)
        return;
    watcher = new QuitWatcher(app);
    app->installEventFilter(watcher);
    QObject::connect(app, &QCoreApplication::aboutToQuit, watcher, [] { g_quitSeen = true; });
}

} // namespace

std::uint32_t steadyTicks()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count()
                                      / 500);
}

bool quitRequested()
{
    return g_quitSeen;
}

void resetQuitRequest()
{
    g_quitSeen = false;
}

int WaitWithPump(const std::function<bool()>& done, int limitTicks, const TickSource& ticks)
{
    const TickSource& clock = ticks ? ticks : TickSource(steadyTicks);
    const std::uint32_t start = clock();
    QCoreApplication* app = QCoreApplication::instance();
    const bool pumping = app && QThread::currentThread() == app->thread();

    // Without a wake-up timer a value changed by another thread (with no
    // event posted) would leave processEvents asleep.
    QTimer wake;
    if (pumping) {
        ensureQuitWatcher(app);
        wake.start(5);
    }
    while (!done()) {
        if (g_quitSeen || QCoreApplication::closingDown())
            return 0;
        if (limitTicks > 0 && clock() - start > static_cast<std::uint32_t>(limitTicks))
            return 1;
        if (pumping)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

int WaitWithPump(const std::int32_t* value, std::int32_t target, int limitTicks, const TickSource& ticks)
{
    return WaitWithPump([value, target] { return *static_cast<const volatile std::int32_t*>(value) == target; },
                        limitTicks, ticks);
}

int WaitWithPump(const std::atomic<std::int32_t>* value, std::int32_t target, int limitTicks,
                 const TickSource& ticks)
{
    return WaitWithPump([value, target] { return value->load() == target; }, limitTicks, ticks);
}

} // namespace kiro::app
