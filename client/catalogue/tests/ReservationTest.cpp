#include "SongBookFixture.h"

#include "client/app/ScriptedPrompt.h"
#include "client/catalogue/GroupList.h"
#include "client/catalogue/KaraokeBrowser.h"
#include "client/catalogue/ReservationBook.h"
#include "client/catalogue/ReservationList.h"
#include "client/catalogue/ReserveOffer.h"
#include "client/catalogue/SetContents.h"
#include "client/db/Recordset.h"
#include "client/db/Variant.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace kiro::catalogue;
using kiro::app::PromptAnswer;
using kiro::app::ScriptedPrompt;
using kiro::catalogue::test::RecordingView;
using kiro::catalogue::test::SongBookCatalogue;

namespace {

struct FakeChooser : ReserveChooser {
    ReserveResult answer = ReserveResult::Keeping;
    std::vector<std::string> calls;
    ReserveResult chooseProduct(int, const ProductDetails& p, bool needsDownload) override
    {
        calls.push_back("product " + p.code + (needsDownload ? " new" : " on disk"));
        return answer;
    }
    ReserveResult chooseSet(int, const std::string& set, bool needsDownload) override
    {
        calls.push_back("set " + set + (needsDownload ? " new" : " on disk"));
        return answer;
    }
};

// 商品コード/順位/予約フラグ of the course's reservations in rank order.
std::vector<std::string> reservationRows(kiro::db::CatalogueDb& db, const char* course)
{
    kiro::db::Recordset rs(db);
    rs.open(std::string("SELECT 商品コード, 順位, 予約フラグ FROM 予約テーブル WHERE コースコード='") + course +
            "' ORDER BY 順位");
    std::vector<std::string> rows;
    for (; !rs.isEOF(); rs.moveNext())
        rows.push_back(FieldToText(rs.fieldValue(0)) + "/" + FieldToText(rs.fieldValue(1)) + "/" +
                       FieldToText(rs.fieldValue(2)));
    return rows;
}

// The list row of a product on the current tab.
long rowOf(KaraokeBrowser& b, const std::string& code)
{
    for (long r = 0; b.moveSearchTo(r); ++r)
        if (FieldToText(b.searchRecordset().fieldValue("商品コード")) == code)
            return r;
    return -1;
}

struct Screen {
    SongBookCatalogue cat;
    RecordingView view;
    ScriptedPrompt prompt;
    FakeChooser chooser;
    std::unique_ptr<KaraokeBrowser> browser;
    std::unique_ptr<ReservationBook> book;

    explicit Screen(int course, int tab = 0)
    {
        browser = std::make_unique<KaraokeBrowser>(cat.db, course, 0, view);
        browser->tick();
        browser->selectTab(tab);
        browser->tick();
        book = std::make_unique<ReservationBook>(cat.db, course, prompt, cat.dir.path());
    }
    void reserve(const std::string& code) { book->reserveSelected(*browser, rowOf(*browser, code), chooser); }
};

} // namespace

TEST(ReserveOffer, CaptionsAndChargesByPriceAndDownloadState)
{
    ScriptedPrompt prompt({PromptAnswer::Second, PromptAnswer::First, PromptAnswer::First});
    const ReserveOffer only500(10, 0, 500, true);
    EXPECT_FALSE(only500.oneTimeShown());
    EXPECT_EQ(only500.keepingCaption(), "歌い込み予約");
    EXPECT_FALSE(only500.pressKeeping(prompt)) << "the charge declined: the dialog stays";
    EXPECT_EQ(only500.pressKeeping(prompt), ReserveResult::Keeping);
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{"通信料金と500円がかかります。", "通信料金と500円がかかります。"}));

    const ReserveOffer noKeep(10, 500, 0, true);
    EXPECT_TRUE(noKeep.oneTimeShown());
    EXPECT_EQ(noKeep.keepingCaption(), "");
    EXPECT_FALSE(noKeep.keepingEnabled());
    EXPECT_EQ(noKeep.pressOneTime(prompt), ReserveResult::OneTime);
    EXPECT_EQ(prompt.texts().back(), "通信料金と\n500円がかかります。");

    const ReserveOffer onDisk(10, 300, 200, false);
    EXPECT_FALSE(onDisk.oneTimeShown());
    EXPECT_EQ(onDisk.keepingCaption(), "予約する");
    const size_t asked = prompt.records().size();
    EXPECT_EQ(onDisk.pressKeeping(prompt), ReserveResult::Keeping);
    EXPECT_EQ(prompt.records().size(), asked) << "nothing to pay for a song on the disk";
    EXPECT_EQ(ReserveOffer(50, 300, 200, true).keepingCaption(), "予約する");
}

TEST(ReservationBook, ReservesOnceAndRefusesTheSecondTime)
{
    Screen s(10);
    s.reserve("K0003");
    EXPECT_EQ(reservationRows(s.cat.db, "010"), (std::vector<std::string>{"K0003/1/1"}));
    EXPECT_EQ(s.book->toReceiveCount(), 1);
    EXPECT_EQ(s.book->playButtonCaption(), "一括受信");
    s.reserve("K0003");
    EXPECT_EQ(s.prompt.texts().back(), "この曲は既に予約されています。");
    EXPECT_EQ(reservationRows(s.cat.db, "010").size(), 1u);
    EXPECT_EQ(s.chooser.calls.size(), 1u);

    s.chooser.answer = ReserveResult::OneTime;
    s.reserve("K0004");
    s.chooser.answer = ReserveResult::Cancelled;
    s.reserve("K0005");
    EXPECT_EQ(reservationRows(s.cat.db, "010"), (std::vector<std::string>{"K0003/1/1", "K0004/2/0"}));
    EXPECT_EQ(s.book->toReceiveCount(), 2);

    s.book->reserveSelected(*s.browser, -1, s.chooser);
    EXPECT_EQ(s.prompt.texts().back(), "予約する曲を選択してください。");
    const size_t messages = s.prompt.records().size();
    s.book->reserveSelected(*s.browser, 25, s.chooser); // the first blank row
    EXPECT_EQ(s.prompt.records().size(), messages);
    EXPECT_EQ(reservationRows(s.cat.db, "010").size(), 2u);

    // A new visit starts with an empty list for the course.
    ReservationBook again(s.cat.db, 10, s.prompt, s.cat.dir.path());
    EXPECT_TRUE(reservationRows(s.cat.db, "010").empty());
    EXPECT_EQ(again.playButtonCaption(), "カラオケ");
}

TEST(ReservationBook, SetIsReservedWholeWithConsecutiveRanks)
{
    Screen s(50, 16); // Ｓ tab
    s.reserve("S1-2"); // a song of a set, not on the disk: the whole set
    EXPECT_EQ(s.chooser.calls, (std::vector<std::string>{"set S1 new"}));
    EXPECT_EQ(reservationRows(s.cat.db, "050"),
        (std::vector<std::string>{"S1/1/1", "S1-2/2/1", "S1-1/3/1", "S1-3/4/1"}))
        << "the set first, then its songs by reading";
    EXPECT_EQ(s.book->toReceiveCount(), 1) << "a set counts once";
    EXPECT_EQ(s.book->playButtonCaption(), "一括受信");

    s.reserve("S1");
    EXPECT_EQ(s.prompt.texts().back(), "この曲は既に予約されています。");

    s.reserve("S2-1"); // on the disk: reserved alone, free
    EXPECT_EQ(s.chooser.calls.back(), "product S2-1 on disk");
    EXPECT_EQ(reservationRows(s.cat.db, "050").back(), "S2-1/5/1");
    s.reserve("S2"); // the set replaces the song reserved before
    EXPECT_EQ(reservationRows(s.cat.db, "050"),
        (std::vector<std::string>{"S1/1/1", "S1-2/2/1", "S1-1/3/1", "S1-3/4/1", "S2/6/1", "S2-1/7/1"}));
}

TEST(ReservationList, CancellingFollowsTheSetAndOneTimeRules)
{
    Screen s(50, 16);
    s.reserve("S1");
    s.reserve("S2-1");
    ReservationList list(s.cat.db, 50, s.prompt, s.cat.dir.path());
    const auto& rows = list.fill();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].icon, 3);
    EXPECT_EQ(rows[4].icon, 6);
    EXPECT_EQ(list.headers().size(), 2u);
    EXPECT_STREQ(list.cycleLinkFilter(), "親だけ");
    EXPECT_EQ(list.fill().size(), 1u);
    list.cycleLinkFilter();
    list.cycleLinkFilter();
    list.fill();

    list.cancel(1, nullptr); // a song of a set not on the disk
    EXPECT_EQ(s.prompt.texts().back(),
        "この商品はセット商品です。\nセット商品の一部の\n取り消しはできません。\n曲集を選択して\n取り消してください。");
    EXPECT_EQ(list.rows().size(), 5u);

    list.cancel(4, nullptr); // the downloaded song of set S2 (kept, F = 1)
    EXPECT_EQ(s.prompt.texts().back(), "予約を取り消しました。");
    EXPECT_EQ(list.rows().size(), 4u);
    EXPECT_EQ(list.cancelledNotDownloaded(), 0);

    std::vector<std::string> asked;
    list.cancel(0, [&](const std::string& set) {
        asked.push_back(set);
        return false;
    });
    EXPECT_EQ(list.rows().size(), 4u) << "the set dialog answered キャンセル";
    list.cancel(0, [&](const std::string& set) {
        asked.push_back(set);
        return true;
    });
    EXPECT_EQ(asked, (std::vector<std::string>{"S1", "S1"}));
    EXPECT_TRUE(list.rows().empty()) << "the set goes with all its songs";
    EXPECT_EQ(list.cancelledNotDownloaded(), 1);
    list.cancel(-1, nullptr);
    EXPECT_EQ(s.prompt.texts().back(), "予約を取り消す曲を\n選んでください。");

    s.book->afterReservationList(list.cancelledNotDownloaded(), list.cancelledOneTime(), *s.browser);
    EXPECT_EQ(s.book->toReceiveCount(), 0);
    EXPECT_EQ(s.book->playButtonCaption(), "演奏");
}

TEST(ReservationList, CancellingADownloadedSetSongRemovesTheSetRow)
{
    Screen s(50, 16);
    // A set whose song is on the disk, both reserved (as after a receive).
    ASSERT_TRUE(s.book->writeReservation("S2", ReserveResult::Keeping));
    ASSERT_TRUE(s.book->writeReservation("S2-1", ReserveResult::Keeping));
    ReservationList list(s.cat.db, 50, s.prompt, s.cat.dir.path());
    ASSERT_EQ(list.fill().size(), 2u);
    list.cancel(1, nullptr);
    EXPECT_TRUE(reservationRows(s.cat.db, "050").empty());
}

TEST(ReservationBook, ClosingWithOneTimeSongsOnTheDiskDeletesThem)
{
    Screen s(10);
    s.cat.db.execute("UPDATE 商品マスタ SET ダウンロード済みフラグ = 1 WHERE 商品コード IN ('K0001', 'K0002', 'K0003')");
    s.browser->requery();
    s.browser->tick();
    const auto karaoke = s.cat.dir.path() / "karaoke";
    std::filesystem::create_directories(karaoke);
    for (const char* name : {"K0001.KRD", "K0001.mid", "K0002.KRD", "K0003.KRD"})
        std::ofstream(karaoke / name) << "x";
    s.chooser.answer = ReserveResult::OneTime;
    s.reserve("K0001");
    s.reserve("K0002");
    s.chooser.answer = ReserveResult::Keeping;
    s.reserve("K0003");
    s.book->afterBulkReceive(2);

    s.prompt.addAnswer(PromptAnswer::Second);
    EXPECT_FALSE(s.book->closeScreen());
    EXPECT_EQ(s.prompt.texts().back(),
        "歌いきり予約されている曲が\n2曲残っています。\n自動的にキャンセルされますが、\nよろしいですか？");
    EXPECT_TRUE(std::filesystem::exists(karaoke / "K0001.KRD"));

    s.prompt.addAnswer(PromptAnswer::First);
    EXPECT_TRUE(s.book->closeScreen());
    EXPECT_FALSE(std::filesystem::exists(karaoke / "K0001.KRD"));
    EXPECT_FALSE(std::filesystem::exists(karaoke / "K0001.mid"));
    EXPECT_FALSE(std::filesystem::exists(karaoke / "K0002.KRD"));
    EXPECT_TRUE(std::filesystem::exists(karaoke / "K0003.KRD")) << "a kept song stays";
    kiro::db::Recordset flags(s.cat.db);
    flags.open("SELECT 商品コード FROM 商品マスタ WHERE ダウンロード済みフラグ = 1 AND コースコード = '010' ORDER BY 商品コード");
    EXPECT_EQ(FieldToText(flags.fieldValue(0)), "K0003");
    flags.moveNext();
    EXPECT_TRUE(flags.isEOF());

    s.book->setPlayerRunning(true);
    EXPECT_FALSE(s.book->closeScreen()) << "never while a player runs";
}

TEST(SetContents, ListsTheSongsOfASetByReading)
{
    SongBookCatalogue cat;
    const auto songs = loadSetContents(cat.db, 50, "S1");
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0].name, "セット曲");
    const SetForReserve set = loadSetForReserve(cat.db, 50, "S1");
    EXPECT_TRUE(set.found);
    EXPECT_EQ(set.name, "曲集一");
    EXPECT_EQ(set.price1, 500);
    EXPECT_EQ(set.songs.size(), 3u);
}

TEST(GroupList, GroupsOfTheCourseInCodeOrder)
{
    SongBookCatalogue cat;
    EXPECT_EQ(loadGroupList(cat.db, 10), (std::vector<std::string>{"全曲", "ベスト"}));
    EXPECT_TRUE(loadGroupList(cat.db, 20).empty());
}
