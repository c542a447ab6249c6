#include "kutreeviewproxymodel.h"

#include "kusortvalue.h"
#include "kutreeviewmodel.h"

kuTreeViewProxyModel::kuTreeViewProxyModel(QObject* parent) : QSortFilterProxyModel(parent)
{}

void kuTreeViewProxyModel::setAccounts(const QList<QString>& accounts)
{
    m_accounts = accounts;
    invalidate();
}

void kuTreeViewProxyModel::setColumnFilter(int column, const QString& text)
{
    m_filter.setText(column, text);
    invalidate();
}

void kuTreeViewProxyModel::setColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns)
{
    if (auto* model = qobject_cast<kuTreeViewModel*>(sourceModel()))
        model->setColumns(columns);
}

void kuTreeViewProxyModel::clear()
{
    if (auto* model = qobject_cast<kuTreeViewModel*>(sourceModel()))
        model->clear();
}

int kuTreeViewProxyModel::appendTopItem(const QString& name)
{
    auto* model = qobject_cast<kuTreeViewModel*>(sourceModel());
    return model ? model->appendTopItem(name) : -1;
}

void kuTreeViewProxyModel::removeTopRow(int row)
{
    if (auto* model = qobject_cast<kuTreeViewModel*>(sourceModel()))
        model->removeTopRow(row);
}

void kuTreeViewProxyModel::appendChildren(int topRow, const QList<QSharedPointer<kuObjectModelAbstractItem>>& items)
{
    if (auto* model = qobject_cast<kuTreeViewModel*>(sourceModel()))
        model->appendChildren(topRow, items);
}

bool kuTreeViewProxyModel::appendChild(int topRow, const QSharedPointer<kuObjectModelAbstractItem>& item)
{
    auto* model = qobject_cast<kuTreeViewModel*>(sourceModel());
    return model ? model->appendChild(topRow, item) : false;
}

QList<QString> kuTreeViewProxyModel::accounts() const
{
    return m_accounts;
}

bool kuTreeViewProxyModel::acceptsAccount(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_accounts.isEmpty())
        return true;
    if (!sourceModel())
        return false;
    const QString account =
            sourceModel()->index(sourceRow, 0, sourceParent).data(kuTreeViewModel::AccountRole).toString();
    return m_accounts.contains(account);
}

bool kuTreeViewProxyModel::acceptsText(int sourceRow, const QModelIndex& sourceParent) const
{
    return m_filter.accepts(sourceModel(), sourceRow, sourceParent);
}

bool kuTreeViewProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (!sourceParent.isValid())
        return acceptsAccount(sourceRow, sourceParent);
    return acceptsText(sourceRow, sourceParent);
}

bool kuTreeViewProxyModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const bool leftTop = !left.parent().isValid();
    const bool rightTop = !right.parent().isValid();
    if (leftTop && rightTop) {
        return left.data(kuTreeViewModel::AccountRole).toString() < right.data(kuTreeViewModel::AccountRole).toString();
    }
    if (!leftTop && !rightTop)
        return kuSortValue::compare(left.data(kuTreeViewModel::SortRole), right.data(kuTreeViewModel::SortRole)) < 0;
    return QSortFilterProxyModel::lessThan(left, right);
}
