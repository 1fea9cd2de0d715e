#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

// The wait of the main thread: instead of blocking, it keeps dispatching
// events (timers, queued events from the port reader and the transfer worker,
// window repaints) until a watched value reaches its target, so the screens
// stay live during online work.
namespace kiro::app {

// A tick counter that advances once per 500 ms (the main window's session
// timer). Only differences between two readings matter.
using TickSource = std::function<std::uint32_t()>;

// Ticks of the steady clock: one per 500 ms since an arbitrary start.
std::uint32_t steadyTicks();

// Loops while *value differs from target, dispatching events. With
// limitTicks > 0 it stops once more than limitTicks ticks have passed since
// the call. It also stops when the application is told to quit
// (QCoreApplication::quit, or a Quit event), and every later wait then
// returns at once. Returns 1 when it stopped on the limit, 0 otherwise.
// The value is read between dispatches; a value that another thread writes
// must be the atomic overload.
int WaitWithPump(const std::int32_t* value, std::int32_t target, int limitTicks,
                 const TickSource& ticks = steadyTicks);
int WaitWithPump(const std::atomic<std::int32_t>* value, std::int32_t target, int limitTicks,
                 const TickSource& ticks = steadyTicks);
// The general form: waits until done() is true.
int WaitWithPump(const std::function<bool()>& done, int limitTicks, const TickSource& ticks = steadyTicks);

// True once a quit of the application was seen by a wait.
bool quitRequested();
// Forgets a seen quit (for tests and for a program that runs a new loop).
void resetQuitRequest();

} // namespace kiro::app
