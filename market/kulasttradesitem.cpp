#include "kulasttradesitem.h"

#include "kufunctions.h"
#include "kurecordkeys.h"

#include <QLocale>

namespace lt = kuKeys::lastTrade;

kuLastTradesItem::kuLastTradesItem(quint64 dealID, const QDateTime& time, double price, qint64 amount, int decimals,
                                   int lot)
    : m_time(time), m_price(price), m_dealID(dealID), m_amount(amount), m_decimals(decimals), m_lot(lot)
{}

QSharedPointer<kuLastTradesItem> kuLastTradesItem::create(const QJsonObject& trade, int decimals, int lot)
{
    if (trade.isEmpty())
        return {};
    return create(trade, kuKeys::wholeNumber(trade.value(lt::dealID)), decimals, lot);
}

QSharedPointer<kuLastTradesItem> kuLastTradesItem::create(const QJsonObject& trade, qint64 deal, int decimals, int lot)
{
    if (trade.isEmpty())
        return {};
    // The server's seconds, deal numbers and quantities outgrow an int.
    const qint64 time = kuKeys::wholeNumber(trade.value(lt::unixtime));
    return QSharedPointer<kuLastTradesItem>::create(deal > 0 ? quint64(deal) : 0, dateTimeFromUnix(time),
                                                    trade.value(lt::price).toDouble(),
                                                    kuKeys::wholeNumber(trade.value(lt::amount)), decimals, lot);
}

QColor kuLastTradesItem::backgroundColor() const
{
    switch (m_direction) {
    case up:
        return QColor(QStringLiteral("#90EE90"));
    case down:
        return QColor(QStringLiteral("#FFC0CB"));
    default:
        return QColor(Qt::transparent);
    }
}

QString kuLastTradesItem::displayText(int column) const
{
    switch (column) {
    case colTime:
        return m_time.toString(QStringLiteral("HH:mm:ss"));
    case colPrice:
        return formatNumber(m_price, m_decimals, QLatin1Char(' '));
    case colAmount:
        return formatNumber(double(m_amount), 0, QLatin1Char(' '));
    case colDealID:
        // Exact beyond a double's 53 bits.
        return QLocale(QLocale::English, QLocale::AnyCountry)
                .toString(qulonglong(m_dealID))
                .replace(QLatin1Char(','), QLatin1Char(' '));
    default:
        return QString();
    }
}

QVariant kuLastTradesItem::decoration(int) const
{
    return QVariant();
}

int kuLastTradesItem::alignment(int column) const
{
    if (column == colPrice)
        return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignRight | Qt::AlignVCenter;
}

QColor kuLastTradesItem::color(int) const
{
    return QColor(Qt::black);
}

QString kuLastTradesItem::toolTip(int) const
{
    return QString();
}

QVariant kuLastTradesItem::sortValue(int) const
{
    return QVariant::fromValue<quint64>(m_dealID);
}
