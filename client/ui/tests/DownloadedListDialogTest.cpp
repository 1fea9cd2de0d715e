// The downloaded-songs list over a real catalogue and install folder: what
// "削除" leaves on the disk and in the catalogue.
#include "UiTestSupport.h"

#include "client/app/ScriptedPrompt.h"
#include "client/catalogue/tests/PlaybackFixture.h"
#include "client/db/SampleCatalogue.h"
#include "client/db/tests/TestDb.h"
#include "client/ui/DownloadedListDialog.h"
#include "client/ui/PictureButton.h"
#include "client/ui/SetDeleteDialog.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using kiro::app::PromptAnswer;
using kiro::app::ScriptedPrompt;

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

struct DownloadedSongs : CatalogueFixture {
    ScriptedPrompt prompt{{}, PromptAnswer::First};

    DownloadedSongs()
        : CatalogueFixture("downloaded-dialog")
    {
    }

    // A downloaded product with its three files in karaoke/.
    void onDisk(int course, const std::string& code, int linkSign = 0, const std::string& setCode = {})
    {
        product(course, code, code + ".LZH", 1, linkSign, setCode);
        for (const std::string& name : {code + ".KRD", code + ".MID", code})
            songFile("karaoke/" + name);
    }

    bool anyFileOf(const std::string& code) const
    {
        for (const std::string& name : {code + ".KRD", code + ".MID", code})
            if (fs::exists(install / "karaoke" / name))
                return true;
        return false;
    }

    QStringList names(DownloadedListDialog& dialog) const
    {
        QStringList texts;
        for (int i = 0; i < dialog.list()->topLevelItemCount(); ++i)
            texts << dialog.list()->topLevelItem(i)->text(0);
        return texts;
    }

    void select(DownloadedListDialog& dialog, const QString& name)
    {
        const auto found = dialog.list()->findItems(name, Qt::MatchExactly, 0);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        dialog.list()->setCurrentItem(found.front());
    }
};

} // namespace

TEST(DownloadedListDialog, DeletingOneSongOfASetDeletesTheWholeSet)
{
    kiro::uitest::app();
    DownloadedSongs d;
    d.onDisk(50, "SET", 1);
    d.onDisk(50, "SA", 2, "SET");
    d.onDisk(50, "SB", 2, "SET");
    d.onDisk(50, "SOLO");
    DownloadedListDialog dialog(d.db, 50, qs(d.install.string()), QString(), d.prompt);
    ASSERT_EQ(d.names(dialog).size(), 4);
    EXPECT_EQ(dialog.list()->headerItem()->text(0), QStringLiteral("曲名/曲集名"));

    // "キャンセル" first: nothing happens.
    QStringList listed;
    int answer = QDialog::Rejected;
    QObject::connect(&dialog, &DownloadedListDialog::setDeleteDialogOpened, [&](SetDeleteDialog* set) {
        for (int i = 0; i < set->list()->topLevelItemCount(); ++i)
            listed << set->list()->topLevelItem(i)->text(0);
        QTimer::singleShot(0, set, [set, &answer] { set->done(answer); });
    });
    d.select(dialog, QStringLiteral("title SB"));
    dialog.deleteSelected();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("title SA"), QStringLiteral("title SB")}));
    EXPECT_TRUE(d.anyFileOf("SA"));
    EXPECT_EQ(d.downloaded(50, "SET"), "1");

    answer = 1; // "削除"
    d.select(dialog, QStringLiteral("title SB"));
    dialog.deleteSelected();
    for (const char* code : {"SET", "SA", "SB"}) {
        EXPECT_FALSE(d.anyFileOf(code)) << code;
        EXPECT_EQ(d.downloaded(50, code), "0") << code;
    }
    EXPECT_TRUE(d.anyFileOf("SOLO"));
    EXPECT_EQ(d.downloaded(50, "SOLO"), "1");
    EXPECT_EQ(d.names(dialog), QStringList{QStringLiteral("title SOLO")});
    EXPECT_EQ(d.prompt.texts().back(), "削除しました。");
}

TEST(DownloadedListDialog, ACourse10DeletionRemovesTheThreeFilesWhateverTheirCase)
{
    kiro::uitest::app();
    DownloadedSongs d;
    d.product(10, "K1", "KARAOKE\\K1.KRD", 1);
    for (const char* name : {"k1.krd", "K1.mid", "K1"})
        d.songFile(std::string("karaoke/") + name);
    d.onDisk(10, "K2");
    DownloadedListDialog dialog(d.db, 10, qs(d.install.string()), QString(), d.prompt);
    EXPECT_EQ(dialog.list()->headerItem()->text(1), QStringLiteral("アーティスト"));
    EXPECT_FALSE(dialog.linkFilterButton()->isVisibleTo(&dialog));

    dialog.deleteSelected();
    EXPECT_EQ(d.prompt.texts().back(), "削除する行を選択してください。");

    d.prompt.addAnswer(PromptAnswer::Second); // "いいえ" keeps the song
    d.select(dialog, QStringLiteral("title K1"));
    dialog.deleteSelected();
    EXPECT_TRUE(fs::exists(d.install / "karaoke" / "k1.krd"));

    d.select(dialog, QStringLiteral("title K1"));
    dialog.deleteSelected();
    EXPECT_EQ(d.prompt.records().back().text, "削除しました。");
    for (const char* name : {"k1.krd", "K1.mid", "K1"})
        EXPECT_FALSE(fs::exists(d.install / "karaoke" / name)) << name;
    EXPECT_EQ(d.downloaded(10, "K1"), "0");
    EXPECT_TRUE(d.anyFileOf("K2"));
    EXPECT_EQ(d.names(dialog), QStringList{QStringLiteral("title K2")});
}

TEST(DownloadedListDialog, LinkFilterShowsParentsOrChildrenOnly)
{
    kiro::uitest::app();
    DownloadedSongs d;
    d.onDisk(50, "SET", 1);
    d.onDisk(50, "SA", 2, "SET");
    d.onDisk(50, "SOLO");
    DownloadedListDialog dialog(d.db, 50, qs(d.install.string()), QString(), d.prompt);
    ASSERT_TRUE(dialog.linkFilterButton()->isVisibleTo(&dialog));
    dialog.cycleLinkFilter();
    EXPECT_EQ(dialog.linkFilterButton()->text(), QStringLiteral("親だけ"));
    EXPECT_EQ(d.names(dialog), QStringList{QStringLiteral("title SET")});
    dialog.cycleLinkFilter();
    EXPECT_EQ(dialog.linkFilterButton()->text(), QStringLiteral("子だけ"));
    EXPECT_EQ(d.names(dialog), (QStringList{QStringLiteral("title SA"), QStringLiteral("title SOLO")}));
    dialog.cycleLinkFilter();
    EXPECT_EQ(dialog.linkFilterButton()->text(), QStringLiteral("全部表示"));
    EXPECT_EQ(d.names(dialog).size(), 3);
}

// The README's picture: KIRO_SCREENSHOTS=<folder> with the generated bitmaps
// in <folder>/sysfile writes it there.
TEST(DownloadedListDialog, Screenshot)
{
    const QString folder = qEnvironmentVariable("KIRO_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set KIRO_SCREENSHOTS to a folder with sysfile/ bitmaps to write the README picture";
    kiro::uitest::app();
    kiro::db::test::OpenCatalogue cat;
    kiro::db::writeSampleCatalogue(cat.db, kiro::db::SampleOptions{});
    cat.db.execute("UPDATE 商品マスタ SET ダウンロード済みフラグ = 1 WHERE コースコード = \"010\" AND "
                   "商品コード IN (\"K000010\", \"K000020\", \"K000030\", \"K000040\", \"K000050\");");
    ScriptedPrompt prompt;
    DownloadedListDialog dialog(cat.db, 10, folder, folder + QStringLiteral("/sysfile"), prompt);
    dialog.show();
    dialog.list()->setCurrentItem(dialog.list()->topLevelItem(1));
    QApplication::processEvents();
    EXPECT_TRUE(dialog.grab().save(folder + QStringLiteral("/kiro-downloaded-list.png")));
}
