#pragma once

#include "client/tour/TourRunner.h"

#include <QPointer>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class TopScreen;
namespace kiro::client {
class ProgramServices;
}

namespace kiro::tour {

// The tour: a test and demonstration hook that walks the running program's
// own screens, from the top screen through setup, the song book, a reserved
// song received and sung, to the version-up list, and then ends the program.
// It is switched on only by the environment:
//   KIRO_TOUR=walk          the walk
//   KIRO_TOUR_SHOTS=DIR     a PNG picture of each screen, NN-step.png
//   KIRO_TOUR_TICK_MS=N     the host session's tick (tests: short)
//   KIRO_TOUR_LIMIT=S       the whole walk's limit in seconds (240)
struct TourOptions {
    std::filesystem::path pictures;
    int tickMs = 0; // 0: the session's own tick
    int limitSeconds = 240;
};

// The tour's options when KIRO_TOUR asks for one; nothing otherwise. A
// malformed variable is reported in `problem`.
std::optional<TourOptions> tourFromEnvironment(std::string& problem);

class Tour {
public:
    explicit Tour(TourOptions options);
    ~Tour();

    // Once the top screen has started: builds the walk and starts it.
    void start(TopScreen& top, kiro::client::ProgramServices& services);
    // After the top screen closed: reports the outcome; the exit code
    // (0 when every step was walked).
    int finish(bool startedUp);

private:
    void buildWalk();
    // Types readings of songs into the search box until the search finds a
    // song that can be received and kept; empty text when one was found.
    std::string findSongBySearch();
    std::string lyricsSeen() const;

    TourOptions m_options;
    TourRunner m_runner;
    QPointer<TopScreen> m_top;
    kiro::client::ProgramServices* m_services = nullptr;
    std::filesystem::path m_lyrics;
    int m_groupRow = 0;
    long m_searchRow = -1;
    std::string m_reservedCode;
    bool m_playerSeen = false;
};

} // namespace kiro::tour
