// Drawing a chart: a warm redraw of the same visible window over short and long
// histories, and one frame (a scroll or zoom step, its redraw and rendering the
// view into an image). A core is fed synthetic minute candles directly, view
// 1280 x 800, candle widths 10 and 2; a frame also with twenty drawing objects
// (horizontal, vertical and trend lines, texts) anchored on visible candles, and
// both with the indicators listed below on the chart. Offscreen.

#include "benchmain.h"
#include "kuchartabstractta.h"
#include "kuchartcore.h"
#include "kuchartindicators.h"
#include "kuchartobjecthline.h"
#include "kuchartobjecttext.h"
#include "kuchartobjecttline.h"
#include "kuchartobjectvline.h"
#include "kugraphicsscene.h"

#include <QApplication>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int viewWidth = 1280;
constexpr int viewHeight = 800;

using PutOn = std::function<void(kuChartCore*)>;

// An indicator of the catalogue with its defaults, the way the chooser adds one.
PutOn catalogued(int kind)
{
    return [kind](kuChartCore* core) { core->appendObject(kuChartIndicators::createById(kind, core, QJsonObject())); };
}

// What the indicator runs put on the chart, one entry each.
const std::vector<PutOn>& indicators()
{
    static const std::vector<PutOn> list{
            catalogued(17),                                                    // SMA, price pane
            catalogued(3),                                                     // BB, price pane
            catalogued(13),                                                    // RSI, a pane of its own
            catalogued(8),                                                     // MACD: two lines and bars
            catalogued(15),                                                    // STOCH: two lines
            [](kuChartCore* core) { core->volumeObject()->setVisible(true); }, // the volume pane, switched on
    };
    return list;
}

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
        // A view never shown keeps a default-sized viewport and would render a corner
        // of the scene scaled up; shown off screen, it lays out at its real size.
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.show();
        image.fill(Qt::white);
        core->redraw();
    }

    void addIndicators()
    {
        for (const PutOn& put : indicators())
            put(core.get());
        core->rebuild();
    }

    // Five of each kind, anchored on the newest visible candles and their prices.
    void addObjects()
    {
        auto param = [](const char* name, const QJsonValue& value) {
            return QJsonObject{{QStringLiteral("name"), QLatin1String(name)}, {QStringLiteral("value"), value}};
        };
        auto minute = [&](int index) {
            const QDateTime t =
                    QDateTime::fromSecsSinceEpoch(qint64(core->candles().at(index).time), Qt::OffsetFromUTC, 10800);
            return t.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        };
        for (int i = 0; i < 5; ++i) {
            const double price = core->candles().at(i * 4).close;
            const QJsonObject h{{"params", QJsonArray{param("price", price)}}};
            const QJsonObject v{{"params", QJsonArray{param("trailerCandleText", minute(10 + i * 6))}}};
            const QJsonObject t{{"params", QJsonArray{param("priceRight", price), param("priceLeft", price - 0.2),
                                                      param("candleDateTimeRight", minute(i * 3)),
                                                      param("candleDateTimeLeft", minute(20 + i * 5))}}};
            const QJsonObject x{{"params", QJsonArray{param("text", "label"), param("price", price),
                                                      param("candleDateTime", minute(30 + i * 4))}}};
            core->appendObject(new kuChartObjectHLine(core.get(), h));
            core->appendObject(new kuChartObjectVLine(core.get(), v));
            core->appendObject(new kuChartObjectTLine(core.get(), t));
            core->appendObject(new kuChartObjectText(core.get(), x));
        }
        core->redraw();
    }

    // The view renders the scene at its full size, one to one.
    bool rendersScene() const
    {
        return view.viewport()->size() == QSize(viewWidth, viewHeight) &&
               view.mapToScene(view.viewport()->rect()).boundingRect().size() == QSizeF(viewWidth, viewHeight);
    }

    void render()
    {
        QPainter painter(&image);
        view.render(&painter);
    }
};

// Arguments: candles of history, candle width, 1 with the indicators.
void BM_WarmRedraw(benchmark::State& state)
{
    Chart chart(int(state.range(0)), int(state.range(1)));
    if (state.range(2) == 1)
        chart.addIndicators();
    for (auto _ : state)
        chart.core->redraw();
    state.counters["visible"] = chart.core->visibleCount();
}
BENCHMARK(BM_WarmRedraw)
        ->ArgNames({"candles", "width", "indicators"})
        ->Args({1000, 10, 0})
        ->Args({100000, 10, 0})
        ->Args({1000, 2, 0})
        ->Args({100000, 2, 0})
        ->Args({1000, 10, 1})
        ->Args({100000, 10, 1})
        ->Args({1000, 2, 1})
        ->Args({100000, 2, 1})
        ->Unit(benchmark::kMicrosecond);

// Arguments: candles of history, candle width, 0 scroll / 1 zoom, 1 with twenty drawing
// objects, 1 with the indicators.
void BM_Frame(benchmark::State& state)
{
    Chart chart(int(state.range(0)), int(state.range(1)));
    if (state.range(3) == 1)
        chart.addObjects();
    if (state.range(4) == 1)
        chart.addIndicators();
    if (!chart.rendersScene()) {
        state.SkipWithError("the view does not show the whole scene");
        return;
    }
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
        ->ArgNames({"candles", "width", "zoom", "objects", "indicators"})
        ->Args({100000, 10, 0, 0, 0})
        ->Args({100000, 10, 1, 0, 0})
        ->Args({100000, 2, 0, 0, 0})
        ->Args({100000, 2, 1, 0, 0})
        ->Args({100000, 10, 0, 1, 0})
        ->Args({100000, 10, 1, 1, 0})
        ->Args({100000, 2, 0, 1, 0})
        ->Args({100000, 2, 1, 1, 0})
        ->Args({100000, 10, 0, 0, 1})
        ->Args({100000, 10, 1, 0, 1})
        ->Args({100000, 2, 0, 0, 1})
        ->Args({100000, 2, 1, 0, 1})
        ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Every chart then makes its volume pane, as in the program.
    kuChartIndicators::registerWithChart();
    return runBenchmarks(&argc, argv);
}
