#pragma once

#include "client/catalogue/ReserveOffer.h"
#include "client/db/Recordset.h"

#include <filesystem>
#include <string>

namespace kiro::app {
class Prompt;
}
namespace kiro::db {
class CatalogueDb;
}

namespace kiro::catalogue {

class KaraokeBrowser;

// Removes the reservations of a set and of its songs. Throws DbError.
void removeSetReservations(kiro::db::CatalogueDb& db, int course, const std::string& setCode);

// A single product as the reservation dialog shows it.
struct ProductDetails {
    std::string code;
    std::string name, singer, lyricist, composer, firstWords, jasrac;
    int price1 = 0;
    int price2 = 0;
};

// The two reservation dialogs as the reservation logic sees them.
class ReserveChooser {
public:
    virtual ~ReserveChooser() = default;
    virtual ReserveResult chooseProduct(int course, const ProductDetails& product, bool needsDownload) = 0;
    virtual ReserveResult chooseSet(int course, const std::string& setCode, bool needsDownload) = 0;
};

// The reservation list of one visit of the karaoke screen: the course's
// rows of 予約テーブル, emptied when the screen opens, ranked in the order
// they are made; the counts that drive the play button; the one-time songs
// cleaned up when the screen closes.
class ReservationBook {
public:
    // Opens the reservation record set and empties it for the course.
    // Throws DbError.
    ReservationBook(kiro::db::CatalogueDb& db, int course, kiro::app::Prompt& prompt,
        std::filesystem::path installFolder);

    int course() const { return m_course; }
    int nextRank() const { return m_nextRank; }
    int toReceiveCount() const { return m_toReceive; }
    int oneTimeDownloadedCount() const { return m_oneTimeDownloaded; }
    void setPlayerRunning(bool running) { m_playerRunning = running; }
    kiro::db::Recordset& reservations() { return m_reservations; }

    // The "予約する" button for list row `row` (-1: none selected).
    void reserveSelected(KaraokeBrowser& browser, long row, ReserveChooser& chooser);
    bool writeReservation(const std::string& productCode, ReserveResult result);
    bool isReserved(const std::string& productCode);

    // Back from the reservation list: its two counts.
    void afterReservationList(int cancelledNotDownloaded, int cancelledOneTime, KaraokeBrowser& browser);
    // After a bulk receive: nothing waits any more; `oneTimeDownloaded`
    // one-time songs are now on the disk.
    void afterBulkReceive(int oneTimeDownloaded);

    // "もどる": false when the screen stays (a player runs, or the user kept
    // the one-time songs); true when it may close.
    bool closeScreen();

    // "一括受信" while products wait for download, else "演奏" (course 50)
    // or "カラオケ".
    std::string playButtonCaption() const;
    // True when the play button's state changed since the last call.
    bool updatePlayButton();

private:
    void requeryReservations();

    kiro::db::CatalogueDb& m_db;
    int m_course;
    kiro::app::Prompt& m_prompt;
    std::filesystem::path m_installFolder;
    kiro::db::Recordset m_reservations;
    int m_nextRank = 1;
    int m_toReceive = 0;
    int m_oneTimeDownloaded = 0;
    int m_playState = -1; // unknown until the first update
    bool m_playerRunning = false;
};

} // namespace kiro::catalogue
