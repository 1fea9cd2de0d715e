#include "client/ui/GroupListDialog.h"

#include "client/app/Prompt.h"
#include "client/catalogue/GroupList.h"
#include "client/catalogue/SongBookActions.h"
#include "client/db/DbError.h"
#include "client/ui/PictureButton.h"
#include "client/ui/SongBookWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

GroupListDialog::GroupListDialog(kiro::db::CatalogueDb& db, int course, kiro::app::Prompt& prompt,
    kiro::catalogue::SongBookActions& actions, KaraokeScreen::Folders folders, QWidget* parent)
    : CaptionlessDialog(134, parent)
    , m_db(db)
    , m_course(course)
    , m_prompt(prompt)
    , m_actions(actions)
    , m_folders(std::move(folders))
{
    auto* title = new QLabel(QStringLiteral("カラオケ歌本"), this);
    QFont big = title->font();
    big.setPixelSize(16);
    big.setBold(true);
    title->setFont(big);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("1019"));
    m_list->setFixedSize(300, 240);
    try {
        for (const std::string& name : kiro::catalogue::loadGroupList(db, course)) {
            auto* item = new QListWidgetItem(songbook::qs(name), m_list);
            item->setSizeHint(QSize(0, 16));
        }
    } catch (const kiro::db::DbError& e) {
        prompt.message(std::string("歌本を読めませんでした。\n") + e.what());
    }
    connect(m_list, &QListWidget::itemDoubleClicked, this, &GroupListDialog::enter);

    auto* enterButton = new PictureButton(QStringLiteral("enter"), QStringLiteral("入る"), this);
    auto* files = new PictureButton(QStringLiteral("files"), QStringLiteral("ファイル"), this);
    auto* test = new PictureButton(QStringLiteral("soundModemTest"), QStringLiteral("音源/ﾓﾃﾞﾑﾃｽﾄ"), this);
    auto* back = new PictureButton(QStringLiteral("back"), QStringLiteral("もどる"), this);
    files->setEnabled(actions.downloadedListAvailable());
    test->setEnabled(actions.soundModemTestAvailable());
    for (PictureButton* b : {enterButton, files, test, back})
        b->setFixedSize(120, 32);
    connect(enterButton, &PictureButton::clicked, this, &GroupListDialog::enter);
    connect(files, &PictureButton::clicked, this, [this]() { m_actions.openDownloadedList(m_course, this); });
    connect(test, &PictureButton::clicked, this, [this]() { m_actions.runSoundModemTest(this); });
    connect(back, &PictureButton::clicked, this, &QDialog::reject);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 18);
    auto* left = new QVBoxLayout;
    left->addWidget(title);
    left->addWidget(m_list);
    layout->addLayout(left);
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    for (PictureButton* b : {enterButton, files, test, back})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    adjustSize();
}

void GroupListDialog::enter()
{
    const int row = std::max(0, m_list->currentRow());
    try {
        KaraokeScreen screen(m_db, m_course, row, m_prompt, m_actions, m_folders, this);
        emit karaokeScreenOpened(&screen);
        screen.exec();
    } catch (const kiro::db::DbError& e) {
        m_prompt.message(std::string("歌本を読めませんでした。\n") + e.what());
    }
}
