#pragma once

#include "kuobjectmodelabstractitem.h"

// The money of an account, shown after its positions.
class kuPortfolioMoneyItem : public kuObjectModelAbstractItem
{
    Q_OBJECT
public:
    kuPortfolioMoneyItem(double balance, double blocked, double expected, double profit);

    double balance() const { return m_balance; }
    double positionsChange() const { return m_positionsChange; }
    // The summed change of the account's positions, shown with the profit.
    void setPositionsChange(double change) { m_positionsChange = change; }

    QString displayText(int column) const override;
    QVariant decoration(int column) const override;
    int alignment(int column) const override;
    QColor color(int column) const override;
    QString toolTip(int column) const override;
    QVariant sortValue(int column) const override;
    int itemType() const override { return itPortfolioMoney; }

private:
    double m_balance;
    double m_blocked;
    double m_expected;
    double m_profit;
    double m_positionsChange = 0;
};
