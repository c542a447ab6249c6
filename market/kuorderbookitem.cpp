#include "kuorderbookitem.h"

#include "kufunctions.h"

#include <cmath>
#include <cstring>

namespace {
constexpr int yieldBidColumn = 1;
constexpr int bidColumn = 2;
constexpr int priceColumn = 3;
constexpr int offerColumn = 4;
constexpr int yieldOfferColumn = 5;
const QChar groupSeparator = QLatin1Char(' ');

// Unsigned order of the result is the numeric order of the doubles.
quint64 orderedBits(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    constexpr quint64 sign = quint64(1) << 63;
    return (bits & sign) ? ~bits : (bits | sign);
}
} // namespace

kuOrderBookItem::kuOrderBookItem(qint64 amount, double price, double yield, int side, int decimals)
    : m_yield(yield), m_price(price), m_amount(amount), m_decimals(decimals), m_side(side),
      m_sortKey(sortKeyOf(side, price, decimals))
{}

quint64 kuOrderBookItem::sortKeyOf(int side, double price, int decimals)
{
    // Rounded, not truncated: 0.29 * 100 is 28.999... in a double.
    double ticks = std::round(price * std::pow(10.0, qBound(0, decimals, 15)));
    if (ticks == 0.0 || std::isnan(ticks))
        ticks = 0.0; // -0.0 and NaN would sort apart from 0
    // The top bit is the side, the other 63 the price: no band of prices overlaps the other side.
    const quint64 offer = side == Offer ? quint64(1) << 63 : 0;
    return offer | (orderedBits(ticks) >> 1);
}

bool kuOrderBookItem::looksLike(const kuOrderBookItem& other) const
{
    return m_side == other.m_side && m_price == other.m_price && m_amount == other.m_amount &&
           m_yield == other.m_yield && m_decimals == other.m_decimals;
}

QString kuOrderBookItem::displayText(int column) const
{
    const bool bid = m_side != Offer;
    switch (column) {
    case yieldBidColumn:
        return bid ? formatNumber(m_yield, 2, groupSeparator) : QString();
    case bidColumn:
        return bid ? formatNumber(double(m_amount), 0, groupSeparator) : QString();
    case priceColumn:
        return formatNumber(m_price, m_decimals, groupSeparator);
    case offerColumn:
        return bid ? QString() : formatNumber(double(m_amount), 0, groupSeparator);
    case yieldOfferColumn:
        return bid ? QString() : formatNumber(m_yield, 2, groupSeparator);
    default:
        return QString();
    }
}

QVariant kuOrderBookItem::decoration(int) const
{
    return QVariant();
}

int kuOrderBookItem::alignment(int column) const
{
    return column == priceColumn ? int(Qt::AlignHCenter | Qt::AlignVCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
}

QColor kuOrderBookItem::color(int) const
{
    return QColor(Qt::black);
}

QString kuOrderBookItem::toolTip(int) const
{
    return QString();
}

QVariant kuOrderBookItem::sortValue(int) const
{
    return QVariant::fromValue<quint64>(m_sortKey);
}

int kuOrderBookItem::itemType() const
{
    return itOrderBook;
}
