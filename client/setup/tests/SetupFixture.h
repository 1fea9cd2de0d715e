#pragma once

// Test helpers for the setup dialogs: a music controller that records its
// calls, a catalogue with access points, and services over both.
#include "client/app/ClientSettings.h"
#include "client/app/ScriptedPrompt.h"
#include "client/db/CatalogueDb.h"
#include "client/music/BackgroundMusic.h"
#include "client/online/PortRegistry.h"
#include "client/setup/SetupServices.h"
#include "common/Registry.h"
#include "common/tests/TempDir.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace kiro::setuptest {

class RecordingMusic final : public music::BackgroundMusic {
public:
    std::vector<std::string> calls;
    int openAndPlay(int index) override
    {
        m_current = index >= 0 ? index : m_current;
        return record("openAndPlay", index), 0;
    }
    void play(int index) override
    {
        m_current = index >= 0 ? index : m_current;
        record("play", index);
    }
    void close() override { calls.push_back("close"); }
    void suspend(int index) override { record("suspend", index); }
    void resume() override { calls.push_back("resume"); }
    void selectEngine(int kind) override { record("selectEngine", kind); }
    bool off() const override { return m_off; }
    void setOff(bool off) override
    {
        m_off = off;
        calls.push_back(off ? "setOff 1" : "setOff 0");
    }
    bool isPlaying() override { return false; }
    int current() const override { return m_current; }

private:
    void record(const char* name, int value) { calls.push_back(std::string(name) + " " + std::to_string(value)); }
    bool m_off = true;
    int m_current = -1;
};

// One access point row: name, area code, number, reading, road type code.
struct AccessPointSample {
    std::string name, area, number, reading;
    int road;
};

// A Windows folder with registry.reg (KIRO_WINDIR points at it), a catalogue
// with road types 30 "14400bps" and 50 "28800bps" (both listed) and 70 (not
// listed: its class is missing), and services over recorders.
class SetupFixture {
public:
    SetupFixture()
        : dir("setup")
    {
        ::setenv("KIRO_WINDIR", dir.path.c_str(), 1);
        settings.ComPort = 2;
        services.settings = &settings;
        services.prompt = &prompt;
        services.music = &music;
        services.registry = online::systemRegistry();
        services.registryFile = (dir.path / "registry.reg").string();
        services.folders = app::AppFolders::fromInstallFolder("/opt/kiro");
        services.reconfigurePort = [this](int port, int baud) {
            reconfigured.push_back(std::to_string(port) + "@" + std::to_string(baud));
        };
        services.runModemTest = [this]() {
            testedPorts.push_back(settings.ComPort);
            return modemAnswers;
        };
        services.settingsChanged = [this]() { ++changes; };
        services.saveSettings = [this]() { ++saves; };
    }
    ~SetupFixture()
    {
        if (db.isOpen())
            db.close();
        ::unsetenv("KIRO_WINDIR");
    }

    kiro::Registry registry() { return kiro::Registry(dir.path / "registry.reg"); }

    void openCatalogue(const std::vector<AccessPointSample>& rows)
    {
        const auto file = dir.path / "KIRODB.MDB";
        db::CatalogueDb::createFile(file);
        db.openOrThrow(file);
        db.execute("INSERT INTO アクセスポイント分類テーブル VALUES (1)");
        db.execute("INSERT INTO ロードタイプマスタ VALUES (30, '14400bps', 1)");
        db.execute("INSERT INTO ロードタイプマスタ VALUES (50, '28800bps', 1)");
        db.execute("INSERT INTO ロードタイプマスタ VALUES (70, 'ISDN', 2)");
        for (const AccessPointSample& r : rows)
            db.execute("INSERT INTO アクセスポイントテーブル VALUES ('" + r.name + "', '" + r.area + "', '" + r.number +
                       "', '" + r.reading + "', " + std::to_string(r.road) + ")");
        services.database = &db;
    }

    TempDir dir;
    app::ClientSettings settings;
    app::ScriptedPrompt prompt;
    RecordingMusic music;
    db::CatalogueDb db;
    setup::SetupServices services;
    std::vector<std::string> reconfigured;
    std::vector<int> testedPorts;
    bool modemAnswers = true;
    int changes = 0;
    int saves = 0;
};

} // namespace kiro::setuptest
