// The terminal left alone with the nine windows a trader keeps open: quotes of 20
// papers, two order books, two last-trades windows, two charts (SMA, BB, RSI, MACD,
// STOCH and volume), orders and portfolio, logged in to a demo market in this
// process and shown off screen. One iteration is a minute of that market: a
// market-data poll every 300 ms and an account poll every second, as the
// connection asks for them, each decoded by the program's converter and handed to
// the windows, which repaint what changed. The polls are made here rather than
// over the wire, so the figure is the terminal's own. Reported: CPU of the process
// per simulated second (goal: 30 ms, 3 % of a core, with the windows; 10 ms without).

#include "benchmain.h"
#include "demosession.h"
#include "dcmessagepack.h"
#include "kuchart.h"
#include "kuchartcore.h"
#include "kuchartindicators.h"
#include "kuchartobjectvolume.h"
#include "kudemopacker.h"
#include "kudemoreplies.h"
#include "kulasttrades.h"
#include "kuorderbook.h"
#include "kuorders.h"
#include "kuportfolio.h"
#include "kuquotes.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <vector>

namespace {

// A weekday noon at the exchange: the market trades.
constexpr qint64 startMs = 1796806800000LL;
constexpr int marketPollMs = 300;
constexpr int accountPollMs = 1000;
constexpr int simulatedMs = 60000;
constexpr int quotedPapers = 20;

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void settle(int ms)
{
    QTest::qWait(ms);
    QCoreApplication::processEvents();
}

// The streams the session follows, read from the requests the windows made.
QSet<kuDemoStream> streamsAsked(const QStringList& requests)
{
    static const QList<QPair<QString, int>> scripts{{QStringLiteral("/kuGetQuotes?"), 1},
                                                    {QStringLiteral("/kuGetCandles?"), 7},
                                                    {QStringLiteral("/kuGetOrderBook?"), 10},
                                                    {QStringLiteral("/kuLastTrades?"), 13},
                                                    {QStringLiteral("/kuLastPrice?"), 14},
                                                    {QStringLiteral("/kuGetPortfolio?"), 80},
                                                    {QStringLiteral("/kuGetOrders?"), 82},
                                                    {QStringLiteral("/kuGetTrades?"), 83}};
    static const QRegularExpression pid(QStringLiteral("[?&]PID=(\\d+)"));
    QSet<kuDemoStream> streams;
    for (const QString& request : requests) {
        for (const auto& script : scripts) {
            if (request.contains(script.first))
                streams.insert({script.second, script.second >= 80 ? 0 : pid.match(request).captured(1).toInt()});
        }
    }
    return streams;
}

// Paint events of the widgets inside each window, by the window's class.
class PaintCounter : public QObject
{
public:
    QHash<QString, int> paints;
    bool counting = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (counting && event->type() == QEvent::Paint && watched->isWidgetType()) {
            for (const QWidget* w = static_cast<QWidget*>(watched); w; w = w->parentWidget()) {
                if (qobject_cast<const kuWindowBase*>(w)) {
                    ++paints[QString::fromLatin1(w->metaObject()->className())];
                    break;
                }
            }
        }
        return false;
    }
};

struct Terminal
{
    DemoSession demo;
    std::vector<std::unique_ptr<kuWindowBase>> windows;
    QSet<kuDemoStream> streams;
    quint64 marketSince = 0;
    quint64 accountSince = 0;

    bool start(bool withWindows)
    {
        demo.options.startMs = startMs;
        demo.options.seed = 11;
        demo.options.sessionTimeoutMs = 7LL * 86400 * 1000;
        // The polls are made by the benchmark.
        demo.connTimings = "marketPollMs=3600000,updatesPollMs=3600000,timePollMs=3600000";
        if (!demo.start())
            return false;
        if (withWindows && !openWindows())
            return false;
        streams = streamsAsked(demo.server()->requests());
        marketSince = accountSince = demo.server()->market().stamp();
        return true;
    }

    template <class Window>
    Window* open(int width, int height)
    {
        auto* window = new Window;
        windows.emplace_back(window);
        window->resize(width, height);
        window->setAttribute(Qt::WA_DontShowOnScreen);
        window->show();
        return window;
    }

    bool openWindows()
    {
        const QVector<kuDemoInstrument>& papers = demo.server()->market().instruments();
        if (papers.size() < quotedPapers)
            return false;
        auto* quotes = open<kuQuotes>(900, 600);
        for (int i = 0; i < quotedPapers; ++i)
            quotes->subscribe(papers.at(i).id);
        for (int i = 0; i < 2; ++i) {
            open<kuOrderBook>(350, 600)->setPaper(papers.at(i).id);
            open<kuLastTrades>(350, 600)->setPaper(papers.at(i).id);
        }
        open<kuOrders>(900, 300)->subscribe();
        open<kuPortfolio>(900, 300)->subscribe();
        QVector<kuChart*> charts;
        for (int i = 0; i < 2; ++i) {
            kuChart* chart = open<kuChart>(1000, 700);
            chart->setPaper(papers.at(i).id);
            charts << chart;
        }
        for (kuChart* chart : qAsConst(charts)) {
            if (!QTest::qWaitFor([chart] { return !chart->isLoading() && chart->chartCore()->isChartReady(); },
                                 30000))
                return false;
            kuChartCore* core = chart->chartCore();
            for (const int kind : {17, 3, 13, 8, 15}) // SMA, BB, RSI, MACD, STOCH
                core->appendObject(kuChartIndicators::createById(kind, core, QJsonObject()));
            core->volumeObject()->setVisible(true);
            core->rebuild();
        }
        settle(500);
        return true;
    }

    void poll(bool market)
    {
        const kuDemoMarket& m = demo.server()->market();
        kuDemoPacker packer;
        if (market) {
            kuDemoReplies(m).packMarketUpdates(packer, streams, marketSince);
            marketSince = m.stamp();
        } else {
            kuDemoReplies(m).packAccountUpdates(packer, demo.user, streams, accountSince);
            accountSince = m.stamp();
        }
        auto* converter = qobject_cast<dcMessagePack*>(demo.converter());
        converter->slot_receivedUpdates(packer.hex());
        converter->waitForDone();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    // A simulated minute.
    void minute()
    {
        kuDemoMarket& market = demo.server()->market();
        for (int ms = marketPollMs; ms <= simulatedMs; ms += marketPollMs) {
            market.step(marketPollMs);
            poll(true);
            if (ms % accountPollMs < marketPollMs)
                poll(false);
        }
    }
};

// Argument: 1 with the nine windows, 0 logged in with none.
void BM_IdleMinute(benchmark::State& state)
{
    Terminal terminal;
    if (!terminal.start(state.range(0) == 1)) {
        state.SkipWithError("the demo session or a window did not start");
        return;
    }
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    double cpu = 0;
    for (auto _ : state) {
        counter.counting = true;
        const double before = processCpuSeconds();
        terminal.minute();
        cpu += processCpuSeconds() - before;
        counter.counting = false;
    }
    qApp->removeEventFilter(&counter);
    // Widget paints per simulated second, by window class.
    for (auto it = counter.paints.cbegin(); it != counter.paints.cend(); ++it)
        state.counters["paints_" + it.key().toStdString()] =
                it.value() / double(state.iterations()) / (simulatedMs / 1000.0);
    const double perSecond = cpu / double(state.iterations()) / (simulatedMs / 1000.0);
    state.counters["cpu_ms_per_s"] = perSecond * 1000.0;
    state.counters["core_percent"] = perSecond * 100.0;
    state.counters["streams"] = terminal.streams.size();
    state.SetLabel("one simulated minute");
}
BENCHMARK(BM_IdleMinute)
        ->ArgNames({"windows"})
        ->Arg(1)
        ->Arg(0)
        ->MeasureProcessCPUTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("VELMORAN_PLUGIN_DIR"))
        qputenv("VELMORAN_PLUGIN_DIR", VELMORAN_PLUGIN_DIR);
    // Settings, database and candle cache of a home of its own.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CACHE_HOME");
    QApplication app(argc, argv);
    kuChartIndicators::registerWithChart();
    return runBenchmarks(&argc, argv);
}
