#include "kuportfolioproxymodel.h"

#include "kusortvalue.h"
#include "kutreeviewmodel.h"

kuPortfolioProxyModel::kuPortfolioProxyModel(QObject* parent) : kuTreeViewProxyModel(parent)
{}

void kuPortfolioProxyModel::setSortColumn(int column, bool additive)
{
    auto toggle = [this](int key) { m_sortOrders[key] = m_sortOrders.value(key) == 0 ? 1 : 0; };
    if (additive) {
        if (m_sortColumns.contains(column)) {
            toggle(column);
        } else {
            m_sortColumns.append(column);
            m_sortOrders[column] = 0;
        }
    } else if (m_sortColumns.size() == 1 && m_sortColumns.first() == column) {
        toggle(column);
    } else {
        m_sortColumns = {column};
        m_sortOrders.clear();
        m_sortOrders[column] = 0;
    }
    sortByColumns();
}

void kuPortfolioProxyModel::applySort()
{
    // A sort reports a new layout and the whole view repaints: only for rows out of order.
    if (!inOrder(QModelIndex()))
        sortByColumns();
}

int kuPortfolioProxyModel::compareRows(const QModelIndex& left, const QModelIndex& right) const
{
    for (const int column : m_sortColumns) {
        const QModelIndex a = left.sibling(left.row(), column);
        const QModelIndex b = right.sibling(right.row(), column);
        const bool descending = m_sortOrders.value(column) != 0;
        if (lessThan(a, b))
            return descending ? 1 : -1;
        if (lessThan(b, a))
            return descending ? -1 : 1;
    }
    return 0;
}

bool kuPortfolioProxyModel::inOrder(const QModelIndex& parent) const
{
    const int rows = rowCount(parent);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex current = index(row, 0, parent);
        if (row > 0 && compareRows(mapToSource(index(row - 1, 0, parent)), mapToSource(current)) > 0)
            return false;
        if (hasChildren(current) && !inOrder(current))
            return false;
    }
    return true;
}

void kuPortfolioProxyModel::sortByColumns()
{
    // Stable passes from the last key to the first: the first key decides, later ones break ties.
    for (int i = m_sortColumns.size() - 1; i >= 0; --i) {
        const int column = m_sortColumns.at(i);
        sort(column, m_sortOrders.value(column) == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
}

bool kuPortfolioProxyModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const bool leftChild = left.parent().isValid();
    const bool rightChild = right.parent().isValid();
    if (leftChild && rightChild) {
        // The money row is greater than any position whatever its sort value.
        const int leftKind = left.data(kuTreeViewModel::ItemTypeRole).toInt();
        const int rightKind = right.data(kuTreeViewModel::ItemTypeRole).toInt();
        if (leftKind != rightKind)
            return leftKind < rightKind;
        return kuSortValue::compare(left.data(kuTreeViewModel::SortRole), right.data(kuTreeViewModel::SortRole)) < 0;
    }
    if (!leftChild && !rightChild) {
        // Accounts answer their name in column 0 only.
        return kuTreeViewProxyModel::lessThan(left.sibling(left.row(), 0), right.sibling(right.row(), 0));
    }
    return kuTreeViewProxyModel::lessThan(left, right);
}
