#include "KrdWriter.h"

#include "player/KrdFormat.h"
#include "player/Songbox.h"
#include "player/TempFiles.h"
#include "player/TempKrd.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kiro::player;
using namespace kiro::player::test;

namespace {

class RecordingBoxes final : public MessageBoxes {
public:
    void showBox(const std::string& text, const std::string& title, kiro::BoxIcon) override { shown.push_back({text, title}); }
    kiro::ButtonAnswer askYesNo(const std::string&, const std::string&) override { return kiro::ButtonAnswer::Second; }
    std::vector<std::pair<std::string, std::string>> shown;
};

class FirstRandom final : public RandomSource {
public:
    std::size_t below(std::size_t) override { return 0; }
};

// A karaoke folder with a song, a program folder with pict/ and user/, and
// a temporary folder; the engine and the extractor are recorded.
class SongboxRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        karaoke = m_root / "karaoke";
        temp = m_root / "tmp";
        std::filesystem::create_directories(karaoke / "pict");
        std::filesystem::create_directories(karaoke / "user");
        std::filesystem::create_directories(temp);
        krd = karaoke / "SONG0001.KRD";
        writeBytes(karaoke / "SONG0001.mid", {'M', 'T', 'h', 'd'});
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }

    int run(const std::vector<std::string>& arguments)
    {
        extracted.clear();
        engineProgram.clear();
        engineArguments.clear();
        tempKrdSeen.clear();
        tempFilesSeen.clear();
        SongboxSetup setup;
        setup.messages = &boxes;
        setup.programFolder = karaoke;
        setup.temporaryFolder = temp;
        setup.random = &random;
        // The extractor stands in for the LZH one: an archive holds the
        // bitmap named after it (its bytes are the archive's) and a readme.
        setup.extract = [this](const std::filesystem::path& archive, const std::filesystem::path& folder) {
            extracted.push_back(archive);
            writeBytes(folder / (archive.stem().string() + ".bmp"), readBytes(archive));
            writeBytes(folder / "README.TXT", {'r'});
            return 0;
        };
        setup.runEngine = [this](const std::filesystem::path& program, const std::vector<std::string>& arguments) {
            engineProgram = program;
            engineArguments = arguments;
            tempKrdSeen = readBytes(temp / "_@temp.KRD");
            for (const auto& entry : std::filesystem::directory_iterator(temp))
                tempFilesSeen.push_back(entry.path().filename().string());
            std::sort(tempFilesSeen.begin(), tempFilesSeen.end());
        };
        Songbox songbox(std::move(setup));
        const int status = songbox.run(parseArguments(arguments));
        pictures = songbox.pictures();
        return status;
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& box : boxes.shown)
            out.push_back(box.first);
        return out;
    }

    bool tempFolderClean() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(temp)) {
            if (entry.path().filename().string().starts_with("_@temp"))
                return false;
        }
        return true;
    }

    std::filesystem::path m_root, karaoke, temp, krd;
    RecordingBoxes boxes;
    FirstRandom random;
    std::vector<std::filesystem::path> extracted;
    std::filesystem::path engineProgram;
    std::vector<std::string> engineArguments;
    Bytes tempKrdSeen;
    std::vector<std::string> tempFilesSeen;
    std::vector<PictureEntry> pictures;
};

const std::string kErrorLead = kErrorBoxLead;

} // namespace

TEST_F(SongboxRun, UsageAndRefusedFiles)
{
    EXPECT_EQ(run({}), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].first, "usage : songbox <fullPath KRD> [-quser]\nmainVersion : 090 songboxVersion : 090 ");

    boxes.shown.clear();
    EXPECT_EQ(run({(karaoke / "NONE.KRD").string()}), 1);
    EXPECT_EQ(texts(), std::vector<std::string>{kErrorLead + (karaoke / "NONE.KRD").string() + " file not found"});

    const struct {
        Bytes bytes;
        std::vector<std::string> messages;
    } refused[] = {
        {Bytes(10, '8'), {kErrorLead + kMsgReadError, kErrorLead + kMsgVersionMismatch}},
        {Bytes(40, 'J'), {kErrorLead + kMsgOldData, kErrorLead + kMsgVersionMismatch}},
        {KrdWriter(0, 91).end().bytes(), {kErrorLead + kMsgVersionMismatch}},
    };
    for (const auto& file : refused) {
        boxes.shown.clear();
        writeBytes(krd, file.bytes);
        EXPECT_EQ(run({krd.string()}), 1);
        EXPECT_EQ(texts(), file.messages);
        EXPECT_TRUE(engineProgram.empty());
    }
}

TEST_F(SongboxRun, BrokenStreamsEndTheRunBeforeAnyFileIsWritten)
{
    KrdWriter().command(0x7F).end().save(krd);
    EXPECT_EQ(run({krd.string()}), 1);
    EXPECT_EQ(texts(), std::vector<std::string>{"Undefined Command found : 7f"});
    EXPECT_TRUE(engineProgram.empty());

    boxes.shown.clear();
    KrdWriter().pictureByNumber({}, 1).save(krd); // no end command
    EXPECT_EQ(run({krd.string()}), 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].first.find("past end of file"), std::string::npos);
    EXPECT_TRUE(engineProgram.empty());
    EXPECT_TRUE(tempFolderClean());
}

TEST_F(SongboxRun, PreparesPicturesRunsTheEngineAndCleansUp)
{
    const Seven zero{};
    writeBytes(karaoke / "pict" / "00000001.lzh", {'o', 'n', 'e'});
    writeBytes(karaoke / "pict" / (exactArchiveName({}, 2) + ".LZH"), {'t', 'w', 'o'});
    writeBytes(karaoke / "pict" / "COVER.lzh", {'c'});
    writeBytes(temp / "_@temp7.bmp", {0}); // left by an earlier run
    KrdWriter()
        .pictureSlot()
        .pictureByNumber(zero, 1)
        .command(128, {1, 2, 3})
        .pictureByAttributes(zero, {}, "bmp")
        .namedPicture("COVER")
        .namedPicture("../outside")
        .end()
        .save(krd);

    EXPECT_EQ(run({krd.string(), "-quser", "-H0000001F"}), 0);
    // The user folder is empty: the first picture copy fails, and the
    // engine still runs; "-quser" is never passed on.
    EXPECT_EQ(texts(), (std::vector<std::string>{kMsgCommand128, kErrorLead + kMsgBmpDiskFull}));
    EXPECT_EQ(engineProgram, karaoke / "songbox1");
    EXPECT_EQ(engineArguments, (std::vector<std::string>{(temp / "_@temp.KRD").string(), "-H0000001F"}));
    EXPECT_TRUE(extracted.empty());
    EXPECT_TRUE(tempFolderClean());

    // Without -quser the pictures come from the archives.
    boxes.shown.clear();
    writeBytes(temp / "_@temp7.bmp", {0});
    EXPECT_EQ(run({krd.string(), "-h12345678"}), 0);
    EXPECT_EQ(texts(), std::vector<std::string>{kMsgCommand128});
    EXPECT_EQ(engineArguments, (std::vector<std::string>{(temp / "_@temp.KRD").string(), "-h12345678"}));
    ASSERT_EQ(pictures.size(), 5u);
    EXPECT_EQ(pictures[0].tempName, "_@temp0");
    EXPECT_EQ(pictures[4].tempName, "_@temp3");
    EXPECT_EQ(pictures[4].source, "");
    // The escaping code-7 name never reached the extractor.
    ASSERT_EQ(extracted.size(), 3u);
    for (const auto& archive : extracted)
        EXPECT_EQ(archive.parent_path(), karaoke / "pict");
    // What the engine saw: the MIDI copy, one bitmap per archive picture,
    // the readme left by extraction, and the earlier run's bitmap (the
    // clean-up happens after the engine).
    EXPECT_EQ(tempFilesSeen, (std::vector<std::string>{"README.TXT", "_@temp.KRD", "_@temp.mid", "_@temp0.bmp",
                                                       "_@temp1.bmp", "_@temp2.bmp", "_@temp7.bmp"}));
    EXPECT_EQ(readTempKrdPictures(tempKrdSeen).tempNames,
              (std::vector<std::string>{"_@temp0", "_@temp0", "_@temp1", "_@temp2", "_@temp3"}));
    EXPECT_TRUE(tempFolderClean());
    EXPECT_TRUE(std::filesystem::exists(temp / "README.TXT")); // not ours to delete
}

TEST_F(SongboxRun, UserPicturesAndTheMidiCopyRetry)
{
    writeBytes(karaoke / "user" / "me.bmp", {'m', 'e'});
    KrdWriter().pictureByNumber({}, 1).pictureSlot().pictureByNumber({}, 2).end().save(krd);
    EXPECT_EQ(run({krd.string(), "-quser"}), 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(engineArguments, std::vector<std::string>{(temp / "_@temp.KRD").string()});
    EXPECT_EQ(tempFilesSeen, (std::vector<std::string>{"_@temp.KRD", "_@temp.mid", "_@temp0.bmp", "_@temp1.bmp"}));

    // No MIDI file: the first copy fails, earlier temporary files go, the
    // second copy fails too, and the song is still handed to the engine.
    std::filesystem::remove(karaoke / "SONG0001.mid");
    writeBytes(temp / "_@temp3.bmp", {0});
    writeBytes(temp / "_@tempOLD", {0});
    EXPECT_EQ(run({krd.string(), "-quser"}), 0);
    EXPECT_EQ(texts(), std::vector<std::string>{kMsgMidiDiskFull});
    EXPECT_EQ(tempFilesSeen, std::vector<std::string>{"_@temp.KRD"});
    EXPECT_TRUE(tempFolderClean());
}

TEST_F(SongboxRun, BareSongNameFindsItsMidiAndEngineInTheCurrentFolder)
{
    std::filesystem::rename(karaoke / "SONG0001.mid", karaoke / "SONG0001.MID");
    KrdWriter().pictureByNumber({}, 1).end().save(krd);
    writeBytes(karaoke / "pict" / "00000001.lzh", {'1'});

    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(karaoke);
    const int status = run({"SONG0001.KRD"});
    std::filesystem::current_path(before);

    EXPECT_EQ(status, 0);
    EXPECT_TRUE(boxes.shown.empty());
    // The engine beside the song, not one found along PATH.
    EXPECT_EQ(engineProgram, std::filesystem::path(".") / "songbox1");
    EXPECT_EQ(tempFilesSeen, (std::vector<std::string>{"README.TXT", "_@temp.KRD", "_@temp.mid", "_@temp0.bmp"}));
}

TEST_F(SongboxRun, PictureFoldersSpelledAsTheClientNamesThem)
{
    // The client's picture settings call them karaoke/Pict and karaoke/User.
    std::filesystem::remove(karaoke / "pict");
    std::filesystem::remove(karaoke / "user");
    std::filesystem::create_directories(karaoke / "Pict");
    std::filesystem::create_directories(karaoke / "User");
    writeBytes(karaoke / "Pict" / "00000001.lzh", {'1'});
    writeBytes(karaoke / "Pict" / "00000002.lzh", {'2'});
    writeBytes(karaoke / "User" / "me.bmp", {'m'});
    KrdWriter().pictureByNumber({}, 1).pictureByAttributes({}, {}).end().save(krd);

    EXPECT_EQ(run({krd.string()}), 0);
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(extracted.size(), 2u);
    EXPECT_EQ(extracted[0], karaoke / "Pict" / "00000001.lzh");
    EXPECT_EQ(extracted[1].parent_path(), karaoke / "Pict");
    const std::vector<std::string> prepared{"README.TXT", "_@temp.KRD", "_@temp.mid", "_@temp0.bmp", "_@temp1.bmp"};
    EXPECT_EQ(tempFilesSeen, prepared);

    EXPECT_EQ(run({krd.string(), "-quser"}), 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(tempFilesSeen, prepared);
}

TEST_F(SongboxRun, UnwritableTempKrdEndsTheRun)
{
    KrdWriter().end().save(krd);
    std::filesystem::create_directories(temp / "_@temp.KRD"); // cannot be opened as a file
    EXPECT_EQ(run({krd.string()}), 1);
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown[0].first, (temp / "_@temp.KRD").string() + " file can not open : Maybe Disk full");
    EXPECT_EQ(boxes.shown[0].second, "makeTempKrd");
    EXPECT_TRUE(engineProgram.empty());
}

TEST_F(SongboxRun, LinksPlantedInTheTemporaryFolderAreNeverFollowed)
{
    // Another user's trap: the temporary names point at files of ours.
    writeBytes(m_root / "victim.krd", {'v'});
    writeBytes(m_root / "victim.mid", {'w'});
    writeBytes(m_root / "victim.bmp", {'x'});
    std::filesystem::create_symlink(m_root / "victim.krd", temp / "_@temp.KRD");
    std::filesystem::create_symlink(m_root / "victim.mid", temp / "_@temp.mid");
    std::filesystem::create_symlink(m_root / "victim.bmp", temp / "_@temp0.bmp");
    writeBytes(karaoke / "user" / "me.bmp", {'m'});
    KrdWriter().pictureByNumber({}, 1).end().save(krd);

    EXPECT_EQ(run({krd.string(), "-quser"}), 0);
    EXPECT_FALSE(tempKrdSeen.empty());
    EXPECT_EQ(readBytes(m_root / "victim.krd"), Bytes{'v'});
    EXPECT_EQ(readBytes(m_root / "victim.mid"), Bytes{'w'});
    EXPECT_EQ(readBytes(m_root / "victim.bmp"), Bytes{'x'});
}

TEST(TempFiles, KrdLoadRefusesWhatIsNotARegularFile)
{
    EXPECT_EQ(loadKrdFile("/dev/zero").error, "/dev/zero is not a regular file");
    const auto folder = freshFolder("notregular");
    EXPECT_FALSE(loadKrdFile(folder).error.empty());
    // A file much larger than the first buffer arrives whole.
    Bytes big(1 << 20);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 7);
    writeBytes(folder / "big.krd", big);
    const LoadedKrd loaded = loadKrdFile(folder / "big.krd");
    EXPECT_EQ(loaded.bytes, big);
    EXPECT_GE(loaded.bufferSize, big.size() + 32);
    std::filesystem::remove_all(folder);
}

TEST(TempFiles, LoadGrowsTheBufferAndDeletionRetries)
{
    const auto folder = freshFolder("tempfiles");
    writeBytes(folder / "small", Bytes(16384 - 32, 1));
    EXPECT_EQ(loadKrdFile(folder / "small").bufferSize, 16384u);
    writeBytes(folder / "edge", Bytes(16384 - 31, 1));
    const LoadedKrd edge = loadKrdFile(folder / "edge");
    EXPECT_EQ(edge.bufferSize, 32768u);
    EXPECT_EQ(edge.bytes.size(), 16384u - 31);
    writeBytes(folder / "big", Bytes(40000, 2));
    EXPECT_EQ(loadKrdFile(folder / "big").bytes, Bytes(40000, 2));
    EXPECT_FALSE(loadKrdFile(folder / "missing").error.empty());

    writeBytes(folder / "_@temp0.bmp", {0});
    ::chmod((folder / "_@temp0.bmp").c_str(), 0);
    std::filesystem::create_directories(folder / "_@tempdir");
    writeBytes(folder / "keep_@temp", {0});
    EXPECT_TRUE(deleteTempFiles(folder).ok);
    EXPECT_FALSE(std::filesystem::exists(folder / "_@temp0.bmp"));
    EXPECT_TRUE(std::filesystem::exists(folder / "_@tempdir"));
    EXPECT_TRUE(std::filesystem::exists(folder / "keep_@temp"));
    std::filesystem::remove_all(folder);
}
