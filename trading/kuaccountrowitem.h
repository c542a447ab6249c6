#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QDateTime>

// What an order row and a trade row share: the instrument looked up once, the
// time, direction, quantity and price, and the texts of those columns.
class kuAccountRowItem : public kuObjectModelAbstractItem
{
    Q_OBJECT
public:
    QVariant decoration(int column) const override;
    QColor color(int column) const override;

    // 0 when the instrument is not in the registry.
    int paperID() const { return m_ticker.isEmpty() ? 0 : m_paperID; }
    int act() const { return m_act; }

protected:
    kuAccountRowItem(int paperID, const QDateTime& dateTime, int act, int amount, double price);

    // Date and time (1), ticker (2), short name (3), amount (5) and price (6); empty for other columns.
    QString sharedText(int column) const;
    // Whether both rows show the same date and time.
    bool sameDateTime(const kuAccountRowItem& other) const;
    QString priceText(double value) const;

    int m_paperID;
    int m_decimals = 2;
    int m_amount;
    int m_act;
    double m_price;
    QDateTime m_dateTime;
    QString m_ticker;
    QString m_issuer;
    QString m_shortName;
};
