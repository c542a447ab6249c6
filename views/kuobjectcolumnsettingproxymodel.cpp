#include "kuobjectcolumnsettingproxymodel.h"

#include "kuobjectcolumnsettingmodel.h"

kuObjectColumnSettingProxyModel::kuObjectColumnSettingProxyModel(QObject* parent) : QSortFilterProxyModel(parent)
{}

bool kuObjectColumnSettingProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QVariant hidden =
            sourceModel()->index(sourceRow, 0, sourceParent).data(kuObjectColumnSettingModel::AlwaysHiddenRole);
    if (hidden.canConvert<bool>())
        return !hidden.toBool();
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}
