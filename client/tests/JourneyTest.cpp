// A user's whole journey through the program's own services and screens,
// against the host stand-in on a loopback port through the TELNET modem:
// set up with kiro-settings, open the song book from the top screen, reserve
// a song on the karaoke screen, receive it with the play button (the
// user-information mail goes out on the same call), sing it with the real
// player, and find it in the downloaded list.
#include "PlayerFolders.h"
#include "TestApplication.h"
#include "client/ClientSongBookActions.h"
#include "client/ProgramServices.h"
#include "client/app/ScriptedPrompt.h"
#include "client/app/Settings.h"
#include "client/app/SettingsTool.h"
#include "client/catalogue/ProductFiles.h"
#include "client/catalogue/tests/PlaybackFixture.h"
#include "client/db/SampleCatalogue.h"
#include "client/online/HostSession.h"
#include "client/online/PortRegistry.h"
#include "client/ui/DownloadedListDialog.h"
#include "client/ui/GroupListDialog.h"
#include "client/ui/KaraokeListModel.h"
#include "client/ui/KaraokeScreen.h"
#include "client/ui/PictureButton.h"
#include "client/ui/tests/UiTestSupport.h"
#include "common/FileNames.h"
#include "common/MessageBoxes.h"
#include "common/Registry.h"
#include "tools/hostsim/tests/HostSimProcess.h"

#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;
using kiro::app::PromptAnswer;
using kiro::app::ScriptedPrompt;

namespace {

const char* const kMember = "ABC01234";
const char* const kPassword = "secret";

PictureButton* button(QWidget* w, const char* name) { return w->findChild<PictureButton*>(QString::fromLatin1(name)); }

std::string shellQuoted(const fs::path& path) { return "'" + path.string() + "'"; }

// What the walk saw on the screens, checked after it ended.
struct Sightings {
    int groups = 0;
    int rowsShown = 0;
    QString captionAfterReserve;
    QString captionAfterReceive;
    std::string reservedCode;
    long long reservationsAfterReceive = -1;
    long long reservationsAfterPlay = -1;
    QStringList downloadedList;
    bool screenOpened = false;
};

// The install folder of a new user: the sample catalogue, the player
// programs in karaoke/, an empty MAIL/, a private Windows directory and
// temporary folder; the host holds an archive of every product.
struct Journey : CatalogueFixture {
    kiro::clienttest::PlayerFolders players{install};
    fs::path windows = players.windows();
    fs::path content = install / "host-content";
    fs::path upload = install / "host-upload";
    fs::path forum = install / "host-forum";

    Journey()
        : CatalogueFixture("journey")
    {
        kiro::clienttest::ensureApplication();
        fs::create_directories(install / "MAIL");
        kiro::db::SampleOptions sample;
        sample.products = 40;
        kiro::db::writeSampleCatalogue(db, sample);
        // Every song can be kept, so the walk's song stays to be listed after singing.
        db.execute("UPDATE 商品マスタ SET 単価２ = 300;");
        db.close(); // the program opens it itself
    }
    ~Journey()
    {
        db.openOrThrow(install / "sysfile" / "KIRODB.MDB"); // for the fixture's shut-down
    }

    fs::path catalogue() const { return install / "sysfile" / "KIRODB.MDB"; }

    bool makeHostContent()
    {
        const std::string command = std::string(KIRO_BIN_DIR) + "/kiro-demo-content " + shellQuoted(catalogue()) + " "
                                  + shellQuoted(content) + " --leave-out 0 >/dev/null";
        return std::system(command.c_str()) == 0;
    }

    // The operator's forum is optional: it needs an LZH archiver.
    bool makeForum()
    {
        const std::string command = "bash " + shellQuoted(fs::path(KIRO_SOURCE_DIR) / "scripts" / "demo-forum.sh")
                                  + " " + shellQuoted(forum) + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }
};

// Closes whatever modal dialog is left once the walk has taken too long, so
// a screen the walk did not expect fails the test instead of hanging it.
class Watchdog {
public:
    explicit Watchdog(std::chrono::milliseconds limit)
    {
        m_timer.setInterval(100);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                m_fired = true;
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
                else
                    modal->close();
            }
        });
        QTimer::singleShot(limit, &m_timer, [this] { m_timer.start(); });
    }
    bool fired() const { return m_fired; }

private:
    QTimer m_timer;
    bool m_fired = false;
};

long long countRows(kiro::db::CatalogueDb& db, const std::string& sql)
{
    kiro::db::Recordset rs(db);
    rs.open(sql);
    return rs.fieldValue("n").integer;
}

// On the karaoke screen: reserve the first song to keep, receive it with the
// play button, then sing it.
void walkKaraokeScreen(KaraokeScreen& screen, kiro::db::CatalogueDb& db, Sightings& seen)
{
    seen.screenOpened = true;
    screen.tickNow();
    for (int i = 0; i < 200 && !screen.browser().padded(); ++i)
        screen.tickNow();
    seen.rowsShown = screen.listRows()->rowCount();
    if (seen.rowsShown == 0)
        return;
    screen.listView()->setCurrentIndex(screen.listRows()->index(0, 0));
    kiro::uitest::whenModalOpens([](QDialog* reserve) {
        PictureButton* keeping = button(reserve, "keeping");
        if (keeping && keeping->isEnabled())
            keeping->click();
        else
            reserve->reject();
    });
    button(&screen, "reserve")->click();
    seen.captionAfterReserve = screen.playButton()->text();
    {
        kiro::db::Recordset rs(db);
        rs.open("SELECT 商品コード FROM 予約テーブル WHERE コースコード = \"010\";");
        if (!rs.isEOF())
            seen.reservedCode = kiro::db::FieldToText(rs.fieldValue("商品コード"));
    }

    button(&screen, "play")->click(); // 一括受信
    seen.captionAfterReceive = screen.playButton()->text();
    seen.reservationsAfterReceive = countRows(db, "SELECT COUNT(*) AS n FROM 予約テーブル;");

    button(&screen, "play")->click(); // カラオケ
    seen.reservationsAfterPlay = countRows(db, "SELECT COUNT(*) AS n FROM 予約テーブル;");
}

} // namespace

TEST(Journey, SetUpReserveReceiveSingAndFindTheSongInTheDownloadedList)
{
    Journey j;
    ASSERT_TRUE(j.makeHostContent()) << "kiro-demo-content could not write the host's archives";
    std::vector<std::string> hostArgs{"--member", std::string(kMember) + ":" + kPassword, "--catalogue",
        j.catalogue().string(), "--content", j.content.string(), "--upload", j.upload.string()};
    if (j.makeForum())
        hostArgs.insert(hostArgs.end(), {"--forum", j.forum.string()});
    kiro::testing::HostSimProcess host(hostArgs, (j.install / "host.log").string());
    ASSERT_GT(host.port(), 0);

    // Set up: the TELNET phone book entry and the settings, as a user would with kiro-settings.
    kiro::Registry(j.windows / "registry.reg")
        .writeString(kiro::online::kTelnetKey, "Default", "127.0.0.1:" + std::to_string(host.port()));
    std::ostringstream toolOut, toolErr;
    ASSERT_EQ(kiro::app::runSettingsTool({"--windir", j.windows.string(), "set", "SetupIsOK=1", "ComPort=5",
                                              "AccessPoint=0300000001", "ModemInit=ATS12=5",
                                              std::string("NiftyID=") + kMember,
                                              std::string("NiftyPassWord=") + kPassword, "ReDialInterval=1",
                                              "Name=山田太郎", "KiroPassWord=7777", "BgmOff=1"},
                  toolOut, toolErr),
        0)
        << toolErr.str();
    kiro::app::ClientSettings settings;
    ASSERT_EQ(kiro::app::LoadSettings(settings, j.windows), "");
    ASSERT_EQ(settings.MailToUserInfo, 0) << "a new user's information has not been mailed yet";

    ScriptedPrompt prompt{{}, PromptAnswer::First};
    QWidget top; // outlives the services, which own the progress window made over it
    kiro::client::ProgramServices services(settings, prompt, j.windows);
    services.setInstallFolder(j.install.string());
    services.prepareFolders();
    ASSERT_TRUE(services.setupIsOK());
    ASSERT_TRUE(services.openDatabase());
    std::ostringstream boxes;
    std::istringstream noInput;
    auto& actions = static_cast<kiro::client::ClientSongBookActions&>(services.songBookActions());
    actions.setMessageBoxes(std::make_unique<kiro::ConsoleMessageBoxes>(boxes, noInput));
    services.initPort(&top);
    services.createProgressWindow(&top);
    ASSERT_NE(services.session(), nullptr);
    services.session()->setTickInterval(std::chrono::milliseconds(80));
    ASSERT_TRUE(services.songBookAvailable());

    // The top screen's song book: the group list, its first group, then the
    // downloaded list from the group list's "ファイル".
    Sightings seen;
    Watchdog watchdog(std::chrono::seconds(45));
    kiro::uitest::whenModalOpens([&](QDialog* modal) {
        auto* groups = qobject_cast<GroupListDialog*>(modal);
        if (!groups) {
            modal->reject();
            return;
        }
        seen.groups = groups->list()->count();
        QObject::connect(groups, &GroupListDialog::karaokeScreenOpened, groups, [&](KaraokeScreen* screen) {
            QTimer::singleShot(0, screen, [&, screen] {
                walkKaraokeScreen(*screen, *services.database(), seen);
                screen->closeScreen();
            });
        });
        groups->list()->setCurrentRow(0);
        button(groups, "enter")->click();

        kiro::uitest::whenModalOpens([&](QDialog* opened) {
            if (auto* list = qobject_cast<DownloadedListDialog*>(opened))
                for (int i = 0; i < list->list()->topLevelItemCount(); ++i)
                    seen.downloadedList << list->list()->topLevelItem(i)->text(0);
            opened->accept();
        });
        button(groups, "files")->click();
        groups->reject();
    });
    services.openSongBook(&top);
    EXPECT_FALSE(watchdog.fired()) << "a dialog the journey did not expect stayed open";

    // The song book and the karaoke screen showed the catalogue.
    EXPECT_GT(seen.groups, 1);
    ASSERT_TRUE(seen.screenOpened);
    EXPECT_GT(seen.rowsShown, 0);
    ASSERT_FALSE(seen.reservedCode.empty()) << "nothing was reserved";
    EXPECT_EQ(seen.captionAfterReserve, QStringLiteral("一括受信"));

    // Received: the song's files in karaoke/, its flag set, the reservation
    // kept for singing.
    EXPECT_EQ(seen.captionAfterReceive, QStringLiteral("カラオケ"));
    EXPECT_EQ(seen.reservationsAfterReceive, 1);
    const std::vector<std::string> said = prompt.texts();
    EXPECT_NE(std::find(said.begin(), said.end(), "お買い上げ誠に\nありがとうございました。"), said.end());
    kiro::db::CatalogueDb& db = *services.database();
    std::string fileName, title;
    {
        kiro::db::Recordset rs(db);
        rs.open("SELECT 商品名, ファイル名, ダウンロード済みフラグ FROM 商品マスタ WHERE コースコード = \"010\" AND "
                "商品コード = \""
            + seen.reservedCode + "\";");
        ASSERT_FALSE(rs.isEOF());
        fileName = kiro::db::FieldToText(rs.fieldValue("ファイル名"));
        title = kiro::db::FieldToText(rs.fieldValue("商品名"));
        EXPECT_EQ(kiro::db::FieldToText(rs.fieldValue("ダウンロード済みフラグ")), "1");
    }
    const std::string base = kiro::catalogue::productBaseName(fileName);
    EXPECT_TRUE(kiro::filenames::findInFolder(j.install / "karaoke", base + ".KRD")) << base;
    EXPECT_TRUE(kiro::filenames::findInFolder(j.install / "karaoke", base + ".MID")) << base;

    // The user-information mail reached the host and is not sent again.
    bool mailed = false;
    if (fs::is_directory(j.upload))
        for (const auto& entry : fs::directory_iterator(j.upload))
            mailed = mailed || (entry.path().filename().string().front() == 'W' && fs::file_size(entry.path()) > 0);
    EXPECT_TRUE(mailed) << "no user-information mail in " << j.upload;
    kiro::app::ClientSettings saved;
    ASSERT_EQ(kiro::app::LoadSettings(saved, j.windows), "");
    EXPECT_EQ(saved.MailToUserInfo, 1);

    // Sung: the player ran and ended, the reservation is gone, the kept song stays.
    EXPECT_EQ(boxes.str(), "") << "the player reported a problem";
    ASSERT_FALSE(prompt.texts().empty());
    EXPECT_EQ(prompt.texts().back(), "予約された曲の演奏が、\n全て終りました。");
    EXPECT_EQ(seen.reservationsAfterPlay, 0);
    EXPECT_FALSE(actions.playerRunning());
    EXPECT_TRUE(kiro::filenames::findInFolder(j.install / "karaoke", base + ".KRD"));

    // The downloaded list shows it.
    EXPECT_TRUE(seen.downloadedList.contains(QString::fromStdString(title))) << seen.downloadedList.join('|').toStdString();

    services.deleteProgressWindow();
    services.shutdownPort();
}
