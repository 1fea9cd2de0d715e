#include "player/TempKrd.h"
#include "tools/songbox1/SongCues.h"

#include <gtest/gtest.h>

using kiro::player::TempKrdPictures;
using kiro::songbox1::songCues;

TEST(SongCues, LyricsFollowTheirHeadTimesAndComeOutAsUtf8)
{
    TempKrdPictures krd;
    krd.texts = {{600, "\x82\xa0"}, {100, "first"}, {600, "second at 600"}}; // "あ" in code page 932
    const auto cues = songCues(krd, 1000);
    ASSERT_EQ(cues.lyrics.size(), 3u);
    EXPECT_EQ(cues.lyrics[0].text, "first");
    EXPECT_EQ(cues.lyrics[1].text, "\xe3\x81\x82");
    EXPECT_EQ(cues.lyrics[2].text, "second at 600") << "equal times keep the stream order";
    EXPECT_EQ(cues.lyricsDue(0), 0u);
    EXPECT_EQ(cues.lyricsDue(100), 1u);
    EXPECT_EQ(cues.lyricsDue(599), 1u);
    EXPECT_EQ(cues.lyricsDue(600), 3u);
}

TEST(SongCues, PicturesUseTheirTimesOrShareTheSong)
{
    TempKrdPictures krd;
    krd.tempNames = {"_@temp0", "_@temp1", "_@temp2", "_@temp3"};
    krd.pictureHeads = {0, 0, 0, 0};
    auto cues = songCues(krd, 8000);
    EXPECT_EQ(cues.pictureTimes, (std::vector<std::uint32_t> {0, 2000, 4000, 6000}));
    EXPECT_EQ(cues.pictureAt(1999), 0u);
    EXPECT_EQ(cues.pictureAt(6500), 3u);

    krd.pictureHeads = {0, 500, 500, 3000};
    cues = songCues(krd, 8000);
    EXPECT_EQ(cues.pictureTimes, (std::vector<std::uint32_t> {0, 500, 500, 3000}));
    EXPECT_EQ(cues.pictureAt(499), 0u);
    EXPECT_EQ(cues.pictureAt(500), 2u);

    krd.pictureHeads = {0, 3000, 1000, 4000}; // going backwards: not times
    cues = songCues(krd, 8000);
    EXPECT_EQ(cues.pictureTimes[2], 4000u);
}
