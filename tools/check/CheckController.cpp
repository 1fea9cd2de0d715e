#include "tools/check/CheckController.h"

#include "client/db/Connection.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "common/FileNames.h"
#include "tools/check/CheckTexts.h"

#include <algorithm>

namespace kiro::check {

namespace fs = std::filesystem;

namespace {

// The folder a fixed name means, in whatever case the disk spells it.
fs::path folderUnder(const fs::path& base, const std::string& name)
{
    auto found = filenames::findInFolder(base, name);
    return found ? *found : base / name;
}

// ASCII letters in lower case, as the file system of the original compared
// names; other bytes stay as they are.
std::string folded(std::string name)
{
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

} // namespace

FolderListing::FolderListing(const fs::path& folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        m_files.push_back(it->path());
        m_foldedNames.push_back(folded(it->path().filename().string()));
    }
    std::sort(m_files.begin(), m_files.end());
    std::sort(m_foldedNames.begin(), m_foldedNames.end());
}

std::vector<fs::path> FolderListing::withExtension(const std::string& extension) const
{
    std::vector<fs::path> out;
    for (const fs::path& file : m_files)
        if (filenames::sameNameIgnoringCase(file.extension().string(), extension))
            out.push_back(file);
    return out;
}

bool FolderListing::contains(const std::string& name) const
{
    return std::binary_search(m_foldedNames.begin(), m_foldedNames.end(), folded(name));
}

CheckController::CheckController(fs::path installFolder, CheckView& view)
    : m_install(std::move(installFolder))
    , m_karaoke(folderUnder(m_install, kKaraokeFolder))
    , m_cdex(folderUnder(m_install, kCdexFolder))
    , m_view(view)
{
}

CheckController::~CheckController()
{
    closing();
}

bool CheckController::start()
{
    auto file = filenames::resolveUnder(m_install, std::string(kDatabaseFolder) + "/" + kDatabaseName);
    try {
        m_db.openOrThrow(file ? *file : m_install / kDatabaseFolder / kDatabaseName);
        return true;
    } catch (const db::DbError& error) {
        m_view.message(error.what());
    }
    m_view.message(kOpenFailed);
    m_view.endDialog(-1);
    return false;
}

void CheckController::okPressed()
{
    if (m_running)
        return; // the buttons are disabled; a queued press changes nothing
    if (m_done) {
        m_view.endDialog(1);
        return;
    }
    m_view.setStatusText(kWorkingText);
    m_view.setOkButton(kEndButton, false);
    m_view.setCancelEnabled(false);
    m_done = true;

    const FolderListing karaoke(m_karaoke);
    const FolderListing cdex(m_cdex);
    const auto midiFiles = karaoke.withExtension(".mid");
    const auto mp2Files = cdex.withExtension(".mp2");
    if (midiFiles.empty() && mp2Files.empty()) {
        m_view.message(kNoSongs);
        m_view.endDialog(-1);
        return;
    }
    m_running = true;
    rebuild(karaoke, midiFiles, cdex, mp2Files);
    m_running = false;
    m_view.setOkButton(kEndButton, true);
    m_view.setStatusText(kDoneText);
}

bool CheckController::execute(const std::string& statement)
{
    try {
        m_db.execute(statement);
        return true;
    } catch (const db::DbError& error) {
        m_view.message(error.what());
        m_failed = true;
        return false;
    }
}

void CheckController::rebuild(const FolderListing& karaoke, const std::vector<fs::path>& midiFiles,
                              const FolderListing& cdex, const std::vector<fs::path>& mp2Files)
{
    // One transaction: a run that is killed, or stopped by an engine error,
    // leaves the flags as they were instead of every song unmarked, and
    // thousands of songs are not thousands of commits.
    std::shared_ptr<db::Connection> connection;
    try {
        connection = m_db.connection();
        connection->execRaw("BEGIN IMMEDIATE;");
    } catch (const db::DbError& error) {
        m_view.message(error.what());
        m_failed = true;
        m_view.showProgress(static_cast<int>(midiFiles.size()));
        return;
    }
    runPasses(karaoke, midiFiles, cdex, mp2Files);
    try {
        connection->execRaw(m_failed ? "ROLLBACK;" : "COMMIT;");
    } catch (const db::DbError& error) {
        m_view.message(error.what());
        m_failed = true;
        try {
            connection->execRaw("ROLLBACK;");
        } catch (const db::DbError&) {
            // Nothing is left to undo: the engine ended the transaction itself.
        }
    }
}

void CheckController::runPasses(const FolderListing& karaoke, const std::vector<fs::path>& midiFiles,
                                const FolderListing& cdex, const std::vector<fs::path>& mp2Files)
{
    execute(kResetFlags);
    m_view.showProgress(static_cast<int>(midiFiles.size()));

    if (!m_failed) {
        for (const fs::path& midi : midiFiles) {
            const std::string base = midi.stem().string();
            if (karaoke.contains(base + ".krd") && !execute(db::fillStatement(kMarkByFile, {base})))
                break;
            m_view.advanceProgress();
        }
    }
    if (!m_failed)
        markLinkTargets();
    if (!m_failed) {
        for (const fs::path& mp2 : mp2Files) {
            const std::string base = mp2.stem().string();
            if (cdex.contains(base + ".txt") && cdex.contains(base + ".bmp")
                && !execute(db::fillStatement(kMarkByFile, {base})))
                break;
        }
    }
}

void CheckController::markLinkTargets()
{
    // A set product counts as downloaded when one of its songs is; the
    // targets are read to the end first, as a snapshot, before any is marked.
    std::vector<std::string> targets;
    try {
        db::Recordset links(m_db);
        links.open(kSelectLinkTargets, db::Recordset::kReadOnly);
        for (; !links.isEOF(); links.moveNext()) {
            db::Variant value = links.fieldValue("リンク先商品");
            if (!value.isNull())
                targets.push_back(db::FieldToText(value));
        }
        links.close();
    } catch (const db::DbError& error) {
        m_view.message(error.what());
        m_failed = true;
        return;
    }
    for (const std::string& target : targets)
        if (!execute(db::fillStatement(kMarkLinkTarget, {target})))
            return;
}

void CheckController::closing()
{
    if (m_db.isOpen())
        m_db.shutDown();
}

} // namespace kiro::check
