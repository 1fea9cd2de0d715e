// The karaoke screen on a sample catalogue (100,000 course-10 products by
// default; the first argument gives another count):
//  (a) the first 20 rows after opening, and after a tab change;
//  (b) each keystroke of the type-ahead search for a five-character reading
//      deep in a tab, typed one character at a time at five keys a second
//      (the list's timer runs in between) right after the screen opened,
//      then deleted again; when the hit was placed and when the list showed
//      it; the same typed once the screen has been open for ten seconds;
//      the longest timer tick meanwhile;
//  (c) the heap the screen holds once the list has filled down to the hit
//      (the rows the view keeps apart), once the hit's row has been read for
//      a reservation, and after deleting the text;
//  baseline: the same query stepped raw through the SQLite API, for its
//  first 20 rows and up to the row the search lands on (what a walk costs).
#include "client/catalogue/CatalogueRowStore.h"
#include "client/catalogue/KaraokeBrowser.h"
#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"
#include "client/db/JetTranslator.h"
#include "client/db/Recordset.h"
#include "client/db/SampleCatalogue.h"
#include "client/db/Statements.h"
#include "client/db/Variant.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kiro::db;
using kiro::catalogue::CatalogueRow;
using kiro::catalogue::KaraokeBrowser;
using Clock = std::chrono::steady_clock;

namespace {

double timeMs(const std::function<void()>& body)
{
    const auto start = Clock::now();
    body();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Small blocks and the large ones the allocator maps on their own.
size_t heapInUse()
{
    const auto info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

long stepRaw(Connection& c, const std::string& sql, long limit)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(c.handle(), sql.c_str(), -1, &stmt, nullptr);
    long rows = 0;
    const int columns = sqlite3_column_count(stmt);
    while ((limit < 0 || rows < limit) && sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i)
            (void)sqlite3_column_text(stmt, i);
        ++rows;
    }
    sqlite3_finalize(stmt);
    return rows;
}

// A list that keeps its rows as the screen's list model does.
struct CountingView : kiro::catalogue::KaraokeView {
    kiro::catalogue::CatalogueRowStore rows;
    void setTabs(const std::vector<std::string>&) override { }
    void selectTab(int) override { }
    void setIndexCombosEnabled(bool) override { }
    void setColumns(const std::array<std::string, 3>&, const std::array<int, 3>&) override { }
    void clearRows() override { rows.clear(); }
    void appendRows(const std::vector<CatalogueRow>& r) override
    {
        for (const CatalogueRow& row : r)
            rows.append(row);
    }
    void appendBlankRows(int count) override { rows.appendBlank(count); }
    int rowsPerPage() const override { return 25; }
    void scrollToTop(int row) override { top = row; }
    int top = -1;
    size_t bytes() const { return rows.bytes(); }
    void endScreen() override { }
};

// The first `count` characters of a UTF-8 text.
std::string firstChars(const std::string& s, int count)
{
    size_t at = 0;
    for (int n = 0; n < count && at < s.size(); ++n) {
        ++at;
        while (at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80)
            ++at;
    }
    return s.substr(0, at);
}

} // namespace

int main(int argc, char** argv)
{
    int products = 100000;
    if (argc > 1)
        products = std::max(1, std::atoi(argv[1]));
    // A second argument names a catalogue file kept between runs (written
    // once, when it does not exist yet).
    const bool keep = argc > 2;
    std::string pattern = (std::filesystem::temp_directory_path() / "kiro-bench-songbook-XXXXXX").string();
    const std::filesystem::path dir = keep ? std::filesystem::path() : std::filesystem::path(mkdtemp(pattern.data()));
    const auto file = keep ? std::filesystem::path(argv[2]) : dir / "KIRODB.MDB";
    const bool fresh = !std::filesystem::exists(file);
    if (fresh)
        CatalogueDb::createFile(file);
    CatalogueDb db;
    db.openOrThrow(file);
    const double sampleMs = fresh ? timeMs([&] { writeSampleCatalogue(db, {products, 7}); }) : 0.0;
    auto connection = db.connection();

    // A five-character reading three quarters down the か tab.
    statements::CatalogueQuery ka;
    ka.tabCode = "01";
    const std::string kaSql = statements::catalogueQueryStatement(ka);
    long kaRows = 0;
    std::string target;
    {
        // Asked of the engine: walking a record set over the whole tab
        // first would leave the heap and the page cache as no user does.
        const std::string raw = translateJet(kaSql).sql;
        Statement count(connection, "SELECT COUNT(*) FROM (" + raw + ")");
        count.step();
        kaRows = static_cast<long>(sqlite3_column_int64(count.get(), 0));
        Statement row(connection, "SELECT 商品名読み FROM (" + raw + ") LIMIT 1 OFFSET " + std::to_string(kaRows * 3 / 4));
        row.step();
        target = firstChars(reinterpret_cast<const char*>(sqlite3_column_text(row.get(), 0)), 5);
    }

    const size_t heapBefore = heapInUse();
    CountingView view;
    std::unique_ptr<KaraokeBrowser> browser;
    const double openMs = timeMs([&] {
        browser = std::make_unique<KaraokeBrowser>(db, 10, 0, view);
        browser->tick();
    });
    const double tabMs = timeMs([&] {
        browser->selectTab(1);
        browser->tick();
    });
    const size_t firstRows = view.rows.size();
    browser->selectTab(0);
    browser->tick();

    std::vector<double> ticks;
    std::vector<double> keys;
    // Five keys a second: eight timer ticks pass between two keystrokes.
    // Counted from the last keystroke: the ticks until its hit was placed
    // and until the list was scrolled to it.
    int ticksSinceKey = 0, placedAfter = 0, shownAfter = -1;
    auto tick = [&] {
        const bool pending = browser->positionPending();
        ticks.push_back(timeMs([&] { browser->tick(); }));
        ++ticksSinceKey;
        if (pending && !browser->positionPending())
            placedAfter = ticksSinceKey;
        if (shownAfter < 0 && view.top >= 0)
            shownAfter = ticksSinceKey;
    };
    auto type = [&](int chars) {
        view.top = -1;
        ticksSinceKey = placedAfter = 0;
        shownAfter = -1;
        return timeMs([&] { browser->search(firstChars(target, chars)); });
    };
    auto pause = [&] {
        for (int i = 0; i < 8; ++i)
            tick();
    };
    std::vector<int> placedTicks; // per key: 0 at once, -1 not before the next key
    for (int n = 1; n <= 5; ++n) {
        keys.push_back(type(n));
        const bool pending = browser->positionPending();
        pause();
        placedTicks.push_back(!pending ? 0 : placedAfter > 0 ? placedAfter : -1);
    }
    const long hit = browser->searchPosition();
    while (shownAfter < 0 && ticksSinceKey < 100000)
        tick();
    const int shown = shownAfter;
    const size_t heapDeep = heapInUse();
    const size_t viewDeep = view.bytes();
    const size_t rowsDeep = view.rows.size();
    // The user reserves the hit: the search record set reads its row.
    const double reserveMs = timeMs([&] {
        browser->moveSearchTo(hit);
        (void)FieldToText(browser->searchRecordset().fieldValue("商品コード"));
    });
    const size_t heapReserve = heapInUse();
    std::vector<double> deletions;
    for (int n = 4; n >= 0; --n) {
        deletions.push_back(type(n));
        pause();
    }
    for (int i = 0; i < 10; ++i)
        tick(); // the list goes on filling while the user types
    const size_t heapAfter = heapInUse();
    const size_t viewAfter = view.bytes();
    const size_t rowsAfter = view.rows.size();

    // The same again once the screen has been open for ten seconds (its
    // timer has read the samples of every tab meanwhile).
    browser->selectTab(0);
    for (int i = 0; i < 400; ++i)
        tick();
    std::vector<double> warm;
    for (int n = 1; n <= 5; ++n) {
        warm.push_back(type(n));
        pause();
    }

    std::vector<double> all = keys;
    all.insert(all.end(), deletions.begin(), deletions.end());
    const std::string raw = translateJet(kaSql).sql;
    const double raw20 = median({timeMs([&] { stepRaw(*connection, raw, 20); }), timeMs([&] { stepRaw(*connection, raw, 20); }),
        timeMs([&] { stepRaw(*connection, raw, 20); })});
    const double rawToHit = timeMs([&] { stepRaw(*connection, raw, hit + 1); });

    std::printf("catalogue: %d course-10 products (sample written in %.1f s); tab か holds %ld rows\n", products,
        sampleMs / 1000, kaRows);
    std::printf("baseline, raw SQLite: first 20 rows %.3f ms; %ld rows up to the search hit %.3f ms\n", raw20, hit + 1,
        rawToHit);
    std::printf("(a) open + first %zu rows:   %8.3f ms = %7.2f x raw first 20  (goal < 50 ms)\n", firstRows, openMs,
        openMs / raw20);
    std::printf("(a) tab change + 20 rows:    %8.3f ms = %7.2f x raw first 20  (goal < 50 ms)\n", tabMs, tabMs / raw20);
    std::printf("(b) typing \"%s\" right after opening (hit at row %ld):", target.c_str(), hit);
    for (double k : keys)
        std::printf(" %.3f", k);
    std::printf(" ms\n(b) ticks until each key's hit was placed (0 at once, -1 not before the next key):");
    for (int t : placedTicks)
        std::printf(" %d", t);
    std::printf("; the list showed the last one after %d ticks (%.2f s at 25 ms a tick)\n", shown, shown * 0.025);
    std::printf("(b) deleting it again:");
    for (double k : deletions)
        std::printf(" %.3f", k);
    std::printf(" ms\n(b) keystrokes: median %.3f ms = %.2f x raw first 20, worst %.3f ms = %.3f x raw walk to the hit"
                "  (goals < 5 ms, < 30 ms)\n",
        median(all), median(all) / raw20, *std::max_element(all.begin(), all.end()),
        *std::max_element(all.begin(), all.end()) / rawToHit);
    std::printf("(b) the same typed after ten seconds on the screen:");
    for (double k : warm)
        std::printf(" %.3f", k);
    std::printf(" ms (worst %.3f ms)\n", *std::max_element(warm.begin(), warm.end()));
    std::printf("(b) timer ticks: median %.3f ms, worst %.3f ms (%zu ticks)\n", median(ticks),
        *std::max_element(ticks.begin(), ticks.end()), ticks.size());
    const auto mb = [&](size_t heap) { return (static_cast<double>(heap) - static_cast<double>(heapBefore)) / 1048576.0; };
    std::printf("(c) heap held by the screen with the list filled down to the hit: %.1f MB, of it the %zu rows %.1f MB"
                "  (goal < 100 MB)\n",
        mb(heapDeep), rowsDeep, static_cast<double>(viewDeep) / 1048576.0);
    std::printf("(c) ... after reading the hit's row for a reservation (%.1f ms): %.1f MB\n", reserveMs, mb(heapReserve));
    std::printf("(c) ... after deleting the text again: %.1f MB, of it the %zu rows %.1f MB\n", mb(heapAfter), rowsAfter,
        static_cast<double>(viewAfter) / 1048576.0);
    browser.reset();
    db.shutDown();
    std::error_code ec;
    if (!keep)
        std::filesystem::remove_all(dir, ec);
    return 0;
}
