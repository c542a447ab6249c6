#include "kulasttradesproxymodel.h"

#include "kulasttradesitem.h"
#include "kulasttradesmodel.h"

kuLastTradesProxyModel::kuLastTradesProxyModel(QObject* parent) : kuTableViewProxyModel(parent)
{}

kuLastTradesModel* kuLastTradesProxyModel::tradesModel() const
{
    return qobject_cast<kuLastTradesModel*>(sourceModel());
}

void kuLastTradesProxyModel::appendTrade(const QJsonObject& trade, int decimals, int lot)
{
    if (kuLastTradesModel* model = tradesModel())
        model->appendTrade(trade, decimals, lot);
}

void kuLastTradesProxyModel::appendTrades(const QVector<QJsonObject>& trades, int decimals, int lot)
{
    if (kuLastTradesModel* model = tradesModel())
        model->appendTrades(trades, decimals, lot);
}

void kuLastTradesProxyModel::appendTrades(const QVector<QJsonObject>& trades, const QVector<qint64>& deals,
                                          int decimals, int lot)
{
    if (kuLastTradesModel* model = tradesModel())
        model->appendTrades(trades, deals, decimals, lot);
}

void kuLastTradesProxyModel::clear()
{
    if (kuLastTradesModel* model = tradesModel())
        model->clear();
}

bool kuLastTradesProxyModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const kuLastTradesModel* model = tradesModel();
    if (model && left.model() == model && right.model() == model) {
        const kuLastTradesItem* a = model->trade(left.row());
        const kuLastTradesItem* b = model->trade(right.row());
        if (a && b)
            return a->dealID() < b->dealID();
    }
    return kuTableViewProxyModel::lessThan(left, right);
}
