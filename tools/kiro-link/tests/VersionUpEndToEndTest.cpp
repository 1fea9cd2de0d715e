// The version-up job against the host stand-in's forum, then the updates
// applied as the client does at its next start.
#include "common/Cp932.h"
#include "tools/hostsim/tests/HostSimProcess.h"
#include "tools/kiro-link/tests/LinkFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using kiro::testing::HostSimProcess;
using kiro::testing::LinkFixture;
using kiro::testing::LinkResult;

namespace {

namespace fs = std::filesystem;

void writeText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

LinkResult shell(const std::string& command)
{
    LinkResult result;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// An update archive as the operator posts it: the database script that adds
// one song, packed with jlha.
bool songArchive(const fs::path& archive, const std::string& code, const std::string& title)
{
    const fs::path work = archive.parent_path() / ("work-" + archive.stem().string());
    writeText(work / "$KrDBUPD.SQL",
              kiro::cp932::fromUtf8("INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, 歌手名) VALUES ('010', '" + code +
                                    "', '" + title + "', 'テスト');\r\n"));
    const std::string command =
        "cd '" + work.string() + "' && jlha a '" + archive.string() + "' '$KrDBUPD.SQL' >/dev/null 2>&1";
    const bool made = std::system(command.c_str()) == 0 && fs::exists(archive);
    fs::remove_all(work);
    return made;
}

void message(const fs::path& forum, int number, const std::string& title, const std::string& body)
{
    writeText(forum / "room3" / (std::to_string(number) + ".txt"),
              "From: KIROOPE\nDate: 09/0" + std::to_string(number) + " 10:00\nTitle: " + title + "\n\n" + body);
}

} // namespace

TEST(VersionUpEndToEnd, FetchDownloadAndApply)
{
    LinkFixture link;
    const fs::path forum = link.path("forum");
    writeText(forum / "forum.txt", "title = KIRO\nroom = 3 バージョンアップ\nlibrary = 3 バージョンアップデータ\n");
    if (!songArchive(forum / "lib3" / "12.lzh", "V0036001", "新曲その一") ||
        !songArchive(forum / "lib3" / "13.lzh", "V0036002", "新曲その二") ||
        !songArchive(forum / "lib3" / "14.lzh", "V0037001", "新曲その三"))
        GTEST_SKIP() << "jlha is not installed";
    message(forum, 1, "D0035 E 古い更新", "old\nv35\n3,12\n%KIRO%\n");
    message(forum, 2, "P0050 E プログラム", "program\nv50\n3,12\n%KIRO%\n");
    message(forum, 3, "D0036 E 新曲追加", "新曲追加 第1弾\nDB 0036\n3,12\n%KIRO%\\\n3,13\n%KIRO%\n\n");
    message(forum, 4, "D0037 E 新曲追加", "新曲追加 第2弾\nDB 0037\n3,14\n%KIRO%\\\n");
    message(forum, 5, "D0038 E 空", "\nlate\nv\n3,14\n%KIRO%\n");
    // A folder that would lead outside the install folder is never recorded.
    message(forum, 6, "D0039 E 外へ", "escape\nv39\n3,14\n%KIRO%\\..\\..\n");

    const fs::path install = link.install();
    fs::create_directories(install / "sysfile");
    const std::string kiroDb = std::string("'") + KIRO_BIN_DIR + "/kiro-db'";
    ASSERT_EQ(shell(kiroDb + " create '" + (install / "sysfile/KIRODB.MDB").string() + "'").exitCode, 0);

    const fs::path hostLog = link.path("host.log");
    HostSimProcess host({"--member", "ABC01234:secret", "--forum", forum.string()}, hostLog.string());
    link.phoneBook("Default", host.port());
    LinkResult r = link.run("versionup", 20);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("[recorded] D0036 01 新曲追加 第1弾")) << r.output;
    EXPECT_TRUE(r.has("[recorded] D0037 01 新曲追加 第2弾"));
    EXPECT_FALSE(r.has("D0035"));
    EXPECT_FALSE(r.has("P0050"));
    EXPECT_FALSE(r.has("D0038"));
    EXPECT_FALSE(r.has("D0039"));
    EXPECT_TRUE(r.has("[received] D003601.VUM\n[received] D0036012.VUM\n[received] D003701.VUM"));
    EXPECT_TRUE(r.has("バージョンアップが完了"));
    EXPECT_EQ(link.settings.NeedGetInfo, 0);
    EXPECT_TRUE(fs::exists(install / "D003601.VUM"));
    EXPECT_TRUE(fs::exists(install / "D0036012.VUM"));

    // Both files of the two-file update went to room 3, as data 12 and 13.
    std::string log = readText(hostLog);
    EXPECT_NE(log.find("caller: DOWn 12 PROT:BPL"), std::string::npos) << log;
    EXPECT_NE(log.find("caller: DOWn 13 PROT:BPL"), std::string::npos);
    EXPECT_NE(log.find("入会手続きが完了しました。"), std::string::npos);

    // Nothing new the second time: the recorded updates are not read again.
    r = link.run("versionup", 20);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_FALSE(r.has("[recorded]"));
    EXPECT_FALSE(r.has("[received]"));
    EXPECT_TRUE(r.has("バージョンアップ情報は、\nありませんでした。"));
    log = readText(hostLog);
    std::size_t reads = 0;
    for (auto at = log.find("caller: #3\\r"); at != std::string::npos; at = log.find("caller: #3\\r", at + 1))
        ++reads;
    EXPECT_EQ(reads, 1u);

    // The next start applies both: the songs are in the catalogue.
    r = shell(kiroDb + " apply '" + install.string() + "'");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("D0036 01: applied\nD0037 01: applied")) << r.output;
    r = shell(kiroDb + " query '" + (install / "sysfile/KIRODB.MDB").string() +
              "' \"SELECT 商品マスタ.商品名 FROM 商品マスタ WHERE 商品マスタ.商品コード LIKE 'V*' ORDER BY 商品マスタ.商品コード;\"");
    EXPECT_EQ(r.output, "商品名\n新曲その一\n新曲その二\n新曲その三\n");
    EXPECT_EQ(readText(install / "SqlError.Log"), "Execute SQL#1-->Success.\r\n");
    EXPECT_FALSE(fs::exists(install / "D003701.VUM"));
    r = shell(kiroDb + " apply '" + install.string() + "'");
    EXPECT_TRUE(r.has("no received updates to apply"));
}
