#include "client/online/ModemScripts.h"

namespace kiro::online {
namespace {

constexpr const char* kInitFailed = "モデムの初期化に失敗しました。";
constexpr std::uint32_t kAtOnce = 1;

constexpr StepOutcome goOn(const char* prompt, const char* status = nullptr) { return {prompt, 0, status}; }
constexpr StepOutcome fail(const char* prompt, const char* status) { return {prompt, 1, status}; }

} // namespace

ConnectingScript makeConnectingScript(const ModemCommands& commands) {
  ConnectingScript script{};
  script[0] = ScriptStep{kStepSend | kStepTimeOut, kModemResetCommand, kAtOnce,
                         {fail(kTimeOutPrompt, kInitFailed), goOn("\nOK")}};
  script[1] = ScriptStep{kStepSend | kStepTimeOut, commands.initialisation(), kAtOnce,
                         {fail(kTimeOutPrompt, kInitFailed), goOn("\nOK")}};
  script[2] = ScriptStep{kStepSend | kStepTimeOut, commands.additional(), kAtOnce,
                         {fail(kTimeOutPrompt, kInitFailed), goOn("\nOK", kDialingStatus),
                          fail("ERROR", "追加された初期化コマンドはエラーです。")}};
  // No time-out: dialling ends with an answer or the user's button.
  script[3] = ScriptStep{kStepSend, commands.dial(), 0,
                         {goOn(kRoad5Prompt, "ログインスクリプト実行中。"),
                          goOn(kRoad7Prompt, "ログインスクリプト実行中(ROAD7)。"),
                          fail(kBusyPrompt, "話中です。"), fail("NO CARRIER", "切断されました。"),
                          fail("NO DIALTONE", "回線使用中または接続されていません。")}};
  script[4] = ScriptStep{};
  return script;
}

const ScriptStep kHangUpScript[3] = {
    {kStepSend | kStepTimeOut | kStepPause, "+++", kAtOnce,
     {goOn(kTimeOutPrompt), goOn("\nOK"), goOn("\nNO CARRIER")}},
    {kStepSend | kStepTimeOut | kStepPause, "ATH0\r", kAtOnce,
     {goOn(kTimeOutPrompt), goOn("\nOK"), goOn("\nNO CARRIER")}},
    {},
};

const ScriptStep kForcedDisconnectScript[2] = {
    {kStepSend | kStepTimeOut, "\r", kAtOnce, {goOn(kTimeOutPrompt), goOn("\nOK"), goOn("\nNO CARRIER")}},
    {},
};

const ScriptStep kModemTestScript[2] = {
    {kStepSend | kStepTimeOut, kModemResetCommand, kAtOnce,
     {goOn(kTimeOutPrompt, "タイムアウト強制終了。"), goOn("\nOK", "コマンドが正常に処理されました。")}},
    {},
};

} // namespace kiro::online
