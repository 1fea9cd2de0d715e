#include "player/KrdTool.h"

#include "common/Cp932.h"
#include "player/KrdFormat.h"
#include "player/TempFiles.h"
#include "player/TempKrd.h"

#include <cstdio>
#include <fstream>

namespace kiro::player {

namespace {

constexpr char kUsage[] =
    "usage: kiro-krd check FILE          check the header and the command stream\n"
    "       kiro-krd dump FILE           list the commands and the picture table\n"
    "       kiro-krd tempkrd FILE OUT    write the command file songbox gives the engine\n";

std::string hexBytes(const std::string& bytes, std::size_t from, std::size_t count)
{
    std::string text;
    char cell[4];
    for (std::size_t i = from; i < from + count && i < bytes.size(); ++i) {
        std::snprintf(cell, sizeof cell, "%02x", static_cast<unsigned char>(bytes[i]));
        text += cell;
    }
    return text;
}

// Loads, checks the header and reads the stream; prints the reasons of a
// refusal on `err`. False when the file is not accepted.
bool readChecked(const std::string& path, LoadedKrd& loaded, KrdReading& reading, std::ostream& err)
{
    loaded = loadKrdFile(path);
    if (!loaded.error.empty()) {
        err << loaded.error << '\n';
        return false;
    }
    const KrdHeaderCheck check = checkKrdHeader(std::span<const std::uint8_t>(loaded.bytes).first(
        std::min(loaded.bytes.size(), kKrdHeaderCheckSize)));
    if (!check.accepted()) {
        if (!check.detailMessage.empty())
            err << check.detailMessage << '\n';
        err << kMsgVersionMismatch << '\n';
        return false;
    }
    reading = readKrdCommands(loaded.bytes);
    for (std::size_t i = 0; i < reading.unsupportedCommands.size(); ++i)
        err << kMsgCommand128 << '\n';
    if (!reading.end.complete()) {
        err << reading.end.message() << '\n';
        return false;
    }
    return true;
}

int dump(const std::string& path, std::ostream& out, std::ostream& err)
{
    LoadedKrd loaded;
    KrdReading reading;
    const bool ok = readChecked(path, loaded, reading, err);
    if (!loaded.error.empty())
        return 1;
    char line[160];
    out << "offset    code  length\n";
    for (const KrdCommand& command : reading.commands) {
        std::snprintf(line, sizeof line, "%08zx  %4u  %6zu\n", command.offset, command.code, command.payloadLength);
        out << line;
    }
    assignTempNames(reading.pictures);
    out << "pictures: " << reading.pictures.size() << '\n';
    std::size_t index = 0;
    for (const PictureEntry& row : reading.pictures) {
        out << "row " << index++ << ": code " << int(row.code) << " exact " << row.exact;
        if (row.byAttributes())
            out << " attributes " << hexBytes(row.name, 0, 7) << " priorities " << hexBytes(row.name, 8, 7);
        else
            out << " name \"" << kiro::cp932::toUtf8(row.name) << '"';
        out << " extension \"" << kiro::cp932::toUtf8(row.extension) << "\" temp " << row.tempName << '\n';
    }
    return ok ? 0 : 1;
}

int tempKrd(const std::string& path, const std::string& outPath, std::ostream& err)
{
    LoadedKrd loaded;
    KrdReading reading;
    if (!readChecked(path, loaded, reading, err))
        return 1;
    assignTempNames(reading.pictures);
    const TempKrdWriting writing = writeTempKrd(loaded.bytes, reading.pictures);
    std::ofstream file(outPath, std::ios::binary | std::ios::trunc);
    if (!file) {
        err << outPath << " file can not open : Maybe Disk full\n";
        return 1;
    }
    file.write(reinterpret_cast<const char*>(writing.bytes.data()), static_cast<std::streamsize>(writing.bytes.size()));
    file.close();
    if (!file || !writing.ok()) {
        err << "makeTempKrd error\n";
        return 1;
    }
    return 0;
}

} // namespace

int runKrdTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        out << kUsage;
        return 0;
    }
    if (arguments.size() == 2 && arguments[0] == "check") {
        LoadedKrd loaded;
        KrdReading reading;
        return readChecked(arguments[1], loaded, reading, err) ? 0 : 1;
    }
    if (arguments.size() == 2 && arguments[0] == "dump")
        return dump(arguments[1], out, err);
    if (arguments.size() == 3 && arguments[0] == "tempkrd")
        return tempKrd(arguments[1], arguments[2], err);
    err << kUsage;
    return 2;
}

} // namespace kiro::player
