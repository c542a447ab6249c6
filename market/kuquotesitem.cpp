#include "kuquotesitem.h"

#include "kufunctions.h"
#include "kuiconmanager.h"
#include "kulook.h"
#include "kupaperlist.h"

#include <QtMath>

#include <cmath>

namespace {
QString number(double value, int decimals)
{
    return formatNumber(value, decimals, QLatin1Char(' '));
}

int compare(double a, double b)
{
    return a > b ? 1 : (a < b ? -1 : 0);
}
} // namespace

kuQuotesItem::kuQuotesItem(int paperID, double buy, qint64 toBuy, double sell, qint64 toSell, qint64 toBuyTotal,
                           qint64 toSellTotal, double open, double min, double max, double last, double avg,
                           qint64 volume, double moneyVol, qint64 paperVol, double bestBuy, double bestSell,
                           double price)
    : m_paperID(paperID), m_buy(buy), m_sell(sell), m_toBuy(toBuy), m_toSell(toSell), m_toBuyTotal(toBuyTotal),
      m_toSellTotal(toSellTotal), m_volume(volume), m_paperVol(paperVol), m_open(open), m_min(min), m_max(max),
      m_last(last), m_avg(avg), m_prevBuy(buy), m_prevSell(sell), m_prevLast(last), m_moneyVol(moneyVol),
      m_bestBuy(bestBuy), m_bestSell(bestSell), m_price(price)
{
    fillFromPaper();
    calculate();
}

void kuQuotesItem::fillFromPaper()
{
    const QSharedPointer<kuPaperInfo> paper = kuPaperList::instance()->paper(m_paperID);
    if (!paper)
        return;
    m_decimals = paper->decimals();
    m_ticker = paper->ticker();
    m_issuer = paper->issuer();
    m_lot = paper->lot();
    m_shortName = paper->shortName();
    const bool bond = paper->type() == 2 || paper->type() == 9;
    m_accruedCoupon = bond ? paper->accruedCoupon() : 0.0;
    m_nominal = bond ? paper->nominal() : 0.0;
}

void kuQuotesItem::calculate()
{
    if (m_price > 0 && m_last > 0)
        m_changePercent = (m_last / m_price - 1.0) * 100.0;
    m_toBuy *= m_lot;
    m_toSell *= m_lot;
}

void kuQuotesItem::setPrevLast(double value)
{
    m_prevLast = value > 0 ? value : m_last;
}

void kuQuotesItem::setPrevBuy(double value)
{
    m_prevBuy = value > 0 ? value : m_buy;
}

void kuQuotesItem::setPrevSell(double value)
{
    m_prevSell = value > 0 ? value : m_sell;
}

double kuQuotesItem::priceAt(int column) const
{
    switch (column) {
    case colBuy:
        return m_buy;
    case colSell:
        return m_sell;
    case colOpen:
        return m_open;
    case colMax:
        return m_max;
    case colMin:
        return m_min;
    case colAvg:
        return m_avg;
    case colBestBuy:
        return m_bestBuy;
    case colBestSell:
        return m_bestSell;
    case colPrice:
        return m_price;
    default:
        return m_last;
    }
}

QString kuQuotesItem::changeText(double changePercent)
{
    const QString text = qAbs(changePercent) < 0.009 ? QStringLiteral("0.00") : QString::number(changePercent, 'f', 2);
    return text + QStringLiteral(" %");
}

bool kuQuotesItem::isPriceColumn(int column)
{
    switch (column) {
    case colBuy:
    case colSell:
    case colOpen:
    case colMax:
    case colMin:
    case colLast:
    case colAvg:
    case colBestBuy:
    case colBestSell:
    case colPrice:
        return true;
    default:
        return false;
    }
}

QString kuQuotesItem::displayText(int column) const
{
    if (isPriceColumn(column))
        return number(priceAt(column), m_decimals);
    switch (column) {
    case colTicker:
        return m_ticker;
    case colShortName:
        return m_shortName;
    case colChange:
        return changeText(m_changePercent);
    case colToBuy:
        return number(double(m_toBuy), 0);
    case colToSell:
        return number(double(m_toSell), 0);
    case colToBuyTotal:
        return number(double(m_toBuyTotal), 0);
    case colToSellTotal:
        return number(double(m_toSellTotal), 0);
    case colVolume:
        return number(double(m_volume), 0);
    case colPaperVol:
        return number(double(m_paperVol), 0);
    case colMoneyVol:
        return number(m_moneyVol, 2);
    case colAccruedCoupon: {
        const QString text = number(m_accruedCoupon, 2);
        return text == QLatin1String("0.00") ? QString() : text;
    }
    case colNominal: {
        const QString text = number(m_nominal, 0);
        return text == QLatin1String("0") ? QString() : text;
    }
    default:
        return QString();
    }
}

bool kuQuotesItem::sameCell(const kuQuotesItem* a, const kuQuotesItem* b, int column)
{
    if (a == b)
        return true;
    if (!a || !b || a->m_paperID != b->m_paperID || a->m_decimals != b->m_decimals)
        return false;
    if (a->direction(column) != b->direction(column))
        return false;
    if (isPriceColumn(column))
        return a->priceAt(column) == b->priceAt(column);
    switch (column) {
    case colTicker:
        return a->m_ticker == b->m_ticker;
    case colShortName:
        return a->m_shortName == b->m_shortName;
    case colChange:
        return a->m_changePercent == b->m_changePercent;
    case colToBuy:
        return a->m_toBuy == b->m_toBuy;
    case colToSell:
        return a->m_toSell == b->m_toSell;
    case colToBuyTotal:
        return a->m_toBuyTotal == b->m_toBuyTotal;
    case colToSellTotal:
        return a->m_toSellTotal == b->m_toSellTotal;
    case colVolume:
        return a->m_volume == b->m_volume;
    case colPaperVol:
        return a->m_paperVol == b->m_paperVol;
    case colMoneyVol:
        return a->m_moneyVol == b->m_moneyVol;
    case colAccruedCoupon:
        return a->m_accruedCoupon == b->m_accruedCoupon;
    case colNominal:
        return a->m_nominal == b->m_nominal;
    default:
        return true;
    }
}

QVariant kuQuotesItem::decoration(int column) const
{
    if (column != colChange || m_changePercent == 0)
        return QVariant();
    return kuIconManager::icon(m_changePercent > 0 ? QStringLiteral("quotes.up.arrow.png")
                                                   : QStringLiteral("quotes.down.arrow.png"));
}

int kuQuotesItem::alignment(int column) const
{
    if (column == colTicker || column == colShortName)
        return Qt::AlignLeft | Qt::AlignVCenter;
    return Qt::AlignRight | Qt::AlignVCenter;
}

int kuQuotesItem::direction(int column) const
{
    // Each coloured column falls through to the next one's comparison when its own is equal.
    switch (column) {
    case colChange:
        if (const int d = compare(m_changePercent, 0))
            return d;
        Q_FALLTHROUGH();
    case colBuy:
        if (const int d = compare(m_buy, m_prevBuy))
            return d;
        Q_FALLTHROUGH();
    case colSell:
        if (const int d = compare(m_sell, m_prevSell))
            return d;
        Q_FALLTHROUGH();
    case colLast:
        return compare(m_last, m_prevLast);
    default:
        return 0;
    }
}

QColor kuQuotesItem::color(int column) const
{
    const int d = direction(column);
    if (d > 0)
        return kuLook::upColor();
    if (d < 0)
        return kuLook::downColor();
    return QColor();
}

QString kuQuotesItem::toolTip(int column) const
{
    switch (column) {
    case colTicker:
    case colShortName:
        return m_issuer;
    case colPaperVol:
    case colMoneyVol:
        return displayText(column);
    default:
        return QString();
    }
}

kuQuotesItem::SortKey kuQuotesItem::sortKey(int column) const
{
    SortKey key;
    auto real = [&key](double value) {
        key.type = SortKey::Real;
        key.real = value;
        return key;
    };
    auto whole = [&key](qint64 value) {
        key.type = SortKey::Whole;
        key.whole = value;
        return key;
    };
    auto text = [&key](const QString& value) {
        key.type = SortKey::Text;
        key.text = &value;
        return key;
    };
    if (isPriceColumn(column))
        return real(priceAt(column));
    switch (column) {
    case colTicker:
        return text(m_ticker);
    case colShortName:
        return text(m_shortName);
    case colChange:
        return real(m_changePercent);
    case colToBuy:
        return whole(m_toBuy);
    case colToSell:
        return whole(m_toSell);
    case colToBuyTotal:
        return whole(m_toBuyTotal);
    case colToSellTotal:
        return whole(m_toSellTotal);
    case colVolume:
        return whole(m_volume);
    case colPaperVol:
        return whole(m_paperVol);
    case colMoneyVol:
        return real(m_moneyVol);
    case colAccruedCoupon:
        return real(m_accruedCoupon);
    case colNominal:
        return real(m_nominal);
    default:
        return key;
    }
}

QVariant kuQuotesItem::sortValue(int column) const
{
    const SortKey key = sortKey(column);
    switch (key.type) {
    case SortKey::Real:
        return key.real;
    case SortKey::Whole:
        return key.whole;
    case SortKey::Text:
        return *key.text;
    case SortKey::None:
        break;
    }
    return 0;
}

int kuQuotesItem::compareSortValues(const kuQuotesItem& a, const kuQuotesItem& b, int column)
{
    // One column holds one kind of value; the order is kuSortValue's, NaN before any number.
    const SortKey left = a.sortKey(column);
    const SortKey right = b.sortKey(column);
    switch (left.type) {
    case SortKey::Real: {
        const bool leftNaN = std::isnan(left.real);
        const bool rightNaN = std::isnan(right.real);
        if (leftNaN || rightNaN)
            return int(rightNaN) - int(leftNaN);
        return compare(left.real, right.real);
    }
    case SortKey::Whole:
        return left.whole < right.whole ? -1 : (left.whole > right.whole ? 1 : 0);
    case SortKey::Text: {
        const int c = QString::compare(*left.text, *right.text);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case SortKey::None:
        break;
    }
    return 0;
}
