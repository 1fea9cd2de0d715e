#pragma once

#include "player/PictureEntry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The KRD command file: header check and the walk over its command stream.
// Pure functions over a byte buffer; the caller shows the messages.
namespace kiro::player {

inline constexpr int kKrdVersion = 90;
inline constexpr std::size_t kKrdHeaderSize = 54;
inline constexpr std::size_t kKrdHeaderCheckSize = 32;
inline constexpr std::size_t kCommandHeadSize = 5;

inline constexpr char kMsgReadError[] = "check Main Version : read error";
inline constexpr char kMsgOldData[] =
    "バージョン管理されていない古いデータです。\nこの songbox.exeでは残念ながら使えません。";
inline constexpr char kMsgVersionMismatch[] = "KRD ファイルと songbox.exe のバージョンが違います。";
inline constexpr char kMsgCommand128[] = "Caution : Do not support command 128";

enum class KrdHeaderStatus { Accepted, ReadError, NotVersioned, VersionMismatch };

struct KrdHeaderCheck {
    KrdHeaderStatus status = KrdHeaderStatus::ReadError;
    // 90 - version once the version could be read; 0 means accepted.
    int result = -1;
    int version = 0;
    // The message that names the failure ("read error", "old data"); empty
    // for an accepted file and for a plain version mismatch.
    std::string detailMessage;

    bool accepted() const { return status == KrdHeaderStatus::Accepted; }
};

// Checks the first 32 bytes of a KRD file (fewer bytes are a read error).
// Only the first magic byte is compared.
KrdHeaderCheck checkKrdHeader(std::span<const std::uint8_t> start);

// The payload length of a command, measured on the bytes that follow its
// head; nullopt when the payload would run past the end of the buffer.
using LengthRoutine = std::optional<std::size_t> (*)(std::span<const std::uint8_t> rest);

struct LengthRule {
    std::uint8_t code;
    LengthRoutine length;
};

// The length table of every known code, in code order, ended by a zero code.
extern const LengthRule kLengthRules[];

// The rule for `code`, or nullptr for an unknown code.
const LengthRule* findLengthRule(std::uint8_t code);

struct KrdCommand {
    std::size_t offset = 0; // of the command head
    std::uint8_t code = 0;
    std::size_t payloadLength = 0;
};

enum class KrdWalkStatus { Complete, UndefinedCommand, PastEnd };

struct KrdWalkEnd {
    KrdWalkStatus status = KrdWalkStatus::Complete;
    std::size_t offset = 0; // of the offending command (when not complete)
    std::uint8_t code = 0;

    bool complete() const { return status == KrdWalkStatus::Complete; }
    // The message for the user; empty when complete.
    std::string message() const;
};

// Walks the commands from `start` to the end command, calling `visit` for
// each one with its payload. Never reads outside `buffer`.
KrdWalkEnd walkKrdCommands(std::span<const std::uint8_t> buffer, std::size_t start,
                           const std::function<void(const KrdCommand&, std::span<const std::uint8_t> payload)>& visit);

// The reading pass: every command, the picture table and the offsets of
// code-128 commands (each one earns a caution).
struct KrdReading {
    KrdWalkEnd end;
    std::vector<KrdCommand> commands;
    std::vector<PictureEntry> pictures;
    std::vector<std::size_t> unsupportedCommands;
};

KrdReading readKrdCommands(std::span<const std::uint8_t> file);

// The picture table row a picture command yields (code 1, 6, 7 or 13).
PictureEntry pictureEntryFor(std::uint8_t code, std::span<const std::uint8_t> payload);

bool isPictureCode(std::uint8_t code);

} // namespace kiro::player
