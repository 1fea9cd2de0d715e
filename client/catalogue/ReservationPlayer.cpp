#include "client/catalogue/ReservationPlayer.h"

#include "client/app/AppFolders.h"
#include "client/app/ClientSettings.h"
#include "client/app/Prompt.h"
#include "client/catalogue/FieldAccess.h"
#include "client/catalogue/PlayerCommand.h"
#include "client/catalogue/ProductFiles.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/db/Variant.h"
#include "client/music/BackgroundMusic.h"
#include "common/OwnPriority.h"
#include "common/Process.h"

namespace kiro::catalogue {

namespace {

constexpr const char* kYes = "はい";
constexpr const char* kNo = "いいえ";

// A player ended by a signal (a crash, or killed) did not play its song.
constexpr int kFirstSignalExitCode = 128;

} // namespace

ReservationPlayer::ReservationPlayer(kiro::db::CatalogueDb& db, int course, const kiro::app::ClientSettings& settings,
    const kiro::app::AppFolders& folders, kiro::app::Prompt& prompt, kiro::music::BackgroundMusic& music,
    PlaybackScreen& screen)
    : m_db(db)
    , m_course(course)
    , m_settings(settings)
    , m_folders(folders)
    , m_prompt(prompt)
    , m_music(music)
    , m_screen(screen)
{
}

void ReservationPlayer::PlayReservations()
{
    if (m_playerRunning)
        return;
    m_summary = {};
    m_screen.setScreenEnabled(false);
    playList();
    m_screen.setScreenEnabled(true);
}

void ReservationPlayer::playList()
{
    kiro::db::Recordset reservations(m_db);
    try {
        reservations.open(kiro::db::fillStatement(kiro::db::statements::kSelectReservations, {m_course}));
        if (reservations.isEOF()) {
            m_prompt.message("１曲以上予約してください。");
            return;
        }
    } catch (const kiro::db::DbError&) {
        return;
    }

    if (m_settings.ComSingle != 0 && m_settings.ManualModemTest == 0) {
        if (m_prompt.question("パソコンに\n音源が接続されて\nいますか？", kYes, kNo) != kiro::app::PromptAnswer::First)
            return;
    }

    m_music.suspend(-1);
    m_music.close();

    try {
        reservations.moveFirst();
        while (!m_summary.failed && !m_summary.stopped && !reservations.isEOF()) {
            if (fieldText(reservations, "リンクサイン") == "1") {
                // A set's own row: its songs follow; no question before them.
                reservations.deleteCurrent();
                reservations.moveNext();
                continue;
            }
            if (fieldText(reservations, "ダウンロード済みフラグ") == "1") {
                std::string base = productBaseName(fieldText(reservations, "ファイル名"));
                if (playOne(base) == SongResult::Failed) {
                    m_summary.failed = true;
                    break;
                }
                if (fieldText(reservations, "予約フラグ") == "0") {
                    deleteFiles(karaokeFiles(m_folders.installFolder, base));
                    reservations.edit();
                    reservations.setFieldValue("ダウンロード済みフラグ", "0");
                    reservations.update();
                    ++m_summary.deleted;
                }
                reservations.deleteCurrent();
                ++m_summary.played;
            }
            reservations.moveNext();
            if (!reservations.isEOF()
                && m_prompt.question("次の曲を再生します。\nよろしいですか？", kYes, kNo) != kiro::app::PromptAnswer::First)
                m_summary.stopped = true;
        }
    } catch (const kiro::db::DbError&) {
        // The list could not be walked further; what was played stays done.
        m_summary.stopped = true;
    }

    if (!m_summary.failed) {
        if (m_summary.played == 0)
            m_prompt.message("予約された曲には\nダウンロードされた曲が\n一曲もありませんでした。");
        else if (m_summary.stopped)
            m_prompt.message("演奏を中断しました。");
        else
            m_prompt.message("予約された曲の演奏が、\n全て終りました。");
    }

    m_music.openAndPlay(-1);
    m_music.resume();
    if (m_summary.deleted >= 1)
        m_screen.oneTimeSongsDeleted(m_summary.deleted);
}

ReservationPlayer::SongResult ReservationPlayer::playOne(const std::string& base)
{
    kiro::OwnPriorityLowering idle;
    PlayerCommand command = playerCommand(m_folders, m_settings, m_course, base, m_screen.playerWindowId());
    std::string error;
    kiro::Process player;
    if (!command.program.empty())
        player = kiro::Process::start(command.program, command.arguments, command.program.parent_path(), &error);
    if (!player.valid()) {
        m_screen.showLaunchFailure("(T_T)", "Failed to launch the KARAOKE!");
        return SongResult::Failed;
    }
    m_playerRunning = true;
    player.setPriority(kiro::ProcessPriority::High);
    std::optional<int> exitCode = player.waitWhilePumping([this] { m_screen.pumpEvents(); });
    m_playerRunning = false;
    m_screen.bringToFront();
    if (!exitCode || *exitCode >= kFirstSignalExitCode) {
        m_screen.showLaunchFailure("(T_T)", "Failed to launch the KARAOKE!");
        return SongResult::Failed;
    }
    return SongResult::Played;
}

} // namespace kiro::catalogue
