#include "kutableviewproxymodel.h"

#include "kusortvalue.h"
#include "kutableviewmodel.h"

kuTableViewProxyModel::kuTableViewProxyModel(QObject* parent) : QSortFilterProxyModel(parent)
{}

void kuTableViewProxyModel::setColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns)
{
    if (auto* model = qobject_cast<kuTableViewModel*>(sourceModel()))
        model->setColumns(columns);
}

void kuTableViewProxyModel::setColumnFilter(int column, const QString& text)
{
    m_filter.setText(column, text);
    invalidateFilter();
}

void kuTableViewProxyModel::setColumnFilters(const QList<int>& columns, const QString& text)
{
    for (int column : columns)
        m_filter.setText(column, text);
    invalidateFilter();
}

int kuTableViewProxyModel::appendItem(const QSharedPointer<kuObjectModelAbstractItem>& item)
{
    if (auto* model = qobject_cast<kuTableViewModel*>(sourceModel()))
        return model->appendItem(item);
    return -1;
}

const QMap<int, QString>& kuTableViewProxyModel::columnFilters() const
{
    return m_filter.texts();
}

bool kuTableViewProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    return m_filter.accepts(sourceModel(), sourceRow, sourceParent);
}

bool kuTableViewProxyModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    if (!left.isValid() || !right.isValid() || !left.model() || !right.model())
        return QSortFilterProxyModel::lessThan(left, right);
    return kuSortValue::compare(left.data(kuTableViewModel::SortRole), right.data(kuTableViewModel::SortRole)) < 0;
}
