#include "kupaperlistproxymodel.h"

#include "kupaperlistmodel.h"

kuPaperListProxyModel::kuPaperListProxyModel(QObject* parent) : kuTableViewProxyModel(parent)
{}

void kuPaperListProxyModel::setExchangeFilter(const QSet<int>& exchangeIDs)
{
    // Each keystroke passes the set again: refilter only for a new one.
    if (exchangeIDs == m_exchanges)
        return;
    m_exchanges = exchangeIDs;
    invalidateFilter();
}

void kuPaperListProxyModel::setHideAll(bool hide)
{
    if (hide == m_hideAll)
        return;
    m_hideAll = hide;
    invalidateFilter();
}

void kuPaperListProxyModel::setItems(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items)
{
    if (auto* model = qobject_cast<kuPaperListModel*>(sourceModel()))
        model->setItems(items);
}

bool kuPaperListProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_hideAll)
        return false;
    if (!m_exchanges.isEmpty()) {
        const QModelIndex index = sourceModel()->index(sourceRow, 1, sourceParent);
        if (!m_exchanges.contains(index.data(kuPaperListModel::ExchangeIDRole).toInt()))
            return false;
    }
    return kuTableViewProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}
