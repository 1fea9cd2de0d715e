#pragma once

#include <optional>
#include <string>

namespace kiro::app {
class Prompt;
}

namespace kiro::catalogue {

// How a product is reserved: once (its files are deleted after one play),
// to keep, or not at all.
enum class ReserveResult { Cancelled, OneTime, Keeping };

// What the product and set reservation dialogs offer for a product's prices
// and download state, and the charge question behind each button.
class ReserveOffer {
public:
    ReserveOffer(int course, int price1, int price2, bool needsDownload);

    bool oneTimeShown() const { return m_needsDownload && m_price1 >= 1; }
    std::string oneTimeCaption() const { return "これっきり予約"; }
    std::string keepingCaption() const;
    bool keepingEnabled() const { return !m_needsDownload || m_price2 >= 1; }

    // A button press: the dialog's result, or nothing while the user
    // declined the charge (the dialog stays open).
    std::optional<ReserveResult> pressOneTime(kiro::app::Prompt& prompt) const;
    std::optional<ReserveResult> pressKeeping(kiro::app::Prompt& prompt) const;

private:
    int m_course;
    int m_price1;
    int m_price2;
    bool m_needsDownload;
};

} // namespace kiro::catalogue
