// The bulk receive end to end: kiro-link receive against kiro-hostsim over
// the TELNET virtual modem, with archives made by jlha and a catalogue whose
// reservations the tests insert with SQL.
#include "client/db/CatalogueDb.h"
#include "client/db/Recordset.h"
#include "common/Cp932.h"
#include "common/tests/TempDir.h"
#include "tools/hostsim/tests/HostSimProcess.h"
#include "tools/kiro-link/tests/LinkFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <fstream>

using kiro::testing::HostSimProcess;
using kiro::testing::LinkFixture;
using kiro::testing::LinkResult;
namespace fs = std::filesystem;

namespace {

class ReceiveRig {
public:
    ReceiveRig()
    {
        for (const char *folder : {"sysfile", "MAIL", "karaoke"})
            fs::create_directories(link.install() / folder);
        fs::create_directories(content());
        kiro::db::CatalogueDb::createFile(dbPath());
        link.settings.MailToUserInfo = 1;
    }

    fs::path content() const { return link.path("content"); }
    fs::path upload() const { return link.path("upload"); }
    fs::path dbPath() const { return link.install() / "sysfile" / "KIRODB.MDB"; }
    fs::path karaoke() const { return link.install() / "karaoke"; }
    fs::path mail() const { return link.install() / "MAIL"; }

    void sql(const std::string &jet)
    {
        kiro::db::CatalogueDb db;
        db.openOrThrow(dbPath());
        db.execute(jet);
    }
    void product(const std::string &code, const std::string &file, const std::string &address1,
                  const std::string &address2, int linkSign = 0, const std::string &set = {}, int downloaded = 0,
                  const std::string &course = "010")
    {
        sql("INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, ファイル名, データアドレス１, データアドレス２, "
            "リンクサイン, リンク先コース, リンク先商品, ダウンロード済みフラグ) VALUES ('" +
            course + "', '" + code + "', '曲" + code + "', '" + file + "', '" + address1 + "', '" + address2 + "', " +
            std::to_string(linkSign) + ", " + (set.empty() ? "NULL" : "'" + course + "'") + ", " +
            (set.empty() ? "NULL" : "'" + set + "'") + ", " + std::to_string(downloaded) + ")");
    }
    void reserve(const std::string &code, int rank, int keeping, const std::string &course = "010")
    {
        sql("INSERT INTO 予約テーブル (コースコード, 商品コード, 順位, 予約フラグ) VALUES ('" + course + "', '" + code +
            "', " + std::to_string(rank) + ", " + std::to_string(keeping) + ")");
    }
    // An archive in the content folder holding BASE.KRD and BASE.MID, made with jlha.
    bool archive(const std::string &base, const std::string &archiveName = {})
    {
        const fs::path work = link.path("work-" + base);
        fs::create_directories(work);
        std::ofstream(work / (base + ".KRD"), std::ios::binary) << "KRD of " << base;
        std::ofstream(work / (base + ".MID"), std::ios::binary) << "MThd " << base;
        const std::string name = archiveName.empty() ? base + ".LZH" : archiveName;
        const std::string command = "cd '" + work.string() + "' && jlha -c '" + (content() / name).string() + "' " +
                                    base + ".KRD " + base + ".MID >/dev/null 2>&1";
        return std::system(command.c_str()) == 0 && fs::exists(content() / name);
    }
    void damagedArchive(const std::string &base)
    {
        std::ofstream(content() / (base + ".LZH"), std::ios::binary) << std::string(300, '\x7f');
    }

    LinkResult receive(std::vector<std::string> hostArgs = {}, const std::string &arguments = "receive")
    {
        hostArgs.insert(hostArgs.end(), {"--member", "ABC01234:secret", "--catalogue", dbPath().string(), "--content",
                                         content().string(), "--upload", upload().string()});
        HostSimProcess host(hostArgs, link.path("host.log").string());
        EXPECT_GT(host.port(), 0);
        link.phoneBook("Default", host.port());
        LinkResult result = link.run(arguments);
        return result;
    }
    std::string hostLog() const { return fileText(link.path("host.log")); }

    // ダウンロード済みフラグ of a product, -1 when it is not there.
    long long downloaded(const std::string &code, const std::string &course = "010")
    {
        kiro::db::CatalogueDb db;
        db.openOrThrow(dbPath());
        kiro::db::Recordset rs(db);
        rs.open("SELECT 商品マスタ.ダウンロード済みフラグ FROM 商品マスタ WHERE 商品マスタ.コースコード = '" + course +
                "' AND 商品マスタ.商品コード = '" + code + "';");
        return rs.isEOF() ? -1 : rs.fieldValue(0).integer;
    }
    bool reserved(const std::string &code, const std::string &course = "010")
    {
        kiro::db::CatalogueDb db;
        db.openOrThrow(dbPath());
        kiro::db::Recordset rs(db);
        rs.open("SELECT 予約テーブル.商品コード FROM 予約テーブル WHERE 予約テーブル.コースコード = '" + course +
                "' AND 予約テーブル.商品コード = '" + code + "';");
        return !rs.isEOF();
    }

    LinkFixture link;
};

bool haveJlha() { return std::system("command -v jlha >/dev/null 2>&1") == 0; }

#define REQUIRE_JLHA()                                                                                                 \
    if (!haveJlha())                                                                                                   \
    GTEST_SKIP() << "jlha is not installed"

} // namespace

TEST(BulkReceiveEndToEnd, EverythingOnDiskConnectsForTheMailOnlyAndReportsNothing)
{
    ReceiveRig rig;
    rig.product("K000001", "KR00001.KRD", "1,1", "2,1", 0, {}, 1);
    rig.reserve("K000001", 1, 0);
    rig.link.settings.MailToUserInfo = 0;
    rig.link.settings.NiftyID = "ABC01234";
    const LinkResult r = rig.receive();
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("downloaded 0 cancelled 0")) << r.output;
    // Scripts take the counts from the last line.
    EXPECT_EQ(r.output.substr(r.output.rfind('\n', r.output.size() - 2) + 1), "downloaded 0 cancelled 0\n")
        << r.output;
    EXPECT_FALSE(r.has("[message]")) << r.output;
    EXPECT_TRUE(r.has("ログアウト完了。")) << r.output;
    EXPECT_FALSE(rig.hostLog().find("served") != std::string::npos);
}

TEST(BulkReceiveEndToEnd, KeepingReservationTakesHeaderAndArchiveOneTimeOnlyTheArchive)
{
    REQUIRE_JLHA();
    ReceiveRig rig;
    ASSERT_TRUE(rig.archive("KR00001"));
    ASSERT_TRUE(rig.archive("KR00002"));
    rig.product("K000001", "KR00001.KRD", "12,345", "40,1");
    rig.product("K000002", "karaoke\\kr00002.krd", "3,7", "40,2");
    rig.reserve("K000001", 1, 1);
    rig.reserve("K000002", 2, 0);
    const LinkResult r = rig.receive();
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("downloaded 2 cancelled 0")) << r.output;
    EXPECT_TRUE(r.has("[message] お買い上げ誠に\nありがとうございました。")) << r.output;
    const std::string log = rig.hostLog();
    // "12,345" goes out as "12\r" at the menu and "345\r" at the item.
    EXPECT_NE(log.find("caller: 12\\r"), std::string::npos);
    EXPECT_NE(log.find("caller: 345\\r"), std::string::npos);
    EXPECT_NE(log.find("served HEADER.BIN of KR00001 ("), std::string::npos) << log;
    EXPECT_NE(log.find("served KR00001 ("), std::string::npos);
    EXPECT_NE(log.find("served kr00002 ("), std::string::npos);
    EXPECT_EQ(log.find("served HEADER.BIN of kr00002"), std::string::npos);
    EXPECT_EQ(rig.downloaded("K000001"), 1);
    EXPECT_EQ(rig.downloaded("K000002"), 1);
    EXPECT_EQ(fileText(rig.karaoke() / "KR00001.KRD"), "KRD of KR00001");
    EXPECT_TRUE(fs::exists(rig.karaoke() / "KR00002.MID"));
    // Neither the archives nor the header stay in the mail folder.
    EXPECT_TRUE(fs::is_empty(rig.mail())) << fs::directory_iterator(rig.mail())->path();
}

TEST(BulkReceiveEndToEnd, SetDownloadsOnceAndMarksItsSongsNotReadySetDropsThem)
{
    REQUIRE_JLHA();
    ReceiveRig rig;
    ASSERT_TRUE(rig.archive("S00001"));
    rig.product("S00001", "S00001.KRD", "5,1", "45,1", 1, {}, 0, "050");
    rig.product("S00001-1", "S00001-1.KRD", "5,2", "45,2", 2, "S00001", 0, "050");
    rig.product("S00001-2", "S00001-2.KRD", "5,3", "45,3", 2, "S00001", 0, "050");
    rig.product("S00002", "S00002.KRD", "5,4", "45,4", 1, {}, 0, "050"); // no archive: not ready
    rig.product("S00002-1", "S00002-1.KRD", "5,5", "45,5", 2, "S00002", 0, "050");
    rig.reserve("S00001", 1, 0, "050");
    rig.reserve("S00001-1", 2, 0, "050");
    rig.reserve("S00001-2", 3, 0, "050");
    rig.reserve("S00002", 4, 0, "050");
    rig.reserve("S00002-1", 5, 0, "050");
    const LinkResult r = rig.receive({}, "receive --course 50");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("downloaded 1 cancelled 1")) << r.output;
    EXPECT_TRUE(r.has("[message] 予約された曲の中に\n準備中の曲がありました。")) << r.output;
    EXPECT_TRUE(r.has("[question] 引き続き演奏しますか？")) << r.output;
    EXPECT_TRUE(r.has("指定された商品は、準備中につきキャンセルします。"));
    const std::string log = rig.hostLog();
    EXPECT_EQ(r.count("[transfer] download"), 1u) << r.output;
    EXPECT_EQ(rig.downloaded("S00001", "050"), 1);
    EXPECT_EQ(rig.downloaded("S00001-1", "050"), 1);
    EXPECT_EQ(rig.downloaded("S00001-2", "050"), 1);
    EXPECT_TRUE(rig.reserved("S00001-2", "050"));
    EXPECT_FALSE(rig.reserved("S00002", "050"));
    EXPECT_FALSE(rig.reserved("S00002-1", "050"));
    EXPECT_EQ(rig.downloaded("S00002-1", "050"), 0);
}

TEST(BulkReceiveEndToEnd, RefusedAreaEndsTheLoopWithTheEnginesMessage)
{
    ReceiveRig rig;
    rig.product("K000001", "KR00001.KRD", "1,1", "2,1", 0, {}, 1);
    rig.product("K000002", "KR00002.KRD", "1,2", "2,2");
    rig.reserve("K000001", 1, 0);
    rig.reserve("K000002", 2, 0);
    rig.link.settings.MailToUserInfo = 0;
    const LinkResult r = rig.receive({"--karaoke-refuse", "card"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_TRUE(r.has("[message] ご使用のIDではご利用できません。終了します。")) << r.output;
    EXPECT_FALSE(r.has("お買い上げ"));
    EXPECT_EQ(rig.downloaded("K000001"), 1);
    EXPECT_EQ(rig.downloaded("K000002"), 0);
    EXPECT_TRUE(rig.reserved("K000002"));
    // No second call just for the mail after a failure.
    EXPECT_EQ(rig.hostLog().find("[#2]"), std::string::npos);
    EXPECT_EQ(rig.link.settings.MailToUserInfo, 0);
}

TEST(BulkReceiveEndToEnd, HostAnsweringWhatNoStepExpectsTimesOutInsteadOfHanging)
{
    ReceiveRig rig;
    // The header address leads to another product's item: the host does not
    // know the name "HEADER.BIN" there and answers only with its prompt.
    rig.damagedArchive("KR00002");
    rig.product("K000001", "KR00001.KRD", "1,1", "1,2");
    rig.product("K000002", "KR00002.KRD", "1,2", "2,2");
    rig.reserve("K000001", 1, 1);
    const auto started = std::chrono::steady_clock::now();
    const LinkResult r = rig.receive();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60)) << r.output;
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_TRUE(r.has("タイムアウトエラーです。")) << r.output;
    EXPECT_EQ(rig.downloaded("K000001"), 0);
    EXPECT_TRUE(rig.reserved("K000001"));
    EXPECT_FALSE(fs::exists(rig.mail() / "HEADER.BIN"));
}

TEST(BulkReceiveEndToEnd, ArchiveThatFailsToExtractStaysReserved)
{
    ReceiveRig rig;
    rig.damagedArchive("KR00009");
    rig.product("K000009", "KR00009.KRD", "1,9", "2,9");
    rig.reserve("K000009", 1, 0);
    const LinkResult r = rig.receive();
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_TRUE(fs::exists(rig.mail() / "KR00009")) << r.output;
    EXPECT_EQ(rig.downloaded("K000009"), 0);
    EXPECT_TRUE(rig.reserved("K000009"));
    EXPECT_TRUE(r.has("ログアウト完了。")) << r.output;
}

TEST(BulkReceiveEndToEnd, DamagedAddressFailsOnlyThatProduct)
{
    REQUIRE_JLHA();
    ReceiveRig rig;
    ASSERT_TRUE(rig.archive("KR00002"));
    rig.product("K000001", "KR00001.KRD", "1,12345678", "2,1");
    rig.product("K000002", "KR00002.KRD", "1,2", "2,2");
    rig.reserve("K000001", 1, 0);
    rig.reserve("K000002", 2, 0);
    const LinkResult r = rig.receive();
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_TRUE(r.has("[receive] データアドレスが不正です（1,12345678）。")) << r.output;
    EXPECT_TRUE(r.has("downloaded 1 cancelled 0"));
    EXPECT_EQ(rig.downloaded("K000001"), 0);
    EXPECT_TRUE(rig.reserved("K000001"));
    EXPECT_EQ(rig.downloaded("K000002"), 1);
}

TEST(BulkReceiveEndToEnd, UserInfoMailSentOnceRefusedForUnapprovedMember)
{
    ReceiveRig rig;
    rig.link.settings.MailToUserInfo = 0;
    rig.link.settings.WriteMailNo = 29999;
    rig.link.settings.Name = "山田太郎";
    rig.link.settings.KiroPassWord = "7777";
    rig.link.settings.QQMailID = "QRT04521";

    LinkResult r = rig.receive({"--unapproved", "abc01234"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("暫定期間中はご利用できません。終了します。")) << r.output;
    EXPECT_EQ(rig.link.settings.MailToUserInfo, 0);
    EXPECT_FALSE(fs::exists(rig.upload()) && !fs::is_empty(rig.upload()));
    EXPECT_TRUE(fs::is_empty(rig.mail()));

    // Tried again next time; the refused attempt used up 29999, so 1 follows.
    rig.link.settings.WriteMailNo = 29999;
    r = rig.receive();
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("送信完了。")) << r.output;
    EXPECT_EQ(rig.link.settings.MailToUserInfo, 1);
    EXPECT_EQ(rig.link.settings.WriteMailNo, 1);
    const std::time_t now = std::time(nullptr);
    char year[8];
    std::strftime(year, sizeof year, "%y", std::localtime(&now));
    const std::string name = std::string("W") + year + "29999.TXT";
    const std::string mail = kiro::cp932::toUtf8(fileText(rig.upload() / name));
    EXPECT_NE(mail.find("お名前/漢字：山田太郎\r\n"), std::string::npos) << mail;
    EXPECT_NE(mail.find("KIRO暗証番号：7777\r\n"), std::string::npos);
    EXPECT_NE(rig.hostLog().find(std::string("mail ") + name + " from ABC01234 to QRT04521: 簡易版KIROインストール完了"),
              std::string::npos)
        << rig.hostLog();
    EXPECT_TRUE(fs::is_empty(rig.mail()));

    // Sent: no mail the next time.
    r = rig.receive();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.count("送信完了。"), 0u);
}
