#pragma once

#include "kuchartobjectbase.h"

#include <QDateTime>
#include <QString>

#include <limits>

// The left and the right anchor of a tool drawn between two candles (trend
// line, arcs): a price each and the open time of its candle, as the saved
// properties read and write them. It stands beside the tool's bases; each
// tool says what else setting a price moves.
class kuChartAnchorPair
{
public:
    // NaN until placed.
    double priceRight() const { return m_priceRight; }
    double priceLeft() const { return m_priceLeft; }
    QString candleDateTimeRight() const { return kuChartAnchor::toText(m_rightDateTime); }
    void setCandleDateTimeRight(const QString& text) { m_rightDateTime = kuChartAnchor::fromText(text); }
    QString candleDateTimeLeft() const { return kuChartAnchor::toText(m_leftDateTime); }
    void setCandleDateTimeLeft(const QString& text) { m_leftDateTime = kuChartAnchor::fromText(text); }

protected:
    double m_priceRight = std::numeric_limits<double>::quiet_NaN();
    double m_priceLeft = std::numeric_limits<double>::quiet_NaN();
    QDateTime m_rightDateTime;
    QDateTime m_leftDateTime;
};
