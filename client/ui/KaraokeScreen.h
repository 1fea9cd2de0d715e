#pragma once

#include "client/catalogue/KaraokeBrowser.h"
#include "client/catalogue/KaraokeView.h"
#include "client/catalogue/ReservationBook.h"
#include "client/ui/CaptionlessDialog.h"

#include <QIcon>
#include <QList>
#include <QRect>
#include <QTimer>

#include <memory>

namespace kiro::app {
class Prompt;
}
namespace kiro::catalogue {
class SongBookActions;
}
namespace kiro::db {
class CatalogueDb;
}
class PictureButton;
class QComboBox;
class QLineEdit;
class QTabBar;
class QTreeView;
class KaraokeListModel;
class SearchKeyboard;

// The karaoke screen: the products of a group or of the whole course by
// reading index, filled on a 25 ms timer, with the type-ahead search, the
// on-screen keyboard and the reservation buttons. A thin view over
// KaraokeBrowser and ReservationBook.
class KaraokeScreen : public CaptionlessDialog, private kiro::catalogue::KaraokeView,
                      private kiro::catalogue::ReserveChooser {
    Q_OBJECT
public:
    struct Folders {
        QString install;
        QString system;
    };
    // Throws DbError when the catalogue cannot be read.
    KaraokeScreen(kiro::db::CatalogueDb& db, int course, int groupIndex, kiro::app::Prompt& prompt,
        kiro::catalogue::SongBookActions& actions, Folders folders, QWidget* parent = nullptr);
    ~KaraokeScreen() override;

    kiro::catalogue::KaraokeBrowser& browser() { return *m_browser; }
    kiro::catalogue::ReservationBook& book() { return *m_book; }
    QTreeView* listView() const { return m_list; }
    KaraokeListModel* listRows() const { return m_rows; }
    QLineEdit* searchBox() const { return m_search; }
    SearchKeyboard* keyboard() const { return m_keyboard; }
    QTabBar* tabBar() const { return m_tabs; }
    // The tabs and the list under them, in screen coordinates.
    QRect tabArea() const;
    PictureButton* playButton() const { return m_play; }

    // One timer tick (tests call it instead of waiting for the timer).
    void tickNow();
    void reserveSelected();
    void showReservations();
    void pressPlay();
    void closeScreen();

protected:
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // KaraokeView
    void setTabs(const std::vector<std::string>& captions) override;
    void selectTab(int row) override;
    void setIndexCombosEnabled(bool enabled) override;
    void setColumns(const std::array<std::string, 3>& headers, const std::array<int, 3>& weights) override;
    void clearRows() override;
    void appendRows(const std::vector<kiro::catalogue::CatalogueRow>& rows) override;
    void appendBlankRows(int count) override;
    int rowsPerPage() const override;
    void scrollToTop(int row) override;
    void endScreen() override;
    // ReserveChooser
    kiro::catalogue::ReserveResult chooseProduct(int course, const kiro::catalogue::ProductDetails& product,
        bool needsDownload) override;
    kiro::catalogue::ReserveResult chooseSet(int course, const std::string& setCode, bool needsDownload) override;

    void buildWidgets();
    void searchChanged(const QString& text);
    void typeCharacter(const QString& text);
    void pressEditKey(int key);
    void updatePlayCaption();

    kiro::db::CatalogueDb& m_db;
    int m_course;
    kiro::app::Prompt& m_prompt;
    kiro::catalogue::SongBookActions& m_actions;
    Folders m_folders;
    std::unique_ptr<kiro::catalogue::KaraokeBrowser> m_browser;
    std::unique_ptr<kiro::catalogue::ReservationBook> m_book;
    QList<QIcon> m_icons;
    QTimer m_timer;
    std::array<int, 3> m_weights{3, 2, 2};
    int m_caret = 0;
    bool m_updatingTabs = false;
    bool m_trimming = false;

    QComboBox* m_indexType = nullptr;
    QComboBox* m_group = nullptr;
    QComboBox* m_genre = nullptr;
    QTabBar* m_tabs = nullptr;
    QTreeView* m_list = nullptr;
    KaraokeListModel* m_rows = nullptr;
    QLineEdit* m_search = nullptr;
    SearchKeyboard* m_keyboard = nullptr;
    PictureButton* m_linkFilter = nullptr;
    PictureButton* m_play = nullptr;
};
