#pragma once

#include "client/catalogue/CatalogueRowStore.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QStringList>

// The karaoke list's rows for its view: kept compactly, turned into texts
// and icons only for the rows on screen, so a list of a hundred thousand
// rows costs a few megabytes rather than an item object per cell.
class KaraokeListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit KaraokeListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setIcons(QList<QIcon> icons) { m_icons = std::move(icons); }
    void setHeaders(const QStringList& headers);
    void clear();
    void append(const std::vector<kiro::catalogue::CatalogueRow>& rows);
    void appendBlank(int count);
    const kiro::catalogue::CatalogueRowStore& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    kiro::catalogue::CatalogueRowStore m_rows;
    QList<QIcon> m_icons;
    QStringList m_headers{QString(), QString(), QString()};
};
