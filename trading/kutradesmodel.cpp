#include "kutradesmodel.h"

#include "kutradesitem.h"

#include <QDebug>

kuTradesModel::kuTradesModel(QObject* parent) : kuTreeViewModel(parent)
{}

kuTradesItem* kuTradesModel::trade(int topRow, int row) const
{
    if (topRow < 0 || topRow >= m_children.size())
        return nullptr;
    const auto& rows = m_children.at(topRow);
    if (row < 0 || row >= rows.size())
        return nullptr;
    return qobject_cast<kuTradesItem*>(rows.at(row).data());
}

QVariant kuTradesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int top = topRowOf(index);
    if (top < 0)
        return QVariant();
    if (!isTopRow(index))
        return itemData(top, index.row(), index.column(), role);
    if (index.column() != 0)
        return QVariant();
    switch (role) {
    case TitleRole:
        return tr("Сделки по счету %1").arg(m_topNames.at(top));
    case AccountRole:
        return m_topNames.at(top);
    case SummaryRole:
        return QString();
    default:
        return QVariant();
    }
}

bool kuTradesModel::appendChild(int topRow, const QSharedPointer<kuObjectModelAbstractItem>& item)
{
    auto* row = qobject_cast<kuTradesItem*>(item.data());
    if (!row || !kuTreeViewModel::appendChild(topRow, item))
        return false;
    const QPair<int, int> key(topRow, row->tradeID());
    if (!m_tradeRows.contains(key))
        m_tradeRows.insert(key, m_children.at(topRow).size() - 1);
    return true;
}

void kuTradesModel::appendChildren(int topRow, const QList<QSharedPointer<kuObjectModelAbstractItem>>& items)
{
    if (topRow < 0 || topRow >= m_children.size())
        return;
    QList<QSharedPointer<kuObjectModelAbstractItem>> rows;
    rows.reserve(items.size());
    for (const auto& item : items) {
        if (qobject_cast<kuTradesItem*>(item.data()))
            rows << item;
    }
    const int first = m_children.at(topRow).size();
    const int count = qMin(rows.size(), roomUnder(topRow));
    if (count < rows.size())
        qWarning() << "kuTradesModel: no room for" << rows.size() - count << "operations under top row" << topRow;
    if (count <= 0)
        return;
    beginInsertRows(index(topRow, 0), first, first + count - 1);
    for (int i = 0; i < count; ++i) {
        m_children[topRow].append(rows.at(i));
        const QPair<int, int> key(topRow, static_cast<kuTradesItem*>(rows.at(i).data())->tradeID());
        if (!m_tradeRows.contains(key))
            m_tradeRows.insert(key, first + i);
    }
    endInsertRows();
}

void kuTradesModel::removeTopRow(int row)
{
    kuTreeViewModel::removeTopRow(row);
    rebuildTradeRows();
}

void kuTradesModel::rebuildTradeRows()
{
    m_tradeRows.clear();
    for (int top = 0; top < m_children.size(); ++top) {
        const auto& rows = m_children.at(top);
        for (int r = 0; r < rows.size(); ++r) {
            if (auto* item = qobject_cast<kuTradesItem*>(rows.at(r).data())) {
                const QPair<int, int> key(top, item->tradeID());
                if (!m_tradeRows.contains(key))
                    m_tradeRows.insert(key, r);
            }
        }
    }
}

void kuTradesModel::clear()
{
    m_tradeRows.clear();
    kuTreeViewModel::clear();
}

bool kuTradesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != UpdateRole || !index.isValid() || index.model() != this || !isTopRow(index))
        return false;
    const int top = topRowOf(index);
    if (top < 0)
        return false;
    const auto list = value.value<QList<QSharedPointer<kuObjectModelAbstractItem>>>();
    if (list.isEmpty())
        return false;
    for (const auto& entry : list) {
        auto* row = qobject_cast<kuTradesItem*>(entry.data());
        if (!row)
            continue;
        const auto known = m_tradeRows.constFind(QPair<int, int>(top, row->tradeID()));
        if (known == m_tradeRows.constEnd()) {
            appendChild(top, entry);
            continue;
        }
        const int position = known.value();
        if (!trade(top, position))
            continue;
        // Held until the row is signalled: the list may hold the only reference.
        const QSharedPointer<kuObjectModelAbstractItem> held = m_children.at(top).at(position);
        const auto* old = static_cast<const kuTradesItem*>(held.data());
        m_children[top][position] = entry;
        signalReplaced(top, position, *old, *row);
    }
    emit dataChanged(index, index, {});
    return true;
}

void kuTradesModel::signalReplaced(int topRow, int row, const kuTradesItem& old, const kuTradesItem& now)
{
    // One signal per run of changed columns: a column that did not change keeps
    // the proxy from moving the row for a sort by it, which a large list feels.
    const QModelIndex parent = index(topRow, 0);
    const int columns = columnCount();
    int first = -1;
    for (int column = 1; column <= columns; ++column) {
        const bool changed = column < columns && !old.sameColumn(now, column);
        if (changed && first < 0)
            first = column;
        if (!changed && first >= 0) {
            emit dataChanged(index(row, first, parent), index(row, column - 1, parent));
            first = -1;
        }
    }
}

QVariant kuTradesModel::itemData(int topRow, int childRow, int column, int role) const
{
    const kuTradesItem* row = trade(topRow, childRow);
    if (!row)
        return kuTreeViewModel::itemData(topRow, childRow, column, role);
    switch (role) {
    case Qt::BackgroundRole:
        return row->actColor(column);
    case PaperIDRole:
        return row->paperID();
    case ActRole:
        return row->act();
    default:
        return kuTreeViewModel::itemData(topRow, childRow, column, role);
    }
}
