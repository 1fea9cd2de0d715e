#include "client/db/DbError.h"
#include "client/db/PendingUpdates.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/UpdateScript.h"
#include "client/db/tests/TestDb.h"
#include "common/Cp932.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace kiro::db;
using kiro::db::test::OpenCatalogue;

namespace {

std::string readAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

long count(CatalogueDb& db, const std::string& where)
{
    Recordset rs(db);
    rs.open("SELECT * FROM ジャンルマスタ WHERE " + where);
    if (rs.isEOF())
        return 0;
    rs.moveLast();
    return rs.recordCount();
}

} // namespace

TEST(UpdateScript, RunsEachStatementAndLogsItWithCrLf)
{
    OpenCatalogue c;
    const auto script = c.dir / "$KrDBUPD.SQL";
    const auto log = c.dir / "SqlError.Log";
    writeFile(script, kiro::cp932::fromUtf8("INSERT INTO ジャンルマスタ VALUES (\"010\", \"001\", \"演歌\");\r\n"
                                            "CREATE TABLE 追加 (名前 TEXT(10), 数 LONG);\r\n"
                                            "INSERT INTO ジャンルマスタ VALUES ('010', '002', 'ポップス')\r\n;"
                                            "\r\nUPDATE ジャンルマスタ SET ジャンル名 = 'x' WHERE 0=1"));
    EXPECT_EQ(RunUpdateScript(script, c.db, log), 0);
    EXPECT_EQ(readAll(log), "Execute SQL#1-->Success.\r\nExecute SQL#2-->Success.\r\nExecute SQL#3-->Success.\r\n");
    EXPECT_FALSE(std::filesystem::exists(script));
    EXPECT_EQ(count(c.db, "ジャンル名 = '演歌'"), 1);
    EXPECT_EQ(count(c.db, "ジャンル名 = 'x'"), 0) << "a tail without ';' is ignored";
}

TEST(UpdateScript, StopsAtTheFirstFailureAndLogsTheEngineError)
{
    OpenCatalogue c;
    const auto script = c.dir / "s.sql";
    const auto log = c.dir / "SqlError.Log";
    writeFile(log, "old content");
    writeFile(script, kiro::cp932::fromUtf8("INSERT INTO ジャンルマスタ VALUES ('010', '001', 'a');"
                                            "INSERT INTO ジャンルマスタ VALUES ('010', '002', 'b');"
                                            "INSERT INTO 無い表 VALUES (1);"
                                            "INSERT INTO ジャンルマスタ VALUES ('010', '003', 'c');"));
    EXPECT_EQ(RunUpdateScript(script, c.db, log), 1);
    EXPECT_EQ(readAll(log), "Execute SQL#1-->Success.\r\nExecute SQL#2-->Success.\r\nExecute SQL#3-->ERROR.\r\n"
                            "\tError Code = 1\r\n\tError Message = " + kiro::cp932::fromUtf8("no such table: 無い表") +
                            "\r\n\tSQL#1-#2 rolled back.\r\n");
    EXPECT_EQ(count(c.db, "1=1"), 0) << "the script applies whole or not at all";
    EXPECT_FALSE(std::filesystem::exists(script));
}

TEST(UpdateScript, DropsAStatementLongerThan4096Bytes)
{
    OpenCatalogue c;
    const auto script = c.dir / "s.sql";
    const auto log = c.dir / "SqlError.Log";
    // Exactly 4096 bytes ending in ";" still runs.
    std::string exact = kiro::cp932::fromUtf8("INSERT INTO ジャンルマスタ VALUES ('010', '001', 'a')");
    exact += std::string(4095 - exact.size(), ' ') + ";";
    ASSERT_EQ(exact.size(), 4096u);
    std::string tooLong = kiro::cp932::fromUtf8("INSERT INTO ジャンルマスタ VALUES ('010', '002', '") + std::string(4100, 'z') + "');";
    writeFile(script, exact + tooLong + kiro::cp932::fromUtf8("INSERT INTO ジャンルマスタ VALUES ('010', '003', 'c');"));
    EXPECT_EQ(RunUpdateScript(script, c.db, log), 1);
    // The remainder after the first 4096 bytes ("zzz...');") is statement 2.
    const std::string text = readAll(log);
    EXPECT_EQ(text.rfind("Execute SQL#1-->Success.\r\nExecute SQL#2-->ERROR.\r\n\tError Code = ", 0), 0u) << text;
    EXPECT_EQ(count(c.db, "1=1"), 0);
}

TEST(UpdateScript, AFolderOrAMissingFileIsRefusedAndNothingIsTouched)
{
    OpenCatalogue c;
    const auto log = c.dir / "SqlError.Log";
    writeFile(log, "earlier log");
    std::filesystem::create_directory(c.dir / "folder.sql");
    EXPECT_EQ(RunUpdateScript(c.dir / "folder.sql", c.db, log), 1);
    EXPECT_TRUE(std::filesystem::is_directory(c.dir / "folder.sql"));
    EXPECT_EQ(RunUpdateScript(c.dir / "missing.sql", c.db, log), 1);
    EXPECT_EQ(readAll(log), "earlier log");
}

TEST(UpdateScript, ResolvesTheFolderToken)
{
    EXPECT_EQ(ResolveFolderToken("%KIRO%\\karaoke"), "karaoke");
    EXPECT_EQ(ResolveFolderToken("%KIRO%"), "");
    EXPECT_EQ(ResolveFolderToken("data\\%KIRO%\\sub"), "data\\sub");
    EXPECT_EQ(ResolveFolderToken("%KIRO%%KIRO%\\\\x"), "\\x");
    EXPECT_EQ(ResolveFolderToken("50%\\a%KIR"), "50%\\a%KIR");
    EXPECT_EQ(ResolveFolderToken(""), "");
}

class PendingUpdatesTest : public ::testing::Test {
protected:
    OpenCatalogue c;
    std::vector<std::pair<std::string, std::string>> extracted;
    std::string scriptToDeliver;
    int extractResult = 0;

    UpdateEnvironment environment()
    {
        UpdateEnvironment env;
        env.installFolder = c.dir.path();
        env.extract = [this](const std::filesystem::path& archive, const std::filesystem::path& folder) {
            extracted.emplace_back(archive.lexically_relative(c.dir.path()).string(),
                                   folder.lexically_relative(c.dir.path()).string());
            if (extractResult == 0 && !scriptToDeliver.empty() && archive.filename() == "UPD40.LZH")
                writeFile(c.dir / "$KrDBUPD.SQL", kiro::cp932::fromUtf8(scriptToDeliver));
            else if (extractResult == 0 && archive.filename().string().starts_with("UPD"))
                writeFile(c.dir / "$KrDBUPD.SQL", kiro::cp932::fromUtf8("UPDATE ジャンルマスタ SET ジャンル名 = ジャンル名;"));
            return extractResult;
        };
        return env;
    }

    void addUpdate(const char* code, const char* type, int applied, std::vector<std::pair<const char*, const char*>> files)
    {
        c.db.execute(fillStatement("INSERT INTO アップデートテーブル (アップデートコード, アップデートタイプ, モジュールコード, "
                                   "ダウンロード済みフラグ, アップデートフラグ) VALUES (\"%s\", \"%s\", \"M1\", 1, %d)",
                                   {code, type, applied}));
        int address = 1;
        for (auto [file, folder] : files) {
            c.db.execute(fillStatement("INSERT INTO アップデートアドレステーブル VALUES (\"%s\", \"%s\", \"M1\", \"9,%d\", "
                                       "\"%s\", \"%s\")",
                                       {code, type, address++, file, folder}));
            writeFile(c.dir / file, "archive");
        }
    }

    std::string flag(const char* code)
    {
        Recordset rs(c.db);
        rs.open(fillStatement("SELECT アップデートフラグ FROM アップデートテーブル WHERE アップデートコード=\"%s\"", {code}));
        return FieldToText(rs.fieldValue("アップデートフラグ"));
    }
};

TEST_F(PendingUpdatesTest, ExtractsRunsTheScriptAndMarksTheUpdate)
{
    std::filesystem::create_directory(c.dir / "KARAOKE");
    addUpdate("0040", "D", 0, {{"UPD40.LZH", "%KIRO%"}});
    addUpdate("0041", "P", 0, {{"P1.LZH", "%KIRO%\\karaoke"}, {"P2.LZH", "%KIRO%\\new"}});
    addUpdate("0030", "P", 1, {{"OLD.LZH", "%KIRO%"}});
    scriptToDeliver = "INSERT INTO ジャンルマスタ VALUES ('010', '009', 'new');";
    EXPECT_EQ(ApplyPendingUpdates(c.db, environment()), 0);
    ASSERT_EQ(extracted.size(), 3u);
    EXPECT_EQ(extracted[0], (std::pair<std::string, std::string>{"UPD40.LZH", "."}));
    EXPECT_EQ(extracted[1].second, "KARAOKE") << "folders match regardless of case";
    EXPECT_EQ(extracted[2].second, "new");
    EXPECT_TRUE(std::filesystem::is_directory(c.dir / "new"));
    EXPECT_FALSE(std::filesystem::exists(c.dir / "UPD40.LZH"));
    EXPECT_FALSE(std::filesystem::exists(c.dir / "$KrDBUPD.SQL"));
    EXPECT_TRUE(std::filesystem::exists(c.dir / "OLD.LZH")) << "applied updates are left alone";
    EXPECT_EQ(flag("0040"), "1");
    EXPECT_EQ(flag("0041"), "1");
    EXPECT_EQ(count(c.db, "ジャンル名='new'"), 1);
}

TEST_F(PendingUpdatesTest, AFailingScriptLeavesTheUpdatePending)
{
    addUpdate("0040", "D", 0, {{"UPD40.LZH", "%KIRO%"}});
    addUpdate("0050", "P", 0, {{"P.LZH", "%KIRO%"}});
    scriptToDeliver = "INSERT INTO ジャンルマスタ VALUES ('010', '001', 'a');\r\n"
                      "INSERT INTO ジャンルマスタ VALUES ('010', '002', 'b');\r\n"
                      "INSERT INTO ジャンルマスタ VALUES (oops);\r\n";
    addUpdate("0045", "D", 0, {{"UPD45.LZH", "%KIRO%"}});
    EXPECT_EQ(ApplyPendingUpdates(c.db, environment()), 1);
    EXPECT_EQ(flag("0040"), "0");
    EXPECT_EQ(flag("0045"), "0") << "later database updates wait behind a failed one";
    EXPECT_EQ(flag("0050"), "1") << "updates of other kinds go on";
    const std::string log = readAll(c.dir / "SqlError.Log");
    EXPECT_EQ(log.rfind("Execute SQL#1-->Success.\r\nExecute SQL#2-->Success.\r\nExecute SQL#3-->ERROR.\r\n\tError Code = ", 0), 0u);
    EXPECT_NE(log.find("\tSQL#1-#2 rolled back.\r\n"), std::string::npos);
    EXPECT_EQ(count(c.db, "1=1"), 0);
    EXPECT_TRUE(std::filesystem::exists(c.dir / "UPD40.LZH")) << "kept to be tried again";
    EXPECT_TRUE(std::filesystem::exists(c.dir / "UPD45.LZH"));
    EXPECT_FALSE(std::filesystem::exists(c.dir / "P.LZH"));

    // The next start, with a corrected script: applied once, not twice.
    scriptToDeliver = "INSERT INTO ジャンルマスタ VALUES ('010', '001', 'a');\r\n"
                      "INSERT INTO ジャンルマスタ VALUES ('010', '002', 'b');\r\n";
    EXPECT_EQ(ApplyPendingUpdates(c.db, environment()), 0);
    EXPECT_EQ(flag("0040"), "1");
    EXPECT_EQ(flag("0045"), "1");
    EXPECT_EQ(count(c.db, "1=1"), 2);
    EXPECT_FALSE(std::filesystem::exists(c.dir / "UPD40.LZH"));
}

TEST_F(PendingUpdatesTest, FailuresThatStopTheRun)
{
    // No file rows.
    c.db.execute("INSERT INTO アップデートテーブル (アップデートコード, アップデートタイプ, モジュールコード, ダウンロード済みフラグ, "
                 "アップデートフラグ) VALUES ('0001', 'P', 'M1', 1, 0)");
    EXPECT_EQ(ApplyPendingUpdates(c.db, environment()), 1);
    c.db.execute("DELETE * FROM アップデートテーブル");

    // A folder from the host that climbs out of the install folder.
    addUpdate("0002", "P", 0, {{"A.LZH", "%KIRO%\\..\\..\\etc"}});
    EXPECT_EQ(ApplyPendingUpdates(c.db, environment()), 1);
    EXPECT_TRUE(extracted.empty());
    c.db.execute("DELETE * FROM アップデートテーブル");

    // An archive that does not extract stays for the next start.
    addUpdate("0003", "P", 0, {{"B.LZH", "%KIRO%"}});
    extractResult = 1;
    EXPECT_EQ(ApplyPendingUpdates(c.db, environment()), 1);
    EXPECT_TRUE(std::filesystem::exists(c.dir / "B.LZH"));
    EXPECT_EQ(flag("0003"), "0");

    EXPECT_FALSE(pathUnder(c.dir.path(), "/etc/passwd"));
    EXPECT_FALSE(pathUnder(c.dir.path(), "C:\\WINDOWS"));
    EXPECT_EQ(*pathUnder(c.dir.path(), ""), c.dir.path());
}

TEST_F(PendingUpdatesTest, AppliesARealLzhArchive)
{
    // Build the archive with the jlha tool as the forum would deliver it.
    const auto work = c.dir / "work";
    std::filesystem::create_directory(work);
    writeFile(work / "$KrDBUPD.SQL", kiro::cp932::fromUtf8("INSERT INTO ジャンルマスタ VALUES ('010', '042', 'ＬＺＨ');\r\n"));
    const std::string command = "cd '" + work.string() + "' && jlha a ../UPD.LZH '$KrDBUPD.SQL' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 || !std::filesystem::exists(c.dir / "UPD.LZH"))
        GTEST_SKIP() << "jlha is not installed";
    c.db.execute("INSERT INTO アップデートテーブル (アップデートコード, アップデートタイプ, モジュールコード, ダウンロード済みフラグ, "
                 "アップデートフラグ) VALUES ('0060', 'D', 'M1', 1, 0)");
    c.db.execute("INSERT INTO アップデートアドレステーブル VALUES ('0060', 'D', 'M1', '1,1', 'UPD.LZH', '%KIRO%')");
    EXPECT_EQ(ApplyPendingUpdates(c.db, UpdateEnvironment::standard(c.dir.path())), 0);
    EXPECT_EQ(flag("0060"), "1");
    EXPECT_EQ(count(c.db, "ジャンル名='ＬＺＨ'"), 1);
    EXPECT_EQ(readAll(c.dir / "SqlError.Log"), "Execute SQL#1-->Success.\r\n");
    EXPECT_FALSE(std::filesystem::exists(c.dir / "UPD.LZH"));
    EXPECT_FALSE(std::filesystem::exists(c.dir / "$KRDBUPD.SQL"));
}
