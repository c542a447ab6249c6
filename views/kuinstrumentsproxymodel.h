#pragma once

#include "kutableviewproxymodel.h"

#include <QSet>

// The order entry's instruments: only those of the account's exchanges; an
// empty set shows none. Text filters are not applied.
class kuInstrumentsProxyModel : public kuTableViewProxyModel
{
    Q_OBJECT
public:
    explicit kuInstrumentsProxyModel(QObject* parent = nullptr);

    void setFilter(const QSet<int>& exchangeIDs);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QSet<int> m_exchanges;
};
