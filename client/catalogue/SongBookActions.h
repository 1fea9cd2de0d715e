#pragma once

class QWidget;

namespace kiro::catalogue {

class ReservationBook;

// What the song book screens hand on to other parts of the client. Each
// call has a harmless default, so the screens work before those parts join.
class SongBookActions {
public:
    virtual ~SongBookActions() = default;

    // The play button in its receive state: receive every reserved product.
    // Returns the number of one-time songs it downloaded (they are deleted
    // again when the screen closes), or kNotReceived when the receive failed
    // and the products still wait.
    static constexpr int kNotReceived = -1;
    virtual int bulkReceive(ReservationBook&, QWidget*) { return 0; }
    // The play button in its play state: play the reserved songs in order.
    virtual void playReservations(ReservationBook&, QWidget*) { }
    // True while a player program runs (reserving and closing wait for it).
    virtual bool playerRunning() const { return false; }

    // The group list's "ファイル": the downloaded songs of the course.
    virtual bool downloadedListAvailable() const { return false; }
    virtual void openDownloadedList(int /*course*/, QWidget*) { }
    // The group list's "音源/ﾓﾃﾞﾑﾃｽﾄ": its question, then the test dialog.
    virtual bool soundModemTestAvailable() const { return false; }
    virtual void runSoundModemTest(QWidget*) { }
    // The karaoke screen's "画像設定": where the player takes its pictures.
    virtual bool pictureSettingsAvailable() const { return false; }
    virtual void openPictureSettings(QWidget*) { }
};

} // namespace kiro::catalogue
