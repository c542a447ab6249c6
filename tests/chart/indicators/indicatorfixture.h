#pragma once

#include "chartfixture.h"
#include "tatable.h"

// A chart core over given bars, oldest first, as the indicators see them.
namespace indicatorfixture {

inline kuChartSeries seriesOf(const Bars& bars)
{
    QVector<kuChartCandle> candles;
    const int n = bars.size();
    for (int i = n - 1; i >= 0; --i) {
        kuChartCandle c = chartfixture::candle(i > 0 ? bars.close[i - 1] : bars.close[i], bars.high[i], bars.low[i],
                                               bars.close[i], chartrows::t0 + quint64(i) * 60);
        c.volume = bars.volume[i];
        candles.append(c);
    }
    return chartfixture::seriesFrom(1, candles);
}

inline std::unique_ptr<kuChartCore> coreOver(const Bars& bars, int width = 800, int height = 455)
{
    return chartfixture::coreWith(seriesOf(bars), width, height);
}

} // namespace indicatorfixture
