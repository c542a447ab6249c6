#include "kuportfoliomoneyitem.h"

#include "kufunctions.h"

namespace {
const int alignLeft = Qt::AlignLeft | Qt::AlignVCenter;
const int alignRight = Qt::AlignRight | Qt::AlignVCenter;
} // namespace

kuPortfolioMoneyItem::kuPortfolioMoneyItem(double balance, double blocked, double expected, double profit)
    : m_balance(balance), m_blocked(blocked), m_expected(expected), m_profit(profit)
{}

QString kuPortfolioMoneyItem::displayText(int column) const
{
    const QChar blank(' ');
    switch (column) {
    case 2:
        return tr("Деньги");
    case 7:
        return formatNumber(m_balance, 2, blank);
    case 9:
        return formatNumber(m_profit + m_positionsChange, 2, blank);
    case 11:
        return formatNumber(m_blocked, 2, blank);
    case 12:
        return formatNumber(m_expected, 2, blank);
    default:
        return QString();
    }
}

QVariant kuPortfolioMoneyItem::decoration(int) const
{
    return QVariant();
}

int kuPortfolioMoneyItem::alignment(int column) const
{
    return column == 7 || column == 9 || column == 11 || column == 12 ? alignRight : alignLeft;
}

QColor kuPortfolioMoneyItem::color(int column) const
{
    if (column == 7)
        return signColor(m_balance);
    if (column == 9)
        return signColor(m_profit + m_positionsChange);
    return QColor();
}

QString kuPortfolioMoneyItem::toolTip(int column) const
{
    switch (column) {
    case 7:
        return tr("Сумма свободных денежных средств");
    case 11:
        return tr("Сумма блокированных денежных средств");
    case 12:
        return tr("Сумма ожидаемых денежных средств");
    default:
        return QString();
    }
}

QVariant kuPortfolioMoneyItem::sortValue(int) const
{
    // Above every digit and letter; the proxy places the row by its kind all the same.
    return QString(QChar(0x07C0));
}
