// End-to-end: the kiro-db program as a maintainer runs it.
#include "client/db/tests/TestDb.h"
#include "common/Cp932.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>

using kiro::db::test::TempDir;

namespace {

struct CliRun {
    int status;
    std::string out;
};

CliRun kiroDb(const std::string& args, const std::filesystem::path& cwd = std::filesystem::temp_directory_path())
{
    const std::string command = "cd '" + cwd.string() + "' && '" KIRO_BIN_DIR "/kiro-db' " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

} // namespace

TEST(KiroDbCli, CreateExecQueryScriptCompact)
{
    TempDir dir;
    const std::string db = "'" + (dir / "K.MDB").string() + "'";
    EXPECT_EQ(kiroDb("create " + db).status, 0);
    EXPECT_EQ(kiroDb("create " + db).status, 1) << "an existing file is not overwritten";
    CliRun r = kiroDb("exec " + db + " \"INSERT INTO ジャンルマスタ VALUES ('010', '001', '演歌')\"");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\n");
    r = kiroDb("query " + db + " \"SELECT ジャンルマスタ.ジャンルコード, ジャンル名, 1.5 AS r, NULL AS n FROM ジャンルマスタ;\"");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ジャンルコード\tジャンル名\tr\tn\n001\t演歌\t1.500000e+00\tNULL\n");
    r = kiroDb("query " + db + " \"SELECT * FROM 無い表\"");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("no such table"), std::string::npos);
    EXPECT_EQ(kiroDb("--password wrong query " + db + " \"SELECT 1\"").status, 1);
    EXPECT_EQ(kiroDb("query " + db).status, 2);
    EXPECT_EQ(kiroDb("frobnicate " + db).status, 2);
    EXPECT_EQ(kiroDb("").status, 2);
    r = kiroDb("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("compact PATH"), std::string::npos);

    std::ofstream(dir / "u.sql", std::ios::binary) << kiro::cp932::fromUtf8("DELETE * FROM ジャンルマスタ;\r\nBAD STATEMENT;");
    r = kiroDb("script " + db + " u.sql", dir.path());
    EXPECT_EQ(r.status, 1);
    std::ifstream log(dir / "SqlError.Log", std::ios::binary);
    std::string first;
    std::getline(log, first);
    EXPECT_EQ(first, "Execute SQL#1-->Success.\r");
    EXPECT_FALSE(std::filesystem::exists(dir / "u.sql"));

    // A folder or a missing file: said so, nothing deleted.
    std::filesystem::create_directory(dir / "d.sql");
    r = kiroDb("script " + db + " d.sql", dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("d.sql is not a file"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::is_directory(dir / "d.sql"));
    r = kiroDb("script " + db + " none.sql", dir.path());
    EXPECT_NE(r.out.find("none.sql does not exist"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "SqlError.Log"));

    EXPECT_EQ(kiroDb("compact " + db).status, 0);
    // The failed script was rolled back as a whole.
    EXPECT_EQ(kiroDb("query " + db + " \"SELECT count(*) AS n FROM ジャンルマスタ\"").out, "n\n1\n");
}

TEST(KiroDbCli, SampleIsDeterministicPerSeed)
{
    TempDir dir;
    auto dump = [&](const char* name, const char* seed) {
        const std::string db = "'" + (dir / name).string() + "'";
        EXPECT_EQ(kiroDb("sample " + db + " --products 300 --seed " + seed).status, 0);
        return kiroDb("query " + db + " \"SELECT * FROM 商品マスタ ORDER BY コースコード, 商品コード\"").out +
               kiroDb("query " + db + " \"SELECT * FROM 変動テーブル\"").out;
    };
    const std::string a = dump("a.mdb", "5"), b = dump("b.mdb", "5"), c = dump("c.mdb", "6");
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_GT(a.size(), 10000u);
    const std::string db = "'" + (dir / "a.mdb").string() + "'";
    // Index codes follow the readings; sets have songs; both group modes exist.
    EXPECT_EQ(kiroDb("query " + db + " \"SELECT count(*) AS n FROM 商品マスタ WHERE 商品名読み LIKE 'ﾊ*' AND 商品名読みコード <> '05'\"").out,
              "n\n0\n");
    EXPECT_NE(kiroDb("query " + db + " \"SELECT count(*) AS n FROM 商品マスタ WHERE リンクサイン = 2 AND リンク先コース = '050'\"").out,
              "n\n0\n");
    EXPECT_EQ(kiroDb("query " + db + " \"SELECT DISTINCT 読みインデックスの有無 FROM 変動グループ名称テーブル ORDER BY 1\"").out,
              "読みインデックスの有無\n0\n1\n");
    // Course 20 has its songs and its reading-index group; a few songs are on the disk.
    EXPECT_EQ(kiroDb("query " + db + " \"SELECT count(*) AS n FROM 商品マスタ INNER JOIN 変動グループ名称テーブル ON "
                     "商品マスタ.コースコード = 変動グループ名称テーブル.コースコード WHERE 商品マスタ.コースコード = '020'\"").out,
              "n\n15\n");
    EXPECT_EQ(kiroDb("query " + db + " \"SELECT 商品コード FROM 商品マスタ WHERE ダウンロード済みフラグ = 1 AND コースコード = '010'\"").out,
              "商品コード\nK000050\nK000100\nK000150\nK000200\nK000250\nK000300\n");
    EXPECT_EQ(kiroDb("sample " + db + " --products x").status, 2);
}
