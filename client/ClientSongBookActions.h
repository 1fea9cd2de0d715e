#pragma once

#include "client/catalogue/SongBookActions.h"

#include <memory>

namespace kiro {
class MessageBoxes;
}
namespace kiro::app {
struct ClientSettings;
class Prompt;
}
namespace kiro::catalogue {
class ReservationPlayer;
}

namespace kiro::client {

class ProgramServices;

// What the song book's screens hand on, over the program's services: the
// bulk receive over its database and host session, playing the reservations
// through the karaoke player, the downloaded-songs list and the sound and
// modem test. Main thread only.
class ClientSongBookActions final : public kiro::catalogue::SongBookActions {
public:
    ClientSongBookActions(ProgramServices& services, kiro::app::ClientSettings& settings, kiro::app::Prompt& prompt);
    ~ClientSongBookActions() override;

    // The plain message boxes (a player that did not start); by default the
    // windowed ones with a display, else lines on standard error.
    void setMessageBoxes(std::unique_ptr<kiro::MessageBoxes> boxes);

    int bulkReceive(kiro::catalogue::ReservationBook& book, QWidget* screen) override;
    void playReservations(kiro::catalogue::ReservationBook& book, QWidget* screen) override;
    bool playerRunning() const override;
    bool downloadedListAvailable() const override;
    void openDownloadedList(int course, QWidget* parent) override;
    bool soundModemTestAvailable() const override;
    void runSoundModemTest(QWidget* parent) override;
    bool pictureSettingsAvailable() const override;
    void openPictureSettings(QWidget* parent) override;

private:
    kiro::MessageBoxes& messageBoxes();
    bool databaseOpen() const;

    ProgramServices& m_services;
    kiro::app::ClientSettings& m_settings;
    kiro::app::Prompt& m_prompt;
    std::unique_ptr<kiro::MessageBoxes> m_boxes;
    // Set only while a playback run is in progress.
    kiro::catalogue::ReservationPlayer* m_player = nullptr;
};

} // namespace kiro::client
