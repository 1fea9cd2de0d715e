#include "client/tour/TourRunner.h"

#include "client/ui/ConfirmDialog.h"
#include "client/ui/MessageDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace kiro::tour {

TourRunner::TourRunner(TourRunnerOptions options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
{
    m_timer.setInterval(static_cast<int>(m_options.poll.count()));
    connect(&m_timer, &QTimer::timeout, this, &TourRunner::poll);
}

TourRunner::~TourRunner()
{
    m_timer.stop();
    if (m_hardStop.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopWatching = true;
        }
        m_wake.notify_all();
        m_hardStop.join();
    }
}

void TourRunner::report(const std::string& line)
{
    std::fprintf(stderr, "kiro tour: %s\n", line.c_str());
    std::fflush(stderr);
}

QWidget* TourRunner::modal()
{
    QWidget* widget = QApplication::activeModalWidget();
    return widget && widget->isVisible() ? widget : nullptr;
}

bool TourRunner::modalIs(const char* className)
{
    QWidget* widget = modal();
    return widget && widget->inherits(className);
}

bool TourRunner::click(QWidget* parent, const char* objectName)
{
    if (!parent)
        return false;
    auto* button = parent->findChild<QAbstractButton*>(QString::fromLatin1(objectName));
    if (!button || !button->isEnabled() || !button->isVisible())
        return false;
    QPointer<QAbstractButton> target(button);
    QTimer::singleShot(0, button, [target] {
        if (target)
            target->click();
    });
    return true;
}

std::string TourRunner::stepLabel(size_t index) const
{
    if (index >= m_steps.size())
        return "end";
    if (m_steps[index].picture) {
        char number[8];
        std::snprintf(number, sizeof number, "%02d-", m_pictureNumbers[index]);
        return number + m_steps[index].name;
    }
    return m_steps[index].name;
}

std::string TourRunner::currentStepName() const
{
    return stepLabel(m_index);
}

void TourRunner::start(QWidget* top)
{
    m_top = top;
    int number = 0;
    m_pictureNumbers.clear();
    for (const TourStep& step : m_steps)
        m_pictureNumbers.push_back(step.picture ? ++number : 0);
    if (!m_options.pictures.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(m_options.pictures, ec);
        if (ec) {
            fail("cannot make the picture folder " + m_options.pictures.string() + ": " + ec.message());
            return;
        }
    }
    m_walkClock.start();
    m_stepClock.start();
    armHardStop(m_options.limit + m_options.grace);
    m_timer.start();
}

void TourRunner::armHardStop(std::chrono::milliseconds after)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deadline = std::chrono::steady_clock::now() + after;
    }
    m_wake.notify_all();
    if (m_hardStop.joinable())
        return;
    m_hardStop = std::thread([this] {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stopWatching) {
            const auto deadline = m_deadline;
            if (m_wake.wait_until(lock, deadline) == std::cv_status::timeout && !m_stopWatching
                && std::chrono::steady_clock::now() >= m_deadline) {
                // The main thread is stuck where no timer can reach it: a
                // walk that never ends is worse than an abrupt one.
                std::fputs("kiro tour: the program did not end in time; stopping it\n", stderr);
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    });
}

void TourRunner::fail(const std::string& reason)
{
    if (m_failed)
        return;
    m_failed = true;
    report("step " + currentStepName() + " failed: " + reason);
    armHardStop(m_options.grace);
    if (m_onFailure)
        m_onFailure();
    m_timer.setInterval(200);
    if (!m_timer.isActive())
        m_timer.start();
}

void TourRunner::closeScreens()
{
    QWidget* widget = modal();
    if (widget && widget != m_top) {
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            QTimer::singleShot(0, dialog, [d = QPointer<QDialog>(dialog)] {
                if (d)
                    d->reject();
            });
        else
            widget->close();
        return;
    }
    if (auto* top = qobject_cast<QDialog*>(m_top.data()); top && top->isVisible())
        top->done(QDialog::Rejected);
}

void TourRunner::answerStrayDialog()
{
    QWidget* widget = modal();
    if (!widget || widget == m_answered)
        return;
    QString text;
    if (auto* message = qobject_cast<MessageDialog*>(widget))
        text = message->message();
    else if (auto* confirm = qobject_cast<ConfirmDialog*>(widget))
        text = confirm->message();
    else
        return;
    m_answered = widget;
    report("answered \"" + text.replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString() + "\"");
    click(widget, "1");
}

bool TourRunner::takePicture(const std::filesystem::path& file)
{
    QPixmap pixmap;
    // Under X11 the whole screen, so windows of other programs (the
    // player) are in the picture too.
    if (QScreen* screen = QGuiApplication::primaryScreen();
        screen && QGuiApplication::platformName() != QLatin1String("offscreen"))
        pixmap = screen->grabWindow(0);
    if (pixmap.isNull()) {
        QWidget* widget = modal() ? modal() : m_top.data();
        if (widget)
            pixmap = widget->grab();
    }
    return !pixmap.isNull() && pixmap.save(QString::fromStdString(file.string()), "PNG");
}

void TourRunner::poll()
{
    if (m_failed) {
        closeScreens();
        return;
    }
    if (done()) {
        m_timer.stop();
        return;
    }
    if (m_walkClock.elapsed() > m_options.limit.count()) {
        fail("the walk took longer than " + std::to_string(m_options.limit.count() / 1000) + " s");
        return;
    }
    TourStep& step = m_steps[m_index];
    if (!step.ready()) {
        m_readySeen = false;
        answerStrayDialog();
        if (m_stepClock.elapsed() > step.wait.count())
            fail("not reached within " + std::to_string(step.wait.count() / 1000) + " s");
        return;
    }
    const bool pictures = step.picture && !m_options.pictures.empty();
    if (pictures) {
        if (!m_readySeen) {
            m_readySeen = true;
            m_readyClock.start();
            return;
        }
        if (m_readyClock.elapsed() < step.settle.count())
            return;
        const std::filesystem::path file = m_options.pictures / (stepLabel(m_index) + ".png");
        if (!takePicture(file)) {
            fail("cannot save the picture " + file.string());
            return;
        }
    }
    report(stepLabel(m_index));
    const std::string problem = step.act ? step.act() : std::string();
    if (!problem.empty()) {
        fail(problem);
        return;
    }
    m_readySeen = false;
    m_answered = nullptr;
    ++m_index;
    m_stepClock.restart();
}

} // namespace kiro::tour
