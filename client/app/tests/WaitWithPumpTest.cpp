#include "client/app/WaitWithPump.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <thread>

using namespace kiro::app;

namespace {

QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* instance = new QCoreApplication(argc, argv);
    return *instance;
}

} // namespace

TEST(WaitWithPump, ReturnsZeroWhenATimerSetsTheValue)
{
    app();
    resetQuitRequest();
    std::int32_t value = 0;
    QTimer::singleShot(20, [&] { value = 7; });
    EXPECT_EQ(WaitWithPump(&value, 7, 0), 0);
    EXPECT_EQ(value, 7);
    // Already at the target: returns at once.
    EXPECT_EQ(WaitWithPump(&value, 7, 1), 0);
}

TEST(WaitWithPump, StopsWhenMoreThanTheLimitOfTicksHasPassed)
{
    app();
    resetQuitRequest();
    std::uint32_t fakeTicks = 100;
    int polls = 0;
    // A tick per timer shot stands in for the main window's 500 ms timer.
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++fakeTicks; });
    ticker.start(1);
    std::int32_t never = 0;
    EXPECT_EQ(WaitWithPump(&never, 1, 3, [&] { ++polls; return fakeTicks; }), 1);
    EXPECT_GE(fakeTicks, 104u) << "three ticks are not yet more than three";
    EXPECT_GT(polls, 0);
}

TEST(WaitWithPump, SeesAnAtomicSetByAnotherThread)
{
    app();
    resetQuitRequest();
    std::atomic<std::int32_t> value{0};
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        value = -1;
    });
    EXPECT_EQ(WaitWithPump(&value, -1, 20), 0);
    worker.join();
}

TEST(WaitWithPump, StopsWhenTheApplicationQuitsAndLaterWaitsReturnAtOnce)
{
    QCoreApplication& a = app();
    resetQuitRequest();
    std::int32_t never = 0;
    int result = -1;
    int second = -1;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(20, [] { QCoreApplication::quit(); });
        result = WaitWithPump(&never, 1, 0);
        second = WaitWithPump(&never, 1, 0);
    });
    a.exec();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(quitRequested());
    resetQuitRequest();
}
