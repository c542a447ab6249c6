// Throughput of each technical-analysis function over a million bars
// (items per second = bars per second). The functions the chart leans on are
// also timed against SMA(14) over the same bars: each runs several rounds,
// interleaved with the others, and the closing table gives the ratio of the
// fastest rounds, which holds across machines better than a rate.
#include "benchmain.h"
#include <benchmark/benchmark.h>

#include "ta_libc.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const int kBars = 1000000;

struct Data
{
    std::vector<double> high, low, close, volume;
    std::vector<double> out1, out2, out3;

    explicit Data(bool falling)
    {
        uint32_t state = 2024;
        double price = 1000.0;
        for (int i = 0; i < kBars; ++i) {
            state = state * 1664525u + 1013904223u;
            const double step = ((state >> 8) % 2001) / 1000.0 - 1.0;
            const double open = price;
            price = falling ? price - 0.001 : std::max(1.0, price + step);
            high.push_back(std::max(open, price) + 0.3);
            low.push_back(std::min(open, price) - 0.3);
            close.push_back(price);
            volume.push_back(100.0 + (state >> 20));
        }
        out1.resize(kBars);
        out2.resize(kBars);
        out3.resize(kBars);
    }
};

Data& walk()
{
    static Data data(false);
    return data;
}

// Every new bar is the window's lowest and the highest leaves the window:
// the worst case for range functions that rescan.
Data& falling()
{
    static Data data(true);
    return data;
}

template <class F>
void run(benchmark::State& state, F&& call)
{
    for (auto _ : state) {
        const TA_RetCode rc = call();
        benchmark::DoNotOptimize(rc);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBars);
}

const int D = TA_INTEGER_DEFAULT;
const TA_MAType DT = TA_MAType(TA_INTEGER_DEFAULT);
int beg, nb;

} // namespace

#define HLC d.high.data(), d.low.data(), d.close.data()

static void BM_ADX(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_ADX(0, kBars - 1, HLC, D, &beg, &nb, d.out1.data()); });
}
static void BM_AROON(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] {
        return TA_AROON(0, kBars - 1, d.high.data(), d.low.data(), D, &beg, &nb, d.out1.data(), d.out2.data());
    });
}
static void BM_ATR(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_ATR(0, kBars - 1, HLC, D, &beg, &nb, d.out1.data()); });
}
static void BM_BBANDS(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] {
        return TA_BBANDS(0, kBars - 1, d.close.data(), D, TA_REAL_DEFAULT, TA_REAL_DEFAULT, DT, &beg, &nb,
                         d.out1.data(), d.out2.data(), d.out3.data());
    });
}
static void BM_CCI(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_CCI(0, kBars - 1, HLC, D, &beg, &nb, d.out1.data()); });
}
static void BM_DEMA(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_DEMA(0, kBars - 1, d.close.data(), D, &beg, &nb, d.out1.data()); });
}
static void BM_DX(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_DX(0, kBars - 1, HLC, D, &beg, &nb, d.out1.data()); });
}
static void BM_KAMA(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_KAMA(0, kBars - 1, d.close.data(), D, &beg, &nb, d.out1.data()); });
}
static void BM_MA_SMA(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_MA(0, kBars - 1, d.close.data(), D, TA_MAType_SMA, &beg, &nb, d.out1.data()); });
}
static void BM_SMA14(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_MA(0, kBars - 1, d.close.data(), 14, TA_MAType_SMA, &beg, &nb, d.out1.data()); });
}
static void BM_MA_EMA(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_MA(0, kBars - 1, d.close.data(), D, TA_MAType_EMA, &beg, &nb, d.out1.data()); });
}
static void BM_MACDFIX(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] {
        return TA_MACDFIX(0, kBars - 1, d.close.data(), D, &beg, &nb, d.out1.data(), d.out2.data(), d.out3.data());
    });
}
static void BM_MFI(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_MFI(0, kBars - 1, HLC, d.volume.data(), D, &beg, &nb, d.out1.data()); });
}
static void BM_MINUS_DI(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_MINUS_DI(0, kBars - 1, HLC, D, &beg, &nb, d.out1.data()); });
}
static void BM_MOM(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_MOM(0, kBars - 1, d.close.data(), D, &beg, &nb, d.out1.data()); });
}
static void BM_PLUS_DI(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_PLUS_DI(0, kBars - 1, HLC, D, &beg, &nb, d.out1.data()); });
}
static void BM_ROC(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_ROC(0, kBars - 1, d.close.data(), D, &beg, &nb, d.out1.data()); });
}
static void BM_RSI(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_RSI(0, kBars - 1, d.close.data(), D, &beg, &nb, d.out1.data()); });
}
static void BM_SAR(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] {
        return TA_SAR(0, kBars - 1, d.high.data(), d.low.data(), TA_REAL_DEFAULT, TA_REAL_DEFAULT, &beg, &nb,
                      d.out1.data());
    });
}
static void BM_STDDEV(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_STDDEV(0, kBars - 1, d.close.data(), D, TA_REAL_DEFAULT, &beg, &nb, d.out1.data()); });
}
static void BM_STOCH(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_STOCH(0, kBars - 1, HLC, D, D, DT, D, DT, &beg, &nb, d.out1.data(), d.out2.data()); });
}
static void BM_STOCHF(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_STOCHF(0, kBars - 1, HLC, D, D, DT, &beg, &nb, d.out1.data(), d.out2.data()); });
}
static void BM_WILLR(benchmark::State& s)
{
    Data& d = walk();
    run(s, [&] { return TA_WILLR(0, kBars - 1, HLC, D, &beg, &nb, d.out1.data()); });
}

// Range functions on a falling series, period 14 and 1000: the rate must not drop with the period.
static void BM_AROON_falling(benchmark::State& s)
{
    Data& d = falling();
    const int p = int(s.range(0));
    run(s, [&] {
        return TA_AROON(0, kBars - 1, d.high.data(), d.low.data(), p, &beg, &nb, d.out1.data(), d.out2.data());
    });
}
static void BM_WILLR_falling(benchmark::State& s)
{
    Data& d = falling();
    const int p = int(s.range(0));
    run(s, [&] { return TA_WILLR(0, kBars - 1, HLC, p, &beg, &nb, d.out1.data()); });
}
static void BM_STOCH_falling(benchmark::State& s)
{
    Data& d = falling();
    const int p = int(s.range(0));
    run(s, [&] {
        return TA_STOCH(0, kBars - 1, HLC, p, 3, TA_MAType_SMA, 3, TA_MAType_SMA, &beg, &nb, d.out1.data(),
                        d.out2.data());
    });
}
// Averages with a long period: running sums keep them O(n).
static void BM_MA_SMA_long(benchmark::State& s)
{
    Data& d = walk();
    const int p = int(s.range(0));
    run(s, [&] { return TA_MA(0, kBars - 1, d.close.data(), p, TA_MAType_SMA, &beg, &nb, d.out1.data()); });
}
static void BM_STDDEV_long(benchmark::State& s)
{
    Data& d = walk();
    const int p = int(s.range(0));
    run(s, [&] { return TA_STDDEV(0, kBars - 1, d.close.data(), p, 1.0, &beg, &nb, d.out1.data()); });
}

BENCHMARK(BM_ADX)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AROON)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ATR)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BBANDS)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CCI)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DEMA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DX)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KAMA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MA_SMA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MA_EMA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MACDFIX)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MFI)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MINUS_DI)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MOM)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PLUS_DI)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ROC)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RSI)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SAR)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_STDDEV)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_STOCH)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_STOCHF)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WILLR)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AROON_falling)->Arg(14)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WILLR_falling)->Arg(14)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_STOCH_falling)->Arg(14)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MA_SMA_long)->Arg(14)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_STDDEV_long)->Arg(14)->Arg(10000)->Unit(benchmark::kMillisecond);

// Against SMA(14): the periods below are the functions' defaults.
const int kRounds = 7;
double fastest(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}
#define RATIO(name)                                                                                                    \
    BENCHMARK(name)                                                                                                    \
            ->Name(#name "_vs_sma14")                                                                                  \
            ->Repetitions(kRounds)                                                                                     \
            ->ComputeStatistics("min", fastest)                                                                        \
            ->DisplayAggregatesOnly(true)                                                                              \
            ->Unit(benchmark::kMillisecond)
RATIO(BM_SMA14);
RATIO(BM_STOCH);
RATIO(BM_WILLR);
RATIO(BM_AROON);
RATIO(BM_STOCHF);
RATIO(BM_ADX);
RATIO(BM_RSI);

namespace {

// The console output, then each function's fastest round over SMA(14)'s.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "min")
                m_fastest[r.run_name.function_name] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto base = m_fastest.find("BM_SMA14_vs_sma14");
        if (base == m_fastest.end())
            return;
        const struct
        {
            const char* name;
            const char* label;
        } rows[] = {{"BM_STOCH_vs_sma14", "TA_STOCH(5,3,3)"}, {"BM_WILLR_vs_sma14", "TA_WILLR(14)"},
                    {"BM_AROON_vs_sma14", "TA_AROON(14)"},    {"BM_STOCHF_vs_sma14", "TA_STOCHF(5,3)"},
                    {"BM_ADX_vs_sma14", "TA_ADX(14)"},        {"BM_RSI_vs_sma14", "TA_RSI(14)"}};
        const double wall = base->second.first;
        const double cpu = base->second.second;
        std::printf("\nFastest of %d rounds against TA_MA SMA(14) (%.3f ms wall, %.3f ms CPU):\n", kRounds, wall, cpu);
        for (const auto& row : rows) {
            const auto it = m_fastest.find(row.name);
            if (it != m_fastest.end())
                std::printf("  %-16s %8.3f ms %6.2fx wall   %8.3f ms %6.2fx CPU\n", row.label, it->second.first,
                            it->second.first / wall, it->second.second, it->second.second / cpu);
        }
    }

private:
    // Wall and CPU time of the fastest round.
    std::map<std::string, std::pair<double, double>> m_fastest;
};

} // namespace

int main(int argc, char** argv)
{
    // Rounds interleaved unless the command line says otherwise, so that a
    // burst of load on the machine does not fall on one function's rounds.
    std::vector<char*> args(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    bool given = false;
    for (int i = 1; i < argc; ++i)
        given = given || std::strncmp(argv[i], "--benchmark_enable_random_interleaving", 38) == 0;
    if (!given)
        args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    RatioReporter reporter;
    return runBenchmarks(&count, args.data(), &reporter);
}
