#include "kuordersitem.h"

#include "kufunctions.h"

namespace {
const QChar blank(QLatin1Char(' '));
} // namespace

kuOrdersItem::kuOrdersItem(qint64 orderID, int paperID, const QDateTime& dateTime, int act, qint64 amount, double price,
                           double balance, int status, int type, int limitation, int fcond, int isMarket1,
                           double ifPrice1, double stopPrice1, int scond, int isMarket2, double ifPrice2,
                           double stopPrice2, const QString& reason)
    : kuAccountRowItem(paperID, dateTime, act, amount, price, balance), m_orderID(orderID), m_type(type),
      m_status(status), m_limitation(limitation), m_fcond(fcond), m_scond(scond), m_isMarket1(isMarket1),
      m_isMarket2(isMarket2), m_ifPrice1(ifPrice1), m_ifPrice2(ifPrice2), m_stopPrice1(stopPrice1),
      m_stopPrice2(stopPrice2), m_reason(reason)
{}

QString kuOrdersItem::actText(int act)
{
    switch (act) {
    case 1:
        return tr("Покупка");
    case 2:
        return tr("Продажа");
    case 3:
    case 4:
        return tr("Отменить");
    case 5:
        return tr("Стоп покупка");
    case 6:
        return tr("Стоп продажа");
    default:
        return QString();
    }
}

QString kuOrdersItem::statusText(int status)
{
    switch (status) {
    case 0:
        return tr("Новое");
    case 1:
        return tr("Принято к исполнению");
    case 2:
        return tr("Частично исполнено");
    case 3:
        return tr("Полностью исполнено");
    case 4:
        return tr("Частично исполнено и закрыто");
    case 5:
        return tr("Отклонено");
    case 6:
        return tr("Отменено");
    default:
        return QString();
    }
}

QString kuOrdersItem::displayText(int column) const
{
    switch (column) {
    case 4:
        return actText(m_act);
    case 6:
        if (showsTriggers()) {
            if (m_fcond != 0 && m_scond != 0)
                return priceText(m_ifPrice1) + QStringLiteral(" / ") + priceText(m_ifPrice2);
            return priceText(m_fcond != 0 ? m_ifPrice1 : m_ifPrice2);
        }
        return kuAccountRowItem::displayText(column);
    case 7:
        return hidesSum() ? QString() : kuAccountRowItem::displayText(column);
    case 8:
        return m_type == 0 ? tr("Лимитированное") : tr("Рыночное");
    case 9:
        return statusText(m_status);
    case 10:
        if (m_act == 1 || m_act == 2)
            return m_limitation != 0 ? tr("Месяц") : tr("День");
        return m_reason;
    case 11:
        return m_reason;
    default:
        return kuAccountRowItem::displayText(column);
    }
}

int kuOrdersItem::alignment(int column) const
{
    switch (column) {
    case 9:
    case 10:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return kuAccountRowItem::alignment(column);
    }
}

QColor kuOrdersItem::statusColor() const
{
    switch (m_status) {
    case 1:
        return QColor(QStringLiteral("#87CEFA"));
    case 2:
        return QColor(QStringLiteral("#C0C0FF"));
    case 3:
    case 4:
        return QColor(QStringLiteral("#90EE90"));
    case 5:
        return QColor(QStringLiteral("#CD853F"));
    case 6:
        return QColor(QStringLiteral("#FFC0CB"));
    default:
        return QColor(Qt::transparent);
    }
}

bool kuOrdersItem::sameColumn(const kuOrdersItem& other, int column) const
{
    switch (column) {
    case 6:
        return showsTriggers() == other.showsTriggers() && (m_fcond != 0) == (other.m_fcond != 0) &&
               (m_scond != 0) == (other.m_scond != 0) && m_ifPrice1 == other.m_ifPrice1 &&
               m_ifPrice2 == other.m_ifPrice2 && sameSharedColumn(other, column);
    case 7:
        return hidesSum() == other.hidesSum() && sameSharedColumn(other, column);
    case 4:
        // The tool tip tells the stop conditions.
        return m_act == other.m_act && m_amount == other.m_amount && m_ticker == other.m_ticker &&
               m_fcond == other.m_fcond && m_scond == other.m_scond && m_isMarket1 == other.m_isMarket1 &&
               m_isMarket2 == other.m_isMarket2 && m_ifPrice1 == other.m_ifPrice1 && m_ifPrice2 == other.m_ifPrice2 &&
               m_stopPrice1 == other.m_stopPrice1 && m_stopPrice2 == other.m_stopPrice2 &&
               m_decimals == other.m_decimals;
    case 8:
        return (m_type == 0) == (other.m_type == 0);
    case 9:
        return m_status == other.m_status;
    case 10:
        return m_act == other.m_act && m_limitation == other.m_limitation && m_reason == other.m_reason;
    case 11:
        return m_reason == other.m_reason;
    default:
        return sameSharedColumn(other, column);
    }
}

QString kuOrdersItem::conditionText() const
{
    const QString head =
            formatNumber(double(m_amount), 0, blank) + blank + m_ticker + QStringLiteral(" - ") + m_issuer + blank;
    const QString start = (m_act == 5 ? tr("Купить ") : tr("Продать ")) + head;
    const QString price1 = m_isMarket1 != 0 ? tr("по рыночной цене") : tr("по цене ") + priceText(m_stopPrice1);
    const QString price2 = m_isMarket2 != 0 ? tr("по рыночной цене") : tr("по цене ") + priceText(m_stopPrice2);
    const QString condition1 = m_fcond != 0 ? tr(" если цена станет ниже ") + priceText(m_ifPrice1) : QString();
    const QString condition2 = m_scond != 0 ? tr(" если цена станет выше ") + priceText(m_ifPrice2) : QString();
    if (m_fcond != 0 && m_scond != 0)
        return start + price1 + condition1 + tr("\nили ") + price2 + condition2;
    if (m_fcond != 0)
        return start + price1 + condition1;
    if (m_scond != 0)
        return start + price2 + condition2;
    return start;
}

QString kuOrdersItem::toolTip(int column) const
{
    switch (column) {
    case 4:
        return m_act == 5 || m_act == 6 ? conditionText() : QString();
    case 8:
    case 9:
    case 11:
        return displayText(column);
    default:
        return kuAccountRowItem::toolTip(column);
    }
}

QVariant kuOrdersItem::sortValue(int column) const
{
    if (column == 6 && showsTriggers())
        return m_fcond != 0 ? m_ifPrice1 : m_ifPrice2;
    if (column == 7 && hidesSum())
        return QVariant();
    return kuAccountRowItem::sortValue(column);
}

int kuOrdersItem::itemType() const
{
    return itOrders;
}
