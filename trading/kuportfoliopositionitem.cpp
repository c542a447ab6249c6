#include "kuportfoliopositionitem.h"

#include "kuapplication.h"
#include "kufunctions.h"
#include "kuiconmanager.h"
#include "kulook.h"
#include "kupaperinfo.h"
#include "kupaperlist.h"

#include <QtMath>

namespace {
const int alignLeft = Qt::AlignLeft | Qt::AlignVCenter;
const int alignRight = Qt::AlignRight | Qt::AlignVCenter;
const int alignCenter = Qt::AlignHCenter | Qt::AlignVCenter;
} // namespace

kuPortfolioPositionItem::kuPortfolioPositionItem(int paperID, qint64 amount, double avgPrice, double price, double cost,
                                                 double blocked, double expected, const QDate& date)
    : m_paperID(paperID), m_date(date), m_amount(amount), m_avgPrice(avgPrice), m_cost(cost), m_blocked(blocked),
      m_expected(expected), m_lastPrice(price), m_basePrice(price)
{
    if (const QSharedPointer<kuPaperInfo> paper = kuPaperList::instance()->paper(paperID)) {
        m_decimals = paper->decimals();
        m_ticker = paper->ticker();
        m_issuer = paper->issuer();
        m_type = paper->type();
        m_nominal = paper->nominal();
        m_accruedCoupon = paper->accruedCoupon();
        m_priceStep = paper->priceStep();
    }
    revalue();
}

void kuPortfolioPositionItem::updateLastPrice(int paperID, double price)
{
    if (paperID != m_paperID)
        return;
    m_lastPrice = price;
    revalue();
}

void kuPortfolioPositionItem::revalue()
{
    const double amount = m_amount;
    if (isDerivative()) {
        m_marketValue = amount * m_lastPrice;
        m_changeSum = (amount * m_lastPrice - m_cost) * m_nominal / m_priceStep;
        m_changePercent = 0;
        return;
    }
    if (isBond())
        m_marketValue = amount * (m_accruedCoupon + m_nominal * m_lastPrice / 100);
    else
        m_marketValue = amount * m_lastPrice;
    m_changeSum = m_marketValue - m_cost;
    m_changePercent = m_cost > 1e-8 ? (m_marketValue / m_cost - 1) * 100 : 0;
}

double kuPortfolioPositionItem::marketValue() const
{
    return isDerivative() ? 0 : m_marketValue;
}

double kuPortfolioPositionItem::changeSum() const
{
    return isDerivative() ? 0 : m_changeSum;
}

QString kuPortfolioPositionItem::displayText(int column) const
{
    const QChar blank(' ');
    switch (column) {
    case 2:
        return m_ticker;
    case 3:
        return formatNumber(double(m_amount), 0, blank);
    case 4:
        return m_date.toString(QStringLiteral("dd.MM.yyyy"));
    case 5:
        return formatNumber(m_avgPrice, m_decimals, blank);
    case 6: {
        const QString price = formatNumber(m_lastPrice, m_decimals, blank);
        return isBond() ? price + QStringLiteral(" (") + formatNumber(m_accruedCoupon, 2, blank) + QLatin1Char(')')
                        : price;
    }
    case 7:
        return isDerivative() ? QString() : formatNumber(m_cost, 2, blank);
    case 8:
        return isDerivative() ? QString() : formatNumber(m_marketValue, 2, blank);
    case 9:
        return formatNumber(m_changeSum, m_decimals, blank);
    case 10:
        if (isDerivative())
            return QString();
        return (qAbs(m_changePercent) < 0.009 ? QStringLiteral("0.00") : QString::number(m_changePercent, 'f', 2)) +
               QStringLiteral(" %");
    case 11:
        return formatNumber(m_blocked, 0, blank);
    case 12:
        return formatNumber(m_expected, 0, blank);
    default:
        return QString();
    }
}

QVariant kuPortfolioPositionItem::decoration(int column) const
{
    if (column != 10 || m_changePercent == 0 || qIsNaN(m_changePercent))
        return QVariant();
    const QString name =
            m_changePercent > 0 ? QStringLiteral("quotes.up.arrow.png") : QStringLiteral("quotes.down.arrow.png");
    // Without the application object (late paints, tools) the default theme serves.
    const auto app = kuApplication::instance();
    return kuIconManager::icon(name, app ? app->themePath() : QString());
}

int kuPortfolioPositionItem::alignment(int column) const
{
    if (column == 4)
        return alignCenter;
    return column >= 3 && column <= 12 ? alignRight : alignLeft;
}

QColor kuPortfolioPositionItem::color(int column) const
{
    switch (column) {
    case 3:
        return signColor(m_amount);
    case 6:
        if (m_lastPrice > m_basePrice)
            return kuLook::upColor();
        if (m_lastPrice < m_basePrice)
            return kuLook::downColor();
        return signColor(m_changeSum);
    case 9:
        return signColor(m_changeSum);
    case 10:
        return signColor(m_changePercent);
    default:
        return QColor();
    }
}

QString kuPortfolioPositionItem::toolTip(int column) const
{
    if (column == 2)
        return m_issuer;
    if (column == 6 && isBond())
        return tr("Рын. цена (НКД)");
    return QString();
}

QVariant kuPortfolioPositionItem::sortValue(int column) const
{
    if (column == 1)
        return m_type;
    if (column == 2)
        return m_ticker;
    return displayText(column);
}
