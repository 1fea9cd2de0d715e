#include "client/services/VersionUp.h"

#include "client/app/ClientSettings.h"
#include "client/app/Prompt.h"
#include "client/db/CatalogueDb.h"
#include "client/db/DateText.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/online/HostSession.h"
#include "client/online/ProgressView.h"
#include "client/services/UpdateMessage.h"
#include "common/FileNames.h"

#include <cstdio>
#include <set>
#include <utility>

namespace kiro::services {

namespace {

constexpr const char* kPreparing = "バージョンアップ処理準備中...";
constexpr const char* kJobQuestion = "最新情報や、\nバージョンアップ情報を\n取りにいきますか？";
constexpr const char* kJobDone = "バージョンアップが完了\nしました。\n詳細はメンテナンスビルの\nバージョンチェックを\nご覧ください。";
constexpr const char* kBadUpdate = "バージョンアップ情報が不正です。";
constexpr const char* kNothingNew = "バージョンアップ情報は、\nありませんでした。\n";
constexpr const char* kRecordedCriterion = "((アップデートコード=\"%s\") AND (アップデートタイプ=\"%s\"))";
// The columns' sizes: a longer text from the host is cut, not refused.
constexpr std::size_t kDescriptionLength = 255;
constexpr std::size_t kVersionLength = 50;

// The first `count` characters of a UTF-8 text.
std::string firstCharacters(const std::string& text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t n = 0; end < text.size() && n < count; ++n) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return text.substr(0, end);
}

std::string twoDigits(int n)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

// "%s%s%s.VUM" of type, code and module. A module of several files gives
// the second and later ones a number of their own, so that one download
// cannot overwrite another before they are applied.
std::string archiveName(char type, const std::string& code, const std::string& module, std::size_t index)
{
    std::string name = std::string(1, type) + code + module;
    if (index > 0)
        name += std::to_string(index + 1);
    return name + ".VUM";
}

} // namespace

VersionUp::VersionUp(VersionUpContext context)
    : m_context(std::move(context)), m_scripts(m_context.settings.Forum)
{
}

int VersionUp::run(const online::ScriptStep* script)
{
    return m_context.session.Run(false, script, kTimeOutTicks, false);
}

void VersionUp::showStatus(const std::string& text)
{
    if (m_context.view)
        m_context.view->setLine(online::ProgressLine::Status, text);
}

int VersionUp::EnterForumRoom(int room, const std::string& status)
{
    showStatus(status);
    if (const int result = run(m_scripts.enter()))
        return result;
    if (m_context.session.LastOutcome() == ForumScripts::kJoinMenuOutcome) {
        if (const int result = run(m_scripts.join()))
            return result;
    }
    return run(m_scripts.goToRoom(room));
}

int VersionUp::FetchUpdateList()
{
    if (EnterForumRoom(m_context.settings.VerUpRoomNo, kPreparing) != 0)
        return -1;
    if (run(m_scripts.messageList()) != 0) {
        m_scripts.takeCapture();
        return -1;
    }
    const std::string listText = m_scripts.takeCapture();
    try {
        deleteUnreceived();
        return recordNewUpdates(listText);
    } catch (const db::DbError& e) {
        m_context.prompt.message(e.what());
        return -1;
    }
}

void VersionUp::deleteUnreceived()
{
    db::Recordset updates(m_context.db);
    updates.open(db::statements::kSelectUnreceivedUpdates);
    for (; !updates.isEOF(); updates.moveNext()) {
        const std::string code = db::FieldToText(updates.fieldValue("アップデートコード"));
        const std::string type = db::FieldToText(updates.fieldValue("アップデートタイプ"));
        const std::string module = db::FieldToText(updates.fieldValue("モジュールコード"));
        m_context.db.execute(db::fillStatement(db::statements::kDeleteUpdateAddresses, {code, type, module}));
        updates.deleteCurrent();
    }
}

int VersionUp::recordNewUpdates(const std::string& listText)
{
    db::Recordset updates(m_context.db);
    updates.open(db::statements::kSelectAllUpdates);
    db::Recordset addresses(m_context.db);
    addresses.open(db::statements::kSelectAllUpdateAddresses);
    // A list that names one update twice must not record it twice.
    std::set<std::pair<std::string, char>> seen;
    int count = 0;
    for (const UpdateListEntry& entry : parseUpdateList(listText)) {
        if (!isWantedDatabaseUpdate(entry, m_context.settings.DBVupStartCode))
            continue;
        const std::string type(1, entry.type);
        if (!seen.insert({entry.code, entry.type}).second ||
            updates.findFirst(db::fillStatement(kRecordedCriterion, {entry.code, type})))
            continue;
        if (EnterForumRoom(m_context.settings.VerUpRoomNo, kPreparing) != 0 ||
            run(m_scripts.readMessage(entry.messageNumber)) != 0) {
            m_scripts.takeCapture();
            return -1;
        }
        const std::string body = m_scripts.takeCapture();
        const auto modules = parseUpdateMessage(body, body.size() + 1 >= ForumScripts::kMessageBufferSize);
        const std::string releaseDate = m_context.currentYear4 + "/" + entry.dateTime;
        const bool dateReadable = db::parseDateText(releaseDate).has_value();
        for (const UpdateModuleText& module : modules) {
            const std::string moduleCode = twoDigits(module.position);
            // A host text must never lead outside the install folder, nor
            // name an address the download script cannot ask for.
            bool usable = true;
            for (const UpdateFileLine& file : module.files)
                usable = usable && folderStaysInside(file.folder) && splitDataAddress(file.address).has_value();
            if (!usable)
                continue;
            for (std::size_t i = 0; i < module.files.size(); ++i) {
                addresses.addNew();
                addresses.setFieldValue("アップデートコード", entry.code);
                addresses.setFieldValue("アップデートタイプ", type);
                addresses.setFieldValue("モジュールコード", moduleCode);
                addresses.setFieldValue("データアドレス", module.files[i].address);
                addresses.setFieldValue("ファイル名", archiveName(entry.type, entry.code, moduleCode, i));
                addresses.setFieldValue("解凍先ディレクトリ", module.files[i].folder);
                addresses.update();
            }
            updates.addNew();
            updates.setFieldValue("アップデートコード", entry.code);
            updates.setFieldValue("アップデートタイプ", type);
            updates.setFieldValue("モジュールコード", moduleCode);
            updates.setFieldValue("発言番号", std::to_string(entry.messageNumber));
            if (dateReadable)
                updates.setFieldValue("リリース日付", releaseDate);
            updates.setFieldValue("非公開フラグ", std::string(1, entry.flag));
            updates.setFieldValue("バージョンアップ内容", firstCharacters(module.description, kDescriptionLength));
            updates.setFieldValue("バージョン情報", firstCharacters(module.version, kVersionLength));
            updates.setFieldValue("ダウンロード済みフラグ", "0");
            updates.setFieldValue("アップデートフラグ", "0");
            updates.update();
            m_recorded.push_back(type + entry.code + " " + moduleCode + " " + module.description);
            ++count;
        }
    }
    return count;
}

void VersionUp::removePartialFile(const std::string& fileName)
{
    if (auto file = filenames::findInFolder(m_context.installFolder, fileName)) {
        std::error_code ec;
        std::filesystem::remove(*file, ec);
    }
}

int VersionUp::DownloadPendingUpdates()
{
    int count = 0;
    try {
        db::Recordset updates(m_context.db);
        updates.open(db::statements::kSelectUpdatesToReceive);
        for (; !updates.isEOF(); updates.moveNext()) {
            const std::string code = db::FieldToText(updates.fieldValue("アップデートコード"));
            const std::string typeText = db::FieldToText(updates.fieldValue("アップデートタイプ"));
            const std::string module = db::FieldToText(updates.fieldValue("モジュールコード"));
            const char type = typeText.empty() ? ' ' : typeText[0];
            db::Recordset files(m_context.db);
            files.open(db::fillStatement(db::statements::kSelectUpdateFilesToReceive, {code, type, module}),
                       db::Recordset::kReadOnly);
            // A record the list fetch could not have written (edited by
            // hand, or left by another program): say so rather than fail
            // without a word.
            if (files.isEOF()) {
                m_context.prompt.message(kBadUpdate);
                return -1;
            }
            for (; !files.isEOF(); files.moveNext()) {
                const std::string fileName = db::FieldToText(files.fieldValue("ファイル名"));
                const auto address = splitDataAddress(db::FieldToText(files.fieldValue("データアドレス")));
                // A name with a folder part would be stored elsewhere than
                // where it is looked for when the update is applied.
                if (!address || fileName.find_first_of("/\\") != std::string::npos) {
                    m_context.prompt.message(kBadUpdate);
                    return -1;
                }
                if (run(m_scripts.download(address->room, address->data, fileName, m_context.installFolder)) != 0) {
                    removePartialFile(fileName);
                    return -1;
                }
                m_received.push_back(fileName);
            }
            updates.edit();
            updates.setFieldValue("ダウンロード済みフラグ", "1");
            updates.update();
            ++count;
        }
    } catch (const db::DbError& e) {
        m_context.prompt.message(e.what());
        return -1;
    }
    return count;
}

int VersionUp::RunVersionUpJob()
{
    if (m_context.prompt.question(kJobQuestion, "はい", "いいえ") != app::PromptAnswer::First)
        return 0;
    online::HostSession& session = m_context.session;
    if (session.ShowProgress(true))
        return 1;
    int received = 0;
    const int listed = FetchUpdateList();
    bool failed = listed < 0;
    if (!failed) {
        session.markDailyCheckDone();
        received = DownloadPendingUpdates();
        failed = received < 0;
        if (received >= 1) {
            m_context.settings.NeedGetInfo = 0;
            if (m_context.saveSettings)
                m_context.saveSettings();
        }
    }
    if (session.IsOnline())
        session.Run(true, nullptr, kTimeOutTicks, false);
    session.HideProgress();
    if (failed)
        return 1;
    m_context.prompt.message(received >= 1 || listed >= 1 ? kJobDone : kNothingNew);
    return 0;
}

} // namespace kiro::services
