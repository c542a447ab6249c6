#pragma once

#include "kuchartseries.h"

#include <QMetaType>
#include <QVector>

// What one load of the candle cache gives back to its chart: the series of
// every time frame with candles, ascending by time frame. It names the
// instrument and the load it belongs to, so that a stale one is dropped.
struct kuChartLoad
{
    int paperId = 0;
    int generation = 0;
    QVector<kuChartSeries> series;
    // The cache gave no rows.
    bool failed = false;
    // The cache was found damaged and dropped: the server has to fill it again.
    bool cacheDropped = false;
};

Q_DECLARE_METATYPE(kuChartLoad)
