// Where the client runs: its install folder, or a user's own folder made from
// the installed template; and the installed tree itself.
#include "client/app/InstallFolderChoice.h"
#include "client/app/AppFolders.h"
#include "common/Profile.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace kiro::app;

namespace {

void writeFile(const fs::path& path, const std::string& text, fs::perms perms)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
    fs::permissions(path, perms);
}

struct ScopedEnv {
    std::string name;
    std::optional<std::string> previous;
    ScopedEnv(const char* n, const std::string& value)
        : name(n)
    {
        if (const char* old = std::getenv(n))
            previous = old;
        ::setenv(n, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (previous)
            ::setenv(name.c_str(), previous->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
};

} // namespace

TEST(InstallFolder, AUserFolderIsMadeOnceFromTheReadOnlyTemplate)
{
    QTemporaryDir root;
    const fs::path base = root.path().toStdString();
    const fs::path templ = base / "share" / "kiro" / "template";
    writeFile(templ / "sysfile" / "KIRODB.MDB", "db", fs::perms::owner_read);
    writeFile(templ / "InfoText" / "Help.txt", "help", fs::perms::owner_read | fs::perms::group_read);
    writeFile(templ / "karaoke" / "songbox", "#!/bin/sh\n", fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_directories(templ / "MAIL");
    fs::create_directories(base / "bin");
    fs::create_directories(base / "elsewhere");
    ScopedEnv data("XDG_DATA_HOME", (base / "data").string());
    // A copy left by a start that was killed half-way.
    fs::create_directories(base / "data" / ".kiro.new-1" / "sysfile");

    InstallFolderChoice first = chooseInstallFolder(std::nullopt, base / "elsewhere", base / "bin");
    ASSERT_EQ(first.problem, "");
    EXPECT_TRUE(first.created);
    EXPECT_EQ(first.folder, base / "data" / "kiro");
    EXPECT_TRUE(isInstallFolder(first.folder));
    EXPECT_TRUE(fs::is_directory(first.folder / "MAIL"));
    // The user's copy is theirs to write; the player stays a program.
    auto help = fs::status(first.folder / "InfoText" / "Help.txt").permissions();
    EXPECT_NE(help & fs::perms::owner_write, fs::perms::none);
    auto player = fs::status(first.folder / "karaoke" / "songbox").permissions();
    EXPECT_NE(player & fs::perms::owner_exec, fs::perms::none);
    EXPECT_FALSE(fs::exists(base / "data" / ".kiro.new-1"));

    // Next start: the same folder, untouched.
    std::ofstream(first.folder / "sysfile" / "KIRODB.MDB") << "the user's catalogue";
    InstallFolderChoice again = chooseInstallFolder(std::nullopt, base / "elsewhere", base / "bin");
    EXPECT_FALSE(again.created);
    EXPECT_EQ(again.folder, first.folder);
    std::ifstream in(first.folder / "sysfile" / "KIRODB.MDB");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "the user's catalogue");
}

TEST(InstallFolder, TheCurrentFolderAnAskedFolderAndNoTemplate)
{
    QTemporaryDir root;
    const fs::path base = root.path().toStdString();
    ScopedEnv data("XDG_DATA_HOME", (base / "data").string());
    ScopedEnv noTemplate("KIRO_TEMPLATE_DIR", (base / "missing").string());

    // An install folder whose catalogue is gone is still the install folder:
    // the client ends after its splash there, as it always did.
    fs::create_directories(base / "install" / "SysFile");
    InstallFolderChoice current = chooseInstallFolder(std::nullopt, base / "install", base / "bin");
    EXPECT_EQ(current.folder, base / "install");
    EXPECT_FALSE(current.created);

    // A folder that holds something else is never filled with a template.
    writeFile(base / "mine" / "notes.txt", "x", fs::perms::owner_all);
    InstallFolderChoice asked = chooseInstallFolder(base / "mine", base, base / "bin");
    EXPECT_TRUE(asked.folder.empty());
    EXPECT_NE(asked.problem.find("is not an install folder"), std::string::npos) << asked.problem;

    InstallFolderChoice none = chooseInstallFolder(std::nullopt, base, base / "bin");
    EXPECT_TRUE(none.folder.empty());
    EXPECT_NE(none.problem.find("no installed template"), std::string::npos) << none.problem;
    EXPECT_FALSE(fs::exists(base / "data" / "kiro"));
}

TEST(InstallFolder, TheInstalledClientMakesTheUserFolderAndShowsTheTopScreen)
{
    const fs::path build = fs::path(KIRO_BIN_DIR).parent_path();
    if (!fs::exists(build / "template" / "sysfile" / "KIRODB.MDB"))
        GTEST_SKIP() << "the template of the build tree is not made (target kiro_template)";
    QTemporaryDir root;
    const fs::path base = root.path().toStdString();
    const fs::path prefix = base / "prefix";

    QProcess install;
    install.start("cmake", {"--install", QString::fromStdString(build.string()), "--prefix",
                               QString::fromStdString(prefix.string())});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    EXPECT_TRUE(fs::exists(prefix / "share" / "applications" / "kiro.desktop"));
    EXPECT_TRUE(fs::exists(prefix / "share" / "kiro" / "template" / "karaoke" / "songbox"));

    QProcess validate;
    validate.start("desktop-file-validate", {QString::fromStdString((prefix / "share" / "applications" / "kiro.desktop").string())});
    if (validate.waitForStarted(5000)) {
        validate.waitForFinished(10000);
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    }

    // Started from a folder that is no install folder, as from the desktop menu.
    fs::create_directories(base / "home");
    fs::create_directories(base / "windows");
    fs::create_directories(base / "tmp");
    QProcess kiro;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString((base / "home").string()));
    env.remove("XDG_DATA_HOME");
    env.remove("KIRO_TEMPLATE_DIR");
    env.insert("KIRO_WINDIR", QString::fromStdString((base / "windows").string()));
    env.insert("TMPDIR", QString::fromStdString((base / "tmp").string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    kiro.setProcessEnvironment(env);
    kiro.setWorkingDirectory(QString::fromStdString((base / "home").string()));
    kiro.start(QString::fromStdString((prefix / "bin" / "kiro").string()), {});
    ASSERT_TRUE(kiro.waitForStarted(10000));

    // The top screen has started once KIRO.INI names the install folder.
    const fs::path userFolder = base / "home" / ".local" / "share" / "kiro";
    std::string written;
    for (int i = 0; i < 300 && written.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        written = kiro::profile::getString("KiroIF", "KiroDirectry", "", (base / "windows" / "KIRO.INI").string());
    }
    kiro.kill();
    kiro.waitForFinished(5000);
    EXPECT_EQ(written, userFolder.string());
    EXPECT_TRUE(isInstallFolder(userFolder));
    EXPECT_TRUE(fs::exists(userFolder / "karaoke" / "songbox"));
    const std::string err = kiro.readAllStandardError().toStdString();
    EXPECT_NE(err.find("kiro: install folder " + userFolder.string() + " (made from the installed template)"),
        std::string::npos)
        << err;

    // A song the sample lists as downloaded plays as the client starts it,
    // with the user's own pictures: the picture it asks for is there.
    const fs::path song = userFolder / "karaoke" / "K000050.KRD";
    ASSERT_TRUE(fs::exists(song));
    QProcess player;
    env.insert("KIRO_MESSAGES", "stderr");
    env.insert("SONGBOX1_NO_WAIT", "1");
    env.insert("SDL_AUDIODRIVER", "dummy");
    player.setProcessEnvironment(env);
    player.start(QString::fromStdString((userFolder / "karaoke" / "songbox").string()),
        {QString::fromStdString(song.string()), "-quser", "-H00000001"});
    ASSERT_TRUE(player.waitForStarted(10000));
    ASSERT_TRUE(player.waitForFinished(60000));
    const std::string said = player.readAllStandardError().toStdString();
    EXPECT_EQ(player.exitCode(), 0) << said;
    EXPECT_EQ(said.find("Disk Full"), std::string::npos) << said;
}
