#include "kulasttradesproxymodel.h"

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

void kuLastTradesProxyModel::clear()
{
    if (kuLastTradesModel* model = tradesModel())
        model->clear();
}
