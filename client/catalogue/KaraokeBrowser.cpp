#include "client/catalogue/KaraokeBrowser.h"

#include "client/catalogue/CatalogueTables.h"
#include "client/catalogue/FieldAccess.h"
#include "client/catalogue/ReadingPositionLookup.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Variant.h"

#include <algorithm>
#include <cstdlib>

namespace kiro::catalogue {

namespace st = kiro::db::statements;
using kiro::db::DbError;
using kiro::db::FieldToText;
using kiro::db::Recordset;

namespace {

std::vector<std::string> readNames(Recordset& rs, const char* field)
{
    std::vector<std::string> names;
    for (; !rs.isEOF(); rs.moveNext())
        names.push_back(FieldToText(rs.fieldValue(field)));
    return names;
}


} // namespace

KaraokeBrowser::KaraokeBrowser(kiro::db::CatalogueDb& db, int course, int groupIndex, KaraokeView& view)
    : m_db(db)
    , m_course(course)
    , m_view(view)
    , m_groups(db)
    , m_genres(db)
    , m_list(db)
    , m_search(db)
    , m_groupIndex(groupIndex)
    , m_countLimit(ReadingPositionLookup::kCountLimit)
{
    m_groups.open(st::groupComboStatement(course), Recordset::kReadOnly);
    m_groupNames = readNames(m_groups, "グループ名");
    m_genres.open(st::genreComboStatement(course), Recordset::kReadOnly);
    m_genreNames = readNames(m_genres, "ジャンル名");
}

KaraokeBrowser::~KaraokeBrowser() = default;

const char* KaraokeBrowser::cycleLinkFilter()
{
    m_linkFilter = nextLinkFilter(m_linkFilter);
    m_previousTab = -1;
    return linkFilterCaption(m_linkFilter);
}

int KaraokeBrowser::tabKind() const
{
    return m_tab >= 0 && m_tab < kTabCount ? kReadingIndexTabs[static_cast<size_t>(m_tab)].kind : 0;
}

void KaraokeBrowser::rebuildTabs()
{
    // A course without groups (or a stale index) lists the whole course
    // through the reading index rather than failing.
    m_groupMode = 1;
    std::string name;
    try {
        m_groups.setAbsolutePosition(m_groupIndex);
        m_groupMode = fieldInt(m_groups, "読みインデックスの有無") == 0 ? 0 : 1;
        name = FieldToText(m_groups.fieldValue("グループ名"));
    } catch (const DbError&) {
    }
    if (m_groupMode == 0) {
        m_view.setTabs({name});
        m_view.setIndexCombosEnabled(false);
        return;
    }
    std::vector<std::string> captions;
    for (const ReadingIndexTab& t : kReadingIndexTabs)
        captions.emplace_back(t.caption);
    m_view.setTabs(captions);
    m_view.setIndexCombosEnabled(true);
}

void KaraokeBrowser::setHeaders()
{
    const ListLayout& layout = listLayout(tabKind(), m_indexType);
    m_view.clearRows();
    m_view.setColumns(listHeaders(m_course, tabKind(), m_indexType), layout.weights);
}

st::CatalogueQuery KaraokeBrowser::currentQuery()
{
    st::CatalogueQuery q;
    q.course = m_course;
    q.groupMode = m_groupMode;
    q.indexKind = tabKind();
    q.indexType = m_indexType;
    q.tabCode = kReadingIndexTabs[static_cast<size_t>(m_tab >= 0 && m_tab < kTabCount ? m_tab : 0)].code;
    q.linkFilter = m_linkFilter;
    q.genreIndex = m_genreIndex;
    try {
        m_groups.setAbsolutePosition(m_groupIndex);
        q.groupCode = FieldToText(m_groups.fieldValue("グループコード"));
    } catch (const DbError&) {
    }
    if (m_genreIndex > 0) {
        try {
            m_genres.setAbsolutePosition(m_genreIndex);
            q.genreCode = fieldInt(m_genres, "ジャンルコード");
        } catch (const DbError&) {
            q.genreIndex = 0; // no such genre row: no genre condition
        }
    }
    return q;
}

std::string steppedCatalogueStatement(const st::CatalogueQuery& q)
{
    const std::string statement = st::catalogueQueryStatement(q);
    if (q.groupMode != 1)
        return statement;
    const std::string tail =
        std::string(",商品マスタ.") + st::catalogueColumns(q.indexKind, q.indexType).secondary + ";";
    if (statement.size() < tail.size() || statement.compare(statement.size() - tail.size(), tail.size(), tail) != 0)
        return statement;
    return statement.substr(0, statement.size() - tail.size()) + ";";
}

void KaraokeBrowser::buildCatalogueQuery(Recordset& recordset, bool readOnly)
{
    if (recordset.isOpen())
        recordset.close();
    const st::CatalogueQuery q = currentQuery();
    m_lastStatement = st::catalogueQueryStatement(q);
    recordset.open(steppedCatalogueStatement(q),
        readOnly ? Recordset::kReadOnly | Recordset::kForwardOnly : Recordset::kReleaseRows);
    if (&recordset == &m_search)
        m_lookup = q.groupMode == 1 ? lookupFor(q, true) : nullptr;
}

std::string KaraokeBrowser::fieldWithFallback(const char* field, int slot)
{
    std::string text = FieldToText(m_list.fieldValue(field));
    if (text == "NULL") {
        // A missing English name shows the Japanese one.
        text = FieldToText(m_list.fieldValue(listLayout(0, m_indexType).fields[static_cast<size_t>(slot)]));
        if (text == "NULL")
            text.clear();
    }
    return text;
}

void KaraokeBrowser::fillRows(int limit)
{
    const ListLayout& layout = listLayout(tabKind(), m_indexType);
    std::vector<CatalogueRow> rows;
    // Rows from pages the engine has not read yet cost more: a tick stops
    // early rather than keep the screen waiting.
    const auto until = std::chrono::steady_clock::now() + kFillBudgetPerTick;
    while (static_cast<int>(rows.size()) < limit && !m_list.isEOF()) {
        if (rows.size() % 20 == 19 && std::chrono::steady_clock::now() >= until)
            break;
        CatalogueRow row;
        row.texts[0] = fieldWithFallback(layout.fields[0], 0);
        row.texts[1] = fieldWithFallback(layout.fields[1], 1);
        row.texts[2] = FieldToText(m_list.fieldValue("歌い出し"));
        if (row.texts[2] == "NULL")
            row.texts[2].clear();
        row.icon = rowIcon(m_course, fieldInt(m_list, "ダウンロード済みフラグ"), fieldInt(m_list, "リンクサイン"));
        rows.push_back(std::move(row));
        m_list.moveNext();
    }
    if (!rows.empty())
        m_view.appendRows(rows);
    m_rowsAdded += static_cast<int>(rows.size());
}

bool KaraokeBrowser::tick()
{
    if (!m_active) {
        m_view.endScreen();
        return false;
    }
    if (m_groupIndex != m_previousGroup) {
        m_previousGroup = m_groupIndex;
        rebuildTabs();
        m_tab = 0;
        m_previousTab = -1;
    }
    if (m_genreIndex != m_previousGenre) {
        m_previousGenre = m_genreIndex;
        m_previousTab = -1;
    }
    if (m_indexType != m_previousIndexType) {
        m_previousIndexType = m_indexType;
        m_previousTab = -1;
        setHeaders();
    }
    if (m_tab != m_previousTab) {
        try {
            buildCatalogueQuery(m_list, true);
            buildCatalogueQuery(m_search, false);
        } catch (const DbError&) {
            // An unreadable catalogue shows an empty list, not a crash.
            m_list.close();
            m_search.close();
            m_lookup = nullptr;
        }
        m_view.selectTab(m_tab);
        m_previousTab = m_tab;
        m_view.clearRows();
        m_rowsAdded = 0;
        m_padded = false;
        // Remembered positions belong to the query that found them.
        m_memo.clear();
        m_readings.clear();
        m_searchPosition = 0;
        m_pending.reset();
    }
    const int rowsPerPage = m_view.rowsPerPage();
    // A hit still being placed lies deep in the list (further than a count
    // of a keystroke reaches).
    const bool hitBelow = m_pending || (m_scrollTarget >= 0 && m_rowsAdded < m_scrollTarget + rowsPerPage);
    try {
        fillRows(hitBelow ? kRowsPerTickToHit : kRowsPerTick);
    } catch (const DbError&) {
        m_list.close(); // the rest of the list cannot be read: end it here
    }
    warmLookups();
    resolvePending();
    if (m_list.isEOF() && !m_padded) {
        m_view.appendBlankRows(std::max(0, rowsPerPage - 1));
        m_padded = true;
    }
    const long total = m_rowsAdded + (m_padded ? rowsPerPage : 0);
    if (m_scrollTarget >= 0 && total >= m_scrollTarget + rowsPerPage) {
        m_view.scrollToTop(static_cast<int>(m_scrollTarget));
        m_scrollTarget = -1;
    }
    return true;
}

namespace {
std::string lookupKey(const st::CatalogueQuery& q)
{
    return std::to_string(q.course) + "/" + q.tabCode + "/" + std::to_string(q.indexKind) + "/" +
           std::to_string(q.indexType) + "/" + std::to_string(q.genreIndex > 0 ? q.genreCode : -1) + "/" +
           std::to_string(q.linkFilter);
}
} // namespace

ReadingPositionLookup* KaraokeBrowser::lookupFor(const st::CatalogueQuery& q, bool make)
{
    const std::string key = lookupKey(q);
    if (const auto it = m_lookups.find(key); it != m_lookups.end())
        return it->second.get();
    if (m_lookups.size() >= kMaxLookups) {
        if (!make)
            return nullptr;
        m_lookups.clear(); // only the current query's lookup is needed at once
    }
    auto& slot = m_lookups[key];
    slot = std::make_unique<ReadingPositionLookup>(m_db, q, ReadingPositionLookup::kStride, m_countLimit);
    return slot.get();
}

void KaraokeBrowser::setPositionLimits(long countEntries, std::chrono::steady_clock::duration sampleBudgetPerTick)
{
    m_countLimit = countEntries;
    m_sampleBudget = sampleBudgetPerTick;
    m_lookups.clear();
    m_lookup = nullptr;
    m_previousTab = -1; // the current query's lookup is made again
}

void KaraokeBrowser::warmLookups()
{
    // The current tab's sample first, then those of the other tabs, so that
    // the keystroke which switches the tab finds its sample ready too.
    if (!m_lookup || m_groupMode != 1)
        return;
    const auto until = std::chrono::steady_clock::now() + m_sampleBudget;
    const auto left = [&] { return until - std::chrono::steady_clock::now(); };
    if (!m_lookup->sampleMore(kSampleRowsAtOnce, left()))
        return;
    st::CatalogueQuery q = currentQuery();
    for (const ReadingIndexTab& tab : kReadingIndexTabs) {
        if (left() <= std::chrono::steady_clock::duration::zero())
            return;
        q.tabCode = tab.code;
        q.indexKind = tab.kind;
        ReadingPositionLookup* other = lookupFor(q, false);
        if (!other || !other->sampleMore(kSampleRowsAtOnce, left()))
            return;
    }
}

bool KaraokeBrowser::moveSearchTo(long row)
{
    if (row < 0 || !m_search.isOpen())
        return false;
    try {
        m_search.setAbsolutePosition(row);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

std::string KaraokeBrowser::readingAt(long position)
{
    if (const auto it = m_readings.find(position); it != m_readings.end())
        return it->second;
    std::string reading;
    try {
        if (m_lookup) {
            reading = m_lookup->readingAt(position).value_or("");
        } else if (moveSearchTo(position)) {
            const auto x = st::catalogueColumns(tabKind(), m_indexType);
            reading = FieldToText(m_search.fieldValue(x.reading));
        }
    } catch (const DbError&) {
    }
    return reading;
}

void KaraokeBrowser::rememberReading(long position, const std::string& reading)
{
    if (m_readings.size() >= kMaxRememberedReadings)
        m_readings.clear(); // a cache: it may forget, never grow without bound
    m_readings[position] = reading;
}

long KaraokeBrowser::findForward(const std::string& text, long start)
{
    try {
        if (m_lookup) {
            const auto hit = m_lookup->first(text);
            if (!hit)
                return -1;
            if (hit->position == ReadingPositionLookup::kUnknown)
                return kPending;
            rememberReading(hit->position, hit->reading);
            if (hit->position >= start)
                return hit->position;
            // The run of matching rows began before the start: the start is
            // a hit only when it lies inside the run.
            return startsWithIgnoringAsciiCase(readingAt(start), text) ? start : -1;
        }
        // A group's own list is ranked, not sorted by reading, and short:
        // the rows are compared one by one, the typed text taken literally.
        if (!moveSearchTo(start))
            return -1;
        const auto x = st::catalogueColumns(tabKind(), m_indexType);
        for (; !m_search.isEOF(); m_search.moveNext()) {
            const std::string reading = FieldToText(m_search.fieldValue(x.reading));
            if (startsWithIgnoringAsciiCase(reading, text)) {
                const long position = m_search.absolutePosition();
                rememberReading(position, reading);
                return position;
            }
        }
    } catch (const DbError&) {
    }
    return -1;
}

void KaraokeBrowser::land(const std::string& text, long position)
{
    m_memo.record(text, position);
    if (position != m_searchPosition)
        m_hitText = readingAt(position);
    m_searchPosition = position;
    m_scrollTarget = position;
}

void KaraokeBrowser::resolvePending()
{
    if (!m_pending)
        return;
    if (!m_lookup) {
        m_pending.reset();
        return;
    }
    // Asked again only once the sample reaches the text (a count each tick
    // would slow every tick meanwhile).
    if (!m_lookup->reaches(m_pending->text))
        return;
    const long found = findForward(m_pending->text, m_pending->start);
    if (found == kPending)
        return;
    const PendingSearch done = *m_pending;
    m_pending.reset();
    if (found >= 0)
        land(done.text, found);
    else
        m_scrollTarget = m_searchPosition; // nothing after all: back where the search was
}

void KaraokeBrowser::search(const std::string& typed)
{
    // A newer text replaces a hit still being placed (its position would
    // only have been remembered).
    m_pending.reset();
    const std::string text = fitCp932Bytes(typed, kSearchMaxBytes);
    if (!text.empty() && m_groupMode == 1) {
        const int tab = firstCharTab(text);
        if (tab != m_tab) {
            m_tab = tab;
            tick();
        }
    }
    const long before = m_searchPosition;
    long position = before;
    if (const auto known = m_memo.exact(text)) {
        position = *known;
    } else if (text.empty()) {
        position = 0;
        m_memo.clear();
    } else {
        const long start = m_memo.longestPrefix(text).value_or(0);
        const long found = findForward(text, start);
        if (found == kPending) {
            // Found, but counting where would stall the keystroke: the
            // ticks place it. The list shows the hit once filled down to it,
            // which takes longer than placing it.
            m_pending = PendingSearch{text, start};
            m_scrollTarget = -1;
            return;
        }
        if (found >= 0) {
            land(text, found);
            return;
        }
        position = before; // nothing found: stay where the search was
    }
    if (position != before)
        m_hitText = readingAt(position);
    m_searchPosition = position;
    m_scrollTarget = position;
}

} // namespace kiro::catalogue
