#pragma once

#include <cstddef>
#include <cstdint>

// One step of a host or modem script. Scripts are constant tables of these
// records that end with the first step whose command is null; their text
// fields may point to buffers that are filled (sprintf-style) before a run.
//
// Encodings: `command` and every `prompt` are bytes as they travel on the
// line (code page 932); `status` messages are UTF-8 for display.
namespace kiro::online {

// Kinds of step (the low byte of ScriptStep::kindAndFlags).
inline constexpr std::uint8_t kStepSend = 0;        // send, wait for prompts (also 3 and 8 or more)
inline constexpr std::uint8_t kStepCaptureText = 1; // ... and copy the text before the prompt
inline constexpr std::uint8_t kStepCaptureFile = 2; // ... and write it to the file named by captureTarget
inline constexpr std::uint8_t kStepTransfer = 4;    // no send; B Plus transfer with the command as parameter
inline constexpr std::uint8_t kStepWait = 5;        // no send, wait for prompts (also 6)
inline constexpr std::uint8_t kStepCountBytes = 7;  // no send, collect exactly captureSize bytes

// Step flags, as they sit in the 32-bit word that holds kind and flags.
inline constexpr std::uint32_t kStepTimeOut = 0x100; // the step's time-out is armed
inline constexpr std::uint32_t kStepPause = 0x200;   // pause (4 to 4.5 s) before sending

// The prompt of outcome 0 that stands for a time-out (or a cancellation).
inline constexpr const char* kTimeOutPrompt = "@@TIMEOUT@@";

inline constexpr std::size_t kStepOutcomeCount = 6;

struct StepOutcome {
  const char* prompt = nullptr; // null ends the outcome list
  std::int32_t verdict = 0;     // 0 or below: go on; 1 or more: failure
  const char* status = nullptr; // status line for the progress window, or null
};

struct ScriptStep {
  std::uint32_t kindAndFlags = kStepSend;
  const char* command = nullptr; // sent as is; null = end of script
  std::uint32_t matchAtOnce = 0; // 0 = wait for the command's echo before matching
  StepOutcome outcomes[kStepOutcomeCount] = {};
  char* captureTarget = nullptr; // buffer (kinds 1, 7) or file name (kind 2)
  std::uint32_t captureSize = 0; // buffer size (kinds 1, 7), byte count (kind 7)

  constexpr std::uint8_t kind() const { return static_cast<std::uint8_t>(kindAndFlags & 0xFF); }
  constexpr bool timeOutArmed() const { return (kindAndFlags & kStepTimeOut) != 0; }
  constexpr bool pauseBefore() const { return (kindAndFlags & kStepPause) != 0; }
  constexpr bool isEnd() const { return command == nullptr; }
  // Kinds 4 to 7 send nothing.
  constexpr bool sendsCommand() const { return kind() < 4 || kind() >= 8; }
  // Number of outcomes before the first one without prompt.
  constexpr std::size_t outcomeCount() const {
    std::size_t n = 0;
    while (n < kStepOutcomeCount && outcomes[n].prompt != nullptr) {
      ++n;
    }
    return n;
  }
};

// Number of steps of a script before its end marker.
constexpr std::size_t scriptLength(const ScriptStep* script) {
  std::size_t n = 0;
  while (script != nullptr && !script[n].isEnd()) {
    ++n;
  }
  return n;
}

} // namespace kiro::online
