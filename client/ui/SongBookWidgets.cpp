#include "client/ui/SongBookWidgets.h"

#include "client/catalogue/CatalogueTables.h"
#include "client/ui/CDIB.h"
#include "common/FileNames.h"

#include <QHeaderView>
#include <QPixmap>
#include <QTreeWidget>

namespace songbook {

QSize rowIconSize(int course) { return course == 50 ? QSize(32, 16) : QSize(16, 16); }

QList<QIcon> rowIcons(const QString& systemFolder, int course)
{
    const QSize size = rowIconSize(course);
    const int count = course == 50 ? 7 : 2;
    QList<QIcon> icons;
    CDIB dib;
    const auto file = kiro::filenames::findInFolder(systemFolder.toStdString(), course == 50 ? "Icons32.bmp" : "Icons16.bmp");
    const bool loaded = file && dib.load(QString::fromStdString(file->string()));
    for (int i = 0; i < count; ++i) {
        if (loaded && (i + 1) * size.width() <= dib.width())
            icons << QIcon(QPixmap::fromImage(dib.image().copy(i * size.width(), 0, size.width(), size.height())));
        else
            icons << QIcon();
    }
    return icons;
}

void setUpList(QTreeView* list)
{
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->header()->setStretchLastSection(false);
}

QTreeWidget* makeList(const std::vector<std::string>& headers, QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    setUpList(list);
    QStringList labels;
    for (const std::string& h : headers)
        labels << qs(h);
    list->setColumnCount(static_cast<int>(labels.size()));
    list->setHeaderLabels(labels);
    return list;
}

void applyWeights(QTreeView* list, const std::vector<int>& weights)
{
    // Before the first layout the viewport has no size yet; the list's own
    // (fixed) width less its frame stands in.
    const int client = list->isVisible() ? list->viewport()->width() : list->width() - 2 * list->frameWidth();
    const std::vector<int> widths = kiro::catalogue::columnWidths(client, weights);
    for (size_t i = 0; i < widths.size(); ++i)
        list->setColumnWidth(static_cast<int>(i), widths[i]);
}

} // namespace songbook
