#include "client/db/Compaction.h"

#include "client/db/CatalogueDb.h"
#include "client/db/CompactionRecovery.h"
#include "client/db/Connection.h"
#include "client/db/DbError.h"
#include "client/db/FileDurability.h"

#include <sqlite3.h>

namespace kiro::db {
namespace {

constexpr char kQuestion[] = "データベースを最適化して、\nファイルサイズを小さくします。\nよろしいですか？";
constexpr char kProgressTitle[] = "データベースを最適化中...";
constexpr char kStatusClosing[] = "データベースクローズ中...";
constexpr char kStatusRunning[] = "最適化実行中... このままでお待ちください。";
constexpr char kStatusFinishing[] = "最適化終了処理中...";
constexpr char kStatusOpening[] = "データベースオープン中...";
constexpr char kCloseFailed[] = "データベースに問題があります。\n最適化はできませんでした。";
constexpr char kDone[] = "最適化処理は正常に終了しました。";
constexpr char kNotRestored[] = "最適化に失敗しました。\nファイルを元に戻せませんでした。";
constexpr char kKeptOriginal[] =
    "最適化に失敗しました。\nデータベースは元のままです。\nハードディスクの空き容量を\n増やして、もう一度\n実行してみてください。";
constexpr char kNotReopened[] = "最適化に失敗しました。\n元のファイルをオープンできません。";

// The view of one run: questions and messages to the prompt, the rest to
// the progress window.
struct View {
    app::Prompt* prompt;
    CompactionProgress* progress;
    bool confirm(const std::string& q)
    {
        return !prompt || prompt->question(q, "OK", "キャンセル") == app::PromptAnswer::First;
    }
    void message(const std::string& text)
    {
        if (prompt)
            prompt->message(text);
    }
    void setBusy(bool b)
    {
        if (progress)
            progress->setBusy(b);
    }
    void showProgress(const std::string& t)
    {
        if (progress)
            progress->showProgress(t);
    }
    void setStatus(const std::string& s)
    {
        if (progress)
            progress->setStatus(s);
    }
    void hideProgress()
    {
        if (progress)
            progress->hideProgress();
    }
};

void removeQuietly(const std::filesystem::path& p)
{
    std::error_code ec;
    std::filesystem::remove(p, ec);
}

// A second name for the original: a hard link costs nothing; where the file
// system has none, a durable copy.
bool keepSecondName(const std::filesystem::path& file, const std::filesystem::path& backup)
{
    std::error_code ec;
    std::filesystem::create_hard_link(file, backup, ec);
    if (!ec)
        return true;
    std::filesystem::copy_file(file, backup, ec);
    return !ec && syncFile(backup);
}

// Reopens the original after a failure before the swap, or after it was
// put back.
CompactionResult reopenOriginal(CatalogueDb& db, View& view)
{
    view.hideProgress();
    if (db.reopen() == 0) {
        view.message(kKeptOriginal);
        return CompactionResult::FailedKeptOriginal;
    }
    view.message(kNotReopened);
    return CompactionResult::FailedNotReopened;
}

// The copy is built beside the catalogue under its own name and made
// durable, and only then takes the catalogue's name in one rename, with the
// original kept as a second name (a hard link, or a copy where links are
// not possible) until the new file has opened. At no moment is there no
// complete catalogue under KIRODB.MDB; what a kill leaves behind is cleaned
// up by recoverInterruptedCompaction at the next start.
CompactionResult compactClosed(CatalogueDb& db, View& view, const CompactionSteps& steps)
{
    const std::filesystem::path file = db.filePath();
    const std::filesystem::path folder = file.parent_path();
    const std::filesystem::path backup = folder / kCompactBackupName;
    const std::filesystem::path copy = folder / kCompactCopyName;
    FolderLock lock(folder, true);

    view.setStatus(kStatusRunning);
    removeDatabaseFile(copy); // a copy left by an earlier, interrupted run
    try {
        steps.compact(file, copy, db.password());
    } catch (const DbError&) {
        removeDatabaseFile(copy);
        return reopenOriginal(db, view);
    }
    if (!syncFile(copy) || !catalogueOpens(copy, db.password())) {
        removeDatabaseFile(copy);
        return reopenOriginal(db, view);
    }
    view.setStatus(kStatusFinishing);
    removeDatabaseFile(backup);
    if (!keepSecondName(file, backup) || !steps.rename(copy, file)) {
        removeDatabaseFile(copy);
        removeDatabaseFile(backup);
        return reopenOriginal(db, view);
    }
    syncFolder(folder);
    view.setStatus(kStatusOpening);
    if (db.reopen() == 0) {
        view.hideProgress();
        removeDatabaseFile(backup);
        syncFolder(folder);
        view.message(kDone);
        return CompactionResult::Compacted;
    }
    // The new file does not open: the original goes back under its name.
    if (!steps.rename(backup, file)) {
        view.hideProgress();
        view.message(kNotRestored);
        return CompactionResult::FailedNotRestored; // the backup is the only good copy: it stays
    }
    syncFolder(folder);
    return reopenOriginal(db, view);
}

CompactionResult runCompaction(CatalogueDb& db, View& view, const CompactionSteps& steps)
{
    if (!view.confirm(kQuestion))
        return CompactionResult::Cancelled;
    view.setBusy(true);
    view.showProgress(kProgressTitle);
    view.setStatus(kStatusClosing);
    CompactionResult result;
    if (db.close() != 0) {
        view.message(kCloseFailed);
        result = CompactionResult::CloseFailed;
    } else {
        result = compactClosed(db, view, steps);
    }
    view.hideProgress();
    view.setBusy(false);
    return result;
}

} // namespace

void compactFile(const std::filesystem::path& source, const std::filesystem::path& target, const std::string& password)
{
    std::error_code ec;
    if (std::filesystem::exists(target, ec))
        throw DbError(3204, "Database '" + target.string() + "' already exists.");
    try {
        auto connection = Connection::open(source, password, true);
        {
            Statement attach(connection, "ATTACH DATABASE ? AS kiro_compact KEY ?");
            const std::string targetText = target.string();
            sqlite3_bind_text(attach.get(), 1, targetText.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(attach.get(), 2, password.c_str(), static_cast<int>(password.size()), SQLITE_TRANSIENT);
            attach.step();
        }
        connection->execRaw("SELECT sqlcipher_export('kiro_compact'); DETACH DATABASE kiro_compact;");
    } catch (...) {
        removeQuietly(target);
        throw;
    }
}

CompactionSteps CompactionSteps::standard()
{
    CompactionSteps steps;
    steps.rename = [](const std::filesystem::path& from, const std::filesystem::path& to) {
        std::error_code ec;
        if (!std::filesystem::exists(from, ec))
            return false;
        std::filesystem::rename(from, to, ec);
        return !ec;
    };
    steps.compact = compactFile;
    return steps;
}

CompactionResult CompactDatabase(CatalogueDb& db, app::Prompt& prompt, CompactionProgress& progress,
                                 const CompactionSteps& steps)
{
    View view{&prompt, &progress};
    return runCompaction(db, view, steps);
}

CompactionResult compactWithoutQuestions(CatalogueDb& db, const CompactionSteps& steps)
{
    View view{nullptr, nullptr};
    return runCompaction(db, view, steps);
}

} // namespace kiro::db
