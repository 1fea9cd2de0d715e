#pragma once

#include "client/online/ModemCommands.h"
#include "client/online/ScriptStep.h"

#include <array>

// The modem's scripts, in the host session engine's step format.
namespace kiro::online {

inline constexpr const char* kModemResetCommand = "AT&F\r";
inline constexpr const char* kModemInitialisingStatus = "モデム初期化中...";
inline constexpr const char* kDialingStatus = "ダイアル中...";
inline constexpr const char* kRedialWaitStatus = "リダイアル待機中...あと%d秒。";
inline constexpr const char* kBusyGiveUpMessage = "話中でした。";
inline constexpr const char* kBusyPrompt = "BUSY\r\n";
inline constexpr const char* kRoad5Prompt = "HOST NAME?\r\n*";
inline constexpr const char* kRoad7Prompt = "Login:";

// Index of the dial step in the connecting script.
inline constexpr std::size_t kDialStepIndex = 3;

// The connecting script: reset, initialisation, additional command, dial;
// its steps point into `commands`, which must outlive the script.
using ConnectingScript = std::array<ScriptStep, 5>;
ConnectingScript makeConnectingScript(const ModemCommands& commands);

// "+++" and "ATH0\r", each after the pause; all outcomes go on.
extern const ScriptStep kHangUpScript[3];
// "\r"; then the port is closed and the DTR drop hangs up.
extern const ScriptStep kForcedDisconnectScript[2];
// "AT&F\r": outcome 2 ("\nOK") means the modem answered.
extern const ScriptStep kModemTestScript[2];
inline constexpr int kModemTestTimeOutTicks = 30;

} // namespace kiro::online
