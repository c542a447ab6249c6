#pragma once

#include "chartfixture.h"
#include "kuchartabstractta.h"
#include "tatable.h"

#include <QtTest>

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

// What every indicator in a pane of its own shares by default; the caller
// returns when QTest::currentTestFailed().
inline void checkSubPaneDefaults(kuChartAbstractTA* ta, int kind, int period, const QString& caption, bool dataSet)
{
    QVERIFY(ta);
    QCOMPARE(ta->indicatorKind(), kind);
    QCOMPARE(ta->objectType(), int(otIndicatorPane));
    QCOMPARE(ta->isPricePane(), 0);
    QCOMPARE(ta->period(), period);
    QCOMPARE(ta->chartDataSet(), int(dsClose));
    QCOMPARE(ta->label(), caption);
    QCOMPARE(ta->headerWidgets().size(), 2);
    QCOMPARE(ta->metaObject()->indexOfProperty("chartDataSet") >= 0, dataSet);
}

} // namespace indicatorfixture
