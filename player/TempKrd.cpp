#include "player/TempKrd.h"

namespace kiro::player {

namespace {

void appendText(std::vector<std::uint8_t>& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

std::optional<std::size_t> stringLength(std::span<const std::uint8_t> rest)
{
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == 0)
            return i + 1;
    }
    return std::nullopt;
}

} // namespace

void assignTempNames(std::vector<PictureEntry>& rows)
{
    int next = 0;
    std::string current = std::string(kTempPrefix) + "0";
    for (PictureEntry& row : rows) {
        if (row.code == 13) {
            row.tempName = current;
            continue;
        }
        current = kTempPrefix + std::to_string(next++);
        row.tempName = current;
    }
}

TempKrdWriting writeTempKrd(std::span<const std::uint8_t> file, const std::vector<PictureEntry>& rows)
{
    TempKrdWriting writing;
    std::vector<std::uint8_t>& out = writing.bytes;
    std::size_t row = 0;
    bool tableShort = false;
    std::size_t shortAt = 0;
    writing.end = walkKrdCommands(file, kKrdHeaderSize, [&](const KrdCommand& command, std::span<const std::uint8_t> payload) {
        if (tableShort)
            return;
        const auto head = file.subspan(command.offset, kCommandHeadSize);
        if (isPictureCode(command.code) && row >= rows.size()) {
            tableShort = true;
            shortAt = command.offset;
            return;
        }
        out.insert(out.end(), head.begin(), head.end());
        switch (command.code) {
        case 1:
        case 6:
        case 13:
            appendText(out, rows[row++].tempName);
            break;
        case 7:
            out.push_back(payload[0]);
            appendText(out, rows[row++].tempName);
            break;
        case 128:
            break; // the engine gets the head alone
        default:
            out.insert(out.end(), payload.begin(), payload.end());
            break;
        }
    });
    if (tableShort) {
        writing.end.status = KrdWalkStatus::PastEnd;
        writing.end.offset = shortAt;
    }
    return writing;
}

TempKrdPictures readTempKrdPictures(std::span<const std::uint8_t> tempKrd)
{
    TempKrdPictures pictures;
    std::size_t position = 0;
    for (;;) {
        KrdWalkEnd& end = pictures.end;
        end.offset = position;
        if (tempKrd.size() - position < kCommandHeadSize) {
            end.status = KrdWalkStatus::PastEnd;
            return pictures;
        }
        const std::uint8_t code = tempKrd[position + 4];
        end.code = code;
        const auto rest = tempKrd.subspan(position + kCommandHeadSize);
        std::optional<std::size_t> length;
        std::size_t nameAt = 0;
        if (code == 1 || code == 6 || code == 13) {
            length = stringLength(rest);
        } else if (code == 7) {
            if (!rest.empty())
                if (auto text = stringLength(rest.subspan(1)))
                    length = *text + 1;
            nameAt = 1;
        } else if (code == 128) {
            length = 0;
        } else if (const LengthRule* rule = findLengthRule(code)) {
            length = rule->length(rest);
        } else {
            end.status = KrdWalkStatus::UndefinedCommand;
            return pictures;
        }
        if (!length) {
            end.status = KrdWalkStatus::PastEnd;
            return pictures;
        }
        const std::uint32_t head = tempKrd[position] | (tempKrd[position + 1] << 8) | (tempKrd[position + 2] << 16)
            | (static_cast<std::uint32_t>(tempKrd[position + 3]) << 24);
        if (isPictureCode(code)) {
            pictures.tempNames.emplace_back(reinterpret_cast<const char*>(rest.data()) + nameAt);
            pictures.pictureHeads.push_back(head);
        }
        // The length rules have checked that each string ends inside the buffer.
        if (code == 2 && *length > 7)
            pictures.texts.push_back({head, std::string(reinterpret_cast<const char*>(rest.data()) + 7)});
        if (code == 15)
            pictures.texts.push_back({head, std::string(reinterpret_cast<const char*>(rest.data()))});
        position += kCommandHeadSize + *length;
        if (code == 255) {
            end = KrdWalkEnd{};
            return pictures;
        }
    }
}

} // namespace kiro::player
