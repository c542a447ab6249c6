#include "kuaccountrowitem.h"

#include "kufunctions.h"
#include "kupaperlist.h"

kuAccountRowItem::kuAccountRowItem(int paperID, const QDateTime& dateTime, int act, int amount, double price)
    : m_paperID(paperID), m_amount(amount), m_act(act), m_price(price), m_dateTime(dateTime)
{
    if (const QSharedPointer<kuPaperInfo> paper = kuPaperList::instance()->paper(paperID)) {
        m_decimals = paper->decimals();
        m_ticker = paper->ticker();
        m_issuer = paper->issuer();
        m_shortName = paper->shortName();
    }
}

QVariant kuAccountRowItem::decoration(int) const
{
    return QVariant();
}

QColor kuAccountRowItem::color(int) const
{
    return QColor();
}

QString kuAccountRowItem::priceText(double value) const
{
    return formatNumber(value, m_decimals, QLatin1Char(' '));
}

QString kuAccountRowItem::sharedText(int column) const
{
    switch (column) {
    case 1:
        return m_dateTime.isValid() ? m_dateTime.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString();
    case 2:
        return m_ticker;
    case 3:
        return m_shortName;
    case 5:
        return formatNumber(m_amount, 0, QLatin1Char(' '));
    case 6:
        return priceText(m_price);
    default:
        return QString();
    }
}

bool kuAccountRowItem::sameDateTime(const kuAccountRowItem& other) const
{
    // date() and time() read the stored value; comparing date-times would consult the time zone.
    return m_dateTime.isValid() == other.m_dateTime.isValid() && m_dateTime.date() == other.m_dateTime.date() &&
           m_dateTime.time() == other.m_dateTime.time();
}
