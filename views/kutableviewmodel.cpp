#include "kutableviewmodel.h"

kuTableViewModel::kuTableViewModel(QObject* parent) : QAbstractTableModel(parent)
{}

kuTableViewModel::~kuTableViewModel() = default;

void kuTableViewModel::setColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

int kuTableViewModel::appendItem(const QSharedPointer<kuObjectModelAbstractItem>& item)
{
    const int row = m_items.size();
    beginInsertRows(QModelIndex(), row, row);
    m_items.append(item);
    endInsertRows();
    return row;
}

int kuTableViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_items.size();
}

int kuTableViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns.size();
}

QVariant kuTableViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return QVariant();
    const kuObjectModelAbstractItem* item = m_items.at(index.row()).data();
    if (!item)
        return QVariant();
    return item->roleData(index.column(), role, SortRole, ItemTypeRole);
}

QVariant kuTableViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return columnHeaderData(m_columns, section, orientation, role);
}

QVariant kuTableViewModel::columnHeaderData(const QList<QSharedPointer<kuObjectHeaderItem>>& columns, int section,
                                            Qt::Orientation orientation, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns.size())
        return QVariant();
    const kuObjectHeaderItem* column = columns.at(section).data();
    if (!column)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return column->title();
    case Qt::ToolTipRole:
        return column->toolTip();
    case Qt::TextAlignmentRole:
        return column->alignment();
    default:
        return QVariant();
    }
}
