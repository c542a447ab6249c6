#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QDate>

// One position of an account: quantity, cost and its value at the last price.
// Bonds are priced in per cent of the nominal plus the accrued coupon; futures
// and options are valued by price steps and count nothing in the account totals.
class kuPortfolioPositionItem : public kuObjectModelAbstractItem
{
    Q_OBJECT
public:
    kuPortfolioPositionItem(int paperID, qint64 amount, double avgPrice, double price, double cost, double blocked,
                            double expected, const QDate& date);

    // Only for this row's instrument.
    void updateLastPrice(int paperID, double price);
    void revalue();

    int paperID() const { return m_paperID; }
    qint64 amount() const { return m_amount; }
    int type() const { return m_type; }
    double lastPrice() const { return m_lastPrice; }
    // 0 for futures and options, which the account totals leave out.
    double marketValue() const;
    double changeSum() const;
    double changePercent() const { return m_changePercent; }
    bool isDerivative() const { return m_type == 4 || m_type == 5; }

    QString displayText(int column) const override;
    QVariant decoration(int column) const override;
    int alignment(int column) const override;
    QColor color(int column) const override;
    QString toolTip(int column) const override;
    QVariant sortValue(int column) const override;
    int itemType() const override { return itPortfolioPosition; }

private:
    bool isBond() const { return m_type == 2 || m_type == 9; }

    int m_paperID;
    QDate m_date;
    qint64 m_amount;
    double m_avgPrice;
    double m_cost;
    double m_changeSum = 0;
    double m_changePercent = 0;
    double m_blocked;
    double m_expected;
    double m_nominal = 0;
    double m_accruedCoupon = 0;
    double m_priceStep = 1;
    double m_lastPrice;
    double m_basePrice;
    double m_marketValue = 0;
    int m_decimals = 2;
    QString m_ticker;
    QString m_issuer;
    // Unknown instruments are valued plainly.
    int m_type = 0;
};
