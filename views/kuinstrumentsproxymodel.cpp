#include "kuinstrumentsproxymodel.h"

#include "kupaperlistmodel.h"

kuInstrumentsProxyModel::kuInstrumentsProxyModel(QObject* parent) : kuTableViewProxyModel(parent)
{}

void kuInstrumentsProxyModel::setFilter(const QSet<int>& exchangeIDs)
{
    m_exchanges = exchangeIDs;
    invalidateFilter();
}

bool kuInstrumentsProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_exchanges.isEmpty())
        return false;
    const QModelIndex index = sourceModel()->index(sourceRow, 1, sourceParent);
    return m_exchanges.contains(index.data(kuPaperListModel::ExchangeIDRole).toInt());
}
