// The volume pane over 100,000 bars: a full recompute of its bars, which
// should stay within 5 ms, and one drawing of the visible bars.
#include <benchmark/benchmark.h>

#include "kuchartcore.h"
#include "kuchartindicators.h"
#include "kuchartobjectvolume.h"

#include <QApplication>

#include <cstdint>
#include <memory>

namespace {

const int kBars = 100000;

kuChartCore& core()
{
    static std::unique_ptr<kuChartCore> c = [] {
        kuChartIndicators::registerWithChart();
        auto made = std::make_unique<kuChartCore>();
        made->setViewSize(1200, 700);
        made->initScene();
        kuChartSeries series;
        series.timeFrame = 1;
        series.name = kuChartSeries::nameOf(1);
        uint32_t state = 2024;
        for (int i = 0; i < kBars; ++i) {
            state = state * 1664525u + 1013904223u;
            kuChartCandle candle;
            candle.time = 1700000000ull - quint64(i) * 60;
            candle.open = candle.close = candle.high = candle.low = 100.0;
            candle.volume = 100 + (state >> 20);
            series.candles.append(candle);
        }
        made->setSeries({series});
        made->setChartReady(true);
        made->setTimeFrame(1);
        // The pane is shown, so a redraw lays it out among the panes.
        made->volumeObject()->setVisible(true);
        made->redraw();
        return made;
    }();
    return *c;
}

kuChartObjectVolume& volume()
{
    return *qobject_cast<kuChartObjectVolume*>(core().volumeObject());
}

void recompute(benchmark::State& state)
{
    kuChartObjectVolume& v = volume();
    for (auto _ : state) {
        v.recalculate();
        benchmark::DoNotOptimize(v.children().first()->series().constData());
    }
}

void drawVisible(benchmark::State& state)
{
    kuChartObjectVolume& v = volume();
    for (auto _ : state)
        v.repaint();
    state.counters["bars"] = double(v.children().first()->usedCount());
}

} // namespace

BENCHMARK(recompute)->Unit(benchmark::kMillisecond);
BENCHMARK(drawVisible)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
