#include "client/db/PendingUpdates.h"

#include "client/db/CatalogueDb.h"
#include "client/db/DbError.h"
#include "client/db/Recordset.h"
#include "client/db/Savepoint.h"
#include "client/db/SqlTokenizer.h"
#include "client/db/StatementFormat.h"
#include "client/db/Statements.h"
#include "client/db/UpdateScript.h"
#include "archive/LzhExtract.h"

#include <string>
#include <vector>

namespace kiro::db {
namespace {

// Runs the update's database script when its archive brought one.
int runScriptIfPresent(CatalogueDb& db, const UpdateEnvironment& env, bool& ran)
{
    // The archive library writes member names upper-cased; the name is
    // matched regardless of case, as the original file system did.
    const auto script = pathUnder(env.installFolder, kUpdateScriptName).value_or(env.installFolder / kUpdateScriptName);
    std::error_code ec;
    if (!std::filesystem::exists(script, ec))
        return 0;
    ran = true;
    return RunUpdateScript(script, db, env.installFolder / kUpdateLogName);
}

// Applies the files of one update; 0 on success. The archives are listed
// in `archives`; they stay until the whole update has succeeded, so a
// failure can be tried again at the next start.
int applyUpdate(CatalogueDb& db, const UpdateEnvironment& env, const std::string& code, char type,
                const std::string& module, std::vector<std::filesystem::path>& archives)
{
    Recordset files(db);
    files.open(fillStatement(statements::kSelectUpdateFilesToApply, {code, type, module}));
    if (files.isBOF() || files.isEOF())
        return 1; // an update without files cannot be applied
    bool scriptRan = false;
    for (; !files.isEOF(); files.moveNext()) {
        const std::string archiveText = FieldToText(files.fieldValue("ファイル名"));
        const std::string folderText = ResolveFolderToken(FieldToText(files.fieldValue("解凍先ディレクトリ")));
        // Both texts come from the host: neither may lead outside the
        // install folder.
        auto archive = pathUnder(env.installFolder, archiveText);
        auto folder = pathUnder(env.installFolder, folderText);
        if (!archive || !folder)
            return 1;
        std::error_code ec;
        std::filesystem::create_directories(*folder, ec);
        if (!env.extract || env.extract(*archive, *folder) != 0)
            return 1;
        archives.push_back(*archive);
        if (type == 'D' && runScriptIfPresent(db, env, scriptRan) != 0)
            return 1;
    }
    // A database update whose archives held no script has not been applied.
    return type == 'D' && !scriptRan ? 1 : 0;
}

} // namespace

UpdateEnvironment UpdateEnvironment::standard(const std::filesystem::path& installFolder)
{
    UpdateEnvironment env;
    env.installFolder = installFolder;
    env.extract = [](const std::filesystem::path& archive, const std::filesystem::path& folder) {
        return kiro::LzhExtractAll(archive, folder);
    };
    return env;
}

std::optional<std::filesystem::path> pathUnder(const std::filesystem::path& base, std::string_view windowsRelative)
{
    std::string text(windowsRelative);
    for (char& c : text)
        if (c == '\\')
            c = '/';
    if (!text.empty() && (text[0] == '/' || (text.size() > 1 && text[1] == ':')))
        return std::nullopt;
    std::filesystem::path out = base;
    size_t start = 0;
    while (start <= text.size()) {
        size_t slash = text.find('/', start);
        std::string part = text.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        start = slash == std::string::npos ? text.size() + 1 : slash + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return std::nullopt;
        std::filesystem::path next = out / part;
        std::error_code ec;
        if (!std::filesystem::exists(next, ec) && std::filesystem::is_directory(out, ec)) {
            for (const auto& entry : std::filesystem::directory_iterator(out, ec))
                if (equalsIgnoreCase(entry.path().filename().string(), part)) {
                    next = entry.path();
                    break;
                }
        }
        out = next;
    }
    return out;
}

int ApplyPendingUpdates(CatalogueDb& db, const UpdateEnvironment& environment)
{
    int failure = 0;
    try {
        Recordset updates(db);
        updates.open(statements::kSelectPendingUpdates);
        // A failed database update holds back the later database updates
        // (their scripts may build on it), not the updates of other kinds.
        bool databaseHeldBack = false;
        for (; !updates.isEOF(); updates.moveNext()) {
            const std::string code = FieldToText(updates.fieldValue("アップデートコード"));
            const std::string typeText = FieldToText(updates.fieldValue("アップデートタイプ"));
            const std::string module = FieldToText(updates.fieldValue("モジュールコード"));
            const char type = typeText.empty() ? ' ' : typeText[0];
            if (type == 'D' && databaseHeldBack)
                continue;
            std::vector<std::filesystem::path> archives;
            bool applied = false;
            try {
                // The scripts and the applied mark commit together: killed
                // in between, the update is simply applied again.
                Savepoint savepoint(db, "kiro_update");
                if (applyUpdate(db, environment, code, type, module, archives) == 0) {
                    updates.edit();
                    updates.setFieldValue("アップデートフラグ", "1");
                    updates.update();
                    savepoint.release();
                    applied = true;
                }
            } catch (const DbError&) {
            }
            if (!applied) {
                failure = 1;
                databaseHeldBack = databaseHeldBack || type == 'D';
                continue;
            }
            std::error_code ec;
            for (const auto& archive : archives)
                std::filesystem::remove(archive, ec);
        }
    } catch (const DbError&) {
        failure = 1;
    }
    return failure;
}

} // namespace kiro::db
