#include "client/ui/MaintenanceMenu.h"

#include "client/app/Prompt.h"
#include "client/ui/MainWindowServices.h"
#include "client/ui/PictureButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

const QStringList& MaintenanceMenu::entryTexts()
{
    static const QStringList texts = {
        QStringLiteral("ユーザー情報の変更"),
        QStringLiteral("交信先(出発ゲート)の変更"),
        QStringLiteral("音源とモデムの設定・テスト"),
        QStringLiteral("ＫＩＲＯデータベースの最適化"),
        QStringLiteral("バージョンチェック"),
        QStringLiteral("★新情報・バージョンアップ情報を取りに行く"),
    };
    return texts;
}

MaintenanceMenu::MaintenanceMenu(MainWindowServices& services, kiro::app::Prompt& prompt, QWidget* parent)
    : CaptionlessDialog(500, parent)
    , m_services(services)
    , m_prompt(prompt)
    , m_list(new QListWidget(this))
    , m_enter(new PictureButton(QStringLiteral("1"), QString(), this))
    , m_back(new PictureButton(QStringLiteral("2"), QString(), this))
{
    auto* title = new QLabel(QStringLiteral("メンテナンス"), this);
    QFont big = title->font();
    big.setPixelSize(18);
    big.setBold(true);
    title->setFont(big);

    m_list->setObjectName(QStringLiteral("1019"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setStyleSheet(QStringLiteral("QListWidget { background: white; border: 1px solid #8090B0; }"
                                         "QListWidget::item:selected { background: #2C4C9C; color: white; }"));
    for (int i = 0; i < entryTexts().size(); ++i) {
        auto* item = new QListWidgetItem(entryTexts()[i], m_list);
        item->setSizeHint(QSize(0, 16));
        // Entries whose screens are not part of the program yet are shown greyed.
        if (!m_services.maintenanceEntryAvailable(i))
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
    m_list->setCurrentRow(-1);
    m_list->clearSelection();

    m_enter->setText(QStringLiteral("入る"));
    m_back->setText(QStringLiteral("もどる"));
    for (PictureButton* b : {m_enter, m_back})
        b->setFixedSize(96, 30);
    connect(m_enter, &PictureButton::clicked, this, &MaintenanceMenu::enter);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this]() { enter(); });
    connect(m_back, &PictureButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(10);
    layout->addWidget(title);
    layout->addWidget(m_list, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_enter);
    row->addWidget(m_back);
    layout->addLayout(row);
    setFixedSize(380, 250);
}

void MaintenanceMenu::enter()
{
    if (m_busy)
        return;
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        m_prompt.message("どれか一つを選んでください。");
        return;
    }
    const int index = m_list->row(selected.first());
    if (!m_services.maintenanceEntryAvailable(index))
        return;
    m_busy = true;
    setEnabled(false);
    m_services.runMaintenanceEntry(index, this);
    setEnabled(true);
    m_busy = false;
}
