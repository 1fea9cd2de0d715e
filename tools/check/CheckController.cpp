#include "tools/check/CheckController.h"

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

bool fileExists(const fs::path& folder, const std::string& name)
{
    auto found = filenames::findInFolder(folder, name);
    std::error_code ec;
    return found && fs::is_regular_file(*found, ec);
}

} // namespace

std::vector<fs::path> filesWithExtension(const fs::path& folder, const std::string& extension)
{
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        const fs::path& path = it->path();
        if (filenames::sameNameIgnoringCase(path.extension().string(), extension))
            out.push_back(path);
    }
    std::sort(out.begin(), out.end());
    return out;
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

    auto midiFiles = filesWithExtension(m_karaoke, ".mid");
    auto mp2Files = filesWithExtension(m_cdex, ".mp2");
    if (midiFiles.empty() && mp2Files.empty()) {
        m_view.message(kNoSongs);
        m_view.endDialog(-1);
        return;
    }
    m_running = true;
    rebuild(midiFiles, mp2Files);
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

void CheckController::rebuild(const std::vector<fs::path>& midiFiles, const std::vector<fs::path>& mp2Files)
{
    // Everything is marked again from what is on the disk; there is no
    // transaction, so a run cut short leaves songs unmarked until the next.
    execute(kResetFlags);
    m_view.showProgress(static_cast<int>(midiFiles.size()));

    if (!m_failed) {
        for (const fs::path& midi : midiFiles) {
            const std::string base = midi.stem().string();
            if (fileExists(m_karaoke, base + ".krd") && !execute(db::fillStatement(kMarkByFile, {base})))
                break;
            m_view.advanceProgress();
        }
    }
    if (!m_failed)
        markLinkTargets();
    if (!m_failed) {
        for (const fs::path& mp2 : mp2Files) {
            const std::string base = mp2.stem().string();
            if (fileExists(m_cdex, base + ".txt") && fileExists(m_cdex, base + ".bmp")
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
