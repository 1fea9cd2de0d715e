#include "client/db/Compaction.h"
#include "client/db/DbError.h"
#include "client/db/MailNumbers.h"
#include "client/db/Recordset.h"
#include "client/db/tests/TestDb.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace kiro::db;
using kiro::db::test::OpenCatalogue;

namespace {

class RecordingView : public kiro::app::Prompt, public CompactionProgress {
public:
    bool answer = true;
    std::vector<std::string> events;
    void message(const std::string& t, const std::string&) override { events.push_back("msg:" + t); }
    kiro::app::PromptAnswer question(const std::string& q, const std::string& first, const std::string& second) override
    {
        events.push_back("ask:" + q + "[" + first + "|" + second + "]");
        return answer ? kiro::app::PromptAnswer::First : kiro::app::PromptAnswer::Second;
    }
    void setBusy(bool b) override { events.push_back(b ? "busy" : "idle"); }
    void showProgress(const std::string& t) override { events.push_back("show:" + t); }
    void setStatus(const std::string& s) override { events.push_back("status:" + s); }
    void hideProgress() override { events.push_back("hide"); }
    std::string lastMessage() const
    {
        for (auto it = events.rbegin(); it != events.rend(); ++it)
            if (it->rfind("msg:", 0) == 0)
                return it->substr(4);
        return {};
    }
};

struct CompactFixture : OpenCatalogue {
    std::filesystem::path file() { return dir / "KIRODB.MDB"; }
    CompactFixture()
    {
        for (int i = 0; i < 200; ++i)
            db.execute("INSERT INTO ジャンルマスタ VALUES ('010', '" + std::to_string(i) + "', '" + std::string(200, 'x') + "')");
        db.execute("DELETE * FROM ジャンルマスタ WHERE ジャンルコード <> '7'");
    }
    bool holdsData()
    {
        CatalogueDb other;
        if (!other.open(file()))
            return false;
        Recordset rs(other);
        rs.open("SELECT * FROM ジャンルマスタ");
        return !rs.isEOF() && FieldToText(rs.fieldValue("ジャンルコード")) == "7";
    }
    bool exists(const char* name) { return std::filesystem::exists(dir / name); }
};

} // namespace

TEST(Compaction, CompactsKeepsThePasswordAndReopens)
{
    CompactFixture f;
    RecordingView view;
    // The write-ahead log holds the latest changes until a checkpoint.
    f.db.connection()->execRaw("PRAGMA wal_checkpoint(TRUNCATE);");
    const auto before = std::filesystem::file_size(f.file());
    EXPECT_EQ(CompactDatabase(f.db, view, view), CompactionResult::Compacted);
    EXPECT_LT(std::filesystem::file_size(f.file()), before);
    EXPECT_TRUE(f.db.isOpen());
    EXPECT_TRUE(f.holdsData());
    EXPECT_FALSE(f.exists("$$KIRO$$.BAK"));
    EXPECT_FALSE(f.exists("$$KIRO$$.MDB"));
    CatalogueDb wrong("x");
    EXPECT_FALSE(wrong.open(f.file()));
    const std::vector<std::string> expected = {
        "ask:データベースを最適化して、\nファイルサイズを小さくします。\nよろしいですか？[OK|キャンセル]", "busy",
        "show:データベースを最適化中...", "status:データベースクローズ中...", "status:最適化実行中... このままでお待ちください。",
        "status:最適化終了処理中...", "status:データベースオープン中...", "hide", "msg:最適化処理は正常に終了しました。", "hide",
        "idle"};
    EXPECT_EQ(view.events, expected);
}

TEST(Compaction, CancelAndCloseFailure)
{
    CompactFixture f;
    RecordingView view;
    view.answer = false;
    EXPECT_EQ(CompactDatabase(f.db, view, view), CompactionResult::Cancelled);
    EXPECT_EQ(view.events.size(), 1u);
    EXPECT_TRUE(f.db.isOpen());

    view.answer = true;
    f.db.close();
    EXPECT_EQ(CompactDatabase(f.db, view, view), CompactionResult::CloseFailed);
    EXPECT_EQ(view.lastMessage(), "データベースに問題があります。\n最適化はできませんでした。");
    EXPECT_EQ(view.events.back(), "idle");
    EXPECT_TRUE(f.holdsData());
}

TEST(Compaction, EveryFailureLeavesTheOriginalWhenItCanBeRestored)
{
    CompactFixture f;
    auto failingCompact = [](const std::filesystem::path&, const std::filesystem::path& target, const std::string&) {
        std::ofstream(target) << "partial";
        throw DbError(3044, "disk full");
    };
    {
        RecordingView view;
        CompactionSteps steps = CompactionSteps::standard();
        steps.compact = failingCompact;
        EXPECT_EQ(CompactDatabase(f.db, view, view, steps), CompactionResult::FailedKeptOriginal);
        EXPECT_EQ(view.lastMessage(), "最適化に失敗しました。\nデータベースは元のままです。\nハードディスクの空き容量を\n増やして、もう一度\n実行してみてください。");
        EXPECT_TRUE(f.db.isOpen());
        EXPECT_TRUE(f.holdsData());
        EXPECT_FALSE(f.exists("$$KIRO$$.MDB"));
        EXPECT_FALSE(f.exists("$$KIRO$$.BAK"));
    }
    // A copy that checks out but is spoilt as it takes the name.
    auto spoilAfterSwap = [&](CompactionSteps& steps, bool restoreFails, bool spoilRestored) {
        auto rename = steps.rename;
        steps.rename = [=](const std::filesystem::path& from, const std::filesystem::path& to) {
            if (from.filename() == "$$KIRO$$.BAK" && restoreFails)
                return false;
            const bool ok = rename(from, to);
            if (ok && to.filename() == "KIRODB.MDB" && (from.filename() == "$$KIRO$$.MDB" || spoilRestored))
                std::ofstream(to, std::ios::trunc) << std::string(1024, 'j');
            return ok;
        };
    };
    {
        // The new file does not open after the swap: the original comes back.
        RecordingView view;
        CompactionSteps steps = CompactionSteps::standard();
        spoilAfterSwap(steps, false, false);
        EXPECT_EQ(CompactDatabase(f.db, view, view, steps), CompactionResult::FailedKeptOriginal);
        EXPECT_TRUE(f.db.isOpen());
        EXPECT_TRUE(f.holdsData());
        EXPECT_FALSE(f.exists("$$KIRO$$.BAK"));
        EXPECT_FALSE(f.exists("$$KIRO$$.MDB"));
    }
    {
        // Put back, but the file no longer opens.
        RecordingView view;
        CompactionSteps steps = CompactionSteps::standard();
        spoilAfterSwap(steps, false, true);
        const std::string original = [&] {
            std::ifstream in(f.file(), std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        }();
        EXPECT_EQ(CompactDatabase(f.db, view, view, steps), CompactionResult::FailedNotReopened);
        EXPECT_EQ(view.lastMessage(), "最適化に失敗しました。\n元のファイルをオープンできません。");
        EXPECT_FALSE(f.db.isOpen());
        std::ofstream(f.file(), std::ios::binary | std::ios::trunc) << original;
        ASSERT_EQ(f.db.reopen(), 0);
    }
    {
        // The rename back fails: the backup is the only good copy and is
        // kept; the next start puts it back.
        RecordingView view;
        CompactionSteps steps = CompactionSteps::standard();
        spoilAfterSwap(steps, true, false);
        EXPECT_EQ(CompactDatabase(f.db, view, view, steps), CompactionResult::FailedNotRestored);
        EXPECT_EQ(view.lastMessage(), "最適化に失敗しました。\nファイルを元に戻せませんでした。");
        EXPECT_TRUE(f.exists("$$KIRO$$.BAK"));
        EXPECT_FALSE(f.exists("$$KIRO$$.MDB"));
        EXPECT_TRUE(f.holdsData());
        EXPECT_FALSE(f.exists("$$KIRO$$.BAK"));
        ASSERT_EQ(f.db.reopen(), 0);
    }
    {
        // The compact copy cannot take the name: the original comes back.
        RecordingView view;
        CompactionSteps steps = CompactionSteps::standard();
        auto rename = steps.rename;
        steps.rename = [&](const std::filesystem::path& from, const std::filesystem::path& to) {
            return from.filename() == "$$KIRO$$.MDB" ? false : rename(from, to);
        };
        EXPECT_EQ(CompactDatabase(f.db, view, view, steps), CompactionResult::FailedKeptOriginal);
        EXPECT_TRUE(f.holdsData());
        EXPECT_FALSE(f.exists("$$KIRO$$.MDB"));
    }
    EXPECT_EQ(compactWithoutQuestions(f.db), CompactionResult::Compacted);
    EXPECT_TRUE(f.holdsData());
}

TEST(Compaction, ACopyThatDoesNotOpenNeverReplacesTheOriginal)
{
    CompactFixture f;
    RecordingView view;
    CompactionSteps steps = CompactionSteps::standard();
    // The engine reports success but leaves a copy it cannot open again.
    steps.compact = [](const std::filesystem::path&, const std::filesystem::path& target, const std::string&) {
        std::ofstream(target, std::ios::binary) << std::string(4096, 'k');
    };
    EXPECT_EQ(CompactDatabase(f.db, view, view, steps), CompactionResult::FailedKeptOriginal);
    EXPECT_EQ(view.lastMessage(), "最適化に失敗しました。\nデータベースは元のままです。\nハードディスクの空き容量を\n増やして、もう一度\n実行してみてください。");
    EXPECT_TRUE(f.db.isOpen());
    EXPECT_TRUE(f.holdsData());
    EXPECT_FALSE(f.exists("$$KIRO$$.BAK"));
    EXPECT_FALSE(f.exists("$$KIRO$$.MDB"));
    EXPECT_EQ(view.events.back(), "idle");
}

TEST(MailNumbers, RecomputedFromTheMailTable)
{
    OpenCatalogue c;
    EXPECT_EQ(recomputeMailNumbers(c.db).readMailNo, 10001);
    EXPECT_EQ(recomputeMailNumbers(c.db).writeMailNo, 10001);
    c.db.execute("INSERT INTO メールテーブル VALUES ('R9810007', 1, 1, 'R9810007.TXT')");
    c.db.execute("INSERT INTO メールテーブル VALUES ('R9810009', 1, 0, 'R9810009.TXT')"); // unread: ignored
    c.db.execute("INSERT INTO メールテーブル VALUES ('W9810003', 0, 0, 'W9810003.TXT')");
    c.db.execute("INSERT INTO メールテーブル VALUES ('W9810012', 0, 0, 'W9810012.TXT')");
    c.db.execute("INSERT INTO メールテーブル VALUES ('R9810004', 1, 2, 'R9810004.TXT')");
    const MailNumbers n = recomputeMailNumbers(c.db);
    EXPECT_EQ(n.readMailNo, 10008);
    EXPECT_EQ(n.writeMailNo, 10013);
    EXPECT_EQ(mailNumberOf("W98123456.TXT"), 12345);
    EXPECT_EQ(mailNumberOf("NULL"), 10000);
    EXPECT_EQ(mailNumberOf("W9"), 10000);
    EXPECT_EQ(mailNumberOf(""), 10000);
    c.db.execute("INSERT INTO メールテーブル VALUES ('R9829999', 1, 1, '')");
    c.db.execute("INSERT INTO メールテーブル VALUES ('R98xx', 1, 1, NULL)");
    EXPECT_EQ(recomputeMailNumbers(c.db).readMailNo, 10008) << "names sort descending; '' and NULL sort last";
}
