#include "FakeServices.h"
#include "UiTestSupport.h"

#include "client/app/ScriptedPrompt.h"
#include "client/ui/MaintenanceMenu.h"
#include "client/ui/PictureButton.h"
#include "client/ui/SplashWindow.h"
#include "client/ui/TopScreen.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kiro::app::ScriptedPrompt;

namespace {

PictureButton* button(QWidget* w, const char* id)
{
    return w->findChild<PictureButton*>(QString::fromLatin1(id));
}

QStringList shutDownCalls(const QStringList& calls)
{
    const qsizetype at = calls.indexOf("deleteProgressWindow");
    return at < 0 ? QStringList() : calls.mid(at);
}

} // namespace

TEST(TopScreen, MissingDatabaseEndsQuietlyAfterTheSplash)
{
    kiro::uitest::app();
    QTemporaryDir dir;
    FakeServices services;
    services.folder = dir.path();
    services.databaseOpens = false;
    services.setupDone = false; // would ask for setup if the database had opened
    ScriptedPrompt prompt;
    bool splashShownDuringOpen = false;
    QPointer<SplashWindow> splash;
    {
        TopScreen top(services, prompt);
        services.onOpenDatabase = [&]() {
            splash = top.splash();
            splashShownDuringOpen = splash && splash->isVisible();
        };
        EXPECT_EQ(top.run(), QDialog::Rejected);
        EXPECT_TRUE(top.startUpFailed());
        EXPECT_TRUE(splashShownDuringOpen);
        EXPECT_TRUE(splash.isNull()) << "the splash is destroyed before the program ends";
        EXPECT_FALSE(top.isVisible());
    }
    EXPECT_TRUE(prompt.records().empty()) << "no message, no first-run dialog";
    EXPECT_FALSE(services.calls.contains("afterDatabaseOpened"));
    EXPECT_EQ(services.calls.mid(0, 4),
        (QStringList{"prepareFolders", "initPort", "createProgressWindow", "openDatabase"}));
    EXPECT_EQ(shutDownCalls(services.calls),
        (QStringList{"deleteProgressWindow", "closeDatabase", "closeWorkspace", "shutdownPort", "closeMusic"}));
}

TEST(TopScreen, FirstRunDialogRefusesKaraokeUntilSetupIsDone)
{
    kiro::uitest::app();
    QTemporaryDir dir;
    FakeServices services;
    services.folder = dir.path();
    services.setupDone = false;
    ScriptedPrompt prompt;
    TopScreen top(services, prompt);
    bool stayedOpen = false;
    kiro::uitest::whenModalOpens([&](QDialog* d) {
        EXPECT_EQ(d->objectName(), "615");
        button(d, "1")->click();
        stayedOpen = d->isVisible();
        button(d, "setup")->click();
        button(d, "1")->click();
    });
    EXPECT_TRUE(top.startUp());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{"通信設定を行ってください。"}));
    const qsizetype settings = services.calls.indexOf("runUserSettings");
    ASSERT_GE(settings, 0);
    EXPECT_EQ(services.calls.value(settings + 1), "saveSettings") << "settings are saved after the dialog";
    EXPECT_TRUE(services.calls.contains("afterDatabaseOpened"));
    EXPECT_EQ(top.findChild<PictureButton*>("1038")->geometry(), QRect(0, 0, 640, 480));
}

TEST(TopScreen, FirstRunDialogExitEndsTheProgram)
{
    kiro::uitest::app();
    QTemporaryDir dir;
    FakeServices services;
    services.folder = dir.path();
    services.setupDone = false;
    ScriptedPrompt prompt;
    TopScreen top(services, prompt);
    kiro::uitest::whenModalOpens([&](QDialog* d) { button(d, "2")->click(); });
    EXPECT_FALSE(top.startUp());
    top.shutDown();
    top.shutDown();
    EXPECT_EQ(services.calls.count("closeDatabase"), 1) << "shut-down runs once";
    EXPECT_LT(services.calls.indexOf("closeDatabase"), services.calls.indexOf("closeWorkspace"));
}

TEST(TopScreen, ButtonsTimersAndExit)
{
    kiro::uitest::app();
    QTemporaryDir dir;
    FakeServices services;
    services.folder = dir.path();
    ScriptedPrompt prompt;
    TopScreen top(services, prompt);
    EXPECT_EQ(top.windowTitle(), "通信カラオケKIROLite");
    EXPECT_FALSE(top.windowIcon().isNull());
    const char* ids[] = {"1410", "1413", "1415", "1411", "1414"};
    const char* labels[] = {"カラオケ歌本", "メンテナンス", "お知らせ", "ヘルプ", "終了"};
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(button(&top, ids[i]), nullptr) << ids[i];
        EXPECT_EQ(button(&top, ids[i])->text(), QString::fromUtf8(labels[i]));
    }
    EXPECT_FALSE(button(&top, "1410")->isEnabled()) << "no catalogue yet";
    services.onOpenDatabase = [&]() { services.songBook = true; };
    ASSERT_TRUE(top.startUp());
    EXPECT_TRUE(button(&top, "1410")->isEnabled()) << "the song book opens once the catalogue did";
    button(&top, "1410")->click();
    const qsizetype book = services.calls.indexOf("openSongBook");
    ASSERT_GE(book, 1);
    EXPECT_EQ(services.calls.mid(book - 1, 4), (QStringList{"playTune 4", "openSongBook", "playTune 3", "saveSettings"}));
    EXPECT_NE(top.findChild<QTimer*>("4903"), nullptr);
    EXPECT_EQ(top.findChild<QTimer*>("4903")->interval(), 500);
    EXPECT_EQ(top.findChild<QTimer*>("807")->interval(), 100);

    for (int i = 0; i < 8; ++i)
        top.sessionTimerFired();
    EXPECT_FALSE(top.settled());
    top.sessionTimerFired();
    EXPECT_TRUE(top.settled()) << "settled after more than 8 ticks";
    EXPECT_EQ(top.tickCount(), 9u);

    // The maintenance menu opens with tune 6 and closes with tune 3 and a save.
    kiro::uitest::whenModalOpens([](QDialog* d) {
        EXPECT_EQ(d->objectName(), "500");
        button(d, "2")->click();
    });
    button(&top, "1413")->click();
    const qsizetype tune = services.calls.indexOf("playTune 6");
    ASSERT_GE(tune, 0);
    EXPECT_EQ(services.calls.mid(tune, 3), (QStringList{"playTune 6", "playTune 3", "saveSettings"}));

    kiro::uitest::whenModalOpens([](QDialog* d) {
        EXPECT_EQ(d->objectName(), "619");
        button(d, "1")->click();
    });
    button(&top, "1411")->click();

    top.open();
    button(&top, "1414")->click();
    EXPECT_EQ(top.result(), QDialog::Accepted);
    EXPECT_TRUE(services.calls.contains("stopMusic"));
}

TEST(MaintenanceMenu, EnterWithNothingSelectedAsksForAChoice)
{
    kiro::uitest::app();
    FakeServices services;
    ScriptedPrompt prompt;
    MaintenanceMenu menu(services, prompt);
    EXPECT_EQ(menu.objectName(), "500");
    QListWidget* list = menu.findChild<QListWidget*>("1019");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 6);
    EXPECT_EQ(list->item(3)->text(), "ＫＩＲＯデータベースの最適化");
    EXPECT_EQ(button(&menu, "1")->text(), "入る");
    EXPECT_EQ(button(&menu, "2")->text(), "もどる");

    menu.show();
    button(&menu, "1")->click();
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{"どれか一つを選んでください。"}));
    EXPECT_TRUE(menu.isVisible()) << "the menu stays open";
    EXPECT_TRUE(services.calls.filter("maintenance").isEmpty());

    // An entry runs with the menu busy and disabled; a second "入る" then does nothing.
    bool busyDuringRun = false;
    bool enabledDuringRun = true;
    services.onMaintenance = [&](int, QWidget*) {
        busyDuringRun = menu.isBusy();
        enabledDuringRun = menu.isEnabled();
        menu.enter();
    };
    list->setCurrentRow(3);
    button(&menu, "1")->click();
    EXPECT_EQ(services.calls.filter("maintenance"), QStringList{"maintenance 3"});
    EXPECT_TRUE(busyDuringRun);
    EXPECT_FALSE(enabledDuringRun);
    EXPECT_FALSE(menu.isBusy());
    EXPECT_TRUE(menu.isEnabled());

    // An entry whose screen the program does not have yet is greyed and does nothing.
    EXPECT_FALSE(list->item(4)->flags() & Qt::ItemIsEnabled);
}

TEST(TopScreen, EscapeDoesNotEndTheProgram)
{
    kiro::uitest::app();
    QTemporaryDir dir;
    FakeServices services;
    services.folder = dir.path();
    ScriptedPrompt prompt;
    TopScreen top(services, prompt);
    ASSERT_TRUE(top.startUp());
    top.open();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&top, &escape);
    EXPECT_TRUE(top.isVisible());
    button(&top, "1414")->click();
    EXPECT_FALSE(top.isVisible());
}
