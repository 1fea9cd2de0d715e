#include "common/Cp932.h"
#include "tools/hostsim/ForumService.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace kiro::hostsim;
namespace fs = std::filesystem;

namespace {

std::string sj(const char* utf8) { return kiro::cp932::fromUtf8(utf8); }

struct ForumFolder {
    fs::path root;
    ForumFolder()
    {
        char pattern[] = "/tmp/kiro-forum-XXXXXX";
        root = ::mkdtemp(pattern);
        write("forum.txt", "member = ABC01234\nroom = 3 バージョンアップ\nlibrary = 3 データ\n");
        write("room3/12.txt", "From: KIROOPE\nDate: 12/01 10:00\nTitle: D0036 E 新曲\n\n新曲\nDB 0036\n3,12\n%KIRO%\\\n");
        write("lib3/12.lzh", "archive");
    }
    ~ForumFolder() { fs::remove_all(root); }
    void write(const std::string& name, const std::string& text)
    {
        fs::create_directories((root / name).parent_path());
        std::ofstream(root / name, std::ios::binary) << text;
    }
    std::string say(ForumService& forum, const std::string& typed)
    {
        std::string command;
        for (char c : typed)
            command.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        auto reply = forum.line(typed, command);
        return reply ? reply->text : "<left>";
    }
};

} // namespace

TEST(ForumService, ListsMessagesInTheColumnsTheClientReads)
{
    ForumFolder folder;
    ForumService forum(folder.root.string());
    EXPECT_TRUE(forum.isGoCommand("GO KIROFORM"));
    const std::string top = forum.enter("abc01234").text;
    EXPECT_EQ(top.find(sj("3:入会手続き")), std::string::npos) << "a member sees the forum menu";
    folder.say(forum, "3");
    const std::string room = folder.say(forum, "3");
    EXPECT_EQ(room.substr(room.size() - 4), sj("\r\n＞"));
    const std::string list = folder.say(forum, "rm");
    const std::size_t at = list.find("  12 ");
    ASSERT_NE(at, std::string::npos) << list;
    const std::string line = list.substr(at, list.find("\r\n", at) - at);
    EXPECT_EQ(line.substr(14, 11), "12/01 10:00");
    EXPECT_EQ(line.substr(36, 5), "D0036");
    EXPECT_EQ(line[42], 'E');

    EXPECT_NE(folder.say(forum, "#12").find(sj("\r\n電子会議 (改行のみ:")), std::string::npos);
    EXPECT_NE(folder.say(forum, "#13").find(sj("◆番号又はコマンドを入力して下さい◆")), std::string::npos);
    EXPECT_EQ(folder.say(forum, "bye"), "<left>");
    EXPECT_FALSE(forum.inside());
}

TEST(ForumService, NonMembersJoinAndLibrariesSendTheirData)
{
    ForumFolder folder;
    ForumService forum(folder.root.string());
    const std::string top = forum.enter("NEW00001").text;
    EXPECT_NE(top.find(sj("3:入会手続き\r\n＞")), std::string::npos);
    for (const char* answer : {"3", "", "1"})
        EXPECT_NE(folder.say(forum, answer).rfind(sj("\r\n：")), std::string::npos) << answer;
    EXPECT_NE(folder.say(forum, "1").find(sj(" 4:データライブラリ")), std::string::npos);

    folder.say(forum, "4");
    folder.say(forum, "10");
    folder.say(forum, "3");
    EXPECT_NE(folder.say(forum, "DOWn 99 PROT:BPL").find(sj("そのデータはありません。")), std::string::npos);
    EXPECT_NE(folder.say(forum, "DOWn 12 PROT:BPL").find(sj("\r\n：")), std::string::npos);
    folder.say(forum, "1");
    // The caller names the file; a name with a folder part is refused.
    EXPECT_EQ(forum.line("../X.VUM", "../X.VUM")->transfer, std::nullopt);
    folder.say(forum, "DOWn 12 PROT:BPL");
    folder.say(forum, "1");
    const auto reply = forum.line("D003601.VUM", "D003601.VUM");
    ASSERT_TRUE(reply && reply->transfer);
    EXPECT_EQ(reply->transfer->file, "D003601.VUM");
    EXPECT_EQ(fs::path(reply->transfer->source), folder.root / "lib3" / "12.lzh");
}
