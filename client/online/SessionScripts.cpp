#include "client/online/SessionScripts.h"

#include "common/Cp932.h"

#include <cstdio>

namespace kiro::online {

namespace {

constexpr std::uint32_t kAtOnce = 1;
constexpr const char *kCleared = "切断されました。";
constexpr const char *kNoEntry = "NIFTY-Serveに入れません。";
constexpr const char *kConnectFailed = "接続に失敗しました。";
constexpr const char *kTimeOutError = "タイムアウトエラーです。";
constexpr const char *kLoggedOut = "ログアウト完了。";

StepOutcome goOn(const char *prompt, const char *status = nullptr) { return {prompt, 0, status}; }
StepOutcome fail(const char *prompt, const char *status) { return {prompt, 1, status}; }

} // namespace

SessionScripts::SessionScripts()
    : m_mainPrompt(cp932::fromUtf8("＞")), m_doubleLogin(cp932::fromUtf8("◆二重ログインです"))
{
    m_road5[0] = {kStepSend | kStepPause, kCNifCommand, 0,
                  {goOn("--->"), fail("Host clear", kNoEntry), fail("Clear ", kCleared), fail("NO CARRIER", kConnectFailed)}};

    m_road7[0] = {kStepSend | kStepPause, kNiftyCommand, 0,
                  {goOn("Password:"), fail("Clear ", kCleared), fail("NO CARRIER", kConnectFailed)}};
    m_road7[1] = {kStepSend | kStepPause, "\r", 0,
                  {goOn("--->"), fail("Host clear", kNoEntry), fail("Clear ", kCleared), fail("NO CARRIER", kConnectFailed)}};

    const char *prompt = m_mainPrompt.c_str();
    const char *doubled = m_doubleLogin.c_str();
    m_member[0] = {kStepSend, "SVC/SJIS\r", 0, {goOn("--->", "ＩＤ送信中..."), fail("Clear ", kCleared)}};
    m_member[1] = {kStepSend, m_userIdCommand, 0,
                   {fail("Enter User-ID  --->", "ユーザーＩＤが不正です。"), goOn("--->", "パスワード送信中..."),
                    fail(doubled, "二重ログインです。"), fail("Clear ", kCleared)}};
    m_member[2] = {kStepSend, m_passwordCommand, kAtOnce,
                   {fail("Enter Password --->", "パスワードが不正です。"), goOn(prompt, "初期設定中..."),
                    fail(doubled, "二重ログインです。"), fail("Clear ", kCleared)}};
    m_member[3] = {kStepSend, "go top\r", 0, {goOn(prompt)}};
    m_member[4] = {kStepSend, kMenuOffCommand, 0, {goOn(prompt)}};
    m_member[5] = {kStepSend, "SET PAGe OFF\r", 0, {goOn(prompt, "接続が完了しました。")}};

    m_logout7[0] = {kStepSend, kByeCommand, 0, {goOn("\nNO CARRIER", kLoggedOut)}};

    m_logout5[0] = {kStepSend | kStepTimeOut, kByeCommand, 0,
                    {fail(kTimeOutPrompt, kTimeOutError), goOn("HOST NAME?\r\n*"), goOn("*")}};
    m_logout5[1] = {kStepSend | kStepTimeOut | kStepPause, "off\r", 0,
                    {fail(kTimeOutPrompt, kTimeOutError), goOn("\nNO CARRIER", kLoggedOut)}};

    m_idleLogout[0] = {kStepSend | kStepTimeOut | kStepPause, "off\r", 0,
                       {fail(kTimeOutPrompt, kTimeOutError), goOn("\nNO CARRIER", kLoggedOut)}};
}

void SessionScripts::fillMember(const std::string &userId, const std::string &password)
{
    std::snprintf(m_userIdCommand, sizeof m_userIdCommand, "%.*s\r", static_cast<int>(kMemberFieldSize - 2),
                  userId.c_str());
    std::snprintf(m_passwordCommand, sizeof m_passwordCommand, "%.*s\r", static_cast<int>(kMemberFieldSize - 2),
                  password.c_str());
}

} // namespace kiro::online
