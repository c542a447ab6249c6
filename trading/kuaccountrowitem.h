#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QDateTime>

// What an order row and a trade row share: the instrument looked up once, the
// time, direction, quantity, price and sum, and for those columns the texts,
// alignment, tool tips, sort values and comparison. A row answers its own
// columns and hands the others to these.
class kuAccountRowItem : public kuObjectModelAbstractItem
{
    Q_OBJECT
public:
    // Date and time (1), ticker (2), short name (3), amount (5), price (6) and sum (7); empty for other columns.
    QString displayText(int column) const override;
    QVariant decoration(int column) const override;
    // Centred date and time (1) and direction (4); amount, price and sum (5 to 7) on the right; the rest on the left.
    int alignment(int column) const override;
    QColor color(int column) const override;
    // The issuer on the ticker (2) and the short name (3); empty for other columns.
    QString toolTip(int column) const override;
    // Date and time (1), amount (5), price (6) and sum (7) by value; other columns by their text.
    QVariant sortValue(int column) const override;

    // 0 when the instrument is not in the registry.
    int paperID() const { return m_ticker.isEmpty() ? 0 : m_paperID; }
    int act() const { return m_act; }

protected:
    kuAccountRowItem(int paperID, const QDateTime& dateTime, int act, qint64 amount, double price, double sum);

    // Whether a column of displayText() shows and sorts the same for both rows; true for other columns.
    bool sameSharedColumn(const kuAccountRowItem& other, int column) const;
    QString priceText(double value) const;

    int m_paperID;
    int m_decimals = 2;
    qint64 m_amount;
    int m_act;
    double m_price;
    double m_sum;
    QDateTime m_dateTime;
    QString m_ticker;
    QString m_issuer;
    QString m_shortName;

private:
    // Whether both rows show the same date and time.
    bool sameDateTime(const kuAccountRowItem& other) const;
};
