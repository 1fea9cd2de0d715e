// The maintenance entries 0-2, the first-run dialog's "通信設定" and the song
// book's two functions open the setup dialogs over the program's services.
#include "TestApplication.h"
#include "client/ProgramServices.h"
#include "client/SetupDialogs.h"
#include "client/app/ScriptedPrompt.h"
#include "client/db/CatalogueDb.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using kiro::clienttest::ensureApplication;

// Closes the next modal dialog that opens (with cancel) and tells which it was.
QString closeNextModal(const std::function<void()>& open)
{
    QString seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            seen = modal->objectName();
            modal->reject();
        }
    });
    poll.start();
    open();
    return seen;
}

} // namespace

TEST(SetupWiring, EntriesAndFunctionsOpenTheirDialogs)
{
    ensureApplication();
    QTemporaryDir root;
    const QString install = root.filePath("install");
    const QString windows = root.filePath("windows");
    QDir().mkpath(install + "/sysfile");
    QDir().mkpath(windows);
    qputenv("KIRO_WINDIR", windows.toUtf8());
    kiro::db::CatalogueDb::createFile((install + "/sysfile/KIRODB.MDB").toStdString());

    kiro::app::ClientSettings settings;
    settings.ComPort = 3;
    kiro::app::ScriptedPrompt prompt;
    kiro::client::ProgramServices services(settings, prompt, windows.toStdString());
    services.setInstallFolder(install.toStdString());
    services.prepareFolders();
    ASSERT_TRUE(services.openDatabase());

    QWidget menu;
    EXPECT_EQ(closeNextModal([&] { services.runMaintenanceEntry(0, &menu); }), "614");
    EXPECT_EQ(closeNextModal([&] { services.runMaintenanceEntry(1, &menu); }), "465");
    EXPECT_EQ(closeNextModal([&] { services.runMaintenanceEntry(2, &menu); }), "405");
    EXPECT_EQ(closeNextModal([&] { services.runUserSettings(&menu); }), "614");
    EXPECT_EQ(closeNextModal([&] { kiro::client::openPictureSettingsDialog(&menu, services); }), "597");
    EXPECT_EQ(closeNextModal([&] { kiro::client::openSoundModemDialog(&menu, services); }), "405");
    EXPECT_EQ(settings.ComPort, 3) << "cancelled dialogs change nothing";
    EXPECT_EQ(settings.SetupIsOK, 0);
    EXPECT_TRUE(prompt.records().empty());

    services.closeDatabase();
    services.closeWorkspace();
    qunsetenv("KIRO_WINDIR");
}
