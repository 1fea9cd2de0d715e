#include "tools/songbox1/SongCues.h"

#include "common/Cp932.h"

#include <algorithm>

namespace kiro::songbox1 {

SongCues songCues(const kiro::player::TempKrdPictures& tempKrd, std::uint32_t songMs)
{
    SongCues cues;
    for (const kiro::player::TempKrdText& text : tempKrd.texts)
        cues.lyrics.push_back({text.head, kiro::cp932::toUtf8(text.text)});
    std::stable_sort(cues.lyrics.begin(), cues.lyrics.end(),
        [](const LyricLine& a, const LyricLine& b) { return a.ms < b.ms; });

    const auto& heads = tempKrd.pictureHeads;
    const bool timed = std::any_of(heads.begin(), heads.end(), [](std::uint32_t head) { return head != 0; })
        && std::is_sorted(heads.begin(), heads.end());
    const auto count = static_cast<std::uint32_t>(tempKrd.tempNames.size());
    for (std::uint32_t i = 0; i < count; ++i)
        cues.pictureTimes.push_back(timed && i < heads.size() ? heads[i] : static_cast<std::uint32_t>(std::uint64_t(songMs) * i / count));
    return cues;
}

std::size_t SongCues::lyricsDue(std::uint32_t ms) const
{
    return static_cast<std::size_t>(std::upper_bound(lyrics.begin(), lyrics.end(), ms,
                                        [](std::uint32_t at, const LyricLine& line) { return at < line.ms; })
        - lyrics.begin());
}

std::size_t SongCues::pictureAt(std::uint32_t ms) const
{
    const auto due = std::upper_bound(pictureTimes.begin(), pictureTimes.end(), ms) - pictureTimes.begin();
    return due == 0 ? 0 : static_cast<std::size_t>(due - 1);
}

} // namespace kiro::songbox1
