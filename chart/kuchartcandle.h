#pragma once

#include <QJsonObject>
#include <QString>
#include <QtGlobal>

// One candle; lists hold them newest first.
struct kuChartCandle
{
    quint64 time = 0; // start, seconds since the epoch
    double high = 0;
    double low = 0;
    double open = 0;
    double close = 0;
    double volume = 0;
    // Put in place by a forming-candle update, or the newest grouped candle of a
    // bucket that had not ended: a closed candle of the same time replaces it.
    bool provisional = false;

    // Every value finite, prices and time above 0, high not below low.
    bool isValid() const;

    // A live update's candle; `valid` is false when a value is missing or isValid() fails.
    static kuChartCandle fromJson(const QJsonObject& candle, bool* valid = nullptr);
};

// "D: <date>  O: <open>  C: <close>  H: <high>  L: <low>", prices with blank-grouped thousands.
QString candleHint(const kuChartCandle& candle, int timeFrame, int decimals);
