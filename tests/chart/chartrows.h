#pragma once

#include "kucandlestore.h"
#include "kuchartseries.h"

#include <QStringList>
#include <QVector>

// Candles of the chart tests, timed from 2024-03-01 10:00 UTC (13:00 at the exchange).
namespace chartrows {

constexpr quint64 t0 = 1709287200;

// A minute row `minute` minutes after t0 at price p: open p, high p + 2, low p - 1, close p + 1.
inline kuCandleStore::Candle minute(int minute, double p, double volume = 1, int timeFrame = 1)
{
    kuCandleStore::Candle c;
    c.open = p;
    c.high = p + 2;
    c.low = p - 1;
    c.close = p + 1;
    c.volume = volume;
    c.start = t0 + quint64(minute) * 60;
    c.timeFrame = timeFrame;
    return c;
}

inline kuCandleStore::Candle day(int day, double p, double volume = 5)
{
    return minute(day * 1440, p, volume, 1440);
}

// "+<minutes after t0>:open/high/low/close/volume", "*" when provisional.
inline QString text(const kuChartCandle& c)
{
    return QStringLiteral("+%1:%2/%3/%4/%5/%6%7")
            .arg((qint64(c.time) - qint64(t0)) / 60)
            .arg(c.open)
            .arg(c.high)
            .arg(c.low)
            .arg(c.close)
            .arg(c.volume)
            .arg(c.provisional ? QStringLiteral("*") : QString());
}

// The newest `count` candles (all when -1), newest first.
inline QString text(const QVector<kuChartCandle>& candles, int count = -1)
{
    QStringList out;
    for (int i = 0; i < candles.size() && (count < 0 || i < count); ++i)
        out << text(candles.at(i));
    return out.join(QLatin1Char(' '));
}

// "<time frame>[candles] ..." of every series.
inline QString text(const QVector<kuChartSeries>& series)
{
    QStringList out;
    for (const kuChartSeries& s : series)
        out << QStringLiteral("%1[%2]").arg(s.timeFrame).arg(text(s.candles));
    return out.join(QLatin1Char(' '));
}

// A live candle as the converter hands it over.
inline QByteArray live(int minute, double p, int timeFrame = 1, double volume = 1)
{
    return QStringLiteral(
                   R"({"Open": %1, "High": %2, "Low": %3, "Close": %4, "Volume": %5, "unixTime": %6, "timeFrame": %7})")
            .arg(p)
            .arg(p + 2)
            .arg(p - 1)
            .arg(p + 1)
            .arg(volume)
            .arg(t0 + quint64(minute) * 60)
            .arg(timeFrame)
            .toUtf8();
}

inline QByteArray update(int updateType, const QList<QByteArray>& candles)
{
    QByteArray json = "{\"updateType\": " + QByteArray::number(updateType) + ", \"candles\": [";
    for (int i = 0; i < candles.size(); ++i)
        json += (i ? ", " : "") + candles.at(i);
    return json + "]}";
}

} // namespace chartrows
