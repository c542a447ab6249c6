#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QtGlobal>

// One price level of an order book.
class kuOrderBookItem : public kuObjectModelAbstractItem
{
    Q_OBJECT
public:
    enum Side
    {
        Bid = 100,
        Offer = 101
    };

    // amount in pieces (the record's amount times the lot).
    kuOrderBookItem(qint64 amount, double price, double yield, int side, int decimals);

    int side() const { return m_side; }
    double price() const { return m_price; }
    qint64 amount() const { return m_amount; }
    double yield() const { return m_yield; }
    quint64 sortKey() const { return m_sortKey; }

    // Offers above bids whatever the prices; within a side by the price rounded to
    // the decimals, so that 0.29 is above 0.28 and -1 below 0.
    static quint64 sortKeyOf(int side, double price, int decimals);
    // Shows the same in every cell.
    bool looksLike(const kuOrderBookItem& other) const;

    QString displayText(int column) const override;
    QVariant decoration(int column) const override;
    int alignment(int column) const override;
    QColor color(int column) const override;
    QString toolTip(int column) const override;
    QVariant sortValue(int column) const override;
    int itemType() const override;

private:
    double m_yield;
    double m_price;
    qint64 m_amount;
    int m_decimals;
    int m_side;
    quint64 m_sortKey;
};
