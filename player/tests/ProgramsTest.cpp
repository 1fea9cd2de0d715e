// The programs themselves: kiro-krd, and songbox running the songbox1
// stand-in from a temporary install folder.
#include "KrdWriter.h"

#include "common/tests/ShellRun.h"

#include "player/ArchiveName.h"
#include "player/KrdFormat.h"
#include "player/TempKrd.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include <unistd.h>
#include <sys/wait.h>

using namespace kiro::player;
using namespace kiro::player::test;

namespace {

using Outcome = ShellOutcome;

// Standard output and standard error together.
Outcome shell(const std::string& command)
{
    return runShell(command + " 2>&1");
}

std::string shellQuoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

const std::string kBin = KIRO_BIN_DIR;

// A one-track MIDI file: 480 ticks per quarter, one quarter at 120 bpm.
Bytes smallMidi()
{
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 13,
            0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0};
}

} // namespace

TEST(KrdTool, ChecksDumpsAndRewrites)
{
    const auto folder = freshFolder("krdtool");
    const Bytes song = KrdWriter().pictureByNumber({}, 1).text("").pictureSlot().command(128, {1, 2, 3}).end().bytes();
    writeBytes(folder / "good.KRD", song);
    writeBytes(folder / "old.KRD", KrdWriter(0, 80).end().bytes());
    writeBytes(folder / "cut.KRD", KrdWriter().text("abc").bytes());

    const auto krd = shellQuoted(kBin + "/kiro-krd");
    Outcome good = shell(krd + " check " + shellQuoted(folder / "good.KRD"));
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.output, std::string(kMsgCommand128) + "\n");
    Outcome old = shell(krd + " check " + shellQuoted(folder / "old.KRD"));
    EXPECT_EQ(old.status, 1);
    EXPECT_EQ(old.output, std::string(kMsgVersionMismatch) + "\n");
    Outcome cut = shell(krd + " check " + shellQuoted(folder / "cut.KRD"));
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.output.find("past end of file"), std::string::npos);
    EXPECT_EQ(shell(krd + " frobnicate").status, 2);
    EXPECT_EQ(shell(krd + " --help").status, 0);
    // A device is not a KRD file: refused at once instead of read forever.
    Outcome device = shell(krd + " check /dev/zero");
    EXPECT_EQ(device.status, 1);
    EXPECT_NE(device.output.find("/dev/zero is not a regular file"), std::string::npos) << device.output;

    Outcome dump = shell(krd + " dump " + shellQuoted(folder / "good.KRD"));
    EXPECT_EQ(dump.status, 0);
    EXPECT_NE(dump.output.find("00000036     1      18\n"), std::string::npos) << dump.output;
    EXPECT_NE(dump.output.find("0000004d     2       8\n"), std::string::npos) << dump.output;
    EXPECT_NE(dump.output.find("pictures: 2\n"), std::string::npos);
    EXPECT_NE(dump.output.find("row 0: code 1 exact 1 name \"00000001\" extension \"lzh\" temp _@temp0"), std::string::npos)
        << dump.output;

    EXPECT_EQ(shell(krd + " tempkrd " + shellQuoted(folder / "good.KRD") + " " + shellQuoted(folder / "out.krd")).status, 0);
    KrdReading reading = readKrdCommands(song);
    assignTempNames(reading.pictures);
    EXPECT_EQ(readBytes(folder / "out.krd"), writeTempKrd(song, reading.pictures).bytes);
    std::filesystem::remove_all(folder);
}

TEST(SongboxProgram, ShowsUsageWithoutArguments)
{
    Outcome usage = shell("KIRO_MESSAGES=stderr " + shellQuoted(kBin + "/songbox"));
    EXPECT_EQ(usage.status, 0);
    EXPECT_NE(usage.output.find("usage : songbox <fullPath KRD> [-quser]\nmainVersion : 090 songboxVersion : 090 "),
              std::string::npos)
        << usage.output;
}

TEST(SongboxProgram, PlaysASongWithTheStandInEngine)
{
    // An install folder: karaoke/ holds the programs, the song and pict/.
    const auto install = freshFolder("e2e");
    const auto karaoke = install / "karaoke";
    const auto temp = install / "tmp";
    std::filesystem::create_directories(karaoke / "pict");
    std::filesystem::create_directories(temp);
    for (const char* program : {"songbox", "songbox1"})
        std::filesystem::copy_file(kBin + "/" + program, karaoke / program);

    const bool withArchives = std::getenv("KIRO_HAVE_LZH") != nullptr;
    if (withArchives) {
        // Two archives equal in every attribute, each holding the bitmap
        // named after it and a second member.
        const auto work = install / "work";
        std::filesystem::create_directories(work);
        for (int number : {1, 2}) {
            const std::string name = exactArchiveName({}, static_cast<std::uint8_t>(number));
            writeBytes(work / (name + ".bmp"), {'B', 'M', static_cast<std::uint8_t>(number)});
            writeBytes(work / "NOTE.TXT", {'n'});
            Outcome made = shell("cd " + shellQuoted(work) + " && lha aq " + shellQuoted(karaoke / "pict" / (name + ".lzh")) + " " +
                                 name + ".bmp NOTE.TXT");
            ASSERT_EQ(made.status, 0) << made.output;
        }
    }
    writeBytes(karaoke / "SONG.mid", smallMidi());
    // TMPDIR holds the player's private folder.
    const auto privateTemp = temp / ("kiro-" + std::to_string(::getuid()));
    std::filesystem::create_directories(privateTemp);
    std::filesystem::permissions(privateTemp, std::filesystem::perms::owner_all);
    writeBytes(privateTemp / "_@temp9.bmp", {0}); // an earlier run's leftover
    KrdWriter()
        .pictureByNumber({}, 1)
        .pictureSlot()
        .pictureByAttributes({}, {}, "bmp", 6)
        .end()
        .save(karaoke / "SONG.KRD");

    Outcome run = shell("cd " + shellQuoted(karaoke) + " && TMPDIR=" + shellQuoted(temp) +
                        " SONGBOX1_NO_WAIT=1 KIRO_MESSAGES=stderr ./songbox " + shellQuoted(karaoke / "SONG.KRD") +
                        " -quser -H0000001F");
    // "-quser" with no user folder: the bitmaps stay absent.
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Copy bmp : Disk Full."), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("songbox1: 3 picture commands, 2 bitmaps, 2 missing, length 500 ms, window -H0000001F"),
              std::string::npos)
        << run.output;

    run = shell("cd " + shellQuoted(karaoke) + " && TMPDIR=" + shellQuoted(temp) + " SONGBOX1_NO_WAIT=1 KIRO_MESSAGES=stderr ./songbox " +
                shellQuoted(karaoke / "SONG.KRD") + " -H0000001F");
    EXPECT_EQ(run.status, 0) << run.output;
    if (withArchives)
        EXPECT_NE(run.output.find("songbox1: 3 picture commands, 2 bitmaps, 0 missing, length 500 ms"), std::string::npos)
            << run.output;
    else
        EXPECT_NE(run.output.find("songbox1: 3 picture commands"), std::string::npos) << run.output;

    for (const auto& entry : std::filesystem::directory_iterator(privateTemp))
        EXPECT_FALSE(entry.path().filename().string().starts_with("_@temp")) << entry.path();
    std::filesystem::remove_all(install);
}
