#pragma once

#include "client/ui/CaptionlessDialog.h"

class MainWindowServices;
class PictureButton;
class QListWidget;
namespace kiro::app {
class Prompt;
}

// Template 500: the six maintenance entries in list box 1019, "入る" (1) and
// "もどる" (2). While an entry runs the menu is disabled and busy.
class MaintenanceMenu : public CaptionlessDialog {
    Q_OBJECT
public:
    static const QStringList& entryTexts();
    // "ユーザー情報の変更", "交信先(出発ゲート)の変更", "音源とモデムの設定・テスト".
    static constexpr int UserSettingsEntry = 0;
    static constexpr int AccessPointEntry = 1;
    static constexpr int SoundModemEntry = 2;
    // "ＫＩＲＯデータベースの最適化".
    static constexpr int CompactEntry = 3;
    // "バージョンチェック" and "★新情報・バージョンアップ情報を取りに行く".
    static constexpr int VersionListEntry = 4;
    static constexpr int VersionUpEntry = 5;

    MaintenanceMenu(MainWindowServices& services, kiro::app::Prompt& prompt, QWidget* parent = nullptr);

    bool isBusy() const { return m_busy; }
    QListWidget* list() const { return m_list; }

    // "入る" or a double click: runs the selected entry.
    void enter();

private:
    MainWindowServices& m_services;
    kiro::app::Prompt& m_prompt;
    QListWidget* m_list;
    PictureButton* m_enter;
    PictureButton* m_back;
    bool m_busy = false;
};
