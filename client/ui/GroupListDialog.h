#pragma once

#include "client/ui/CaptionlessDialog.h"
#include "client/ui/KaraokeScreen.h"

namespace kiro::app {
class Prompt;
}
namespace kiro::catalogue {
class SongBookActions;
}
namespace kiro::db {
class CatalogueDb;
}
class QListWidget;

// Template 134: the groups of a course. "入る" opens the karaoke screen at
// the selected group (the first when none is selected); "ファイル" and
// "音源/ﾓﾃﾞﾑﾃｽﾄ" hand on to the downloaded-songs list and the sound and
// modem test; "もどる" closes.
class GroupListDialog : public CaptionlessDialog {
    Q_OBJECT
public:
    GroupListDialog(kiro::db::CatalogueDb& db, int course, kiro::app::Prompt& prompt,
        kiro::catalogue::SongBookActions& actions, KaraokeScreen::Folders folders, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    void enter();

signals:
    // The karaoke screen was created (tests drive it while it is modal).
    void karaokeScreenOpened(KaraokeScreen* screen);

private:
    kiro::db::CatalogueDb& m_db;
    int m_course;
    kiro::app::Prompt& m_prompt;
    kiro::catalogue::SongBookActions& m_actions;
    KaraokeScreen::Folders m_folders;
    QListWidget* m_list;
};
