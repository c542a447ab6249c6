#pragma once

#include "kutableviewproxymodel.h"

#include <QJsonObject>
#include <QVector>

class kuLastTradesModel;

// Sort proxy of the tape; hands the window's trades on to a kuLastTradesModel source.
class kuLastTradesProxyModel : public kuTableViewProxyModel
{
    Q_OBJECT
public:
    explicit kuLastTradesProxyModel(QObject* parent = nullptr);

    void appendTrade(const QJsonObject& trade, int decimals, int lot);
    void appendTrades(const QVector<QJsonObject>& trades, int decimals, int lot);
    void clear();

private:
    kuLastTradesModel* tradesModel() const;
};
