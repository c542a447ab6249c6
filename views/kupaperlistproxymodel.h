#pragma once

#include "kutableviewproxymodel.h"

#include <QSet>

// The chooser's filter: the chosen exchanges first (an empty set lets every
// exchange through), then the search text on the text columns.
class kuPaperListProxyModel : public kuTableViewProxyModel
{
    Q_OBJECT
public:
    explicit kuPaperListProxyModel(QObject* parent = nullptr);

    void setExchangeFilter(const QSet<int>& exchangeIDs);
    QSet<int> exchangeFilter() const { return m_exchanges; }
    // Hides every row while set, whatever the filters say.
    void setHideAll(bool hide);
    // Forwarded to a kuPaperListModel source; nothing otherwise.
    void setItems(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QSet<int> m_exchanges;
    bool m_hideAll = false;
};
