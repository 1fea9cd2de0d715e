// The program's song book actions over its own services: the karaoke
// screen's play button runs the real player (songbox and songbox1, which
// ends at once in its no-wait mode), and the group list's "ファイル" opens
// the downloaded-songs list.
#include "TestApplication.h"
#include "client/ClientSongBookActions.h"
#include "client/ProgramServices.h"
#include "client/app/ScriptedPrompt.h"
#include "client/catalogue/tests/PlaybackFixture.h"
#include "client/ui/DownloadedListDialog.h"
#include "client/ui/GroupListDialog.h"
#include "client/ui/KaraokeScreen.h"
#include "client/ui/PictureButton.h"
#include "common/MessageBoxes.h"
#include "player/tests/KrdWriter.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;
using kiro::app::PromptAnswer;
using kiro::app::ScriptedPrompt;
using kiro::catalogue::ReserveResult;

namespace {

using kiro::clienttest::ensureApplication;

// An install folder with the player programs, a catalogue with two
// downloaded karaoke songs, and the program's services over it.
struct ProgramWithSongs : CatalogueFixture {
    kiro::app::ClientSettings settings;
    ScriptedPrompt prompt{{}, PromptAnswer::First};
    std::unique_ptr<kiro::client::ProgramServices> services;
    std::string previousTmpdir;

    ProgramWithSongs()
        : CatalogueFixture("songbook-actions")
    {
        ensureApplication();
        for (const char* program : {"songbox", "songbox1"})
            fs::copy_file(fs::path(KIRO_BIN_DIR) / program, install / "karaoke" / program);
        fs::create_directories(install / "karaoke" / "Pict");
        fs::create_directories(install / "tmp");
        fs::create_directories(install / "windows");
        if (const char* previous = std::getenv("TMPDIR"))
            previousTmpdir = previous;
        // songbox's temporary files stay inside the test's folder.
        ::setenv("TMPDIR", (install / "tmp").c_str(), 1);
        ::setenv("KIRO_WINDIR", (install / "windows").c_str(), 1);
        for (const char* code : {"K1", "K2"}) {
            product(10, code, std::string(code) + ".LZH", 1);
            kiro::player::test::KrdWriter().end().save(install / "karaoke" / (std::string(code) + ".KRD"));
            songFile(std::string("karaoke/") + code + ".MID");
        }
        // The program opens the catalogue itself.
        db.close();
        settings.ComSingle = 0;
        settings.BgmOff = 1;
        services = std::make_unique<kiro::client::ProgramServices>(settings, prompt, install / "windows");
        services->setInstallFolder(install.string());
        services->prepareFolders();
        EXPECT_TRUE(services->openDatabase());
    }
    ~ProgramWithSongs()
    {
        services.reset();
        db.openOrThrow(install / "sysfile" / "KIRODB.MDB"); // for the fixture's shut-down
        if (previousTmpdir.empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", previousTmpdir.c_str(), 1);
    }

    kiro::db::CatalogueDb& programDb() { return *services->database(); }

    // The program's actions, their message boxes written to `boxes`.
    std::ostringstream boxes;
    std::istringstream noInput;
    std::unique_ptr<kiro::client::ClientSongBookActions> actions()
    {
        auto made = std::make_unique<kiro::client::ClientSongBookActions>(*services, settings, prompt);
        made->setMessageBoxes(std::make_unique<kiro::ConsoleMessageBoxes>(boxes, noInput));
        return made;
    }

    long long reservations()
    {
        kiro::db::Recordset rs(programDb());
        rs.open("SELECT COUNT(*) AS n FROM 予約テーブル;");
        return rs.fieldValue("n").integer;
    }

    KaraokeScreen::Folders folders() const
    {
        return {QString::fromStdString(install.string()), QString::fromStdString((install / "sysfile").string())};
    }
};

} // namespace

TEST(SongBookActions, PlayInPlayStateRunsThePlayerAndCleansUpTheOneTimeSong)
{
    ProgramWithSongs p;
    auto actions = p.actions();
    KaraokeScreen screen(p.programDb(), 10, 0, p.prompt, *actions, p.folders());
    ASSERT_TRUE(screen.book().writeReservation("K1", ReserveResult::OneTime));
    ASSERT_TRUE(screen.book().writeReservation("K2", ReserveResult::Keeping));
    screen.book().afterBulkReceive(1); // K1 came in as a one-time song
    screen.book().updatePlayButton();
    ASSERT_EQ(screen.playButton()->text(), QStringLiteral("カラオケ"));

    screen.pressPlay();

    EXPECT_EQ(p.boxes.str(), "") << "both songs played";
    EXPECT_EQ(p.prompt.texts().back(), "予約された曲の演奏が、\n全て終りました。");
    EXPECT_EQ(p.reservations(), 0);
    EXPECT_FALSE(fs::exists(p.install / "karaoke" / "K1.KRD"));
    EXPECT_TRUE(fs::exists(p.install / "karaoke" / "K2.KRD"));
    EXPECT_EQ(screen.book().oneTimeDownloadedCount(), 0) << "nothing left to clean up when the screen closes";
    EXPECT_TRUE(screen.isEnabled());
    EXPECT_FALSE(actions->playerRunning());
}

TEST(SongBookActions, APlayerThatCannotStartIsReportedOnTheMessageBoxAndTheRowStays)
{
    ProgramWithSongs p;
    fs::remove(p.install / "karaoke" / "songbox");
    auto actions = p.actions();
    KaraokeScreen screen(p.programDb(), 10, 0, p.prompt, *actions, p.folders());
    ASSERT_TRUE(screen.book().writeReservation("K2", ReserveResult::Keeping));

    screen.pressPlay();

    EXPECT_NE(p.boxes.str().find("(T_T): Failed to launch the KARAOKE!"), std::string::npos) << p.boxes.str();
    EXPECT_EQ(p.reservations(), 1);
    EXPECT_TRUE(screen.isEnabled());
}

TEST(SongBookActions, TheGroupListsFilesButtonOpensTheDownloadedList)
{
    ProgramWithSongs p;
    GroupListDialog groups(p.programDb(), 10, p.prompt, p.services->songBookActions(), p.folders());
    auto* files = groups.findChild<PictureButton*>(QStringLiteral("files"));
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(files->isEnabled());

    QStringList shown;
    std::function<void(int)> poll = [&](int attempts) {
        QTimer::singleShot(10, [&, attempts] {
            if (auto* list = qobject_cast<DownloadedListDialog*>(QApplication::activeModalWidget())) {
                for (int i = 0; i < list->list()->topLevelItemCount(); ++i)
                    shown << list->list()->topLevelItem(i)->text(0);
                list->accept();
            } else if (attempts > 0) {
                poll(attempts - 1);
            }
        });
    };
    poll(300);
    files->click();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("title K1"), QStringLiteral("title K2")}));
}

TEST(SongBookActions, ReceiveWithoutAConnectionLeavesTheProductsWaitingAndTheTestOpensItsDialog)
{
    ProgramWithSongs p;
    auto actions = p.actions();
    KaraokeScreen screen(p.programDb(), 10, 0, p.prompt, *actions, p.folders());
    // No progress window was made, so there is no host session to receive over.
    EXPECT_EQ(actions->bulkReceive(screen.book(), &screen), kiro::catalogue::SongBookActions::kNotReceived);
    EXPECT_EQ(p.prompt.texts().back(), "通信の準備ができていないため、\n受信できません。");

    ASSERT_TRUE(actions->soundModemTestAvailable());
    QString opened;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = modal->objectName();
            modal->reject();
        }
    });
    poll.start();
    actions->runSoundModemTest(&screen);
    EXPECT_EQ(opened, QStringLiteral("405"));
}
