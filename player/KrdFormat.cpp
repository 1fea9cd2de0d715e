#include "player/KrdFormat.h"

#include "player/ArchiveName.h"

#include <cstdio>
#include <cstring>

namespace kiro::player {

namespace {

template <std::size_t N>
std::optional<std::size_t> fixed(std::span<const std::uint8_t> rest)
{
    if (rest.size() < N)
        return std::nullopt;
    return N;
}

// A NUL-terminated string after `skip` bytes: skip + string length + 1.
template <std::size_t Skip>
std::optional<std::size_t> skipThenString(std::span<const std::uint8_t> rest)
{
    for (std::size_t i = Skip; i < rest.size(); ++i) {
        if (rest[i] == 0)
            return i + 1;
    }
    return std::nullopt;
}

// 9-byte items up to and including the first whose first byte is 0xFF.
std::optional<std::size_t> itemList(std::span<const std::uint8_t> rest)
{
    for (std::size_t at = 0; at + 9 <= rest.size(); at += 9) {
        if (rest[at] == 0xFF)
            return at + 9;
    }
    return std::nullopt;
}

} // namespace

const LengthRule kLengthRules[] = {
    {1, fixed<18>},
    {2, skipThenString<7>},
    {3, fixed<1>},
    {4, fixed<4>},
    {5, fixed<0>},
    {6, fixed<18>},
    {7, skipThenString<1>},
    {8, fixed<0>},
    {9, fixed<8>},
    {10, itemList},
    {11, fixed<8>},
    {12, itemList},
    {13, fixed<0>},
    {14, fixed<0>},
    {15, skipThenString<0>},
    {128, fixed<3>},
    {255, fixed<4>},
    {0, nullptr},
};

const LengthRule* findLengthRule(std::uint8_t code)
{
    for (const LengthRule* rule = kLengthRules; rule->code != 0; ++rule) {
        if (rule->code == code)
            return rule;
    }
    return nullptr;
}

bool isPictureCode(std::uint8_t code)
{
    return code == 1 || code == 6 || code == 7 || code == 13;
}

KrdHeaderCheck checkKrdHeader(std::span<const std::uint8_t> start)
{
    KrdHeaderCheck check;
    if (start.size() < kKrdHeaderCheckSize) {
        check.status = KrdHeaderStatus::ReadError;
        check.detailMessage = kMsgReadError;
        return check;
    }
    // Only the first byte of "8JSY" has ever been compared.
    if (start[0] != '8') {
        check.status = KrdHeaderStatus::NotVersioned;
        check.detailMessage = kMsgOldData;
        return check;
    }
    check.version = static_cast<std::int8_t>(start[8]) * 100 + static_cast<std::int8_t>(start[9]);
    check.result = kKrdVersion - check.version;
    check.status = check.result == 0 ? KrdHeaderStatus::Accepted : KrdHeaderStatus::VersionMismatch;
    return check;
}

std::string KrdWalkEnd::message() const
{
    char text[128];
    switch (status) {
    case KrdWalkStatus::Complete:
        return {};
    case KrdWalkStatus::UndefinedCommand:
        std::snprintf(text, sizeof text, "Undefined Command found : %x", code);
        return text;
    case KrdWalkStatus::PastEnd:
        std::snprintf(text, sizeof text, "Command stream runs past end of file : offset %zx code %x", offset, code);
        return text;
    }
    return {};
}

KrdWalkEnd walkKrdCommands(std::span<const std::uint8_t> buffer, std::size_t start,
                           const std::function<void(const KrdCommand&, std::span<const std::uint8_t>)>& visit)
{
    std::size_t position = start;
    for (;;) {
        KrdWalkEnd end;
        end.offset = position;
        // A stream that stops before its end command is a broken file.
        if (position > buffer.size() || buffer.size() - position < kCommandHeadSize) {
            end.status = KrdWalkStatus::PastEnd;
            end.code = position + 4 < buffer.size() ? buffer[position + 4] : 0;
            return end;
        }
        const std::uint8_t code = buffer[position + 4];
        end.code = code;
        const LengthRule* rule = findLengthRule(code);
        if (!rule) {
            end.status = KrdWalkStatus::UndefinedCommand;
            return end;
        }
        const auto rest = buffer.subspan(position + kCommandHeadSize);
        const auto length = rule->length(rest);
        if (!length) {
            end.status = KrdWalkStatus::PastEnd;
            return end;
        }
        visit(KrdCommand{position, code, *length}, rest.first(*length));
        position += kCommandHeadSize + *length;
        if (code == 255)
            return KrdWalkEnd{};
    }
}

PictureEntry pictureEntryFor(std::uint8_t code, std::span<const std::uint8_t> payload)
{
    PictureEntry row;
    row.code = code;
    switch (code) {
    case 1:
    case 6:
        if (payload[7] != 0xFF) {
            PictureAttributes attributes{};
            std::memcpy(attributes.data(), payload.data(), attributes.size());
            row.exact = 1;
            row.name = exactArchiveName(attributes, payload[7]);
            row.extension = "lzh";
        } else {
            // The key: attributes, a NUL where the marker was, priorities, NUL.
            row.name.assign(reinterpret_cast<const char*>(payload.data()), 16);
            row.name[7] = '\0';
            row.name[15] = '\0';
            row.extension.assign(reinterpret_cast<const char*>(payload.data()) + 15, 3);
        }
        break;
    case 7:
        row.name.assign(reinterpret_cast<const char*>(payload.data()) + 1, payload.size() - 2);
        row.extension = "lzh";
        break;
    case 13:
        row.name.assign(15, ' ');
        row.extension = "ext";
        break;
    default:
        break;
    }
    return row;
}

KrdReading readKrdCommands(std::span<const std::uint8_t> file)
{
    KrdReading reading;
    reading.end = walkKrdCommands(file, kKrdHeaderSize, [&](const KrdCommand& command, std::span<const std::uint8_t> payload) {
        reading.commands.push_back(command);
        if (isPictureCode(command.code))
            reading.pictures.push_back(pictureEntryFor(command.code, payload));
        else if (command.code == 128)
            reading.unsupportedCommands.push_back(command.offset);
    });
    return reading;
}

} // namespace kiro::player
