#pragma once

#include "kuaccountrowitem.h"

#include <QDateTime>
#include <QList>
#include <QSharedPointer>

// One order or stop order of an account: its column texts, background by
// status, the stop conditions as a sentence, and the fields the orders view
// and the order book read through item data roles.
class kuOrdersItem : public kuAccountRowItem
{
    Q_OBJECT
public:
    kuOrdersItem(qint64 orderID, int paperID, const QDateTime& dateTime, int act, qint64 amount, double price,
                 double balance, int status, int type, int limitation, int fcond, int isMarket1, double ifPrice1,
                 double stopPrice1, int scond, int isMarket2, double ifPrice2, double stopPrice2,
                 const QString& reason);

    // A stop order shows the trigger price of each condition set in the price column
    // ("850.50", or "850.50 / 900.00" with both) and no sum while it has none.
    QString displayText(int column) const override;
    int alignment(int column) const override;
    QString toolTip(int column) const override;
    // A stop order sorts by its first trigger shown, and with no sum before every sum.
    QVariant sortValue(int column) const override;
    int itemType() const override;

    QColor statusColor() const;
    // Whether the column shows and sorts the same for both rows; cheap, no text is made.
    bool sameColumn(const kuOrdersItem& other, int column) const;
    // Texts of the order codes; empty for codes outside the tables.
    static QString actText(int act);
    static QString statusText(int status);
    // Orders in these states are on the market.
    static bool isActive(int status) { return status == 1 || status == 2; }

    qint64 orderID() const { return m_orderID; }
    // The key of the order's row under its account.
    qint64 rowKey() const { return m_orderID; }
    qint64 amount() const { return m_amount; }
    int status() const { return m_status; }
    double price() const { return m_price; }
    int fcond() const { return m_fcond; }
    int scond() const { return m_scond; }
    int isMarket1() const { return m_isMarket1; }
    int isMarket2() const { return m_isMarket2; }
    double ifPrice1() const { return m_ifPrice1; }
    double ifPrice2() const { return m_ifPrice2; }
    double stopPrice1() const { return m_stopPrice1; }
    double stopPrice2() const { return m_stopPrice2; }

private:
    QString conditionText() const;
    bool isStop() const { return m_act == 5 || m_act == 6; }
    // A stop order with a condition set: its price column shows the triggers.
    bool showsTriggers() const { return isStop() && (m_fcond != 0 || m_scond != 0); }
    // A stop order without a sum of its own leaves the sum column empty.
    bool hidesSum() const { return isStop() && m_sum == 0; }

    qint64 m_orderID;
    int m_type;
    int m_status;
    int m_limitation;
    int m_fcond;
    int m_scond;
    int m_isMarket1;
    int m_isMarket2;
    double m_ifPrice1;
    double m_ifPrice2;
    double m_stopPrice1;
    double m_stopPrice2;
    QString m_reason;
};
