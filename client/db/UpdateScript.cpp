#include "client/db/UpdateScript.h"

#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "common/Cp932.h"

#include <cstdio>
#include <fstream>
#include <optional>

namespace kiro::db {
namespace {

void writeLine(std::ofstream& log, const std::string& line) { log.write(line.data(), static_cast<std::streamsize>(line.size())); }

// Reads the next statement. Returns nullopt at the end of the script; a
// statement that ran past 4096 bytes without ";" comes back empty with
// `dropped` set.
std::optional<std::string> nextStatement(std::ifstream& script, bool& dropped)
{
    std::string text;
    dropped = false;
    char c = 0;
    while (text.size() < kMaxScriptStatement && script.get(c)) {
        text.push_back(c);
        if (c == ';')
            return text;
    }
    if (text.size() < kMaxScriptStatement)
        return std::nullopt; // end of file without ";": the tail is ignored
    dropped = true;
    return std::string();
}

} // namespace

int RunUpdateScript(const std::filesystem::path& scriptPath, CatalogueDb& db, const std::filesystem::path& logFile)
{
    std::error_code ec;
    std::filesystem::remove(logFile, ec);
    std::ofstream log(logFile, std::ios::binary | std::ios::trunc);
    if (!log)
        return 1;
    std::ifstream script(scriptPath, std::ios::binary);
    if (!script)
        return 1;
    int result = 0;
    int number = 0;
    while (result == 0) {
        bool dropped = false;
        std::optional<std::string> statement = nextStatement(script, dropped);
        if (!statement)
            break;
        if (dropped)
            continue;
        ++number;
        char line[64];
        try {
            auto utf8 = kiro::cp932::tryToUtf8(*statement);
            if (!utf8)
                throw DbError(kErrorSyntax, "The statement is not valid code page 932 text.");
            db.execute(*utf8);
            std::snprintf(line, sizeof line, "Execute SQL#%d-->Success.\r\n", number);
            writeLine(log, line);
        } catch (const DbError& e) {
            std::snprintf(line, sizeof line, "Execute SQL#%d-->ERROR.\r\n", number);
            writeLine(log, line);
            std::snprintf(line, sizeof line, "\tError Code = %ld\r\n", e.code());
            writeLine(log, line);
            writeLine(log, "\tError Message = " + kiro::cp932::fromUtf8(e.what()) + "\r\n");
            result = 1;
        }
    }
    script.close();
    std::filesystem::remove(scriptPath, ec);
    log.close();
    return result;
}

std::string ResolveFolderToken(std::string_view folder)
{
    static constexpr std::string_view kToken = "%KIRO%";
    std::string out;
    for (size_t i = 0; i < folder.size();) {
        if (folder.substr(i, kToken.size()) == kToken) {
            i += kToken.size();
            if (i < folder.size() && folder[i] == '\\')
                ++i;
            continue;
        }
        out.push_back(folder[i++]);
    }
    return out;
}

} // namespace kiro::db
