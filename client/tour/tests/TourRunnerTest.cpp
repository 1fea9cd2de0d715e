// The tour's step engine: a step that never comes must fail the walk by name
// and close the screens rather than hang; stray notices are answered.
#include "client/tests/TestApplication.h"
#include "client/tour/TourRunner.h"
#include "client/ui/MessageDialog.h"

#include <QDialog>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using kiro::tour::TourRunner;
using kiro::tour::TourRunnerOptions;
using kiro::tour::TourStep;

namespace {

TourStep step(std::string name, std::function<bool()> ready, std::function<std::string()> act = {},
    std::chrono::milliseconds wait = 2s)
{
    TourStep s;
    s.name = std::move(name);
    s.ready = std::move(ready);
    s.act = std::move(act);
    s.wait = wait;
    return s;
}

} // namespace

TEST(TourRunner, AStepThatNeverComesFailsByNameAndClosesTheScreens)
{
    kiro::clienttest::ensureApplication();
    QDialog top;
    TourRunner runner(TourRunnerOptions{{}, 10s, 10s, 10ms});
    bool innerClosed = false;
    runner.add(step("open-inner", [] { return true; }, [&] {
        QTimer::singleShot(0, &top, [&] {
            QDialog inner(&top);
            inner.exec(); // a screen the walk then does not recognise
            innerClosed = true;
        });
        return std::string();
    }));
    TourStep never = step("never", [] { return false; }, {}, 300ms);
    never.picture = true;
    runner.add(never);
    QTimer::singleShot(0, &top, [&] { runner.start(&top); });
    QTimer::singleShot(5000, &top, [&] { top.done(QDialog::Accepted); }); // the test's own limit
    top.exec();

    EXPECT_TRUE(runner.failed());
    EXPECT_FALSE(runner.done());
    EXPECT_EQ(runner.currentStepName(), "01-never");
    EXPECT_TRUE(innerClosed);
    EXPECT_EQ(top.result(), QDialog::Rejected) << "the top screen was closed by the failure";
}

TEST(TourRunner, NoticesNoStepWaitsForAreAnsweredAndTheWalkGoesOn)
{
    kiro::clienttest::ensureApplication();
    QDialog top;
    TourRunner runner(TourRunnerOptions{{}, 10s, 10s, 10ms});
    int answered = -1;
    bool last = false;
    runner.add(step("notice", [] { return true; }, [&] {
        QTimer::singleShot(0, &top, [&] {
            MessageDialog notice(QStringLiteral("お知らせ"), QString(), &top);
            answered = notice.exec();
        });
        return std::string();
    }));
    runner.add(step("after-notice", [&] { return answered >= 0; }, [&] {
        last = true;
        QTimer::singleShot(0, &top, [&] { top.done(QDialog::Accepted); });
        return std::string();
    }));
    QTimer::singleShot(0, &top, [&] { runner.start(&top); });
    QTimer::singleShot(5000, &top, [&] { top.done(QDialog::Rejected); });
    top.exec();

    EXPECT_FALSE(runner.failed());
    EXPECT_TRUE(runner.done());
    EXPECT_TRUE(last);
    EXPECT_EQ(answered, QDialog::Accepted);
}
