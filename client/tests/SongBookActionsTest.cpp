// The program's song book actions over its own services: the karaoke
// screen's play button runs the real player (songbox and songbox1, which
// ends at once in its no-wait mode), and the group list's "ファイル" opens
// the downloaded-songs list.
#include "PlayerFolders.h"
#include "TestApplication.h"
#include "client/ClientSongBookActions.h"
#include "client/ProgramServices.h"
#include "client/app/ScriptedPrompt.h"
#include "client/catalogue/tests/PlaybackFixture.h"
#include "client/ui/DownloadedListDialog.h"
#include "client/ui/GroupListDialog.h"
#include "client/ui/KaraokeScreen.h"
#include "client/ui/PictureButton.h"
#include "client/online/HostSession.h"
#include "client/online/PortRegistry.h"
#include "common/Registry.h"
#include "tools/hostsim/tests/HostSimProcess.h"
#include "common/MessageBoxes.h"
#include "player/tests/KrdWriter.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
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
    kiro::clienttest::PlayerFolders players{install};
    std::unique_ptr<kiro::client::ProgramServices> services;

    ProgramWithSongs()
        : CatalogueFixture("songbook-actions")
    {
        ensureApplication();
        for (const char* code : {"K1", "K2"}) {
            product(10, code, std::string(code) + ".LZH", 1);
            kiro::player::test::KrdWriter().end().save(install / "karaoke" / (std::string(code) + ".KRD"));
            songFile(std::string("karaoke/") + code + ".MID");
        }
        // The program opens the catalogue itself.
        db.close();
        settings.ComSingle = 0;
        settings.BgmOff = 1;
        services = std::make_unique<kiro::client::ProgramServices>(settings, prompt, players.windows());
        services->setInstallFolder(install.string());
        services->prepareFolders();
        EXPECT_TRUE(services->openDatabase());
    }
    ~ProgramWithSongs()
    {
        services.reset();
        db.openOrThrow(install / "sysfile" / "KIRODB.MDB"); // for the fixture's shut-down
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

TEST(SongBookActions, ReceiveDownloadsTheReservedSongOverTheProgramsSession)
{
    if (std::system("command -v jlha >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "jlha is not installed";
    ProgramWithSongs p;
    // K3 waits on the host: menu 1, item 1, an archive of K3.KRD and K3.MID.
    p.programDb().execute("INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, 商品名読み, 歌手名, ファイル名, "
                          "データアドレス１, ダウンロード済みフラグ, リンクサイン) VALUES (\"010\", \"K3\", \"title K3\", "
                          "\"K3\", \"singer\", \"K3.LZH\", \"1,1\", 0, 0);");
    const fs::path content = p.install / "content";
    const fs::path work = p.install / "work";
    fs::create_directories(content);
    fs::create_directories(work);
    std::ofstream(work / "K3.KRD") << "KRD of K3";
    std::ofstream(work / "K3.MID") << "MThd K3";
    ASSERT_EQ(std::system(("cd '" + work.string() + "' && jlha -c '" + (content / "K3.LZH").string()
                              + "' K3.KRD K3.MID >/dev/null 2>&1").c_str()),
        0);

    kiro::testing::HostSimProcess host({"--member", "ABC01234:secret", "--catalogue",
        (p.install / "sysfile" / "KIRODB.MDB").string(), "--content", content.string(), "--upload",
        (p.install / "upload").string()});
    ASSERT_GT(host.port(), 0);
    kiro::Registry(p.install / "windows" / "registry.reg")
        .writeString(kiro::online::kTelnetKey, "Default", "127.0.0.1:" + std::to_string(host.port()));
    p.settings.ComPort = 5; // the TELNET modem
    p.settings.AccessPoint = "0300000001";
    p.settings.ModemInit = "ATS12=5";
    p.settings.NiftyID = "ABC01234";
    p.settings.NiftyPassWord = "secret";
    p.settings.ReDialInterval = 1;
    p.settings.MailToUserInfo = 1; // the user-information mail went out before
    QWidget mainWindow;
    p.services->initPort(&mainWindow);
    p.services->createProgressWindow(&mainWindow);
    p.services->session()->setTickInterval(std::chrono::milliseconds(80));

    auto actions = p.actions();
    KaraokeScreen screen(p.programDb(), 10, 0, p.prompt, *actions, p.folders());
    ASSERT_TRUE(screen.book().writeReservation("K3", ReserveResult::OneTime));
    EXPECT_EQ(actions->bulkReceive(screen.book(), &screen), 1) << "one one-time song came in";

    EXPECT_TRUE(fs::exists(p.install / "karaoke" / "K3.KRD"));
    EXPECT_TRUE(fs::exists(p.install / "karaoke" / "K3.MID"));
    kiro::db::Recordset rs(p.programDb());
    rs.open("SELECT ダウンロード済みフラグ FROM 商品マスタ WHERE 商品コード = \"K3\";");
    EXPECT_EQ(rs.fieldValue("ダウンロード済みフラグ").integer, 1);
    EXPECT_EQ(p.reservations(), 1) << "the reservation stays to be played";
    p.services->deleteProgressWindow();
    p.services->shutdownPort();
}
