// What each TA adapter adds to the TA call it makes, over 100,000 bars: every
// adapter runs beside the bare call on the same inputs into buffers allocated
// once, and the closing table gives the difference of their fastest rounds.
#include "benchmain.h"
#include <benchmark/benchmark.h>

#include "kutaadapters.h"
#include "ta_libc.h"

#include <QVector>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const int kBars = 100000;
const int kRounds = 7;
const double kBudgetMs = 0.3;

struct Data
{
    QVector<double> high, low, close, volume;
    std::vector<double> out1, out2, out3;

    Data()
    {
        uint32_t state = 2024;
        double price = 1000.0;
        for (int i = 0; i < kBars; ++i) {
            state = state * 1664525u + 1013904223u;
            const double open = price;
            price = std::max(1.0, price + ((state >> 8) % 2001) / 1000.0 - 1.0);
            high.append(std::max(open, price) + 0.3);
            low.append(std::min(open, price) - 0.3);
            close.append(price);
            volume.append(100.0 + (state >> 20));
        }
        out1.resize(kBars);
        out2.resize(kBars);
        out3.resize(kBars);
    }
};

Data& data()
{
    static Data d;
    return d;
}

struct Pair
{
    const char* name;
    std::function<QVector<double>(Data&)> adapter;
    std::function<TA_RetCode(Data&, int*, int*)> raw;
};

// Periods and parameters as the indicators' defaults.
std::vector<Pair> pairs()
{
    const int n = kBars;
    auto H = [](Data& d) { return d.high.constData(); };
    auto L = [](Data& d) { return d.low.constData(); };
    auto C = [](Data& d) { return d.close.constData(); };
    auto V = [](Data& d) { return d.volume.constData(); };
    return {
            {"taAdx", [](Data& d) { return taAdx(&d.high, &d.low, &d.close, 14); },
             [=](Data& d, int* b, int* c) { return TA_ADX(0, n - 1, H(d), L(d), C(d), 14, b, c, d.out1.data()); }},
            {"taAroonUp", [](Data& d) { return taAroonUp(&d.high, &d.low, 14); },
             [=](Data& d, int* b, int* c) {
                 return TA_AROON(0, n - 1, H(d), L(d), 14, b, c, d.out1.data(), d.out2.data());
             }},
            {"taAtr", [](Data& d) { return taAtr(&d.high, &d.low, &d.close, 14); },
             [=](Data& d, int* b, int* c) { return TA_ATR(0, n - 1, H(d), L(d), C(d), 14, b, c, d.out1.data()); }},
            {"taBbandsUpper", [](Data& d) { return taBbandsUpper(&d.close, 20, 2.0); },
             [=](Data& d, int* b, int* c) {
                 return TA_BBANDS(0, n - 1, C(d), 20, 2.0, 2.0, TA_MAType_SMA, b, c, d.out1.data(), d.out2.data(),
                                  d.out3.data());
             }},
            {"taCci", [](Data& d) { return taCci(&d.high, &d.low, &d.close, 14); },
             [=](Data& d, int* b, int* c) { return TA_CCI(0, n - 1, H(d), L(d), C(d), 14, b, c, d.out1.data()); }},
            {"taDema", [](Data& d) { return taDema(&d.close, 14); },
             [=](Data& d, int* b, int* c) { return TA_DEMA(0, n - 1, C(d), 14, b, c, d.out1.data()); }},
            {"taEma", [](Data& d) { return taEma(&d.close, 14); },
             [=](Data& d, int* b, int* c) { return TA_MA(0, n - 1, C(d), 14, TA_MAType_EMA, b, c, d.out1.data()); }},
            {"taKama", [](Data& d) { return taKama(&d.close, 14); },
             [=](Data& d, int* b, int* c) { return TA_KAMA(0, n - 1, C(d), 14, b, c, d.out1.data()); }},
            {"taMacdSignal", [](Data& d) { return taMacdSignal(&d.close, 9); },
             [=](Data& d, int* b, int* c) {
                 return TA_MACDFIX(0, n - 1, C(d), 9, b, c, d.out1.data(), d.out2.data(), d.out3.data());
             }},
            {"taMfi", [](Data& d) { return taMfi(&d.high, &d.low, &d.close, &d.volume, 14); },
             [=](Data& d, int* b, int* c) {
                 return TA_MFI(0, n - 1, H(d), L(d), C(d), V(d), 14, b, c, d.out1.data());
             }},
            {"taSar", [](Data& d) { return taSar(&d.high, &d.low, 0.02, 0.2); },
             [=](Data& d, int* b, int* c) { return TA_SAR(0, n - 1, H(d), L(d), 0.02, 0.2, b, c, d.out1.data()); }},
            {"taRsi", [](Data& d) { return taRsi(&d.close, 14); },
             [=](Data& d, int* b, int* c) { return TA_RSI(0, n - 1, C(d), 14, b, c, d.out1.data()); }},
            {"taStddev", [](Data& d) { return taStddev(&d.close, 20); },
             [=](Data& d, int* b, int* c) { return TA_STDDEV(0, n - 1, C(d), 20, 20.0, b, c, d.out1.data()); }},
            {"taSma", [](Data& d) { return taSma(&d.close, 14); },
             [=](Data& d, int* b, int* c) { return TA_MA(0, n - 1, C(d), 14, TA_MAType_SMA, b, c, d.out1.data()); }},
            {"taMacd", [](Data& d) { return taMacd(&d.close, 9); },
             [=](Data& d, int* b, int* c) {
                 return TA_MACDFIX(0, n - 1, C(d), 9, b, c, d.out1.data(), d.out2.data(), d.out3.data());
             }},
            {"taStochSlowK", [](Data& d) { return taStochSlowK(&d.high, &d.low, &d.close, 14, 3); },
             [=](Data& d, int* b, int* c) {
                 return TA_STOCH(0, n - 1, H(d), L(d), C(d), 14, 3, TA_MAType_SMA, 3, TA_MAType_SMA, b, c,
                                 d.out1.data(), d.out2.data());
             }},
            {"taStochFastK", [](Data& d) { return taStochFastK(&d.high, &d.low, &d.close, 14, 3); },
             [=](Data& d, int* b, int* c) {
                 return TA_STOCHF(0, n - 1, H(d), L(d), C(d), 14, 3, TA_MAType_SMA, b, c, d.out1.data(), d.out2.data());
             }},
            {"taWillr", [](Data& d) { return taWillr(&d.high, &d.low, &d.close, 14); },
             [=](Data& d, int* b, int* c) { return TA_WILLR(0, n - 1, H(d), L(d), C(d), 14, b, c, d.out1.data()); }},
    };
}

double fastest(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

void registerPairs()
{
    for (const Pair& p : pairs()) {
        const auto adapter = p.adapter;
        const auto raw = p.raw;
        benchmark::RegisterBenchmark((std::string(p.name) + "/adapter").c_str(),
                                     [adapter](benchmark::State& s) {
                                         Data& d = data();
                                         for (auto _ : s)
                                             benchmark::DoNotOptimize(adapter(d));
                                     })
                ->Repetitions(kRounds)
                ->ComputeStatistics("min", fastest)
                ->DisplayAggregatesOnly(true)
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string(p.name) + "/raw").c_str(),
                                     [raw](benchmark::State& s) {
                                         Data& d = data();
                                         int beg = 0;
                                         int count = 0;
                                         for (auto _ : s) {
                                             benchmark::DoNotOptimize(raw(d, &beg, &count));
                                             benchmark::ClobberMemory();
                                         }
                                     })
                ->Repetitions(kRounds)
                ->ComputeStatistics("min", fastest)
                ->DisplayAggregatesOnly(true)
                ->Unit(benchmark::kMillisecond);
    }
}

// The console output, then per adapter its fastest round less the bare call's.
class OverheadReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "min")
                m_fastest[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nAdapter over the bare TA call, fastest of %d rounds, %d bars (budget %.1f ms):\n", kRounds,
                    kBars, kBudgetMs);
        for (const Pair& p : pairs()) {
            const auto a = m_fastest.find(std::string(p.name) + "/adapter");
            const auto r = m_fastest.find(std::string(p.name) + "/raw");
            if (a == m_fastest.end() || r == m_fastest.end())
                continue;
            const double extra = a->second - r->second;
            std::printf("  %-14s %8.3f ms  raw %8.3f ms  extra %7.3f ms%s\n", p.name, a->second, r->second, extra,
                        extra > kBudgetMs ? "  OVER" : "");
        }
    }

private:
    std::map<std::string, double> m_fastest;
};

} // namespace

int main(int argc, char** argv)
{
    registerPairs();
    OverheadReporter reporter;
    return runBenchmarks(&argc, argv, &reporter);
}
