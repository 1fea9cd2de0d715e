#include "client/ui/progress/ProgressWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QProgressBar>
#include <QPushButton>

using kiro::online::ProgressLine;
using kiro::ui::ProgressWindow;

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "progress_window_tests";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

} // namespace

TEST(ProgressWindow, ShowsLinesAndDisablesItsOwnerWhileShown)
{
    application();
    QWidget owner;
    ProgressWindow window(&owner);
    window.setOwnerEnabled(false);
    window.showWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_FALSE(owner.isEnabled());
    // The owner is disabled, not this window: its button still cancels.
    window.setButton("キャンセル", true);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_TRUE(window.button()->isEnabled());
    window.setLine(ProgressLine::Status, "ダイアル中...");
    window.setLine(ProgressLine::FileName, "File Name:SONG.LZH");
    EXPECT_EQ(window.lineText(ProgressLine::Status), QStringLiteral("ダイアル中..."));
    EXPECT_EQ(window.lineText(ProgressLine::FileName), QStringLiteral("File Name:SONG.LZH"));
    window.setBarRange(200);
    window.setBarPosition(500); // beyond the range: kept at the end
    EXPECT_EQ(window.bar()->value(), 200);
    window.hideWindow();
    window.setOwnerEnabled(true);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(owner.isEnabled());
}

TEST(ProgressWindow, ButtonFollowsCaptionAndPresses)
{
    application();
    ProgressWindow window;
    int presses = 0;
    window.setPressHandler([&] { ++presses; });
    window.setButton("キャンセル", true);
    EXPECT_EQ(window.button()->text(), QStringLiteral("キャンセル"));
    window.button()->click();
    EXPECT_EQ(presses, 1);
    window.setButton("", false);
    window.button()->click(); // a disabled button does nothing
    EXPECT_EQ(presses, 1);
    // Escape does not close the window behind the session's back.
    window.showWindow();
    static_cast<QDialog &>(window).reject();
    EXPECT_TRUE(window.isVisible());
}

TEST(ProgressWindow, StaysUsableAboveAModalScreen)
{
    application();
    QWidget top;
    ProgressWindow window(&top);
    QDialog screen(&top);
    screen.setModal(true);
    screen.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &screen);
    EXPECT_TRUE(QApplication::activeModalWidget() != &window);

    window.showWindow();
    // Its button takes input: nothing modal stands above it.
    EXPECT_EQ(QApplication::activeModalWidget(), &window);
    window.hideWindow();
    EXPECT_EQ(QApplication::activeModalWidget(), &screen);
    screen.hide();

    // Without a modal screen it stays an ordinary window.
    window.showWindow();
    EXPECT_FALSE(window.isModal());
    window.hideWindow();
}
