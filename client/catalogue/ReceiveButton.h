#pragma once

namespace kiro::app {
class Prompt;
}
namespace kiro::db {
class CatalogueDb;
}

namespace kiro::catalogue {

class BulkReceive;

struct ReceiveButtonResult {
    bool error = false;        // the receive failed: the counters and the button stay
    int downloaded = 0;
    int cancelled = 0;
    int oneTimeDownloaded = 0; // add to the screen's one-time downloaded count
    bool reservationsCleared = false; // course 50: the user declined to play on
};

// The play button in receive state ("一括受信"): runs the bulk receive,
// thanks the user for what was bought, tells of cancellations and, for
// course 50, asks whether to play on (declining removes every reservation
// of the course). Unless it reports an error the caller sets its
// to-receive count to 0 and updates the play button.
ReceiveButtonResult PlayButtonReceive(BulkReceive &job, app::Prompt &prompt, db::CatalogueDb &db, int course);

} // namespace kiro::catalogue
