#include "kuordersmodel.h"

#include "kuordersitem.h"

#include <QDebug>

kuOrdersModel::kuOrdersModel(QObject* parent) : kuTreeViewModel(parent)
{}

kuOrdersItem* kuOrdersModel::order(int topRow, int row) const
{
    if (topRow < 0 || topRow >= m_children.size())
        return nullptr;
    const auto& rows = m_children.at(topRow);
    if (row < 0 || row >= rows.size())
        return nullptr;
    return qobject_cast<kuOrdersItem*>(rows.at(row).data());
}

QVariant kuOrdersModel::data(const QModelIndex& index, int role) const
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
        return tr("Поручения по счету %1").arg(m_topNames.at(top));
    case AccountRole:
        return m_topNames.at(top);
    case SummaryRole:
        return tr("Новые: %1 /").arg(countByStatus(top, 0)) + QLatin1Char(' ') +
               tr("На исполн.: %1").arg(countByStatus(top, 1));
    default:
        return QVariant();
    }
}

bool kuOrdersModel::appendChild(int topRow, const QSharedPointer<kuObjectModelAbstractItem>& item)
{
    auto* row = qobject_cast<kuOrdersItem*>(item.data());
    if (!row)
        return false;
    if (!kuTreeViewModel::appendChild(topRow, item))
        return false;
    const QPair<int, int> key(topRow, row->orderID());
    // The first row of an id keeps it: later rows of that id come as updates.
    if (!m_orderRows.contains(key))
        m_orderRows.insert(key, m_children.at(topRow).size() - 1);
    return true;
}

void kuOrdersModel::appendChildren(int topRow, const QList<QSharedPointer<kuObjectModelAbstractItem>>& items)
{
    if (topRow < 0 || topRow >= m_children.size())
        return;
    QList<QSharedPointer<kuObjectModelAbstractItem>> rows;
    rows.reserve(items.size());
    for (const auto& item : items) {
        if (qobject_cast<kuOrdersItem*>(item.data()))
            rows << item;
    }
    const int first = m_children.at(topRow).size();
    const int count = qMin(rows.size(), roomUnder(topRow));
    if (count < rows.size())
        qWarning() << "kuOrdersModel: no room for" << rows.size() - count << "orders under top row" << topRow;
    if (count <= 0)
        return;
    beginInsertRows(index(topRow, 0), first, first + count - 1);
    for (int i = 0; i < count; ++i) {
        m_children[topRow].append(rows.at(i));
        const QPair<int, int> key(topRow, static_cast<kuOrdersItem*>(rows.at(i).data())->orderID());
        if (!m_orderRows.contains(key))
            m_orderRows.insert(key, first + i);
    }
    endInsertRows();
}

void kuOrdersModel::removeTopRow(int row)
{
    kuTreeViewModel::removeTopRow(row);
    rebuildOrderRows();
}

void kuOrdersModel::rebuildOrderRows()
{
    m_orderRows.clear();
    for (int top = 0; top < m_children.size(); ++top) {
        const auto& rows = m_children.at(top);
        for (int r = 0; r < rows.size(); ++r) {
            if (auto* item = qobject_cast<kuOrdersItem*>(rows.at(r).data())) {
                const QPair<int, int> key(top, item->orderID());
                if (!m_orderRows.contains(key))
                    m_orderRows.insert(key, r);
            }
        }
    }
}

bool kuOrdersModel::setData(const QModelIndex& index, const QVariant& value, int role)
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
        auto* row = qobject_cast<kuOrdersItem*>(entry.data());
        if (!row)
            continue;
        const QPair<int, int> key(top, row->orderID());
        const auto known = m_orderRows.constFind(key);
        if (known == m_orderRows.constEnd()) {
            if (appendChild(top, entry) && kuOrdersItem::isActive(row->status()))
                emit on_showOrder(row->paperID(), row->orderID(), row->price(), row->amount());
            continue;
        }
        const int position = known.value();
        if (!order(top, position))
            continue;
        // Held until the row is signalled: the list may hold the only reference.
        const QSharedPointer<kuObjectModelAbstractItem> held = m_children.at(top).at(position);
        const auto* old = static_cast<const kuOrdersItem*>(held.data());
        const int oldPaperID = old->paperID();
        const int oldOrderID = old->orderID();
        const bool wasActive = kuOrdersItem::isActive(old->status());
        const bool changed =
                old->status() != row->status() || old->amount() != row->amount() || old->price() != row->price();
        m_children[top][position] = entry;
        signalReplaced(top, position, *old, *row);
        if (kuOrdersItem::isActive(row->status())) {
            if (changed)
                emit on_showOrder(row->paperID(), row->orderID(), row->price(), row->amount());
        } else if (wasActive) {
            emit on_hideOrder(oldPaperID, oldOrderID);
        }
    }
    emit dataChanged(index, index, {});
    return true;
}

void kuOrdersModel::signalReplaced(int topRow, int row, const kuOrdersItem& old, const kuOrdersItem& now)
{
    // One signal per run of changed columns: a column that did not change keeps
    // the proxy from moving the row for a sort by it, which a large list feels.
    // The row's background changes with its status column; the window repaints
    // the whole view after an update.
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

QVariant kuOrdersModel::itemData(int topRow, int childRow, int column, int role) const
{
    const kuOrdersItem* row = order(topRow, childRow);
    if (!row)
        return kuTreeViewModel::itemData(topRow, childRow, column, role);
    switch (role) {
    case Qt::BackgroundRole:
        return row->statusColor();
    case OrderIDRole:
        return row->orderID();
    case PaperIDRole:
        return row->paperID();
    case AmountRole:
        return row->amount();
    case ActRole:
        return row->act();
    case StatusRole:
        return row->status();
    case PriceRole:
        return row->price();
    case FcondRole:
        return row->fcond();
    case ScondRole:
        return row->scond();
    case IsMarket1Role:
        return row->isMarket1();
    case IsMarket2Role:
        return row->isMarket2();
    case IfPrice1Role:
        return row->ifPrice1();
    case IfPrice2Role:
        return row->ifPrice2();
    case StopPrice1Role:
        return row->stopPrice1();
    case StopPrice2Role:
        return row->stopPrice2();
    default:
        return kuTreeViewModel::itemData(topRow, childRow, column, role);
    }
}

void kuOrdersModel::clear()
{
    m_orderRows.clear();
    kuTreeViewModel::clear();
}

int kuOrdersModel::countByStatus(int topRow, int status) const
{
    if (topRow < 0 || topRow >= m_children.size())
        return 0;
    int count = 0;
    for (const auto& entry : m_children.at(topRow)) {
        if (auto* row = qobject_cast<const kuOrdersItem*>(entry.data()); row && row->status() == status)
            ++count;
    }
    return count;
}
