#pragma once

#include "kuchartanchor.h"

#include <QString>

// The left and the right anchor of a tool drawn between two candles (trend
// line, arcs): a price each and the open time of its candle, as the saved
// properties read and write them. It stands beside the tool's bases; each
// tool says what else setting a price moves.
class kuChartAnchorPair
{
public:
    // NaN until placed.
    double priceRight() const { return m_right.price; }
    double priceLeft() const { return m_left.price; }
    QString candleDateTimeRight() const { return m_right.dateTimeText(); }
    void setCandleDateTimeRight(const QString& text) { m_right.setDateTimeText(text); }
    QString candleDateTimeLeft() const { return m_left.dateTimeText(); }
    void setCandleDateTimeLeft(const QString& text) { m_left.setDateTimeText(text); }

protected:
    kuChartCandleAnchor m_right;
    kuChartCandleAnchor m_left;
};
