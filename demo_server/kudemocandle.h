#pragma once

#include <QtGlobal>

// One candle as the chart stream carries it: seven values on the wire, plus the change stamp.
struct kuDemoCandle
{
    double open = 0, close = 0, high = 0, low = 0, volume = 0;
    qint64 time = 0; // start, seconds since the epoch
    int timeFrame = 1;
    quint64 stamp = 0;
};
