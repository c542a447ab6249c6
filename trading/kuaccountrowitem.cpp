#include "kuaccountrowitem.h"

#include "kufunctions.h"
#include "kupaperlist.h"

namespace {
const QChar blank(QLatin1Char(' '));
} // namespace

kuAccountRowItem::kuAccountRowItem(int paperID, const QDateTime& dateTime, int act, qint64 amount, double price,
                                   double sum)
    : m_paperID(paperID), m_amount(amount), m_act(act), m_price(price), m_sum(sum), m_dateTime(dateTime)
{
    if (const QSharedPointer<kuPaperInfo> paper = kuPaperList::instance()->paper(paperID)) {
        m_decimals = paper->decimals();
        m_ticker = paper->ticker();
        m_issuer = paper->issuer();
        m_shortName = paper->shortName();
    }
}

QString kuAccountRowItem::displayText(int column) const
{
    switch (column) {
    case 1:
        return m_dateTime.isValid() ? m_dateTime.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString();
    case 2:
        return m_ticker;
    case 3:
        return m_shortName;
    case 5:
        return formatNumber(double(m_amount), 0, blank);
    case 6:
        return priceText(m_price);
    case 7:
        return formatNumber(m_sum, 2, blank);
    default:
        return QString();
    }
}

QVariant kuAccountRowItem::decoration(int) const
{
    return QVariant();
}

int kuAccountRowItem::alignment(int column) const
{
    switch (column) {
    case 1:
    case 4:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case 5:
    case 6:
    case 7:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QColor kuAccountRowItem::color(int) const
{
    return QColor();
}

QString kuAccountRowItem::toolTip(int column) const
{
    switch (column) {
    case 2:
    case 3:
        return m_issuer;
    default:
        return QString();
    }
}

QVariant kuAccountRowItem::sortValue(int column) const
{
    switch (column) {
    case 1:
        return m_dateTime;
    case 5:
        return m_amount;
    case 6:
        return m_price;
    case 7:
        return m_sum;
    default:
        return displayText(column);
    }
}

QString kuAccountRowItem::priceText(double value) const
{
    return formatNumber(value, m_decimals, blank);
}

bool kuAccountRowItem::sameSharedColumn(const kuAccountRowItem& other, int column) const
{
    switch (column) {
    case 1:
        return sameDateTime(other);
    case 2:
        return m_ticker == other.m_ticker;
    case 3:
        return m_shortName == other.m_shortName;
    case 5:
        return m_amount == other.m_amount;
    case 6:
        return m_price == other.m_price && m_decimals == other.m_decimals;
    case 7:
        return m_sum == other.m_sum;
    default:
        return true;
    }
}

bool kuAccountRowItem::sameDateTime(const kuAccountRowItem& other) const
{
    // date() and time() read the stored value; comparing date-times would consult the time zone.
    return m_dateTime.isValid() == other.m_dateTime.isValid() && m_dateTime.date() == other.m_dateTime.date() &&
           m_dateTime.time() == other.m_dateTime.time();
}
