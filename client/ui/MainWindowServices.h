#pragma once

#include <QString>

class QWidget;

// What the main window (the top screen) asks of the layers below it during
// start-up, for its buttons, and at shut-down. The client program implements
// it over the settings, database, port and music libraries; tests fake it.
class MainWindowServices {
public:
    virtual ~MainWindowServices() = default;

    // Start-up, in the order the main window calls them.
    // Takes the install folder, writes KIRO.INI and fills the picture defaults.
    virtual void prepareFolders() = 0;
    virtual QString installFolder() const = 0;
    virtual QString systemFolder() const = 0;
    virtual void initPort(QWidget* mainWindow) = 0;
    // The connection-progress window (564), created hidden.
    virtual void createProgressWindow(QWidget* mainWindow) = 0;
    // Workspace "KIRO96" and KIRODB.MDB in the system folder; false when the
    // database did not open (the exception is discarded, nothing is shown).
    virtual bool openDatabase() = 0;
    // Mail numbers and the pending database update script.
    virtual void afterDatabaseOpened() = 0;
    virtual bool setupIsOK() const = 0;
    // The user settings dialog; the caller saves the settings afterwards.
    virtual void runUserSettings(QWidget* parent) = 0;
    virtual void saveSettings() = 0;

    // The top screen's buttons.
    virtual void playTune(int tune) = 0;
    virtual void stopMusic() = 0;
    // The song book (group list of course 10); false when it cannot open yet.
    virtual bool songBookAvailable() const = 0;
    virtual void openSongBook(QWidget* parent) = 0;
    // Runs maintenance entry `index` (0-5) over the menu window.
    virtual bool maintenanceEntryAvailable(int index) const = 0;
    virtual void runMaintenanceEntry(int index, QWidget* menu) = 0;

    // The 500 ms timer: the host session's time-out count (it posts the
    // time-out notice itself when the limit passes).
    virtual void sessionTick() = 0;

    // Shut-down, in the order the main window calls them.
    virtual void deleteProgressWindow() = 0;
    virtual void closeDatabase() = 0;
    virtual void closeWorkspace() = 0;
    virtual void shutdownPort() = 0;
    virtual void closeMusic() = 0;
};
