// A full recompute of each indicator of the catalogue, all its series, and of
// the volume pane over 100,000 bars; each should stay within 5 ms. The data
// change once, the way a redraw after new candles recomputes every indicator
// of the chart. Also one drawing of the volume pane's visible bars.
#include <benchmark/benchmark.h>

#include "kuchartcore.h"
#include "kuchartindicators.h"
#include "kuchartobjectvolume.h"

#include <QApplication>

#include <cstdint>
#include <memory>

namespace {

const int kBars = 100000;

// Made on first use and dropped in main while the application object still lives.
std::unique_ptr<kuChartCore> g_core;

kuChartCore& core()
{
    if (!g_core)
        g_core = [] {
            // The core makes its volume pane through the registered maker.
            kuChartIndicators::registerWithChart();
            auto made = std::make_unique<kuChartCore>();
            made->setViewSize(1200, 700);
            made->initScene();
            kuChartSeries series;
            series.timeFrame = 1;
            series.name = kuChartSeries::nameOf(1);
            uint32_t state = 2024;
            double price = 1000.0;
            for (int i = 0; i < kBars; ++i) {
                state = state * 1664525u + 1013904223u;
                const double open = price;
                price = std::max(1.0, price + ((state >> 8) % 2001) / 1000.0 - 1.0);
                kuChartCandle candle;
                candle.time = 1700000000ull - quint64(i) * 60;
                candle.open = open;
                candle.close = price;
                candle.high = std::max(open, price) + 0.3;
                candle.low = std::min(open, price) - 0.3;
                candle.volume = 100 + (state >> 20);
                series.candles.append(candle);
            }
            made->setSeries({series});
            made->setChartReady(true);
            made->setTimeFrame(1);
            // The volume pane is shown, so a redraw lays it out among the panes.
            made->volumeObject()->setVisible(true);
            made->redraw();
            return made;
        }();
    return *g_core;
}

void recompute(benchmark::State& state)
{
    std::unique_ptr<kuChartAbstractTA> ta(kuChartIndicators::createById(int(state.range(0)), &core(), QJsonObject()));
    for (auto _ : state) {
        ta->recalculate();
        benchmark::DoNotOptimize(ta->series().constData());
    }
}

// The overlays, the single-line and then the multi-line sub-pane indicators, by kind.
void kinds(benchmark::internal::Benchmark* b)
{
    for (int kind : {17, 6, 5, 7, 3, 11, 2, 4, 9, 10, 12, 13, 14, 18, 0, 1, 8, 15, 16})
        b->Arg(kind);
}

kuChartObjectVolume& volume()
{
    return *qobject_cast<kuChartObjectVolume*>(core().volumeObject());
}

void recomputeVolume(benchmark::State& state)
{
    kuChartObjectVolume& v = volume();
    for (auto _ : state) {
        v.recalculate();
        benchmark::DoNotOptimize(v.children().first()->series().constData());
    }
}

void drawVolume(benchmark::State& state)
{
    kuChartObjectVolume& v = volume();
    for (auto _ : state)
        v.repaint();
    state.counters["bars"] = double(v.children().first()->usedCount());
}

} // namespace

BENCHMARK(recompute)->ArgName("kind")->Apply(kinds)->Unit(benchmark::kMillisecond);
BENCHMARK(recomputeVolume)->Unit(benchmark::kMillisecond);
BENCHMARK(drawVolume)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    g_core.reset();
    return 0;
}
