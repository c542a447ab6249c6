#pragma once

#include "kutableviewproxymodel.h"

#include <QColor>
#include <QJsonArray>

class kuOrderBookModel;

// The order book window's way to its model; without a kuOrderBookModel
// source every forwarder does nothing or gives its fallback.
class kuOrderBookProxyModel : public kuTableViewProxyModel
{
    Q_OBJECT
public:
    explicit kuOrderBookProxyModel(QObject* parent = nullptr);
    ~kuOrderBookProxyModel() override;

    void setOrderBook(const QJsonArray& orderBook, int lot, int decimals);
    void showOrder(qint64 orderID, double price, qint64 amount);
    void hideOrder(qint64 orderID);
    void clearOrders();
    int depth() const;
    void setDepth(int depth);
    QColor bidColor() const;
    void setBidColor(const QColor& color);
    QColor offerColor() const;
    void setOfferColor(const QColor& color);

private:
    kuOrderBookModel* bookModel() const;
};
