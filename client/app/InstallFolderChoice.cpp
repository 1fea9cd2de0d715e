#include "client/app/InstallFolderChoice.h"

#include "common/FileNames.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kiro::app {

namespace {

std::optional<fs::path> existingFolder(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return fs::weakly_canonical(path, ec);
    return std::nullopt;
}

bool isEmptyFolder(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec) && fs::is_empty(path, ec);
}

std::string copyTree(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec)
        return "cannot create " + to.string() + ": " + ec.message();
    fs::permissions(to, fs::perms::owner_all, fs::perm_options::add, ec);
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path target = to / it->path().filename();
        const fs::file_status status = it->symlink_status(ec);
        if (ec)
            break;
        if (fs::is_directory(status)) {
            std::string problem = copyTree(it->path(), target);
            if (!problem.empty())
                return problem;
        } else if (fs::is_regular_file(status)) {
            fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, ec);
            if (ec)
                return "cannot copy " + it->path().string() + ": " + ec.message();
            fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
        }
        // Links and special files of a template are not copied: the user's
        // folder holds plain files only.
    }
    if (ec)
        return "cannot read " + from.string() + ": " + ec.message();
    return {};
}

} // namespace

bool isInstallFolder(const fs::path& folder)
{
    auto database = kiro::filenames::findUnder(folder, "sysfile/KIRODB.MDB");
    std::error_code ec;
    return database && fs::is_regular_file(*database, ec);
}

bool looksLikeInstallFolder(const fs::path& folder)
{
    auto sysfile = kiro::filenames::findInFolder(folder, "sysfile");
    std::error_code ec;
    return sysfile && fs::is_directory(*sysfile, ec);
}

std::optional<fs::path> findTemplateFolder(const fs::path& programFolder)
{
    if (const char* fromEnvironment = std::getenv("KIRO_TEMPLATE_DIR"); fromEnvironment && *fromEnvironment)
        return existingFolder(fromEnvironment);
    for (const fs::path& candidate : {programFolder / ".." / "share" / "kiro" / "template", programFolder / ".." / "template"}) {
        if (auto found = existingFolder(candidate); found && isInstallFolder(*found))
            return found;
    }
    return std::nullopt;
}

fs::path defaultUserFolder()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return fs::path(data) / "kiro";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / ".local" / "share" / "kiro";
}

std::string createFromTemplate(const fs::path& templateFolder, const fs::path& target)
{
    std::error_code ec;
    fs::path parent = target.parent_path();
    fs::create_directories(parent, ec);
    if (ec)
        return "cannot create " + parent.string() + ": " + ec.message();
    // The copy is built beside the target and renamed into place at the end.
    // Copies left by starts that were killed half-way go first.
    const std::string stagingPrefix = "." + target.filename().string() + ".new-";
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename().string().rfind(stagingPrefix, 0) == 0) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
    }
    fs::path staging = parent / (stagingPrefix + std::to_string(::getpid()));
    std::string problem = copyTree(templateFolder, staging);
    if (problem.empty() && !isInstallFolder(staging))
        problem = "the template " + templateFolder.string() + " holds no sysfile/KIRODB.MDB";
    if (problem.empty()) {
        // An empty folder of the target's name (made by hand, say) gives way.
        if (isEmptyFolder(target))
            fs::remove(target, ec);
        fs::rename(staging, target, ec);
        if (ec)
            problem = "cannot move the new folder to " + target.string() + ": " + ec.message();
    }
    if (!problem.empty())
        fs::remove_all(staging, ec);
    return problem;
}

InstallFolderChoice chooseInstallFolder(const std::optional<fs::path>& requested, const fs::path& currentFolder,
    const fs::path& programFolder)
{
    InstallFolderChoice choice;
    fs::path folder;
    if (requested) {
        folder = fs::absolute(*requested);
    } else if (looksLikeInstallFolder(currentFolder)) {
        choice.folder = currentFolder;
        return choice;
    } else {
        folder = defaultUserFolder();
    }
    if (isInstallFolder(folder)) {
        choice.folder = folder;
        return choice;
    }
    std::error_code ec;
    if (fs::exists(folder, ec) && !isEmptyFolder(folder)) {
        choice.problem = folder.string() + " exists but is not an install folder (it holds no sysfile/KIRODB.MDB)";
        return choice;
    }
    auto templateFolder = findTemplateFolder(programFolder);
    if (!templateFolder) {
        choice.problem = "no install folder: " + folder.string()
                       + " holds no sysfile/KIRODB.MDB and no installed template was found (KIRO_TEMPLATE_DIR, "
                       + (programFolder / ".." / "share" / "kiro" / "template").lexically_normal().string() + ")";
        return choice;
    }
    choice.problem = createFromTemplate(*templateFolder, folder);
    if (choice.problem.empty()) {
        choice.folder = folder;
        choice.created = true;
    }
    return choice;
}

} // namespace kiro::app
