#pragma once

#include <array>
#include <string>
#include <vector>

namespace kiro::catalogue {

// One row of the karaoke list as the screen shows it.
struct CatalogueRow {
    std::array<std::string, 3> texts;
    int icon = 0;
};

// What the karaoke screen's logic asks of its window. The Qt screen
// implements it; tests record the calls.
class KaraokeView {
public:
    virtual ~KaraokeView() = default;
    virtual void setTabs(const std::vector<std::string>& captions) = 0;
    virtual void selectTab(int row) = 0;
    // The genre and index-type combo boxes (off for a group's own list).
    virtual void setIndexCombosEnabled(bool enabled) = 0;
    virtual void setColumns(const std::array<std::string, 3>& headers, const std::array<int, 3>& weights) = 0;
    virtual void clearRows() = 0;
    virtual void appendRows(const std::vector<CatalogueRow>& rows) = 0;
    virtual void appendBlankRows(int count) = 0;
    virtual int rowsPerPage() const = 0;
    // Shows `row` at the top of the list.
    virtual void scrollToTop(int row) = 0;
    // The screen is no longer active: stop the timer and close.
    virtual void endScreen() = 0;
};

} // namespace kiro::catalogue
