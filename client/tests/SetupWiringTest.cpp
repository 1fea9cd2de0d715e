// The maintenance entries 0-2, the first-run dialog's "通信設定" and the song
// book's two functions open the setup dialogs over the program's services.
#include "assets/music/BackgroundSongs.h"
#include "client/MidiEngineChoice.h"
#include "TestApplication.h"
#include "client/ProgramServices.h"
#include "client/SetupDialogs.h"
#include "client/app/ScriptedPrompt.h"
#include "client/db/CatalogueDb.h"
#include "client/music/BackgroundMusic.h"
#include "client/setup/SoundModemForm.h"
#include "midiload/orvelmpl.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

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

namespace {

// Answers yes and notes whether a song was playing when it was asked if
// music could be heard.
class ListeningPrompt final : public kiro::app::Prompt {
public:
    int statusWhileAsked = -1;
    void message(const std::string&, const std::string& = {}) override { }
    kiro::app::PromptAnswer question(const std::string& text, const std::string& = {}, const std::string& = {}) override
    {
        if (text.find("スピーカー") != std::string::npos) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            while (vmpldGetStatus() != 2 && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            statusWhileAsked = vmpldGetStatus();
        }
        return kiro::app::PromptAnswer::First;
    }
};

} // namespace

TEST(SetupWiring, TheSoundTestPlaysTheTestTuneThroughTheProgramsMusic)
{
    if (!std::filesystem::exists("/usr/share/sounds/sf2/default-GM.sf2"))
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    QTemporaryDir root;
    const std::filesystem::path install = root.filePath("install").toStdString();
    const std::filesystem::path windows = root.filePath("windows").toStdString();
    ASSERT_TRUE(kiro::music::writeBackgroundSongs(install / "karaoke").empty());
    std::filesystem::create_directories(windows);
    qputenv("KIRO_WINDIR", QByteArray::fromStdString(windows.string()));
    ASSERT_TRUE(kiro::client::selectMidiEngine(0, windows / "registry.reg"));

    kiro::app::ClientSettings settings; // background music off, as after every start
    ListeningPrompt prompt;
    kiro::client::ProgramServices services(settings, prompt, windows);
    services.setInstallFolder(install.string() + "/");
    services.prepareFolders();
    kiro::setup::SetupServices setup = services.setupServices();
    kiro::setup::SoundModemForm form(setup);
    form.soundTest();
    EXPECT_EQ(prompt.statusWhileAsked, 2) << "the test tune did not play";
    EXPECT_EQ(vmpldGetStatus(), 0) << "the player stays open after the test";
    EXPECT_TRUE(services.music().off());
    qunsetenv("KIRO_WINDIR");
}
