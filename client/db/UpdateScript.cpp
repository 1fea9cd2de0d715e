#include "client/db/UpdateScript.h"

#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Savepoint.h"
#include "common/Cp932.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>

namespace kiro::db {
namespace {

// Each line goes to the file as it is written, so what the log says has
// happened survives the process being killed right after.
void writeLine(int log, const std::string& line)
{
    size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(log, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

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
    // A folder or a missing name is no script: nothing is touched.
    if (!std::filesystem::is_regular_file(scriptPath, ec))
        return 1;
    std::ifstream script(scriptPath, std::ios::binary);
    if (!script)
        return 1;
    std::filesystem::remove(logFile, ec);
    const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0)
        return 1;
    int result = 0;
    int number = 0;
    try {
        // The whole script or none of it: run again after a failure or a
        // kill, its first statements do not apply twice.
        Savepoint savepoint(db, "kiro_script");
        while (result == 0) {
            bool dropped = false;
            std::optional<std::string> statement = nextStatement(script, dropped);
            if (!statement)
                break;
            if (dropped)
                continue;
            ++number;
            char line[96];
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
                if (number > 1) {
                    std::snprintf(line, sizeof line, "\tSQL#1-#%d rolled back.\r\n", number - 1);
                    writeLine(log, line);
                }
                result = 1;
            }
        }
        if (result == 0)
            savepoint.release();
    } catch (const DbError& e) {
        writeLine(log, "\tError Message = " + kiro::cp932::fromUtf8(e.what()) + "\r\n");
        result = 1;
    }
    ::fsync(log);
    ::close(log);
    script.close();
    std::filesystem::remove(scriptPath, ec);
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
