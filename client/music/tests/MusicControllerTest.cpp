#include "client/music/MusicController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

using kiro::music::MusicController;

namespace {

class RecordingLibrary final : public kiro::music::PlayerLibrary {
public:
    std::uint16_t open(std::uint32_t window, std::uint32_t a, std::uint32_t b) override
    {
        log("open " + std::to_string(window) + " " + std::to_string(a) + " " + std::to_string(b));
        return openResult;
    }
    std::uint16_t close() override { return log("close"), 0; }
    std::uint16_t setSong(const std::string& path) override
    {
        log("setSong " + std::filesystem::path(path).filename().string());
        return songResult;
    }
    std::uint16_t start() override { return log("start"), 0; }
    std::uint16_t stop() override { return log("stop"), 0; }
    std::uint16_t setRepeatPoint(std::uint32_t from, std::uint32_t to) override
    {
        return log("repeat " + std::to_string(from) + " " + std::to_string(to)), 0;
    }
    std::uint16_t setPosition(std::uint32_t position) override { return log("position " + std::to_string(position)), 0; }
    std::uint16_t setPlayMode(std::uint32_t mode) override { return log("mode " + std::to_string(mode)), 0; }
    std::uint16_t getStatus() override { return log("status"), status; }

    void log(const std::string& call) { calls.push_back(call); }
    std::vector<std::string> calls;
    std::uint16_t openResult = 0;
    std::uint16_t songResult = 0;
    std::uint16_t status = 0;
};

using Calls = std::vector<std::string>;

struct Controller : testing::Test {
    RecordingLibrary library;
    std::vector<int> selected;
    MusicController music {library, "/kiro", [this](int kind) { selected.push_back(kind); }, false};
};

} // namespace

TEST_F(Controller, WithBgmOffNothingReachesTheLoader)
{
    music.setOff(true);
    EXPECT_EQ(music.openAndPlay(3), 0);
    music.play(4);
    music.suspend(-1);
    music.resume();
    music.close();
    music.selectEngine(1);
    EXPECT_FALSE(music.isPlaying());
    EXPECT_TRUE(library.calls.empty());
    EXPECT_TRUE(selected.empty());
}

TEST_F(Controller, ALoopingTuneGetsItsRepeatPointsAndPlayingItAgainDoesNotRestartIt)
{
    EXPECT_EQ(music.openAndPlay(3), 0);
    EXPECT_EQ(library.calls, (Calls {"open 0 0 0", "status", "setSong KIRO1.mid", "start", "repeat 96 864", "mode 2"}));
    library.calls.clear();
    library.status = 2;
    music.play(3);
    EXPECT_TRUE(library.calls.empty());
    // Another tune stops the one playing first; a tune that ends plays from its start once.
    music.play(1);
    EXPECT_EQ(library.calls, (Calls {"status", "stop", "setSong OPEN.mid", "start", "position 96", "mode 0"}));
    EXPECT_EQ(music.current(), 1);
    library.calls.clear();
    music.play(10);
    EXPECT_EQ(library.calls.back(), "mode 2");
    EXPECT_EQ(library.calls[library.calls.size() - 2], "repeat 96 5280");
}

TEST_F(Controller, ResumeRestartsTheSuspendedTuneFromItsStart)
{
    music.openAndPlay(4);
    library.status = 2;
    library.calls.clear();
    music.suspend(-1);
    EXPECT_EQ(library.calls, (Calls {"stop", "close"}));
    EXPECT_TRUE(music.suspended());
    music.suspend(-1); // already suspended: nothing
    EXPECT_EQ(library.calls.size(), 2u);
    library.calls.clear();
    library.status = 0;
    music.resume();
    EXPECT_EQ(library.calls, (Calls {"open 0 0 0", "status", "setSong KIRO2.mid", "start", "repeat 96 864", "mode 2"}));
    EXPECT_FALSE(music.suspended());
    library.calls.clear();
    music.resume(); // not suspended: nothing
    EXPECT_TRUE(library.calls.empty());
}

TEST_F(Controller, SuspendingWithATuneKeepsTheSuspendedOneForResume)
{
    music.openAndPlay(3);
    music.suspend(6);
    // The player is closed: only the status query reaches the loader.
    EXPECT_EQ(library.calls.back(), "status");
    EXPECT_EQ(music.current(), 3);
    library.calls.clear();
    music.resume();
    EXPECT_EQ(library.calls[2], "setSong KIRO1.mid");
}

TEST_F(Controller, AFailureSilencesTheMusicForGood)
{
    library.openResult = 15;
    EXPECT_EQ(music.openAndPlay(-1), 15);
    library.openResult = 0;
    library.calls.clear();
    EXPECT_EQ(music.openAndPlay(3), 0);
    music.suspend(-1);
    music.resume();
    music.close();
    for (const std::string& call : library.calls)
        EXPECT_EQ(call, "status") << "a failed player was called";
}

TEST_F(Controller, ASongThatCannotBeSetMarksThePlayerFailed)
{
    library.songResult = 3;
    music.openAndPlay(0);
    EXPECT_EQ(library.calls, (Calls {"open 0 0 0", "status", "setSong F1004216.mid"}));
    library.calls.clear();
    music.close();
    EXPECT_EQ(library.calls, (Calls {"status"}));
}

TEST_F(Controller, EngineChoiceAndUnknownTunes)
{
    music.selectEngine(0);
    music.selectEngine(1);
    music.selectEngine(2);
    EXPECT_EQ(selected, (std::vector<int> {0, 1}));
    music.openAndPlay(-1);
    library.calls.clear();
    music.play(11);
    music.play(-1);
    EXPECT_TRUE(library.calls.empty());
}

TEST(MusicControllerPaths, TunesAreFoundWhateverTheirLetterCase)
{
    const auto install = std::filesystem::path(testing::TempDir()) / "kiro-music-case";
    std::filesystem::create_directories(install / "Karaoke");
    std::ofstream(install / "Karaoke" / "kiro1.MID") << "x";
    RecordingLibrary library;
    MusicController music(library, install.string() + "/", nullptr, false);
    EXPECT_EQ(music.tunePath(3), (install / "Karaoke" / "kiro1.MID").string());
    std::filesystem::remove_all(install);
}
