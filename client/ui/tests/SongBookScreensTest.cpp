#include "UiTestSupport.h"

#include "client/app/ScriptedPrompt.h"
#include "client/catalogue/SongBookActions.h"
#include "client/catalogue/tests/SongBookFixture.h"
#include "client/db/SampleCatalogue.h"
#include "client/ui/GroupListDialog.h"
#include "client/ui/KaraokeListModel.h"
#include "client/ui/KaraokeScreen.h"
#include "client/ui/PictureButton.h"
#include "client/ui/ReservationListDialog.h"
#include "client/ui/SearchKeyboard.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

using kiro::app::PromptAnswer;
using kiro::app::ScriptedPrompt;
using kiro::catalogue::test::SongBookCatalogue;

namespace {

struct CountingActions : kiro::catalogue::SongBookActions {
    int received = 0;
    int bulkReceive(kiro::catalogue::ReservationBook&, QWidget*) override
    {
        ++received;
        return 0;
    }
};

PictureButton* button(QWidget* w, const char* name) { return w->findChild<PictureButton*>(QString::fromLatin1(name)); }

void tickUntilPadded(KaraokeScreen& screen)
{
    screen.tickNow();
    for (int i = 0; i < 200 && !screen.browser().padded(); ++i)
        screen.tickNow();
}

// Screenshots for the README: KIRO_SCREENSHOTS=<folder> with the generated
// bitmaps in <folder>/sysfile writes the pictures there.
QString screenshotFolder() { return qEnvironmentVariable("KIRO_SCREENSHOTS"); }

} // namespace

TEST(SongBookScreens, GroupListEntersTheKaraokeScreenAtTheSelectedGroup)
{
    kiro::uitest::app();
    SongBookCatalogue cat;
    ScriptedPrompt prompt;
    kiro::catalogue::SongBookActions actions;
    GroupListDialog groups(cat.db, 10, prompt, actions, {});
    ASSERT_EQ(groups.list()->count(), 2);
    EXPECT_EQ(groups.list()->item(1)->text(), QStringLiteral("ベスト"));
    EXPECT_FALSE(button(&groups, "files")->isEnabled()) << "no downloaded-songs list yet";

    QStringList tabs;
    QObject::connect(&groups, &GroupListDialog::karaokeScreenOpened, [&](KaraokeScreen* screen) {
        kiro::uitest::whenModalOpens([&, screen](QDialog*) {
            tickUntilPadded(*screen);
            for (int i = 0; i < screen->tabBar()->count(); ++i)
                tabs << screen->tabBar()->tabText(i);
            screen->closeScreen();
        });
    });
    groups.list()->setCurrentRow(1);
    groups.enter();
    EXPECT_EQ(tabs, QStringList{QStringLiteral("ベスト")});
}

TEST(SongBookScreens, KeyboardTypesIntoTheSearchAndSwitchesTheTab)
{
    kiro::uitest::app();
    SongBookCatalogue cat;
    ScriptedPrompt prompt;
    kiro::catalogue::SongBookActions actions;
    KaraokeScreen screen(cat.db, 10, 0, prompt, actions, {});
    screen.show();
    screen.tickNow();
    EXPECT_EQ(screen.tabBar()->count(), 19);
    EXPECT_EQ(screen.listRows()->rowCount(), 20);

    SearchKeyboard* kb = screen.keyboard();
    kb->clickAt(QPoint(1 + 28 * 0 + 5, 1 + 28 * 5 + 5)); // ﾊ
    EXPECT_EQ(screen.searchBox()->text(), QStringLiteral("ﾊ"));
    EXPECT_EQ(screen.tabBar()->currentIndex(), 5);
    EXPECT_EQ(screen.listRows()->index(0, 0).data().toString(), QStringLiteral("花")) << "refilled at once";
    kb->clickAt(QPoint(1 + 28 * 1 + 5, 1 + 28 * 10 + 5)); // ｨ
    kb->clickAt(QPoint(1 + 5, 340)); // cursor left
    kb->clickAt(QPoint(86, 340));    // a space before ｨ
    EXPECT_EQ(screen.searchBox()->text(), QStringLiteral("ﾊ ｨ"));
    kb->clickAt(QPoint(30, 340)); // backspace takes the space
    EXPECT_EQ(screen.searchBox()->text(), QStringLiteral("ﾊｨ"));
    kb->clickAt(QPoint(100, 380)); // switch to Latin
    EXPECT_EQ(kb->layout(), 1);
    kb->clickAt(QPoint(5, 5));
    EXPECT_EQ(screen.searchBox()->text(), QStringLiteral("ﾊAｨ"));

    screen.searchBox()->setText(QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀ"));
    EXPECT_EQ(screen.searchBox()->text().size(), 15);
    screen.closeScreen();
    EXPECT_FALSE(screen.isVisible());
}

TEST(SongBookScreens, ReservingThroughTheDialogsTurnsThePlayButtonToReceive)
{
    kiro::uitest::app();
    SongBookCatalogue cat;
    ScriptedPrompt prompt({PromptAnswer::First});
    CountingActions actions;
    KaraokeScreen screen(cat.db, 10, 0, prompt, actions, {cat.dir.path().c_str(), {}});
    screen.show();
    tickUntilPadded(screen);
    EXPECT_EQ(screen.playButton()->text(), QStringLiteral("カラオケ"));

    QTreeView* list = screen.listView();
    KaraokeListModel* rows = screen.listRows();
    ASSERT_GT(rows->rowCount(), 25) << "the songs and the blank rows";
    list->setCurrentIndex(rows->index(rows->rowCount() - 1, 0)); // a blank row
    screen.reserveSelected();
    EXPECT_TRUE(prompt.records().empty()) << "a blank row reserves nothing";

    list->setCurrentIndex(rows->index(2, 0));
    QString caption;
    kiro::uitest::whenModalOpens([&](QDialog* dialog) {
        caption = button(dialog, "keeping")->text();
        button(dialog, "keeping")->click();
    });
    screen.reserveSelected();
    EXPECT_EQ(caption, QStringLiteral("歌い込み予約"));
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{"通信料金と500円がかかります。"}));
    EXPECT_EQ(screen.book().toReceiveCount(), 1);
    EXPECT_EQ(screen.playButton()->text(), QStringLiteral("一括受信"));
    button(&screen, "play")->click();
    EXPECT_EQ(actions.received, 1);
    EXPECT_EQ(screen.playButton()->text(), QStringLiteral("カラオケ"));
}

TEST(SongBookScreens, ReservationListCancelsThroughTheSetDialog)
{
    kiro::uitest::app();
    SongBookCatalogue cat;
    ScriptedPrompt prompt;
    kiro::catalogue::SongBookActions actions;
    KaraokeScreen screen(cat.db, 50, 0, prompt, actions, {});
    ASSERT_TRUE(screen.book().writeReservation("S1", kiro::catalogue::ReserveResult::Keeping));
    ASSERT_TRUE(screen.book().writeReservation("S1-1", kiro::catalogue::ReserveResult::Keeping));
    ReservationListDialog dialog(cat.db, 50, prompt, {}, {}, &screen);
    ASSERT_EQ(dialog.listView()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.listView()->columnCount(), 2);
    dialog.listView()->setCurrentItem(dialog.listView()->topLevelItem(0));
    int songsShown = 0;
    kiro::uitest::whenModalOpens([&](QDialog* set) {
        songsShown = set->findChild<QTreeWidget*>(QStringLiteral("setSongs"))->topLevelItemCount();
        button(set, "1")->click(); // 取消
    });
    dialog.cancelSelected();
    EXPECT_EQ(songsShown, 3);
    EXPECT_EQ(dialog.listView()->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.cancelledNotDownloaded(), 1);
}

TEST(SongBookScreens, ReservationListLiesOverTheTabArea)
{
    kiro::uitest::app();
    SongBookCatalogue cat;
    ScriptedPrompt prompt;
    kiro::catalogue::SongBookActions actions;
    KaraokeScreen screen(cat.db, 10, 0, prompt, actions, {});
    screen.show();
    QApplication::processEvents();
    const QRect area = screen.tabArea();
    QRect placed;
    kiro::uitest::whenModalOpens([&](QDialog* list) {
        placed = list->geometry();
        button(list, "back")->click();
    });
    button(&screen, "showReservations")->click();
    ASSERT_TRUE(placed.isValid());
    EXPECT_EQ(placed.topLeft(), area.topLeft());
    EXPECT_TRUE(area.contains(placed)) << "the list must cover the tabs, not spill over the buttons";
    EXPECT_GE(placed.width(), area.width() - 2);
}

TEST(SongBookScreens, Screenshots)
{
    const QString folder = screenshotFolder();
    if (folder.isEmpty())
        GTEST_SKIP() << "set KIRO_SCREENSHOTS to a folder with sysfile/ bitmaps to write the README pictures";
    kiro::uitest::app();
    kiro::db::test::OpenCatalogue cat;
    kiro::db::writeSampleCatalogue(cat.db, kiro::db::SampleOptions{});
    ScriptedPrompt prompt;
    kiro::catalogue::SongBookActions actions;
    const QString sys = folder + QStringLiteral("/sysfile");
    KaraokeScreen screen(cat.db, 10, 0, prompt, actions, {folder, sys});
    screen.show();
    for (int i = 0; i < 6; ++i)
        screen.tickNow();
    screen.keyboard()->clickAt(QPoint(1 + 5, 1 + 28 * 1 + 5)); // ｶ
    for (int i = 0; i < 6; ++i)
        screen.tickNow();
    for (const char* code : {"K000010", "K000020", "K000030"})
        screen.book().writeReservation(code, kiro::catalogue::ReserveResult::Keeping);
    QApplication::processEvents();
    screen.grab().save(folder + QStringLiteral("/kiro-karaoke-screen.png"));
    ReservationListDialog list(cat.db, 10, prompt, folder, sys, &screen, screen.tabArea());
    list.show();
    QApplication::processEvents();
    list.grab().save(folder + QStringLiteral("/kiro-reservation-list.png"));
}
