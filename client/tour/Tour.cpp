#include "client/tour/Tour.h"

#include "client/ProgramServices.h"
#include "client/catalogue/KaraokeBrowser.h"
#include "client/catalogue/SongBookActions.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/Statements.h"
#include "client/online/HostSession.h"
#include "client/ui/DownloadedListDialog.h"
#include "client/ui/KaraokeListModel.h"
#include "client/ui/KaraokeScreen.h"
#include "client/ui/MaintenanceMenu.h"
#include "client/ui/MessageDialog.h"
#include "client/ui/PictureButton.h"
#include "client/ui/ReservationListDialog.h"
#include "client/ui/TopScreen.h"
#include "client/ui/VersionUpListDialog.h"
#include "client/ui/progress/ProgressWindow.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace kiro::tour {

namespace {

using namespace std::chrono_literals;

std::optional<int> positiveNumber(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < 1 || value > 100000)
        return std::nullopt;
    return static_cast<int>(value);
}

KaraokeScreen* karaokeScreen()
{
    return qobject_cast<KaraokeScreen*>(TourRunner::modal());
}

// The bulk receive's progress window while it is shown.
kiro::ui::ProgressWindow* shownProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<kiro::ui::ProgressWindow*>(widget); progress && progress->isVisible())
            return progress;
    return nullptr;
}

// "Read Byte:1234" → 1234.
long long bytesOnLine(const QString& line)
{
    const qsizetype colon = line.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? 0 : line.mid(colon + 1).trimmed().toLongLong();
}

bool messageSays(const char* text)
{
    auto* message = qobject_cast<MessageDialog*>(TourRunner::modal());
    return message && message->message().contains(QString::fromUtf8(text));
}

int listRows(QWidget* dialog)
{
    auto* list = dialog ? dialog->findChild<QTreeWidget*>() : nullptr;
    return list ? list->topLevelItemCount() : -1;
}

// A closing step: the screen of `className` is shown; press its `button`.
TourStep screenStep(const std::string& name, bool picture, const char* className, const char* button)
{
    TourStep step;
    step.name = name;
    step.picture = picture;
    step.ready = [className] { return TourRunner::modalIs(className) && TourRunner::modal()->isEnabled(); };
    step.act = [className, button]() -> std::string {
        if (!TourRunner::click(TourRunner::modal(), button))
            return std::string("no button ") + button + " on " + className;
        return {};
    };
    return step;
}

// A list screen, pictured and reported as "`what`: N" (N its rows), then
// left with `button`; with `needRows` it is ready only once it lists some.
TourStep listStep(const std::string& name, const char* className, const char* button, const std::string& what,
    bool needRows)
{
    TourStep step = screenStep(name, true, className, button);
    auto leave = step.act;
    step.ready = [needRows, ready = step.ready] {
        return ready() && (!needRows || listRows(TourRunner::modal()) > 0);
    };
    step.act = [leave, what]() -> std::string {
        TourRunner::report(what + ": " + std::to_string(listRows(TourRunner::modal())));
        return leave();
    };
    return step;
}

// On the maintenance menu: run entry `row` ("もどる" for row -1).
TourStep menuStep(int row)
{
    TourStep step;
    step.name = row < 0 ? "close-maintenance-menu" : "maintenance-entry-" + std::to_string(row);
    // The menu is disabled while the entry it ran closes.
    step.ready = [] { return TourRunner::modalIs("MaintenanceMenu") && TourRunner::modal()->isEnabled(); };
    step.act = [row]() -> std::string {
        auto* menu = qobject_cast<MaintenanceMenu*>(TourRunner::modal());
        if (!menu)
            return "the maintenance menu went away";
        if (row >= 0)
            menu->list()->setCurrentRow(row);
        return TourRunner::click(menu, row < 0 ? "2" : "1") ? std::string() : "the menu's button is missing";
    };
    return step;
}

} // namespace

std::optional<TourOptions> tourFromEnvironment(std::string& problem)
{
    problem.clear();
    const char* walk = std::getenv("KIRO_TOUR");
    if (!walk || !*walk)
        return std::nullopt;
    if (std::string(walk) != "walk") {
        problem = "KIRO_TOUR=" + std::string(walk) + ": the only tour is \"walk\"";
        return std::nullopt;
    }
    TourOptions options;
    if (const char* shots = std::getenv("KIRO_TOUR_SHOTS"); shots && *shots)
        options.pictures = std::filesystem::absolute(shots);
    if (const char* tick = std::getenv("KIRO_TOUR_TICK_MS"); tick && *tick) {
        const auto value = positiveNumber(tick);
        if (!value) {
            problem = "KIRO_TOUR_TICK_MS=" + std::string(tick) + ": not a number of milliseconds";
            return std::nullopt;
        }
        options.tickMs = *value;
    }
    if (const char* limit = std::getenv("KIRO_TOUR_LIMIT"); limit && *limit) {
        const auto value = positiveNumber(limit);
        if (!value) {
            problem = "KIRO_TOUR_LIMIT=" + std::string(limit) + ": not a number of seconds";
            return std::nullopt;
        }
        options.limitSeconds = *value;
    }
    return options;
}

Tour::Tour(TourOptions options)
    : m_options(std::move(options))
    , m_runner(TourRunnerOptions{m_options.pictures, std::chrono::seconds(m_options.limitSeconds)})
{
    // The player is another process; it writes the words it shows here.
    m_lyrics = std::filesystem::path(QDir::tempPath().toStdString())
             / ("kiro-tour-lyrics-" + std::to_string(::getpid()) + ".txt");
    std::error_code ec;
    std::filesystem::remove(m_lyrics, ec);
    ::setenv("SONGBOX1_LYRICS", m_lyrics.c_str(), 1);
}

Tour::~Tour()
{
    std::error_code ec;
    std::filesystem::remove(m_lyrics, ec);
}

void Tour::start(TopScreen& top, kiro::client::ProgramServices& services)
{
    m_top = &top;
    m_services = &services;
    if (m_options.tickMs > 0 && services.session())
        services.session()->setTickInterval(std::chrono::milliseconds(m_options.tickMs));
    m_runner.setOnFailure([this] {
        // A job waiting on the host would keep its screen open.
        if (m_services && m_services->session())
            m_services->session()->abortWaits();
    });
    // The song book opens on the first group that lists the whole course by
    // reading, so the search below can find any song.
    if (kiro::db::CatalogueDb* db = services.database()) {
        try {
            kiro::db::Recordset groups(*db);
            groups.open(kiro::db::statements::groupComboStatement(10));
            for (int row = 0; !groups.isEOF(); groups.moveNext(), ++row) {
                if (kiro::db::FieldToText(groups.fieldValue("読みインデックスの有無")) != "0") {
                    m_groupRow = row;
                    break;
                }
            }
        } catch (const kiro::db::DbError&) {
        }
    }
    buildWalk();
    m_runner.start(&top);
}

std::string Tour::lyricsSeen() const
{
    std::ifstream in(m_lyrics);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string Tour::findSongBySearch()
{
    KaraokeScreen* screen = karaokeScreen();
    kiro::db::CatalogueDb* db = m_services->database();
    if (!screen || !db)
        return "the karaoke screen is not open";
    // Songs not yet on the disk that can be kept, read from the catalogue
    // each time, so the walk follows whatever the catalogue holds.
    std::vector<std::string> readings;
    try {
        kiro::db::Recordset rs(*db);
        rs.open("SELECT 商品名読み FROM 商品マスタ WHERE コースコード = \"010\" AND リンクサイン = 0 AND "
                "ダウンロード済みフラグ = 0 AND 単価２ > 0 ORDER BY 商品コード;");
        for (; !rs.isEOF() && readings.size() < 40; rs.moveNext())
            readings.push_back(kiro::db::FieldToText(rs.fieldValue("商品名読み")));
    } catch (const kiro::db::DbError& e) {
        return std::string("cannot read the catalogue: ") + e.what();
    }
    kiro::catalogue::KaraokeBrowser& browser = screen->browser();
    for (const std::string& reading : readings) {
        const QString typed = QString::fromStdString(reading).left(3);
        if (typed.isEmpty())
            continue;
        screen->searchBox()->clear();
        for (const QChar c : typed)
            screen->searchBox()->insert(QString(c)); // one key at a time, as typed
        const long hit = browser.searchPosition();
        if (!browser.moveSearchTo(hit))
            continue;
        kiro::db::Recordset& rs = browser.searchRecordset();
        try {
            const std::string hitReading = kiro::db::FieldToText(rs.fieldValue("商品名読み"));
            if (hitReading.rfind(typed.toStdString(), 0) != 0)
                continue;
            if (kiro::db::FieldToText(rs.fieldValue("ダウンロード済みフラグ")) != "0"
                || std::atoi(kiro::db::FieldToText(rs.fieldValue("単価２")).c_str()) < 1)
                continue;
            m_reservedCode = kiro::db::FieldToText(rs.fieldValue("商品コード"));
        } catch (const kiro::db::DbError&) {
            continue;
        }
        m_searchRow = hit;
        TourRunner::report("searched \"" + typed.toStdString() + "\": row " + std::to_string(hit) + ", product "
                           + m_reservedCode);
        return {};
    }
    return "no typed reading found a song to receive";
}

void Tour::buildWalk()
{
    TourRunner& r = m_runner;
    auto topShown = [this] { return m_top && TourRunner::modal() == m_top.data(); };
    auto onTop = [this, topShown](const std::string& name, bool picture, const char* button) {
        TourStep step;
        step.name = name;
        step.picture = picture;
        step.ready = [this, topShown] { return topShown() && m_top->settled(); };
        step.act = [this, button]() -> std::string {
            return TourRunner::click(m_top, button) ? std::string() : std::string("no button ") + button;
        };
        return step;
    };
    auto whileKaraoke = [](const std::string& name, std::function<bool(KaraokeScreen&)> ready,
                            std::function<std::string(KaraokeScreen&)> act) {
        TourStep step;
        step.name = name;
        step.ready = [ready] {
            KaraokeScreen* screen = karaokeScreen();
            return screen && ready(*screen);
        };
        step.act = [act]() -> std::string {
            KaraokeScreen* screen = karaokeScreen();
            return screen ? act(*screen) : "the karaoke screen went away";
        };
        return step;
    };

    // The top screen, then the setup dialogs through the maintenance menu;
    // each is left with its cancel button, so the settings stay.
    r.add(onTop("top-screen", true, "1413"));
    r.add(menuStep(MaintenanceMenu::UserSettingsEntry));
    r.add(screenStep("user-settings", true, "UserSettingsDialog", "2"));
    r.add(menuStep(MaintenanceMenu::AccessPointEntry));
    r.add(screenStep("access-point", true, "AccessPointDialog", "2"));
    r.add(menuStep(MaintenanceMenu::SoundModemEntry));
    r.add(screenStep("sound-and-modem", true, "SoundModemDialog", "2"));
    r.add(menuStep(-1));

    // The song book: a group, the karaoke screen and its picture settings.
    r.add(onTop("open-song-book", false, "1410"));
    {
        TourStep step = screenStep("group-list", true, "GroupListDialog", "enter");
        step.ready = [] {
            auto* list = TourRunner::modalIs("GroupListDialog") ? TourRunner::modal()->findChild<QListWidget*>() : nullptr;
            return list && list->count() > 0;
        };
        auto enter = step.act;
        step.act = [this, enter]() -> std::string {
            if (auto* list = TourRunner::modal()->findChild<QListWidget*>())
                list->setCurrentRow(std::min(m_groupRow, list->count() - 1));
            return enter();
        };
        r.add(step);
    }
    {
        TourStep step = whileKaraoke("karaoke-screen",
            [](KaraokeScreen& s) {
                const QModelIndex first = s.listRows()->index(0, 0);
                return first.isValid() && !first.data().toString().isEmpty() && s.browser().rowsAdded() > 0;
            },
            [](KaraokeScreen& s) -> std::string {
                return TourRunner::click(&s, "pictureSettings") ? std::string() : "no 画像設定 button";
            });
        step.picture = true;
        r.add(step);
    }
    r.add(screenStep("picture-settings", true, "PictureSettingsDialog", "2"));

    // The type-ahead search, then the song it found is reserved to keep.
    r.add(whileKaraoke("type-reading", [](KaraokeScreen&) { return true; },
        [this](KaraokeScreen&) { return findSongBySearch(); }));
    {
        TourStep step = whileKaraoke("search",
            [this](KaraokeScreen& s) {
                const QModelIndex row = s.listRows()->index(static_cast<int>(m_searchRow), 0);
                if (!row.isValid() || row.data().toString().isEmpty())
                    return false;
                if (s.listView()->currentIndex() != row) {
                    s.listView()->setCurrentIndex(row);
                    s.listView()->scrollTo(row);
                }
                return true;
            },
            [](KaraokeScreen& s) -> std::string {
                return TourRunner::click(&s, "reserve") ? std::string() : "no 予約する button";
            });
        step.picture = true;
        r.add(step);
    }
    {
        TourStep step = screenStep("reserve-dialog", true, "ReserveDialog", "keeping");
        auto keep = step.act;
        step.act = [this, keep]() -> std::string {
            TourRunner::report("reserved product " + m_reservedCode + " to keep");
            return keep();
        };
        r.add(step);
    }
    r.add(whileKaraoke("reserved",
        [](KaraokeScreen& s) { return s.playButton()->text() == QStringLiteral("一括受信"); },
        [](KaraokeScreen& s) -> std::string {
            return TourRunner::click(&s, "showReservations") ? std::string() : "no 予約確認 button";
        }));
    r.add(listStep("reservation-list", "ReservationListDialog", "back", "reservations", true));

    // The bulk receive: dialling, logging in, the transfer, the thank-you.
    r.add(whileKaraoke("receive", [](KaraokeScreen&) { return true; }, [](KaraokeScreen& s) -> std::string {
        return TourRunner::click(&s, "play") ? std::string() : "no 一括受信 button";
    }));
    {
        TourStep step;
        step.name = "receiving";
        step.picture = true;
        step.wait = 90s;
        step.settle = 300ms;
        step.ready = [] {
            kiro::ui::ProgressWindow* progress = shownProgressWindow();
            // Mid-transfer: bytes have come and more are still to come.
            return progress && bytesOnLine(progress->lineText(kiro::online::ProgressLine::Bytes)) > 0
                && bytesOnLine(progress->lineText(kiro::online::ProgressLine::Remaining)) > 0;
        };
        step.act = [] {
            TourRunner::report("transfer under way: "
                               + shownProgressWindow()->lineText(kiro::online::ProgressLine::Bytes).toStdString());
            return std::string();
        };
        r.add(step);
    }
    {
        TourStep step = screenStep("thank-you", true, "MessageDialog", "1");
        step.wait = 90s;
        step.ready = [] { return messageSays("ありがとうございました"); };
        r.add(step);
    }

    // Singing: the player, a separate program, shows a picture and the words.
    r.add(whileKaraoke("sing", [](KaraokeScreen& s) { return s.playButton()->text() == QStringLiteral("カラオケ"); },
        [](KaraokeScreen& s) -> std::string {
            return TourRunner::click(&s, "play") ? std::string() : "no カラオケ button";
        }));
    {
        TourStep step;
        step.name = "player";
        step.picture = true;
        step.wait = 60s;
        step.settle = 800ms;
        const bool pictures = !m_options.pictures.empty();
        step.ready = [this, pictures] {
            const bool running = m_services->songBookActions().playerRunning();
            if (running && !m_playerSeen) {
                m_playerSeen = true;
                TourRunner::report("player started");
            }
            // For the picture, the player's window must show its words.
            return running && (!pictures || !lyricsSeen().empty());
        };
        r.add(step);
    }
    {
        TourStep step;
        step.name = "player-ended";
        step.wait = 90s;
        step.ready = [] { return messageSays("全て終りました"); };
        step.act = [this]() -> std::string {
            std::ifstream in(m_lyrics);
            for (std::string line; std::getline(in, line);)
                TourRunner::report("lyric: " + line);
            TourRunner::report("player ended");
            return TourRunner::click(TourRunner::modal(), "1") ? std::string() : "no OK on the last message";
        };
        r.add(step);
    }

    // Back to the group list and its downloaded songs.
    r.add(whileKaraoke("leave-karaoke-screen",
        [this](KaraokeScreen&) { return !m_services->songBookActions().playerRunning(); },
        [](KaraokeScreen& s) -> std::string {
            return TourRunner::click(&s, "back") ? std::string() : "no もどる button";
        }));
    r.add(screenStep("open-downloaded-list", false, "GroupListDialog", "files"));
    r.add(listStep("downloaded-list", "DownloadedListDialog", "back", "downloaded songs", true));
    r.add(screenStep("close-song-book", false, "GroupListDialog", "back"));

    // The forum's update announcements fetched, then the version-up list.
    r.add(onTop("open-maintenance-menu", false, "1413"));
    r.add(menuStep(MaintenanceMenu::VersionUpEntry));
    {
        // The job calls the forum; the menu comes back when it is over.
        TourStep step = menuStep(MaintenanceMenu::VersionListEntry);
        step.wait = 90s;
        r.add(step);
    }
    r.add(listStep("version-up-list", "VersionUpListDialog", "2", "version-up list", false));
    r.add(menuStep(-1));
    r.add(onTop("exit", false, "1414"));
}

int Tour::finish(bool startedUp)
{
    if (!startedUp) {
        TourRunner::report("the program did not start (see the lines above)");
        return 1;
    }
    if (m_runner.failed())
        return 1;
    if (!m_runner.done()) {
        TourRunner::report("the program ended before step " + m_runner.currentStepName());
        return 1;
    }
    TourRunner::report("walk done");
    return 0;
}

} // namespace kiro::tour
