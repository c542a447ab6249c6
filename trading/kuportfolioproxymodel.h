#pragma once

#include "kutreeviewproxymodel.h"

#include <QHash>
#include <QList>

// Proxy of the account-state window: a stable sort over several columns, the
// first column of the list being the first key. An account's money row
// follows its positions ascending and precedes them descending.
class kuPortfolioProxyModel : public kuTreeViewProxyModel
{
    Q_OBJECT
public:
    explicit kuPortfolioProxyModel(QObject* parent = nullptr);

    // Additive: appends the column ascending, or toggles it when listed. Otherwise the column
    // becomes the only key (toggled when it already was). Then sorts.
    void setSortColumn(int column, bool additive);
    // Sorts when a row stands out of the order; rows already in order are left as they are.
    void applySort();

    QList<int> sortColumns() const { return m_sortColumns; }
    // 0 ascending, 1 descending.
    int columnOrder(int column) const { return m_sortOrders.value(column, 0); }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    void sortByColumns();
    // Lexicographic over the sort columns: <0, 0 or >0.
    int compareRows(const QModelIndex& left, const QModelIndex& right) const;
    bool inOrder(const QModelIndex& parent) const;

    QList<int> m_sortColumns;
    QHash<int, int> m_sortOrders;
};
