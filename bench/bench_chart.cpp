// Drawing a chart: a warm redraw of the same visible window over short and long
// histories, and one frame (a scroll or zoom step, its redraw and rendering the
// view into an image). A core is fed synthetic minute candles directly, view
// 1280 x 800, candle widths 10 and 2. Offscreen.

#include "kuchartcore.h"
#include "kugraphicsscene.h"

#include <QApplication>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int viewWidth = 1280;
constexpr int viewHeight = 800;

kuChartSeries syntheticSeries(int count)
{
    kuChartSeries s;
    s.timeFrame = 1;
    s.name = kuChartSeries::nameOf(1);
    s.candles.reserve(count);
    double price = 250.0;
    const quint64 newest = 1709287200;
    for (int i = 0; i < count; ++i) {
        price += (i * 7919 % 13) * 0.01 - 0.06;
        kuChartCandle c;
        c.time = newest - quint64(i) * 60;
        c.open = price;
        c.close = price + ((i % 3) - 1) * 0.05;
        c.high = price + 0.1;
        c.low = price - 0.1;
        c.volume = 1 + i % 50;
        s.candles.append(c);
    }
    return s;
}

struct Chart
{
    std::unique_ptr<kuChartCore> core = std::make_unique<kuChartCore>();
    QGraphicsView view;
    QImage image{viewWidth, viewHeight, QImage::Format_ARGB32_Premultiplied};

    Chart(int count, int candleWidth)
    {
        core->setViewSize(viewWidth, viewHeight);
        core->initScene();
        core->setSeries({syntheticSeries(count)});
        core->setChartReady(true);
        core->setTimeFrame(1);
        while (core->candleWidth() > candleWidth)
            core->zoomOut();
        view.setScene(core->scene());
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        view.resize(viewWidth, viewHeight);
        view.setSceneRect(0, 0, viewWidth, viewHeight);
        core->redraw();
    }

    void render()
    {
        QPainter painter(&image);
        view.render(&painter);
    }
};

// Arguments: candles of history, candle width.
void BM_WarmRedraw(benchmark::State& state)
{
    Chart chart(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        chart.core->redraw();
    state.counters["visible"] = chart.core->visibleCount();
}
BENCHMARK(BM_WarmRedraw)
        ->Args({1000, 10})
        ->Args({100000, 10})
        ->Args({1000, 2})
        ->Args({100000, 2})
        ->Unit(benchmark::kMicrosecond);

// Arguments: candles of history, candle width, 0 scroll / 1 zoom.
void BM_Frame(benchmark::State& state)
{
    Chart chart(int(state.range(0)), int(state.range(1)));
    const bool zoom = state.range(2) == 1;
    bool there = true;
    for (auto _ : state) {
        if (zoom) {
            // In and out by turns, so the width stays where it was asked for.
            if (there == (state.range(1) < 25))
                chart.core->zoomIn();
            else
                chart.core->zoomOut();
        } else if (there) {
            chart.core->scrollBack(1);
        } else {
            chart.core->scrollForward(1);
        }
        there = !there;
        chart.render();
    }
}
BENCHMARK(BM_Frame)
        ->Args({100000, 10, 0})
        ->Args({100000, 10, 1})
        ->Args({100000, 2, 0})
        ->Args({100000, 2, 1})
        ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
