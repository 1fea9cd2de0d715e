#include "client/services/MailScripts.h"

#include "common/Cp932.h"

#include <cstring>

namespace kiro::services {

using online::kStepSend;
using online::kStepTransfer;
using online::StepOutcome;

namespace {

constexpr std::uint32_t kTimed = kStepSend | online::kStepTimeOut;
// A silent host ends the run after the time-out; first, because the engine
// reports a time-out as outcome 0.
const StepOutcome kTimedOut{online::kTimeOutPrompt, 1, "タイムアウトエラーです。"};

StepOutcome goOn(const std::string &prompt, const char *status = nullptr) { return {prompt.c_str(), 0, status}; }

// Copies text and `ending` into the buffer; false (buffer untouched) when
// they do not fit or the text holds a line break or NUL.
bool put(char *buffer, std::size_t size, const std::string &text, const char *ending = "")
{
    const std::string all = text + ending;
    if (all.size() >= size || text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return false;
    std::memcpy(buffer, all.c_str(), all.size() + 1);
    return true;
}

} // namespace

MailScripts::MailScripts()
    : m_colon(cp932::fromUtf8("：")), m_refused(cp932::fromUtf8("◆未承認につき、メールの送信はできません◆")),
      m_uploadStart(cp932::fromUtf8("－アップロード開始－\r\n")), m_dataError(cp932::fromUtf8("◆データエラー◆")),
      m_abort(cp932::fromUtf8("◆アボートリクエスト◆")), m_recoveryError(cp932::fromUtf8("◆クラッシュリカバリーエラー◆")),
      m_subject(cp932::fromUtf8(std::string(kUserInfoMailSubject) + "\r"))
{
    m_enter[0] = {kTimed, "go mail\r", 0, {kTimedOut, goOn(m_mailPrompt, "登録準備中...")}};
    m_enter[1] = {kTimed, "UPL PROT:BPL TYPE:TXT\r", 0,
                  {kTimedOut, goOn(m_colon, "BPlus準備中..."),
                   goOn(m_refused, "暫定期間中はご利用できません。終了します。")}};

    m_upload[0] = {kTimed, m_fileCommand, 0, {kTimedOut, goOn(m_uploadStart, "アップロード開始。")}};
    m_upload[1] = {kStepTransfer, m_folderCommand, 1,
                   {goOn(m_colon), {m_dataError.c_str(), 1, "データエラーが発生しました。"},
                    {m_abort.c_str(), 2, "転送中止..."}, {m_recoveryError.c_str(), 1, "クラッシュリカバリーエラー"}}};
    m_upload[2] = {kTimed, "2\r", 0, {kTimedOut, goOn(m_colon)}};
    m_upload[3] = {kTimed, m_subject.c_str(), 0, {kTimedOut, goOn(m_colon)}};
    m_upload[4] = {kTimed, "1\r", 0, {kTimedOut, goOn(m_colon, "送信先ID送信中...")}};
    m_upload[5] = {kTimed, m_recipientCommand, 0, {kTimedOut, goOn(m_colon)}};
    m_upload[6] = {kTimed, "1\r", 0, {kTimedOut, goOn(m_colon)}};
    m_upload[7] = {kTimed, "\r", 0, {kTimedOut, goOn(m_colon, "送信完了。")}};
    m_upload[8] = {kTimed, "1\r", 0, {kTimedOut, goOn(m_mailPrompt)}};
}

bool MailScripts::fill(const std::string &fileName, const std::filesystem::path &mailFolder,
                       const std::string &recipientId)
{
    std::string folder = mailFolder.string();
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    // A character code page 932 lacks would go out as '?': another file, or
    // someone else's mailbox.
    const auto file = cp932::tryFromUtf8(fileName);
    const auto recipient = cp932::tryFromUtf8(recipientId);
    return file && recipient && put(m_fileCommand, kFieldSize, *file, "\r") &&
           put(m_recipientCommand, kFieldSize, *recipient, "\r") && put(m_folderCommand, kFolderSize, folder);
}

} // namespace kiro::services
