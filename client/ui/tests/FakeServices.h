#pragma once

#include "client/ui/MainWindowServices.h"

#include <QString>
#include <QStringList>

#include <functional>

// Records every call the main window makes, in order.
class FakeServices : public MainWindowServices {
public:
    QStringList calls;
    QString folder;
    bool databaseOpens = true;
    bool setupDone = true;
    bool songBook = false;
    std::function<void()> onOpenDatabase;
    std::function<void(int, QWidget*)> onMaintenance;

    void prepareFolders() override { calls << "prepareFolders"; }
    QString installFolder() const override { return folder; }
    QString systemFolder() const override { return folder + "/sysfile"; }
    void initPort(QWidget*) override { calls << "initPort"; }
    void createProgressWindow(QWidget*) override { calls << "createProgressWindow"; }
    bool openDatabase() override
    {
        calls << "openDatabase";
        if (onOpenDatabase)
            onOpenDatabase();
        return databaseOpens;
    }
    void afterDatabaseOpened() override { calls << "afterDatabaseOpened"; }
    bool setupIsOK() const override { return setupDone; }
    void runUserSettings(QWidget*) override
    {
        calls << "runUserSettings";
        setupDone = true;
    }
    void saveSettings() override { calls << "saveSettings"; }
    void playTune(int tune) override { calls << QStringLiteral("playTune %1").arg(tune); }
    void stopMusic() override { calls << "stopMusic"; }
    bool songBookAvailable() const override { return songBook; }
    void openSongBook(QWidget*) override { calls << "openSongBook"; }
    bool maintenanceEntryAvailable(int index) const override { return index != 4; }
    void runMaintenanceEntry(int index, QWidget* menu) override
    {
        calls << QStringLiteral("maintenance %1").arg(index);
        if (onMaintenance)
            onMaintenance(index, menu);
    }
    void sessionTick() override { calls << "sessionTick"; }
    void deleteProgressWindow() override { calls << "deleteProgressWindow"; }
    void closeDatabase() override { calls << "closeDatabase"; }
    void closeWorkspace() override { calls << "closeWorkspace"; }
    void shutdownPort() override { calls << "shutdownPort"; }
    void closeMusic() override { calls << "closeMusic"; }
};
