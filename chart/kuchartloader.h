#pragma once

#include "kucandlestore.h"
#include "kuchartload.h"

// Reads an instrument's candle cache and groups the minutes into the chart's
// time frames. Runs on a pool thread: it touches nothing of any window.
class kuChartLoader
{
public:
    // The grouped sizes, in minutes.
    static constexpr int bucketMinutes[] = {5, 10, 15, 30, 60};

    static kuChartLoad load(kuCandleStore& store, int paperId, int generation);
    // Rows as the store loads them (minutes, then days, each oldest first) into
    // series of 1, 5, 10, 15, 30, 60 and 1440 minutes, newest candle first; a
    // time frame without candles has no series. Invalid rows are dropped.
    static QVector<kuChartSeries> buildSeries(const QVector<kuCandleStore::Candle>& rows);
};
