// Playing the reservation list with the real player programs: songbox
// prepares each song and starts songbox1, which ends at once in its no-wait
// mode (set for this test program).
#include "PlaybackFixture.h"
#include "player/tests/KrdWriter.h"

#include "client/app/AppFolders.h"
#include "client/app/ClientSettings.h"
#include "client/app/ScriptedPrompt.h"
#include "client/catalogue/ReservationPlayer.h"
#include "client/music/BackgroundMusic.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/resource.h>

namespace fs = std::filesystem;
using kiro::app::PromptAnswer;
using kiro::app::ScriptedPrompt;
using namespace kiro::catalogue;

namespace {

const std::string kNext = "次の曲を再生します。\nよろしいですか？";
const std::string kAllPlayed = "予約された曲の演奏が、\n全て終りました。";

// Remembers what the player asked of the music and the screen.
struct Recorder : kiro::music::BackgroundMusic, PlaybackScreen {
    std::vector<std::string> calls;
    int enabledChanges = 0;
    bool enabled = true;
    int deletedReported = 0;

    int openAndPlay(int index) override
    {
        calls.push_back("openAndPlay " + std::to_string(index));
        return 0;
    }
    void play(int index) override { calls.push_back("play " + std::to_string(index)); }
    void close() override { calls.push_back("close"); }
    void suspend(int index) override { calls.push_back("suspend " + std::to_string(index)); }
    void resume() override { calls.push_back("resume"); }
    void selectEngine(int) override { }
    bool off() const override { return false; }
    void setOff(bool) override { }
    bool isPlaying() override { return false; }
    int current() const override { return -1; }

    void setScreenEnabled(bool on) override
    {
        enabled = on;
        ++enabledChanges;
    }
    std::uint32_t playerWindowId() const override { return 0x1F; }
    void pumpEvents() override { }
    void bringToFront() override { }
    void showLaunchFailure(const std::string& caption, const std::string& text) override
    {
        calls.push_back(caption + " " + text);
    }
    void oneTimeSongsDeleted(int count) override { deletedReported += count; }
};

struct Playback : CatalogueFixture {
    kiro::app::ClientSettings settings;
    kiro::app::AppFolders folders;
    ScriptedPrompt prompt {{}, PromptAnswer::First};
    Recorder recorder;

    explicit Playback(const std::string& tag)
        : CatalogueFixture(tag)
    {
        folders = kiro::app::AppFolders::fromInstallFolder(install.string());
        for (const char* program : {"songbox", "songbox1"})
            fs::copy_file(fs::path(KIRO_BIN_DIR) / program, install / "karaoke" / program);
        fs::create_directories(install / "karaoke" / "Pict");
        fs::create_directories(install / "tmp");
        // songbox's temporary files go to the install folder's tmp/.
        if (const char* previous = std::getenv("TMPDIR"))
            m_previousTmpdir = previous;
        ::setenv("TMPDIR", (install / "tmp").c_str(), 1);
        settings.ComSingle = 0;
    }
    ~Playback()
    {
        if (m_previousTmpdir)
            ::setenv("TMPDIR", m_previousTmpdir->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    std::optional<std::string> m_previousTmpdir;

    // A downloaded song: its KRD and MIDI file in karaoke/.
    void song(int course, const std::string& code, int linkSign = 0, const std::string& setCode = {})
    {
        product(course, code, code + ".LZH", 1, linkSign, setCode);
        kiro::player::test::KrdWriter().end().save(install / "karaoke" / (code + ".KRD"));
        songFile("karaoke/" + code + ".MID");
    }

    ReservationPlayer player(int course)
    {
        return ReservationPlayer(db, course, settings, folders, prompt, recorder, recorder);
    }

    std::vector<std::string> questions() const
    {
        std::vector<std::string> texts;
        for (const auto& record : prompt.records()) {
            if (record.kind == ScriptedPrompt::Kind::Question)
                texts.push_back(record.text);
        }
        return texts;
    }
};

// A player that is not songbox: a script in karaoke/ under the player's name.
void replacePlayer(const fs::path& install, const std::string& script)
{
    fs::path path = install / "karaoke" / "songbox";
    fs::remove(path);
    std::ofstream(path) << "#!/bin/sh\n" << script << "\n";
    fs::permissions(path, fs::perms::owner_all);
}

} // namespace

TEST(PlayReservations, ASetAndItsSongsPlayWithAQuestionBetweenSongsOnly)
{
    Playback p("play-set");
    p.product(50, "SET", "SET.LZH", 1, 1);
    p.reserve(50, "SET", 1, true);
    int rank = 2;
    for (const char* code : {"SA", "SB", "SC"}) {
        p.song(50, code, 2, "SET");
        p.reserve(50, code, rank++, true);
    }
    auto player = p.player(50);
    player.PlayReservations();

    EXPECT_EQ(player.lastRun().played, 3);
    EXPECT_EQ(p.questions(), (std::vector<std::string> {kNext, kNext}));
    EXPECT_EQ(p.prompt.texts().back(), kAllPlayed);
    EXPECT_EQ(p.count("予約テーブル"), 0);
    // Keeping reservations: the songs stay on the disk.
    EXPECT_EQ(p.downloaded(50, "SB"), "1");
    EXPECT_TRUE(fs::exists(p.install / "karaoke" / "SB.KRD"));
    EXPECT_EQ(p.recorder.calls, (std::vector<std::string> {"suspend -1", "close", "openAndPlay -1", "resume"}));
    EXPECT_TRUE(p.recorder.enabled);
}

TEST(PlayReservations, NoAfterTheFirstSongKeepsTheSecondReserved)
{
    Playback p("play-stop");
    p.song(10, "K1");
    p.song(10, "K2");
    p.reserve(10, "K1", 1, false);
    p.reserve(10, "K2", 2, true);
    p.prompt.addAnswer(PromptAnswer::Second);
    auto player = p.player(10);
    player.PlayReservations();

    EXPECT_EQ(p.prompt.texts().back(), "演奏を中断しました。");
    EXPECT_EQ(p.count("予約テーブル"), 1);
    EXPECT_EQ(p.count("予約テーブル", "商品コード = 'K2'"), 1);
    // The one-time song was deleted after it played.
    EXPECT_EQ(p.downloaded(10, "K1"), "0");
    EXPECT_FALSE(fs::exists(p.install / "karaoke" / "K1.KRD"));
    EXPECT_FALSE(fs::exists(p.install / "karaoke" / "K1.MID"));
    EXPECT_EQ(p.recorder.deletedReported, 1);
    EXPECT_EQ(p.downloaded(10, "K2"), "1");
}

TEST(PlayReservations, NothingDownloadedNothingReservedAndNoSoundModule)
{
    Playback p("play-none");
    auto player = p.player(10);
    player.PlayReservations();
    EXPECT_EQ(p.prompt.texts(), (std::vector<std::string> {"１曲以上予約してください。"}));
    EXPECT_TRUE(p.recorder.calls.empty());

    p.product(10, "K1", "K1.LZH", 0);
    p.reserve(10, "K1", 1, false);
    p.prompt.clear();
    player.PlayReservations();
    EXPECT_EQ(p.prompt.texts().back(), "予約された曲には\nダウンロードされた曲が\n一曲もありませんでした。");
    EXPECT_EQ(p.count("予約テーブル"), 1);

    // Modem and sound module on one port: "いいえ" plays nothing.
    p.settings.ComSingle = 1;
    p.prompt.clear();
    p.prompt.addAnswer(PromptAnswer::Second);
    p.recorder.calls.clear();
    player.PlayReservations();
    EXPECT_EQ(p.prompt.texts(), (std::vector<std::string> {"パソコンに\n音源が接続されて\nいますか？"}));
    EXPECT_TRUE(p.recorder.calls.empty());
    EXPECT_TRUE(p.recorder.enabled);
}

TEST(PlayReservations, APlayerThatCannotStartOrIsKilledEndsThePlayingSafely)
{
    Playback p("play-fail");
    p.song(10, "K1");
    p.song(10, "K2");
    p.reserve(10, "K1", 1, false);
    p.reserve(10, "K2", 2, false);
    errno = 0;
    const int priorityBefore = ::getpriority(PRIO_PROCESS, 0);

    fs::remove(p.install / "karaoke" / "songbox");
    auto player = p.player(10);
    player.PlayReservations();
    EXPECT_EQ(p.recorder.calls, (std::vector<std::string> {"suspend -1", "close", "(T_T) Failed to launch the KARAOKE!",
                                    "openAndPlay -1", "resume"}));
    EXPECT_TRUE(p.prompt.texts().empty()); // no end message after a failed start
    EXPECT_EQ(p.count("予約テーブル"), 2);

    // Killed while playing: reported as not played; the song and its
    // reservation stay, and the client's priority is back where it was.
    replacePlayer(p.install, "kill -KILL $$");
    p.recorder.calls.clear();
    player.PlayReservations();
    EXPECT_EQ(p.recorder.calls.at(2), "(T_T) Failed to launch the KARAOKE!");
    EXPECT_EQ(p.count("予約テーブル"), 2);
    EXPECT_EQ(p.downloaded(10, "K1"), "1");
    EXPECT_TRUE(fs::exists(p.install / "karaoke" / "K1.KRD"));
    EXPECT_EQ(::getpriority(PRIO_PROCESS, 0), priorityBefore);
    EXPECT_FALSE(player.playerRunning());
}

TEST(PlayReservations, ThePlayerGetsTheSongThePictureOptionAndTheWindow)
{
    Playback p("play-args");
    p.song(10, "K1");
    fs::rename(p.install / "karaoke" / "K1.KRD", p.install / "karaoke" / "k1.krd");
    p.reserve(10, "K1", 1, true);
    replacePlayer(p.install, "printf '%s|' \"$@\" > \"$(dirname \"$0\")/args.txt\"");
    p.settings.UserBGV = 1;
    auto player = p.player(10);
    player.PlayReservations();
    std::ifstream in(p.install / "karaoke" / "args.txt");
    std::string args((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(args, (p.install / "karaoke" / "k1.krd").string() + "|-quser|-H0000001F|");

    p.reserve(10, "K1", 2, true);
    p.settings.UserBGV = 0;
    player.PlayReservations();
    std::ifstream again(p.install / "karaoke" / "args.txt");
    std::string second((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
    EXPECT_EQ(second, (p.install / "karaoke" / "k1.krd").string() + "|-H0000001F|");
}
