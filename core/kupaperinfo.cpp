#include "kupaperinfo.h"

#include <QtMath>

kuPaperInfo::kuPaperInfo(int id, const QString& ticker, const QString& issuer, int type, int lot, double priceStep,
                         double nominal, int spareInt, double accruedCoupon, bool marketAllowed,
                         const QString& shortName, const QString& spareText, int exchangeID,
                         const QString& exchangeName)
    : m_id(id), m_type(type), m_lot(lot), m_exchangeID(exchangeID), m_spareInt(spareInt),
      m_marketAllowed(marketAllowed), m_priceStep(priceStep), m_nominal(nominal), m_accruedCoupon(accruedCoupon),
      m_ticker(ticker), m_issuer(issuer), m_shortName(shortName), m_spareText(spareText), m_exchangeName(exchangeName)
{
    // NaN fails every comparison, so test for "not at least 1e-10".
    if (!(m_priceStep >= 1e-10))
        m_priceStep = 1.0;

    bool applyTypeRules = true;
    if (m_type < 0 && !m_exchangeName.isEmpty()) {
        m_type = -1;
        applyTypeRules = false;
    } else {
        if (m_type < 0)
            m_type = -1;
        if (m_exchangeName.isEmpty())
            m_exchangeName = tr("МБ");
    }

    if (applyTypeRules) {
        switch (m_type) {
        case 7:
            m_marketAllowed = true;
            break;
        case 4:
        case 5:
            m_lot = 1;
            m_marketAllowed = true;
            m_shortName = m_ticker;
            break;
        case 8:
        case 80:
            m_lot = 1;
            m_marketAllowed = true;
            break;
        default:
            break;
        }
    }

    m_decimals = decimalsOf(m_priceStep);
}

int kuPaperInfo::decimalsOf(double step)
{
    if (!qIsFinite(step) || step - std::floor(step) == 0.0)
        return 0;
    // Instruments of a list mostly share their step: the text of the last one is kept.
    thread_local double lastStep = 0.0;
    thread_local int lastDecimals = 0;
    if (step == lastStep)
        return lastDecimals;
    const QString fixed = QString::number(step, 'f', 10);
    const int point = fixed.indexOf(QLatin1Char('.'));
    int last = fixed.size() - 1;
    while (point >= 0 && last > point && fixed.at(last) == QLatin1Char('0'))
        --last;
    lastStep = step;
    lastDecimals = point < 0 ? 0 : last - point;
    return lastDecimals;
}

QString kuPaperInfo::typeName() const
{
    switch (m_type) {
    case 0:
        return tr("Индекс");
    case 2:
        return tr("Облигация");
    case 3:
        return tr("Пай");
    case 4:
        return tr("Фьючерс");
    case 5:
        return tr("Опцион");
    case 7:
        return tr("Валютный контракт");
    case 9:
        return tr("Еврооблигация");
    default:
        return tr("Акция");
    }
}
