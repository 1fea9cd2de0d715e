#pragma once

#include "client/catalogue/KaraokeView.h"
#include "client/catalogue/SearchMemo.h"
#include "client/db/Recordset.h"
#include "client/db/Statements.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kiro::db {
class CatalogueDb;
}

namespace kiro::catalogue {

class ReadingPositionLookup;

// The statement the screen's record sets are opened on: the list's query
// as BuildCatalogueQuery writes it, but a reading-index list leaves out its
// last sort column. Product codes are unique within a course, so that
// column never decides the order; without it the engine walks its reading
// index in order instead of sorting each run of equal readings, and can skip
// far down the list without reading every row it passes.
std::string steppedCatalogueStatement(const kiro::db::statements::CatalogueQuery& query);

// The karaoke screen's browsing state over the catalogue: group, genre,
// index type, reading-index tab and link filter; the list filled a little
// at a time on the screen's timer; the type-ahead search. The list and the
// search record sets hold the same query, so a list row number is a
// position of the search record set.
class KaraokeBrowser {
public:
    static constexpr int kTimerId = 807;
    static constexpr int kTickMs = 25;
    static constexpr int kRowsPerTick = 20;
    // While a search hit waits below the rows loaded so far, a tick loads
    // this many, so the hit is shown in moments rather than after a minute.
    static constexpr int kRowsPerTickToHit = 400;
    // ...or as many as this time allows (at least twenty).
    static constexpr std::chrono::milliseconds kFillBudgetPerTick{8};
    // The time a tick spends reading the search's position samples: the
    // current tab's (about 150,000 entries at a million products) is read in
    // a fraction of a second, every tab's within seconds, and the screen
    // stays responsive meanwhile.
    static constexpr std::chrono::milliseconds kSampleBudgetPerTick{5};
    static constexpr long kSampleRowsAtOnce = 1000000; // the time decides
    static constexpr size_t kSearchMaxBytes = 15;
    static constexpr size_t kMaxRememberedReadings = 1024;
    static constexpr size_t kMaxLookups = 64;

    // Opens the group, genre and search record sets. Throws DbError.
    KaraokeBrowser(kiro::db::CatalogueDb& db, int course, int groupIndex, KaraokeView& view);
    ~KaraokeBrowser();

    int course() const { return m_course; }
    const std::vector<std::string>& groupNames() const { return m_groupNames; }
    const std::vector<std::string>& genreNames() const { return m_genreNames; }

    void selectGroup(int index) { m_groupIndex = index; }
    void selectGenre(int index) { m_genreIndex = index; }
    void selectIndexType(int type) { m_indexType = type; }
    void selectTab(int row) { m_tab = row; }
    // Cycles 全部表示 → 親だけ → 子だけ; returns the new caption.
    const char* cycleLinkFilter();
    // The list is queried again on the next tick (downloaded flags changed).
    void requery() { m_previousTab = -1; }

    bool active() const { return m_active; }
    void setActive(bool active) { m_active = active; }

    // One timer tick: refresh and fill. False when the screen has ended.
    bool tick();
    // Type-ahead search for the search box's text (UTF-8).
    void search(const std::string& text);

    int groupIndex() const { return m_groupIndex; }
    int genreIndex() const { return m_genreIndex; }
    int indexType() const { return m_indexType; }
    int tab() const { return m_tab; }
    int linkFilter() const { return m_linkFilter; }
    int groupMode() const { return m_groupMode; }
    int rowsAdded() const { return m_rowsAdded; }
    bool padded() const { return m_padded; }
    long scrollTarget() const { return m_scrollTarget; }
    // Where the last search landed. A hit deep in a tab whose position
    // sample is not read far enough yet is placed by the following ticks
    // (positionPending() until then); the list meanwhile fills fast.
    long searchPosition() const { return m_searchPosition; }
    bool positionPending() const { return m_pending.has_value(); }
    const std::string& hitText() const { return m_hitText; }
    const std::string& lastStatement() const { return m_lastStatement; }

    // The search record set moved to a list row; false for a row the query
    // does not hold (the blank rows after the list).
    bool moveSearchTo(long row);
    kiro::db::Recordset& searchRecordset() { return m_search; }

    // The longest count of index entries a keystroke makes before the
    // position samples are read, and the time a tick reads them (tests let
    // a small catalogue behave as a large one).
    void setPositionLimits(long countEntries, std::chrono::steady_clock::duration sampleBudgetPerTick);

    // The current query's parameters (tests and the benchmark).
    kiro::db::statements::CatalogueQuery currentQuery();

private:
    int tabKind() const;
    void rebuildTabs();
    void setHeaders();
    void buildCatalogueQuery(kiro::db::Recordset& recordset, bool readOnly);
    void fillRows(int limit);
    std::string fieldWithFallback(const char* field, int slot);
    // The position of the first row from `start` whose reading begins with
    // the text; -1 for none, kPending when it cannot be counted yet.
    static constexpr long kPending = -2;
    long findForward(const std::string& text, long start);
    void land(const std::string& text, long position);
    void resolvePending();
    std::string readingAt(long position);
    void rememberReading(long position, const std::string& reading);
    ReadingPositionLookup* lookupFor(const kiro::db::statements::CatalogueQuery& query, bool make);
    void warmLookups();

    kiro::db::CatalogueDb& m_db;
    int m_course;
    KaraokeView& m_view;
    kiro::db::Recordset m_groups;
    kiro::db::Recordset m_genres;
    kiro::db::Recordset m_list;
    kiro::db::Recordset m_search;
    std::vector<std::string> m_groupNames;
    std::vector<std::string> m_genreNames;

    int m_groupIndex;
    int m_genreIndex = 0;
    int m_indexType = 0;
    int m_tab = 0;
    int m_linkFilter = 0;
    int m_groupMode = 1;
    int m_previousGroup = -1;
    int m_previousGenre = -1;
    int m_previousIndexType = -1;
    int m_previousTab = -1;
    int m_rowsAdded = 0;
    bool m_padded = false;
    long m_scrollTarget = -1;
    long m_searchPosition = 0;
    std::string m_hitText;
    struct PendingSearch {
        std::string text;
        long start;
    };
    std::optional<PendingSearch> m_pending;
    bool m_active = true;
    std::string m_lastStatement;
    SearchMemo m_memo;
    std::map<long, std::string> m_readings; // readings met at positions of this query
    // Position lookups by query, kept while the screen is open (the readings
    // do not change): their samples are read in the background ticks.
    std::map<std::string, std::unique_ptr<ReadingPositionLookup>> m_lookups;
    ReadingPositionLookup* m_lookup = nullptr; // the current query's
    long m_countLimit;
    std::chrono::steady_clock::duration m_sampleBudget = kSampleBudgetPerTick;

};

} // namespace kiro::catalogue
