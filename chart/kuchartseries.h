#pragma once

#include "kuchartcandle.h"

#include <QString>
#include <QVector>

// One time frame of one instrument: its candles, newest first, and its scroll state.
struct kuChartSeries
{
    double rightSpace = 0.0; // pixels between the plot's right edge and the newest candle
    QVector<kuChartCandle> candles;
    QString name;
    int firstVisible = 0; // index of the first visible candle, 0 = newest
    int timeFrame = 0;    // minutes

    // Display name of a time frame in minutes; empty for one without a name.
    static QString nameOf(int timeFrame);
};
