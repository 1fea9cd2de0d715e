// The karaoke area and the mail service of the host stand-in, driven with
// strings; the stored-archive writer checked against our own extractor.
#include "archive/LzhExtract.h"
#include "client/db/CatalogueDb.h"
#include "client/db/Connection.h"
#include "client/db/SampleCatalogue.h"
#include "common/AtomicFile.h"
#include "common/Cp932.h"
#include "common/tests/TempDir.h"
#include "tools/hostsim/DemoSong.h"
#include "tools/hostsim/HostService.h"
#include "tools/hostsim/KaraokeCatalogue.h"
#include "tools/hostsim/LzhStoreWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include <sqlite3.h>

using namespace kiro::hostsim;
namespace fs = std::filesystem;

namespace {

std::string sj(const char *utf8) { return kiro::cp932::fromUtf8(utf8); }

bool endsWith(const std::string &s, const std::string &tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

struct Area {
    HostConfig config;
    std::unique_ptr<HostService> service;
    TempDir temp{"karaoke-area"};
    fs::path content = temp.path;

    Area()
    {
        config.members["ABC01234"] = "secret";
        config.contentDir = content.string();
        auto catalogue = std::make_shared<KaraokeCatalogue>();
        catalogue->add(12, 345, {"K000001", "KR00001", false});
        catalogue->add(40, 1, {"K000001", "KR00001", true});
        catalogue->add(12, 346, {"K000002", "KR00002", false}); // no archive: not ready
        config.karaoke = catalogue;
        std::ofstream(content / "kr00001.lzh", std::ios::binary) << "archive";
    }

    void login()
    {
        service = std::make_unique<HostService>(config, HostService::Clock::time_point{});
        service->start();
        for (const char *line : {"C NIF\r", "SVC/SJIS\r", "ABC01234\r", "secret\r"})
            send(line);
    }
    HostService::Reply input(const std::string &line) { return service->input(line, HostService::Clock::time_point{}); }
    // What follows the echo of the line.
    std::string send(const std::string &line)
    {
        std::string text = input(line).text;
        const auto echo = text.find("\r\n");
        return echo == std::string::npos ? text : text.substr(echo + 2);
    }
    std::string toItem(const char *item)
    {
        send("go KIROKARA\r");
        send("12\r");
        send("SET PAGE ON\r");
        send("SET LINE 25\r");
        send("1\r");
        send("SET PAGE OFF\r");
        return send(item);
    }
};

// A reply that the caller reads up to its first prompt character must not
// hold one before its end.
void expectOnePromptAtEnd(const std::string &reply, const char *prompt)
{
    const std::string p = sj(prompt);
    EXPECT_TRUE(endsWith(reply, p)) << kiro::cp932::toUtf8(reply);
    EXPECT_EQ(reply.find(p), reply.size() - p.size()) << kiro::cp932::toUtf8(reply);
}

} // namespace

TEST(KaraokeArea, WalksToAnItemAndStartsItsDownload)
{
    Area a;
    a.login();
    expectOnePromptAtEnd(a.send("go KIROKARA\r"), "＞");
    expectOnePromptAtEnd(a.send("12\r"), "＞");
    expectOnePromptAtEnd(a.send("SET PAGE ON\r"), "＞");
    expectOnePromptAtEnd(a.send("SET LINE 25\r"), "＞");
    const std::string list = a.send("1\r");
    expectOnePromptAtEnd(list, "＞");
    EXPECT_NE(list.find("345  K000001"), std::string::npos);
    expectOnePromptAtEnd(a.send("SET PAGE OFF\r"), "＞");
    expectOnePromptAtEnd(a.send("345\r"), "＞");
    expectOnePromptAtEnd(a.send("1\r"), "：");
    expectOnePromptAtEnd(a.send("2\r"), "：");
    const auto reply = a.input("kr00001\r");
    EXPECT_TRUE(endsWith(reply.text, sj("－ダウンロード開始－") + "\r\n"));
    ASSERT_TRUE(reply.transfer);
    EXPECT_TRUE(reply.transfer->download);
    EXPECT_EQ(reply.transfer->file, "kr00001"); // the caller's spelling
    EXPECT_EQ(fs::path(reply.transfer->source), a.content / "kr00001.lzh");
    const auto after = a.service->transferEnded(true, 7);
    EXPECT_EQ(after.text, "\r\n" + sj("＞"));
    EXPECT_EQ(after.log, "served KR00001 (7 bytes)");

    // A transfer that breaks off is answered as aborted, never as done.
    expectOnePromptAtEnd(a.send("1\r"), "：");
    expectOnePromptAtEnd(a.send("2\r"), "：");
    ASSERT_TRUE(a.input("kr00001\r").transfer);
    const auto broken = a.service->transferEnded(false, 3);
    EXPECT_EQ(broken.text, "\r\n" + sj("◆アボートリクエスト◆") + "\r\n" + sj("＞"));
    EXPECT_EQ(broken.log, "failed to serve KR00001");
}

TEST(KaraokeArea, NotReadyUnknownAndWrongNames)
{
    Area a;
    a.login();
    EXPECT_TRUE(endsWith(a.toItem("346\r"), sj("－指定したコースにデータはありません－") + "\r\n" + sj("＞")));
    EXPECT_TRUE(endsWith(a.toItem("9\r"), sj("◆番号又はコマンドを入力して下さい◆") + "\r\n" + sj("＞")));
    EXPECT_TRUE(endsWith(a.send("abc\r"), sj("◆番号又はコマンドを入力して下さい◆") + "\r\n" + sj("＞")));
    // The header address serves a made-up header under the name asked for.
    a.send("go KIROKARA\r");
    a.send("40\r");
    a.send("1\r");
    a.send("1\r");
    a.send("1\r");
    a.send("2\r");
    auto reply = a.input("HEADER.BIN\r");
    ASSERT_TRUE(reply.transfer);
    EXPECT_TRUE(fs::exists(reply.transfer->source));
    // A name that is not the item's, or one with folder parts, is not found.
    a.toItem("345\r");
    a.send("1\r");
    a.send("2\r");
    reply = a.input("../kr00001\r");
    EXPECT_FALSE(reply.transfer);
    EXPECT_NE(reply.text.find(sj("ファイルが見つかりません。")), std::string::npos);
    // "go top" leaves the area: numbers mean nothing at the main prompt.
    a.send("go top\r");
    EXPECT_NE(a.send("345\r").find(sj("コマンドが違います。")), std::string::npos);
}

TEST(KaraokeArea, RefusalsAnswerTheGoWord)
{
    for (const char *mode : {"card", "registering"}) {
        Area a;
        a.config.karaokeRefuse = mode;
        a.login();
        const std::string reply = a.send("go KIROKARA\r");
        EXPECT_NE(reply.find(sj(std::string(mode) == "card" ? "◆カードユーザ以外はご利用いただけません◆"
                                                           : "ご利用のIDは現在、正式登録手続中です。")),
                  std::string::npos)
            << mode;
        EXPECT_NE(a.send("12\r").find(sj("◆番号又は")), std::string::npos);
    }
}

TEST(MailArea, UploadThenQuestionsThenSent)
{
    Area a;
    a.login();
    EXPECT_TRUE(endsWith(a.send("go mail\r"), "MAIL>"));
    expectOnePromptAtEnd(a.send("UPL PROT:BPL TYPE:TXT\r"), "：");
    const auto upload = a.input("W9810001.TXT\r");
    ASSERT_TRUE(upload.transfer);
    EXPECT_FALSE(upload.transfer->download);
    EXPECT_EQ(upload.transfer->file, "W9810001.TXT");
    auto after = a.service->transferEnded(true, 195);
    expectOnePromptAtEnd(after.text, "：");
    expectOnePromptAtEnd(a.send("2\r"), "：");
    expectOnePromptAtEnd(a.send(sj("簡易版KIROインストール完了") + "\r"), "：");
    expectOnePromptAtEnd(a.send("1\r"), "：");
    expectOnePromptAtEnd(a.send("QRT04521\r"), "：");
    expectOnePromptAtEnd(a.send("1\r"), "：");
    const auto sent = a.input("\r");
    EXPECT_TRUE(endsWith(sent.text, sj("：")));
    EXPECT_EQ(sent.log, "mail W9810001.TXT from ABC01234 to QRT04521: 簡易版KIROインストール完了");
    EXPECT_TRUE(endsWith(a.send("1\r"), "MAIL>"));

    // A failed upload is a data error back at the mail prompt.
    a.send("UPL PROT:BPL TYPE:TXT\r");
    a.input("W9810002.TXT\r");
    after = a.service->transferEnded(false, 0);
    EXPECT_NE(after.text.find(sj("◆データエラー◆")), std::string::npos);
    EXPECT_TRUE(endsWith(after.text, "MAIL>"));
}

TEST(MailArea, UnapprovedMemberIsRefused)
{
    Area a;
    a.config.unapproved.insert("ABC01234");
    a.login();
    a.send("go mail\r");
    const auto reply = a.input("UPL PROT:BPL TYPE:TXT\r");
    EXPECT_NE(reply.text.find(sj("◆未承認につき、メールの送信はできません◆")), std::string::npos);
    EXPECT_TRUE(endsWith(reply.text, "MAIL>"));
    EXPECT_FALSE(reply.transfer);
}

TEST(LzhStoreWriter, ArchivesExtractWithOurExtractor)
{
    EXPECT_EQ(lzhCrc16({'1', '2', '3', '4', '5', '6', '7', '8', '9'}), 0xBB3D);
    TempDir temp("lzh-store");
    const fs::path dir = temp.path;
    const auto krd = makeDemoKrd("題名", "歌詞");
    ASSERT_GE(krd.size(), 54u);
    EXPECT_EQ(std::string(krd.begin(), krd.begin() + 4), "8JSY");
    EXPECT_EQ(krd[9], 90);
    EXPECT_EQ(krd[krd.size() - 5], 255); // the end command's code
    const auto midi = makeDemoMidi(3);
    ASSERT_TRUE(writeStoredLzh(dir / "A.LZH", {{"A.KRD", krd}, {"A.MID", midi}, {"EMPTY", {}}}));
    fs::create_directories(dir / "out");
    ASSERT_EQ(kiro::LzhExtractAll(dir / "A.LZH", dir / "out"), 0);
    EXPECT_EQ(fileText(dir / "out" / "A.MID"), std::string(midi.begin(), midi.end()));
    EXPECT_TRUE(fs::exists(dir / "out" / "EMPTY"));
    EXPECT_TRUE(makeStoredLzh({{"", {1}}}).empty());
    EXPECT_TRUE(makeStoredLzh({{std::string(240, 'N'), {1}}}).empty());
}

TEST(KaraokeCatalogue, LoadsAddressesFromTheCatalogueAndChecksOptions)
{
    TempDir temp("karaoke-catalogue");
    const fs::path file = temp.path / "KIRODB.MDB";
    kiro::db::CatalogueDb::createFile(file);
    {
        kiro::db::CatalogueDb db;
        db.openOrThrow(file);
        db.execute("INSERT INTO 商品マスタ (コースコード, 商品コード, ファイル名, データアドレス１, データアドレス２) "
                   "VALUES ('010', 'K1', 'KARAOKE\\KR00001.KRD', ' 12 , 345', '40,1')");
        // A header address that meets another product's archive address loses.
        db.execute("INSERT INTO 商品マスタ (コースコード, 商品コード, ファイル名, データアドレス１, データアドレス２) "
                   "VALUES ('010', 'K2', 'KR00002.KRD', '40,1', 'x,y')");
        // Numbers too large for the host are refused, not wrapped onto 12,1.
        db.execute("INSERT INTO 商品マスタ (コースコード, 商品コード, ファイル名, データアドレス１, データアドレス２) "
                   "VALUES ('010', 'K3', 'KR00003.KRD', '4294967308,1', '12,+1')");
    }
    HostConfig config;
    ASSERT_FALSE(parseArguments({"--catalogue", file.string(), "--unapproved", "abc01234"}, config));
    EXPECT_TRUE(config.unapproved.count("ABC01234"));
    ASSERT_FALSE(loadKaraoke(config));
    ASSERT_TRUE(config.karaoke);
    const auto *item = config.karaoke->find(12, 345);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->code, "K1");
    EXPECT_EQ(item->baseName, "KR00001");
    EXPECT_FALSE(item->header);
    ASSERT_NE(config.karaoke->find(40, 1), nullptr);
    EXPECT_EQ(config.karaoke->find(40, 1)->code, "K2");
    EXPECT_EQ(config.karaoke->find(12, 1), nullptr);

    HostConfig wrong;
    EXPECT_TRUE(parseArguments({"--karaoke-refuse", "sometimes"}, wrong));
    ASSERT_FALSE(parseArguments({"--catalogue", (temp.path / "none.mdb").string()}, wrong));
    EXPECT_TRUE(loadKaraoke(wrong));
    ASSERT_FALSE(parseArguments({"--catalogue", file.string(), "--db-password", "nope"}, wrong));
    EXPECT_TRUE(loadKaraoke(wrong));
}

TEST(DemoContent, SongsOnTheDiskAreWrittenAndCourse20HasNoArchives)
{
    TempDir temp{"demo-content"};
    const fs::path file = temp.path / "KIRODB.MDB";
    kiro::db::CatalogueDb::createFile(file);
    std::set<std::string> onDisk;
    {
        kiro::db::CatalogueDb db;
        db.openOrThrow(file);
        kiro::db::SampleOptions options;
        options.products = 1000; // 20 course-10 songs and the songs of one course-50 set on the disk
        const auto summary = kiro::db::writeSampleCatalogue(db, options);
        EXPECT_EQ(summary.course20, 50);
        kiro::db::Statement st(db.connection(), "SELECT ファイル名, リンクサイン FROM 商品マスタ WHERE ダウンロード済みフラグ = 1");
        while (st.step())
            if (sqlite3_column_int64(st.get(), 1) != 1)
                onDisk.insert(productBaseName(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0))));
    }
    ASSERT_GT(onDisk.size(), 20u) << "course-10 songs and a set's songs";

    const fs::path songs = temp.path / "karaoke", archives = temp.path / "content";
    const std::string tool = std::string("'" KIRO_BIN_DIR "/kiro-demo-content' '") + file.string() + "' '";
    ASSERT_EQ(std::system((tool + archives.string() + "' --no-archives --songs '" + songs.string() + "' >/dev/null").c_str()), 0);
    EXPECT_FALSE(fs::exists(archives));
    std::set<std::string> written;
    for (const auto &entry : fs::directory_iterator(songs))
        written.insert(entry.path().filename().string());
    std::set<std::string> expected;
    for (const std::string &base : onDisk)
        for (const char *extension : {".KRD", ".MID"})
            expected.insert(base + extension);
    EXPECT_EQ(written, expected);
    // A song on the disk reads as one of ours.
    std::string krd;
    ASSERT_TRUE(kiro::readWholeFile(songs / "K000050.KRD", krd));
    EXPECT_GT(krd.size(), 54u);

    ASSERT_EQ(std::system((tool + archives.string() + "' --leave-out 0 >/dev/null").c_str()), 0);
    EXPECT_TRUE(fs::exists(archives / "K000001.LZH"));
    EXPECT_FALSE(fs::exists(archives / "C00001.LZH")) << "course 20 plays files the demo does not have";
}
