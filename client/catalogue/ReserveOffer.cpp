#include "client/catalogue/ReserveOffer.h"

#include "client/app/Prompt.h"

#include <cstdio>

namespace kiro::catalogue {

using kiro::app::PromptAnswer;

ReserveOffer::ReserveOffer(int course, int price1, int price2, bool needsDownload)
    : m_course(course)
    , m_price1(price1)
    , m_price2(price2)
    , m_needsDownload(needsDownload)
{
}

std::string ReserveOffer::keepingCaption() const
{
    if (!m_needsDownload)
        return "予約する";
    if (m_price2 < 1)
        return {};
    return m_course == 50 ? "予約する" : "歌い込み予約";
}

std::optional<ReserveResult> ReserveOffer::pressOneTime(kiro::app::Prompt& prompt) const
{
    if (!oneTimeShown())
        return std::nullopt;
    char text[64];
    std::snprintf(text, sizeof text, "通信料金と\n%d円がかかります。", m_price1);
    if (prompt.question(text, "はい", "キャンセル") == PromptAnswer::First)
        return ReserveResult::OneTime;
    return std::nullopt;
}

std::optional<ReserveResult> ReserveOffer::pressKeeping(kiro::app::Prompt& prompt) const
{
    if (!keepingEnabled())
        return std::nullopt;
    if (!m_needsDownload)
        return ReserveResult::Keeping; // already on the disk: nothing to pay
    char text[64];
    std::snprintf(text, sizeof text, "通信料金と%d円がかかります。", m_price1 + m_price2);
    if (prompt.question(text, "はい", "キャンセル") == PromptAnswer::First)
        return ReserveResult::Keeping;
    return std::nullopt;
}

} // namespace kiro::catalogue
