#include "client/ui/KaraokeScreen.h"

#include "client/app/Prompt.h"
#include "client/catalogue/CatalogueTables.h"
#include "client/catalogue/SetContents.h"
#include "client/catalogue/SongBookActions.h"
#include "client/db/DbError.h"
#include "client/ui/KaraokeListModel.h"
#include "client/ui/PictureButton.h"
#include "client/ui/ReservationListDialog.h"
#include "client/ui/ReserveDialog.h"
#include "client/ui/SearchKeyboard.h"
#include "client/ui/SongBookWidgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTreeView>
#include <QVBoxLayout>

using namespace kiro::catalogue;
using songbook::qs;

KaraokeScreen::KaraokeScreen(kiro::db::CatalogueDb& db, int course, int groupIndex, kiro::app::Prompt& prompt,
    SongBookActions& actions, Folders folders, QWidget* parent)
    : CaptionlessDialog(136, parent)
    , m_db(db)
    , m_course(course)
    , m_prompt(prompt)
    , m_actions(actions)
    , m_folders(std::move(folders))
    , m_icons(songbook::rowIcons(m_folders.system, course))
{
    buildWidgets();
    m_browser = std::make_unique<KaraokeBrowser>(db, course, groupIndex, static_cast<KaraokeView&>(*this));
    m_book = std::make_unique<ReservationBook>(db, course, prompt, m_folders.install.toStdString());
    m_book->updatePlayButton();
    for (const std::string& name : m_browser->groupNames())
        m_group->addItem(qs(name));
    for (const std::string& name : m_browser->genreNames())
        m_genre->addItem(qs(name));
    for (const std::string& item : indexTypeItems(course))
        m_indexType->addItem(qs(item));
    m_group->setCurrentIndex(groupIndex);
    m_indexType->setCurrentIndex(0);
    m_genre->setCurrentIndex(0);
    connect(m_group, &QComboBox::activated, this, [this](int i) {
        m_browser->selectGroup(i);
        m_search->clear();
    });
    connect(m_genre, &QComboBox::activated, this, [this](int i) {
        m_browser->selectGenre(i);
        m_search->clear();
    });
    connect(m_indexType, &QComboBox::activated, this, [this](int i) {
        m_browser->selectIndexType(i);
        m_search->clear();
    });
    m_timer.setInterval(KaraokeBrowser::kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &KaraokeScreen::tickNow);
    m_timer.start();
}

KaraokeScreen::~KaraokeScreen() { m_timer.stop(); }

void KaraokeScreen::buildWidgets()
{
    m_indexType = new QComboBox(this);
    m_indexType->setObjectName(QStringLiteral("indexType"));
    m_group = new QComboBox(this);
    m_group->setObjectName(QStringLiteral("group"));
    m_genre = new QComboBox(this);
    m_genre->setObjectName(QStringLiteral("genre"));
    m_linkFilter = new PictureButton(QStringLiteral("linkFilter"), QStringLiteral("全部表示"), this);
    m_linkFilter->setFixedSize(96, 26);
    m_linkFilter->setVisible(m_course == 50);
    connect(m_linkFilter, &PictureButton::clicked, this, [this]() {
        m_linkFilter->setText(qs(m_browser->cycleLinkFilter()));
        m_linkFilter->update();
    });

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setExpanding(false);
    m_tabs->setUsesScrollButtons(true);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int row) {
        if (m_updatingTabs || row < 0)
            return;
        m_browser->selectTab(row);
        m_search->setFocus();
    });

    m_rows = new KaraokeListModel(this);
    m_rows->setIcons(m_icons);
    m_list = new QTreeView(this);
    songbook::setUpList(m_list);
    m_list->setModel(m_rows);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setIconSize(songbook::rowIconSize(m_course));
    m_list->setMinimumSize(560, 380);
    connect(m_list, &QTreeView::doubleClicked, this, [this]() { reserveSelected(); });

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setMaxLength(15);
    m_search->setFixedWidth(142);
    connect(m_search, &QLineEdit::textChanged, this, &KaraokeScreen::searchChanged);
    connect(m_search, &QLineEdit::cursorPositionChanged, this, [this](int, int now) { m_caret = now; });
    m_keyboard = new SearchKeyboard(m_folders.system, this);
    connect(m_keyboard, &SearchKeyboard::characterTyped, this, &KaraokeScreen::typeCharacter);
    connect(m_keyboard, &SearchKeyboard::editKeyPressed, this, &KaraokeScreen::pressEditKey);

    auto* confirm = new PictureButton(QStringLiteral("showReservations"), QStringLiteral("予約確認"), this);
    auto* reserve = new PictureButton(QStringLiteral("reserve"), QStringLiteral("予約する"), this);
    m_play = new PictureButton(QStringLiteral("play"), m_course == 50 ? QStringLiteral("演奏") : QStringLiteral("カラオケ"), this);
    auto* pictures = new PictureButton(QStringLiteral("pictureSettings"), QStringLiteral("画像設定"), this);
    auto* back = new PictureButton(QStringLiteral("back"), QStringLiteral("もどる"), this);
    for (PictureButton* b : {confirm, reserve, pictures, m_play, back})
        b->setFixedSize(110, 32);
    pictures->setVisible(m_actions.pictureSettingsAvailable());
    connect(pictures, &PictureButton::clicked, this, [this]() { m_actions.openPictureSettings(this); });
    connect(confirm, &PictureButton::clicked, this, &KaraokeScreen::showReservations);
    connect(reserve, &PictureButton::clicked, this, &KaraokeScreen::reserveSelected);
    connect(m_play, &PictureButton::clicked, this, &KaraokeScreen::pressPlay);
    connect(back, &PictureButton::clicked, this, &KaraokeScreen::closeScreen);

    auto* combos = new QHBoxLayout;
    combos->addWidget(m_indexType);
    combos->addWidget(m_group, 1);
    combos->addWidget(m_genre);
    combos->addWidget(m_linkFilter);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("検索"), this));
    right->addWidget(m_search);
    right->addWidget(m_keyboard);
    right->addStretch();
    auto* middle = new QHBoxLayout;
    auto* listColumn = new QVBoxLayout;
    listColumn->setSpacing(0);
    listColumn->addWidget(m_tabs);
    listColumn->addWidget(m_list, 1);
    middle->addLayout(listColumn, 1);
    middle->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(confirm);
    buttons->addWidget(reserve);
    buttons->addWidget(pictures);
    buttons->addStretch();
    buttons->addWidget(m_play);
    buttons->addWidget(back);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->addLayout(combos);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(780, 540);
}

QRect KaraokeScreen::tabArea() const
{
    const QRect area = m_tabs->geometry().united(m_list->geometry());
    return QRect(mapToGlobal(area.topLeft()), area.size());
}

void KaraokeScreen::tickNow()
{
    try {
        m_browser->tick();
    } catch (const kiro::db::DbError&) {
        // The next tick tries again; the list keeps what it has.
    }
}

// --- KaraokeView -----------------------------------------------------------

void KaraokeScreen::setTabs(const std::vector<std::string>& captions)
{
    m_updatingTabs = true;
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    for (const std::string& c : captions)
        m_tabs->addTab(qs(c));
    m_updatingTabs = false;
}

void KaraokeScreen::selectTab(int row)
{
    m_updatingTabs = true;
    m_tabs->setCurrentIndex(row);
    m_updatingTabs = false;
}

void KaraokeScreen::setIndexCombosEnabled(bool enabled)
{
    m_genre->setEnabled(enabled);
    m_indexType->setEnabled(enabled);
}

void KaraokeScreen::setColumns(const std::array<std::string, 3>& headers, const std::array<int, 3>& weights)
{
    m_rows->setHeaders({qs(headers[0]), qs(headers[1]), qs(headers[2])});
    m_weights = weights;
    songbook::applyWeights(m_list, {weights.begin(), weights.end()});
}

void KaraokeScreen::clearRows() { m_rows->clear(); }

void KaraokeScreen::appendRows(const std::vector<CatalogueRow>& rows) { m_rows->append(rows); }

void KaraokeScreen::appendBlankRows(int count) { m_rows->appendBlank(count); }

int KaraokeScreen::rowsPerPage() const
{
    const int rowHeight = m_rows->rowCount() > 0 ? std::max(1, m_list->sizeHintForRow(0))
                                                 : m_list->fontMetrics().height() + 4;
    return std::max(1, m_list->viewport()->height() / rowHeight);
}

void KaraokeScreen::scrollToTop(int row)
{
    const QModelIndex index = m_rows->index(row, 0);
    if (index.isValid())
        m_list->scrollTo(index, QAbstractItemView::PositionAtTop);
}

void KaraokeScreen::endScreen()
{
    m_timer.stop();
    QDialog::accept();
}

void KaraokeScreen::resizeEvent(QResizeEvent* event)
{
    CaptionlessDialog::resizeEvent(event);
    songbook::applyWeights(m_list, {m_weights.begin(), m_weights.end()});
}

// --- search and keyboard ---------------------------------------------------

void KaraokeScreen::searchChanged(const QString& text)
{
    if (m_trimming)
        return;
    const std::string fitted = fitCp932Bytes(text.toStdString(), KaraokeBrowser::kSearchMaxBytes);
    if (fitted != text.toStdString()) {
        // The box holds at most 15 bytes of code page 932.
        m_trimming = true;
        m_search->setText(qs(fitted));
        m_trimming = false;
    }
    try {
        m_browser->search(fitted);
    } catch (const kiro::db::DbError&) {
    }
}

void KaraokeScreen::typeCharacter(const QString& text)
{
    m_search->setFocus();
    m_search->setCursorPosition(std::min(m_caret, static_cast<int>(m_search->text().size())));
    m_search->insert(text);
}

void KaraokeScreen::pressEditKey(int key)
{
    m_search->setFocus();
    m_search->setCursorPosition(std::min(m_caret, static_cast<int>(m_search->text().size())));
    switch (key) {
    case Qt::Key_Left:
        m_search->cursorBackward(false);
        break;
    case Qt::Key_Right:
        m_search->cursorForward(false);
        break;
    case Qt::Key_Backspace:
        m_search->backspace();
        break;
    default:
        break;
    }
}

// --- reservations ----------------------------------------------------------

void KaraokeScreen::reserveSelected()
{
    m_book->setPlayerRunning(m_actions.playerRunning());
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    const long row = selected.isEmpty() ? -1 : selected.back().row();
    m_book->reserveSelected(*m_browser, row, *this);
    updatePlayCaption();
}

ReserveResult KaraokeScreen::chooseProduct(int course, const ProductDetails& product, bool needsDownload)
{
    ReserveDialog dialog(course, product, needsDownload, m_prompt, this);
    return dialog.exec() == QDialog::Accepted ? dialog.choice() : ReserveResult::Cancelled;
}

ReserveResult KaraokeScreen::chooseSet(int course, const std::string& setCode, bool needsDownload)
{
    SetForReserve set;
    try {
        set = loadSetForReserve(m_db, course, setCode);
    } catch (const kiro::db::DbError&) {
        return ReserveResult::Cancelled;
    }
    ReserveDialog dialog(course, set, needsDownload, songbook::rowIcons(m_folders.system, 10), m_prompt, this);
    return dialog.exec() == QDialog::Accepted ? dialog.choice() : ReserveResult::Cancelled;
}

void KaraokeScreen::showReservations()
{
    ReservationListDialog dialog(m_db, m_course, m_prompt, m_folders.install, m_folders.system, this, tabArea());
    dialog.exec();
    m_book->afterReservationList(dialog.cancelledNotDownloaded(), dialog.cancelledOneTime(), *m_browser);
    updatePlayCaption();
}

void KaraokeScreen::pressPlay()
{
    if (m_actions.playerRunning())
        return;
    if (m_book->toReceiveCount() > 0) {
        const int oneTime = m_actions.bulkReceive(*m_book, this);
        if (oneTime != SongBookActions::kNotReceived)
            m_book->afterBulkReceive(oneTime);
        m_browser->requery(); // downloaded flags changed
    } else {
        m_actions.playReservations(*m_book, this);
    }
    updatePlayCaption();
}

void KaraokeScreen::updatePlayCaption()
{
    const QString caption = qs(m_book->playButtonCaption());
    if (m_play->text() != caption) {
        m_play->setText(caption);
        m_play->update();
    }
}

void KaraokeScreen::closeScreen()
{
    m_book->setPlayerRunning(m_actions.playerRunning());
    if (!m_book->closeScreen())
        return;
    m_browser->setActive(false);
    tickNow(); // an inactive screen ends on its next tick
}

void KaraokeScreen::reject() { closeScreen(); }
