#pragma once

#include <cstdint>
#include <string>

namespace kiro::app {
struct AppFolders;
struct ClientSettings;
class Prompt;
}
namespace kiro::db {
class CatalogueDb;
}
namespace kiro::music {
class BackgroundMusic;
}

namespace kiro::catalogue {

// What playing asks of the karaoke screen it runs over.
class PlaybackScreen {
public:
    virtual ~PlaybackScreen() = default;
    virtual void setScreenEnabled(bool enabled) = 0;
    // The window the player reports to (0 when there is none).
    virtual std::uint32_t playerWindowId() const = 0;
    // Keeps the windows painting while the player runs.
    virtual void pumpEvents() = 0;
    virtual void bringToFront() = 0;
    // The plain message box of a player that did not start.
    virtual void showLaunchFailure(const std::string& caption, const std::string& text) = 0;
    // One-time songs were deleted: the song list is read again and the
    // screen's count of downloaded one-time songs drops by `count`.
    virtual void oneTimeSongsDeleted(int count) = 0;
};

// Plays the course's reservation list in its order, one song at a time
// through the karaoke player, asking before each next song; one-time songs
// are deleted again once played and played rows leave the list.
class ReservationPlayer {
public:
    ReservationPlayer(kiro::db::CatalogueDb& db, int course, const kiro::app::ClientSettings& settings,
        const kiro::app::AppFolders& folders, kiro::app::Prompt& prompt, kiro::music::BackgroundMusic& music,
        PlaybackScreen& screen);

    // The play button in play state. Does nothing while a player runs.
    void PlayReservations();

    bool playerRunning() const { return m_playerRunning; }

    // What the last run did, for the screen and for tests.
    struct Summary {
        int played = 0;
        int deleted = 0;
        bool stopped = false;
        bool failed = false;
    };
    const Summary& lastRun() const { return m_summary; }

private:
    enum class SongResult { Played, Failed };
    void playList();
    SongResult playOne(const std::string& base);

    kiro::db::CatalogueDb& m_db;
    int m_course;
    const kiro::app::ClientSettings& m_settings;
    const kiro::app::AppFolders& m_folders;
    kiro::app::Prompt& m_prompt;
    kiro::music::BackgroundMusic& m_music;
    PlaybackScreen& m_screen;
    bool m_playerRunning = false;
    Summary m_summary;
};

} // namespace kiro::catalogue
