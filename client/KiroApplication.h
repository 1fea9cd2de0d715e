#pragma once

#include <filesystem>
#include <functional>
#include <string>

class TopScreen;

namespace kiro::client {

struct KiroRunResult {
    enum class Outcome {
        SecondInstance,  // another copy holds the mutex: ended silently
        StartUpFailed,   // no database, or the first-run dialog was left
        Closed,          // the user closed the top screen
    };
    Outcome outcome;
};

class ProgramServices;
// What a driver of the program (the tour) adds to a run.
struct KiroRunHooks {
    // The notices and questions come as dialogs even without a display (a
    // driver that answers them itself runs the program offscreen).
    bool dialogsAlways = false;
    // Called once the top screen has started, just before it runs.
    std::function<void(TopScreen&, ProgramServices&)> started;
};

// The application object: single-instance guard, cursors, settings, the MIDI
// engine choice, the year strings, then the main window run modally; after
// it closes, background music stops and the mutex is released. Needs a
// QApplication.
KiroRunResult runKiro(const std::filesystem::path& windowsDir, const KiroRunHooks& hooks = {});

// The Japanese font every screen is drawn with.
void useJapaneseFont();

} // namespace kiro::client
