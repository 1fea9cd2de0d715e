#pragma once

#include "client/catalogue/ReservationPlayer.h"

#include <functional>

class QWidget;

namespace kiro {
class MessageBoxes;
}

namespace kiro::client {

// The karaoke screen as playing sees it: disabled while songs play, its
// window handed to the player, kept painting during the wait and raised
// again afterwards. `songsDeleted` tells the screen how many one-time songs
// went (its list is read again and its one-time count lowered).
class KaraokeScreenPlayback final : public kiro::catalogue::PlaybackScreen {
public:
    KaraokeScreenPlayback(QWidget* screen, kiro::MessageBoxes& boxes, std::function<void(int)> songsDeleted);

    void setScreenEnabled(bool enabled) override;
    std::uint32_t playerWindowId() const override;
    void pumpEvents() override;
    void bringToFront() override;
    void showLaunchFailure(const std::string& caption, const std::string& text) override;
    void oneTimeSongsDeleted(int count) override;

private:
    QWidget* m_screen;
    kiro::MessageBoxes& m_boxes;
    std::function<void(int)> m_songsDeleted;
};

} // namespace kiro::client
