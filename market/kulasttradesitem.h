#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QDateTime>
#include <QJsonObject>
#include <QSharedPointer>

// One trade of the tape. Its background tells whether its price rose or fell
// against the trade appended just before it.
class kuLastTradesItem : public kuObjectModelAbstractItem
{
    Q_OBJECT
public:
    enum Column
    {
        colTime = 1,
        colPrice,
        colAmount,
        colDealID
    };
    enum Direction
    {
        up = 0,
        down = 1,
        unchanged = 2
    };

    kuLastTradesItem(quint64 dealID, const QDateTime& time, double price, qint64 amount, int decimals, int lot);

    // Null for an empty object.
    static QSharedPointer<kuLastTradesItem> create(const QJsonObject& trade, int decimals, int lot);
    // The same with the record's deal number already read (kuKeys::wholeNumber of its "dealID").
    static QSharedPointer<kuLastTradesItem> create(const QJsonObject& trade, qint64 wireDeal, int decimals, int lot);

    double price() const { return m_price; }
    quint64 dealID() const { return m_dealID; }
    int direction() const { return m_direction; }
    void setDirection(int direction) { m_direction = direction; }
    // Green up, pink down, none otherwise.
    QColor backgroundColor() const;

    QString displayText(int column) const override;
    QVariant decoration(int column) const override;
    int alignment(int column) const override;
    QColor color(int column) const override;
    QString toolTip(int column) const override;
    // The deal number in every column: the tape is ordered by it whatever the column.
    QVariant sortValue(int column) const override;
    int itemType() const override { return itLastTrades; }

private:
    QDateTime m_time;
    double m_price = 0;
    quint64 m_dealID = 0;
    qint64 m_amount = 0;
    int m_decimals = 2;
    int m_lot = 1;
    int m_direction = unchanged;
};
