// Runs the real `kiro` program (offscreen) for the start-up paths that end
// on their own.
#include "TestApplication.h"
#include "client/ProgramServices.h"
#include "client/app/ScriptedPrompt.h"
#include "client/db/CatalogueDb.h"
#include "client/ui/progress/ProgressWindow.h"
#include "common/Profile.h"
#include "common/SingleInstance.h"

#include <QApplication>
#include <QWidget>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Sandbox {
    QTemporaryDir root;
    QString install = root.filePath("install");
    QString windows = root.filePath("windows");
    QString temp = root.filePath("tmp");
    Sandbox()
    {
        QDir().mkpath(install + "/sysfile");
        QDir().mkpath(windows);
        QDir().mkpath(temp);
    }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KIRO_WINDIR", windows);
        env.insert("TMPDIR", temp);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }
};

struct KiroRun {
    bool finished;
    int exitCode;
    QByteArray out;
    QByteArray err;
};

KiroRun runKiro(const Sandbox& box, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(box.environment());
    process.setWorkingDirectory(box.install);
    process.start(QStringLiteral(KIRO_BIN_DIR "/kiro"), {});
    const bool finished = process.waitForStarted(10000) && process.waitForFinished(timeoutMs);
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    // Qt's own notes about the offscreen platform are not messages of ours.
    QByteArray err;
    for (const QByteArray& line : process.readAllStandardError().split('\n')) {
        if (!line.isEmpty() && !line.startsWith("QStandardPaths:") && !line.contains("propagateSizeHints"))
            err += line + '\n';
    }
    return {finished, process.exitCode(), process.readAllStandardOutput(), err};
}

using kiro::clienttest::ensureApplication;

} // namespace

TEST(KiroProgram, SecondInstanceExitsSilently)
{
    Sandbox box;
    // Hold the mutex as a running copy would.
    const bool hadTmp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", box.temp.toUtf8());
    kiro::SingleInstance first;
    ASSERT_TRUE(first.acquired()) << first.error();
    const KiroRun run = runKiro(box, 20000);
    // An empty TMPDIR left behind would break every later temporary folder.
    if (hadTmp)
        qputenv("TMPDIR", oldTmp);
    else
        qunsetenv("TMPDIR");
    ASSERT_TRUE(run.finished) << "the second copy must end by itself";
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(box.windows + "/KIRO.INI")) << "it ended before the main window";
}

TEST(KiroProgram, MissingDatabaseEndsAfterTheSplashNamingWhatItLookedFor)
{
    Sandbox box;
    const KiroRun run = runKiro(box, 30000);
    ASSERT_TRUE(run.finished) << "without a database the program ends by itself";
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("sysfile/KIRODB.MDB not found; start kiro in its install folder"))
        << run.err.toStdString();
    // The main window did start: it wrote the install folder for the player.
    const std::string written = kiro::profile::getString("KiroIF", "KiroDirectry", "",
        (box.windows + "/KIRO.INI").toStdString());
    EXPECT_EQ(written, QDir(box.install).absolutePath().toStdString());
}

TEST(ProgramServices, OpensTheCatalogueAndClosesDatabaseBeforeWorkspace)
{
    ensureApplication();
    Sandbox box;
    kiro::db::CatalogueDb::createFile((box.install + "/sysfile/KIRODB.MDB").toStdString());
    kiro::app::ClientSettings settings;
    settings.ReadMailNo = 1;
    kiro::app::ScriptedPrompt prompt;
    kiro::client::ProgramServices services(settings, prompt, box.windows.toStdString());
    services.setInstallFolder(box.install.toStdString());
    services.prepareFolders();
    EXPECT_EQ(services.systemFolder(), box.install + "/sysfile/");
    services.initPort(nullptr);
    ASSERT_NE(services.port(), nullptr);
    services.createProgressWindow(nullptr);
    ASSERT_NE(services.progressWindow(), nullptr);
    EXPECT_FALSE(services.progressWindow()->isVisible()) << "created hidden";
    ASSERT_NE(services.session(), nullptr);
    ASSERT_TRUE(services.openDatabase());
    services.afterDatabaseOpened();
    EXPECT_EQ(settings.ReadMailNo, 10001);
    ASSERT_NE(services.database(), nullptr);
    services.closeDatabase();
    EXPECT_FALSE(services.database()->isOpen()) << "the database closes first";
    ASSERT_NE(services.database(), nullptr) << "the workspace is still there";
    services.closeWorkspace();
    EXPECT_EQ(services.database(), nullptr);
    services.deleteProgressWindow();
    EXPECT_EQ(services.session(), nullptr);
    services.shutdownPort();
    EXPECT_EQ(services.port(), nullptr);
    // Pictures and videos get their default folders when not in use.
    EXPECT_EQ(settings.PathMyCG, box.install.toStdString() + "/karaoke/User");
}

TEST(ProgramServices, CompactionEntryRunsWithItsNotice)
{
    ensureApplication();

    Sandbox box;
    kiro::db::CatalogueDb::createFile((box.install + "/sysfile/KIRODB.MDB").toStdString());
    kiro::app::ClientSettings settings;
    kiro::app::ScriptedPrompt prompt({kiro::app::PromptAnswer::First});
    kiro::client::ProgramServices services(settings, prompt, box.windows.toStdString());
    services.setInstallFolder(box.install.toStdString());
    services.prepareFolders();
    EXPECT_FALSE(services.maintenanceEntryAvailable(3)) << "nothing to compact before the database opens";
    ASSERT_TRUE(services.openDatabase());
    EXPECT_TRUE(services.maintenanceEntryAvailable(3));
    for (int entry : {0, 1, 2})
        EXPECT_TRUE(services.maintenanceEntryAvailable(entry)) << "setup dialog " << entry;

    QWidget menu;
    services.runMaintenanceEntry(3, &menu);
    ASSERT_GE(prompt.records().size(), 1u);
    EXPECT_EQ(prompt.records().front().kind, kiro::app::ScriptedPrompt::Kind::Question);
    EXPECT_EQ(prompt.answersLeft(), 0u);
    EXPECT_TRUE(menu.isEnabled()) << "the menu takes input again afterwards";
    EXPECT_TRUE(services.database()->isOpen()) << "the compacted catalogue is open again";
    EXPECT_TRUE(QFile::exists(box.install + "/sysfile/KIRODB.MDB"));
    services.closeDatabase();
    services.closeWorkspace();
}

TEST(ProgramServices, VersionUpEntriesNeedTheDatabase)
{
    ensureApplication();

    Sandbox box;
    kiro::db::CatalogueDb::createFile((box.install + "/sysfile/KIRODB.MDB").toStdString());
    kiro::app::ClientSettings settings;
    // The job's question answered "いいえ": nothing is dialled, nothing shown.
    kiro::app::ScriptedPrompt prompt({kiro::app::PromptAnswer::Second});
    kiro::client::ProgramServices services(settings, prompt, box.windows.toStdString());
    services.setInstallFolder(box.install.toStdString());
    services.prepareFolders();
    EXPECT_FALSE(services.maintenanceEntryAvailable(4));
    EXPECT_FALSE(services.maintenanceEntryAvailable(5));
    QWidget window;
    services.initPort(&window);
    services.createProgressWindow(&window);
    ASSERT_TRUE(services.openDatabase());
    EXPECT_TRUE(services.maintenanceEntryAvailable(4));
    EXPECT_TRUE(services.maintenanceEntryAvailable(5));

    services.runMaintenanceEntry(5, &window);
    ASSERT_EQ(prompt.records().size(), 1u);
    EXPECT_EQ(prompt.records().front().text, "最新情報や、\nバージョンアップ情報を\n取りにいきますか？");
    EXPECT_FALSE(settings.NeedGetInfo);
    services.deleteProgressWindow();
    services.closeDatabase();
    services.closeWorkspace();
    services.shutdownPort();
}
