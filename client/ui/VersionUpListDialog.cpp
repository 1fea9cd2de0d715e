#include "client/ui/VersionUpListDialog.h"

#include "client/ui/PictureButton.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The two small images: 0 not yet received, 1 received.
QIcon stateImage(int image)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (image == 0) {
        painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.5));
        painter.setBrush(QColor(0xE0, 0xE0, 0xE0));
        painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    } else {
        painter.setPen(QPen(QColor(0x20, 0x80, 0x30), 2.5));
        painter.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(7, 12), QPointF(13, 4)}));
    }
    return QIcon(pixmap);
}

} // namespace

VersionUpListDialog::VersionUpListDialog(const std::vector<kiro::services::VersionUpListRow>& rows, QWidget* parent)
    : CaptionlessDialog(533, parent)
    , m_list(new QTreeWidget)
    , m_back(new PictureButton(QStringLiteral("2"), QString(), this))
{
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("プログラム"), QStringLiteral("バージョン"), QStringLiteral("状態")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (const auto& row : rows) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, QString::fromStdString(row.program));
        item->setText(1, QString::fromStdString(row.version));
        item->setText(2, QString::fromStdString(row.state));
        item->setIcon(0, stateImage(row.image));
    }

    auto* tabs = new QTabWidget(this);
    tabs->addTab(m_list, QStringLiteral("バージョンアップリスト"));

    m_back->setText(QStringLiteral("もどる"));
    m_back->setFixedSize(96, 30);
    connect(m_back, &PictureButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addWidget(tabs, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_back);
    layout->addLayout(buttons);
    resize(520, 320);
}
