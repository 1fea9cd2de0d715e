#include "client/ui/KaraokeListModel.h"

using kiro::catalogue::CatalogueRow;

void KaraokeListModel::setHeaders(const QStringList& headers)
{
    m_headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void KaraokeListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void KaraokeListModel::append(const std::vector<CatalogueRow>& rows)
{
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (const CatalogueRow& row : rows)
        m_rows.append(row);
    endInsertRows();
}

void KaraokeListModel::appendBlank(int count)
{
    if (count <= 0)
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + count - 1);
    m_rows.appendBlank(count);
    endInsertRows();
}

int KaraokeListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int KaraokeListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant KaraokeListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const auto row = static_cast<size_t>(index.row());
    if (role == Qt::DisplayRole) {
        const std::string_view text = m_rows.text(row, index.column());
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == Qt::DecorationRole && index.column() == 0) {
        const int icon = m_rows.icon(row);
        if (icon >= 0 && icon < m_icons.size())
            return m_icons[icon];
    }
    return {};
}

QVariant KaraokeListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headers.size())
        return m_headers[section];
    return {};
}
