#pragma once

#include "chartrows.h"
#include "kuchartcore.h"
#include "kuchartobject.h"

#include <QVector>

#include <memory>

// Helpers of the chart drawing tests: candles made by hand and a core fed directly.
namespace chartfixture {

inline kuChartCandle candle(double open, double high, double low, double close, quint64 time = chartrows::t0)
{
    kuChartCandle c;
    c.time = time;
    c.open = open;
    c.high = high;
    c.low = low;
    c.close = close;
    c.volume = 1;
    return c;
}

// count candles newest first, spaced by the time frame, the newest at `newest`;
// prices climb toward the newest, up and down candles in turn.
inline kuChartSeries seriesOf(int timeFrame, int count, quint64 newest = chartrows::t0, double base = 100)
{
    kuChartSeries s;
    s.timeFrame = timeFrame;
    s.name = kuChartSeries::nameOf(timeFrame);
    for (int i = 0; i < count; ++i) {
        const double p = base + (count - i) * 0.5;
        const bool up = i % 2 == 0;
        s.candles.append(candle(up ? p : p + 1, p + 2, p - 1, up ? p + 1 : p, newest - quint64(i) * 60 * timeFrame));
    }
    return s;
}

inline kuChartSeries seriesFrom(int timeFrame, const QVector<kuChartCandle>& candles)
{
    kuChartSeries s;
    s.timeFrame = timeFrame;
    s.name = kuChartSeries::nameOf(timeFrame);
    s.candles = candles;
    return s;
}

// A core of the given view size showing the series, redrawn. It has no caption, so the
// price pane starts at the top margin, whatever the fonts; a test of the caption sets one.
inline std::unique_ptr<kuChartCore> coreWith(kuChartSeries series, int width = 400, int height = 455, int decimals = 2)
{
    auto core = std::make_unique<kuChartCore>();
    core->setViewSize(width, height);
    core->initScene();
    core->setPriceDecimals(decimals);
    const int timeFrame = series.timeFrame;
    core->setSeries({std::move(series)});
    core->setChartReady(true);
    core->setTimeFrame(timeFrame);
    core->setCaption(QString(), QString());
    core->redraw();
    return core;
}

// A chart object that counts the redraws that repaint it.
class Probe : public kuChartObject
{
public:
    explicit Probe(kuChartCore* core, int type = otTrendLine) : kuChartObject(core) { setObjectType(type); }
    void repaint() override { ++repaints; }
    QString valueText(int candleIndex) override { return value.isEmpty() ? value : value.arg(candleIndex); }

    int repaints = 0;
    QString value;
};

inline Probe* addProbe(kuChartCore* core, int type = otTrendLine)
{
    auto* probe = new Probe(core, type);
    core->appendObject(probe);
    return probe;
}

} // namespace chartfixture
