#include "client/catalogue/KaraokeScripts.h"

#include "common/Cp932.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kiro::catalogue {

using online::kStepSend;
using online::kStepTransfer;
using online::StepOutcome;

namespace {

constexpr const char *kNotReady = "指定された商品は、準備中につきキャンセルします。";
constexpr const char *kListed = "一覧取得完了。";
constexpr const char *kDownloadEnd = "ダウンロード終了";

constexpr std::uint32_t kTimed = kStepSend | online::kStepTimeOut;
// A host that stops answering (or answers what no outcome expects) ends the
// run after the time-out instead of leaving the job waiting for ever. It
// must stand first: the engine reports a time-out as outcome 0.
const StepOutcome kTimedOut{online::kTimeOutPrompt, 1, "タイムアウトエラーです。"};

StepOutcome goOn(const std::string &prompt, const char *status = nullptr) { return {prompt.c_str(), 0, status}; }
StepOutcome fail(const std::string &prompt, const char *status) { return {prompt.c_str(), 1, status}; }

} // namespace

KaraokeScripts::KaraokeScripts()
    : m_goCommand(std::string("go ") + kKaraokeGoWord + "\r"), m_prompt(cp932::fromUtf8("＞")),
      m_moved("ＫＩＲＯホスト移動完了。"), m_cardOnly(cp932::fromUtf8("◆カードユーザ以外はご利用いただけません◆")),
      m_registering(cp932::fromUtf8("ご利用のIDは現在、正式登録手続中です。")),
      m_noData(cp932::fromUtf8("－指定したコースにデータはありません－")),
      m_enterNumber(cp932::fromUtf8("◆番号又はコマンドを入力して下さい◆")), m_colon(cp932::fromUtf8("：")),
      m_downloadStart(cp932::fromUtf8("－ダウンロード開始－\r\n")), m_abort(cp932::fromUtf8("◆アボートリクエスト◆")),
      m_recoveryError(cp932::fromUtf8("◆クラッシュリカバリーエラー◆"))
{
    static const std::string kAsciiPrompt = ">";
    m_select[0] = {kTimed, m_goCommand.c_str(), 0,
                   {kTimedOut, goOn(m_prompt, m_moved.c_str()),
                    fail(m_cardOnly, "ご使用のIDではご利用できません。終了します。"),
                    fail(m_registering, "このサービスはニフティ正式登録完了後にご利用頂けます。")}};
    m_select[1] = {kTimed, m_menu, 0, {kTimedOut, goOn(m_prompt)}};
    m_select[2] = {kTimed, "SET PAGE ON\r", 0, {kTimedOut, goOn(m_prompt)}};
    m_select[3] = {kTimed, "SET LINE 25\r", 0, {kTimedOut, goOn(m_prompt)}};
    m_select[4] = {kTimed, "1\r", 0, {kTimedOut, goOn(m_prompt, kListed), goOn(kAsciiPrompt, kListed)}};
    m_select[5] = {kTimed, "SET PAGE OFF\r", 0, {kTimedOut, goOn(m_prompt), goOn(kAsciiPrompt)}};
    m_select[6] = {kTimed, m_item, 0,
                   {kTimedOut, goOn(m_prompt), goOn(m_noData, kNotReady), goOn(m_enterNumber, kNotReady)}};

    m_download[0] = {kTimed, "1\r", 0, {kTimedOut, goOn(m_colon)}};
    m_download[1] = {kTimed, "2\r", 0, {kTimedOut, goOn(m_colon)}};
    m_download[2] = {kTimed, m_file, 0, {kTimedOut, goOn(m_downloadStart, "ダウンロード開始。")}};
    m_download[3] = {kStepTransfer, m_folder, 1,
                     {goOn(m_prompt, kDownloadEnd), goOn(kAsciiPrompt, kDownloadEnd),
                      {m_abort.c_str(), 2, "転送中止..."}, fail(m_recoveryError, "クラッシュリカバリーエラー")}};
}

void KaraokeScripts::setAddress(const DataAddress &address)
{
    // Numbers are at most six digits, so "%d\r" always fits the 8 bytes.
    std::snprintf(m_menu, sizeof m_menu, "%d\r", std::clamp(address.menu, 0, kLargestAddressNumber));
    std::snprintf(m_item, sizeof m_item, "%d\r", std::clamp(address.item, 0, kLargestAddressNumber));
}

bool KaraokeScripts::setFileName(const std::string &name)
{
    // A character code page 932 lacks would go out as '?' and ask the host
    // for another file.
    const auto converted = cp932::tryFromUtf8(name);
    if (!converted)
        return false;
    const std::string bytes = *converted + "\r";
    if (bytes.size() >= sizeof m_file || bytes.find_first_of(std::string("\r\n\0", 3)) != bytes.size() - 1)
        return false;
    std::memcpy(m_file, bytes.c_str(), bytes.size() + 1);
    return true;
}

bool KaraokeScripts::setFolder(const std::filesystem::path &folder)
{
    std::string text = folder.string();
    if (text.empty() || text.back() != '/')
        text.push_back('/');
    if (text.size() >= sizeof m_folder)
        return false;
    std::memcpy(m_folder, text.c_str(), text.size() + 1);
    return true;
}

} // namespace kiro::catalogue
