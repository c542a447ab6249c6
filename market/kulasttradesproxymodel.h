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
    void appendTrades(const QVector<QJsonObject>& trades, const QVector<qint64>& deals, int decimals, int lot);
    void clear();

protected:
    // Deal numbers compared directly: the order of the generic comparison of the rows' sort values.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    kuLastTradesModel* tradesModel() const;
};
