#pragma once

#include "client/ui/CaptionlessDialog.h"
#include "client/ui/SplashWindow.h"

#include <QPointer>

class MainWindowServices;
class PictureButton;
class QTimer;
namespace kiro::app {
class Prompt;
}

// Template 102, the main window: the top menu picture (1038) with the buttons
// "カラオケ歌本" (1410), "メンテナンス" (1413), "お知らせ" (1415), "ヘルプ"
// (1411) and "終了" (1414). Its start-up finishes the client's start; the
// program ends when it closes.
class TopScreen : public CaptionlessDialog {
    Q_OBJECT
public:
    static constexpr int SessionTimerId = 4903;
    static constexpr int SessionTimerMs = 500;
    static constexpr int FastTimerId = 807;
    static constexpr int FastTimerMs = 100;
    static constexpr int Width = 640;
    static constexpr int Height = 480;

    TopScreen(MainWindowServices& services, kiro::app::Prompt& prompt, QWidget* parent = nullptr);
    ~TopScreen() override;

    // The main window's initialisation: folders, port, splash, progress
    // window, database, timers, top picture and the first-run dialog. False
    // when start-up failed (no database, or the first-run dialog was left
    // without OK); the program then ends without a message.
    bool startUp();
    // startUp, then the modal run; the dialog's result (Rejected after a
    // failed start-up).
    int run();

    // Shut-down when the window goes: progress window, database then
    // workspace, port, background music. Runs once.
    void shutDown();

    // Ticks of the 500 ms timer since start (the unit of WaitWithPump).
    quint32 tickCount() const { return m_ticks; }
    // Set after more than 8 ticks.
    bool settled() const { return m_settled; }
    bool startUpFailed() const { return m_failed; }
    // The splash window while start-up runs (null before and after).
    SplashWindow* splash() const { return m_splash; }

    // One beat of timer 4903 (the timer calls it every 500 ms).
    void sessionTimerFired();

signals:
    void sessionTicked(quint32 ticks);
    void fastTick();

protected:
    // Escape must not close the main window: only "終了" ends the program.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createButtons();
    void onSongBook();
    void onMaintenance();
    void onInfo();
    void onHelp();
    void onExit();
    bool runFirstRunDialog();

    MainWindowServices& m_services;
    kiro::app::Prompt& m_prompt;
    PictureButton* m_picture = nullptr;
    QPointer<SplashWindow> m_splash;
    QTimer* m_sessionTimer;
    QTimer* m_fastTimer;
    quint32 m_ticks = 0;
    int m_startUpCount = 0;
    bool m_settled = false;
    bool m_failed = false;
    bool m_shutDown = false;
};
