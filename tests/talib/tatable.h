// Every function of the library behind one calling shape, so that the checks
// that hold for all of them run as one table.
#pragma once

#include "ta_libc.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

struct Bars
{
    std::vector<double> high, low, close, volume;
    int size() const { return static_cast<int>(close.size()); }

    // The bars from `from` on; the inputs of a call that starts later.
    Bars tail(int from) const
    {
        Bars b;
        b.high.assign(high.begin() + from, high.end());
        b.low.assign(low.begin() + from, low.end());
        b.close.assign(close.begin() + from, close.end());
        b.volume.assign(volume.begin() + from, volume.end());
        return b;
    }
};

// A random walk on a 0.25 grid, so equal highs, equal lows, unchanged closes
// and equal up and down moves all occur.
inline Bars makeBars(int n, uint32_t seed = 12345)
{
    uint32_t state = seed;
    auto next = [&state](int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<uint32_t>(range));
    };
    Bars b;
    double close = 100.0;
    for (int i = 0; i < n; ++i) {
        const double open = close;
        close = open + 0.25 * (next(17) - 8);
        const double high = std::max(open, close) + 0.25 * next(6);
        const double low = std::min(open, close) - 0.25 * next(6);
        b.high.push_back(high);
        b.low.push_back(low);
        b.close.push_back(close);
        b.volume.push_back(100.0 + 10.0 * next(50));
    }
    return b;
}

enum InputMask
{
    UsesHigh = 1,
    UsesLow = 2,
    UsesClose = 4,
    UsesVolume = 8
};

struct Call
{
    int start = 0;
    int end = 0;
    const double* high = nullptr;
    const double* low = nullptr;
    const double* close = nullptr; // also the single input series
    const double* volume = nullptr;
    int period = 0;
};

struct TaFunction
{
    std::string name;
    int inputs;
    int outputs;
    int minPeriod; // 0: no period option
    int defaultPeriod;
    std::function<int(int period)> lookback;
    std::function<TA_RetCode(const Call&, int* beg, int* nb, double* const* outs)> invoke;
};

using HlcFunction = TA_RetCode (*)(int, int, const double*, const double*, const double*, int, int*, int*, double*);
using SeriesFunction = TA_RetCode (*)(int, int, const double*, int, int*, int*, double*);

// The many functions of one period and one output over high, low and close, or over one series.
inline TaFunction hlcPeriod(const char* name, int minPeriod, int defaultPeriod, int (*lookback)(int), HlcFunction fn)
{
    return {name,
            UsesHigh | UsesLow | UsesClose,
            1,
            minPeriod,
            defaultPeriod,
            lookback,
            [fn](const Call& c, int* b, int* n, double* const* o) {
                return fn(c.start, c.end, c.high, c.low, c.close, c.period, b, n, o[0]);
            }};
}

inline TaFunction seriesPeriod(const char* name, int minPeriod, int defaultPeriod, int (*lookback)(int),
                               SeriesFunction fn)
{
    return {name,
            UsesClose,
            1,
            minPeriod,
            defaultPeriod,
            lookback,
            [fn](const Call& c, int* b, int* n, double* const* o) {
                return fn(c.start, c.end, c.close, c.period, b, n, o[0]);
            }};
}

inline std::vector<TaFunction> taFunctions()
{
    using Outs = double* const*;
    std::vector<TaFunction> f;
    f.push_back(hlcPeriod("ADX", 2, 14, TA_ADX_Lookback, TA_ADX));
    f.push_back({"AROON", UsesHigh | UsesLow, 2, 2, 14, TA_AROON_Lookback, [](const Call& c, int* b, int* n, Outs o) {
                     return TA_AROON(c.start, c.end, c.high, c.low, c.period, b, n, o[0], o[1]);
                 }});
    f.push_back(hlcPeriod("ATR", 1, 14, TA_ATR_Lookback, TA_ATR));
    f.push_back({"BBANDS", UsesClose, 3, 2, 5, [](int p) { return TA_BBANDS_Lookback(p, 2.0, 1.5, TA_MAType_SMA); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_BBANDS(c.start, c.end, c.close, c.period, 2.0, 1.5, TA_MAType_SMA, b, n, o[0], o[1],
                                      o[2]);
                 }});
    f.push_back({"BBANDS_EMA", UsesClose, 3, 2, 5, [](int p) { return TA_BBANDS_Lookback(p, 2.0, 2.0, TA_MAType_EMA); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_BBANDS(c.start, c.end, c.close, c.period, 2.0, 2.0, TA_MAType_EMA, b, n, o[0], o[1],
                                      o[2]);
                 }});
    f.push_back(hlcPeriod("CCI", 2, 14, TA_CCI_Lookback, TA_CCI));
    f.push_back(seriesPeriod("DEMA", 2, 30, TA_DEMA_Lookback, TA_DEMA));
    f.push_back(hlcPeriod("DX", 2, 14, TA_DX_Lookback, TA_DX));
    f.push_back(seriesPeriod("KAMA", 2, 30, TA_KAMA_Lookback, TA_KAMA));
    f.push_back({"MA_SMA", UsesClose, 1, 1, 30, [](int p) { return TA_MA_Lookback(p, TA_MAType_SMA); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_MA(c.start, c.end, c.close, c.period, TA_MAType_SMA, b, n, o[0]);
                 }});
    f.push_back({"MA_EMA", UsesClose, 1, 1, 30, [](int p) { return TA_MA_Lookback(p, TA_MAType_EMA); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_MA(c.start, c.end, c.close, c.period, TA_MAType_EMA, b, n, o[0]);
                 }});
    f.push_back({"MACDFIX", UsesClose, 3, 1, 9, TA_MACDFIX_Lookback, [](const Call& c, int* b, int* n, Outs o) {
                     return TA_MACDFIX(c.start, c.end, c.close, c.period, b, n, o[0], o[1], o[2]);
                 }});
    f.push_back({"MFI", UsesHigh | UsesLow | UsesClose | UsesVolume, 1, 2, 14, TA_MFI_Lookback,
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_MFI(c.start, c.end, c.high, c.low, c.close, c.volume, c.period, b, n, o[0]);
                 }});
    f.push_back(hlcPeriod("MINUS_DI", 1, 14, TA_MINUS_DI_Lookback, TA_MINUS_DI));
    f.push_back(seriesPeriod("MOM", 1, 10, TA_MOM_Lookback, TA_MOM));
    f.push_back(hlcPeriod("PLUS_DI", 1, 14, TA_PLUS_DI_Lookback, TA_PLUS_DI));
    f.push_back(seriesPeriod("ROC", 1, 10, TA_ROC_Lookback, TA_ROC));
    f.push_back(seriesPeriod("RSI", 2, 14, TA_RSI_Lookback, TA_RSI));
    f.push_back({"SAR", UsesHigh | UsesLow, 1, 0, 0, [](int) { return TA_SAR_Lookback(0.02, 0.2); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_SAR(c.start, c.end, c.high, c.low, 0.02, 0.2, b, n, o[0]);
                 }});
    f.push_back({"STDDEV", UsesClose, 1, 2, 5, [](int p) { return TA_STDDEV_Lookback(p, 1.5); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_STDDEV(c.start, c.end, c.close, c.period, 1.5, b, n, o[0]);
                 }});
    f.push_back({"STOCH", UsesHigh | UsesLow | UsesClose, 2, 1, 5,
                 [](int p) { return TA_STOCH_Lookback(p, 3, TA_MAType_SMA, 4, TA_MAType_SMA); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_STOCH(c.start, c.end, c.high, c.low, c.close, c.period, 3, TA_MAType_SMA, 4,
                                     TA_MAType_SMA, b, n, o[0], o[1]);
                 }});
    f.push_back({"STOCH_EMA", UsesHigh | UsesLow | UsesClose, 2, 1, 5,
                 [](int p) { return TA_STOCH_Lookback(p, 3, TA_MAType_EMA, 4, TA_MAType_EMA); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_STOCH(c.start, c.end, c.high, c.low, c.close, c.period, 3, TA_MAType_EMA, 4,
                                     TA_MAType_EMA, b, n, o[0], o[1]);
                 }});
    f.push_back({"STOCHF", UsesHigh | UsesLow | UsesClose, 2, 1, 5,
                 [](int p) { return TA_STOCHF_Lookback(p, 3, TA_MAType_SMA); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_STOCHF(c.start, c.end, c.high, c.low, c.close, c.period, 3, TA_MAType_SMA, b, n, o[0],
                                      o[1]);
                 }});
    f.push_back({"STOCHF_EMA", UsesHigh | UsesLow | UsesClose, 2, 1, 5,
                 [](int p) { return TA_STOCHF_Lookback(p, 3, TA_MAType_EMA); },
                 [](const Call& c, int* b, int* n, Outs o) {
                     return TA_STOCHF(c.start, c.end, c.high, c.low, c.close, c.period, 3, TA_MAType_EMA, b, n, o[0],
                                      o[1]);
                 }});
    f.push_back(hlcPeriod("WILLR", 2, 14, TA_WILLR_Lookback, TA_WILLR));
    return f;
}

inline const TaFunction& taFunction(int index)
{
    static const std::vector<TaFunction> all = taFunctions();
    return all.at(static_cast<size_t>(index));
}

inline int taFunctionCount()
{
    return static_cast<int>(taFunctions().size());
}

struct Outcome
{
    TA_RetCode rc = TA_SUCCESS;
    int beg = -1;
    int nb = -1;
    std::vector<std::vector<double>> out; // each as long as the range, NaN where nothing was written
};

inline Call callOver(const Bars& bars, int start, int end, int period)
{
    Call c;
    c.start = start;
    c.end = end;
    c.high = bars.high.data();
    c.low = bars.low.data();
    c.close = bars.close.data();
    c.volume = bars.volume.data();
    c.period = period;
    return c;
}

// nullOutput: index of an output array to pass as null.
inline Outcome runCall(const TaFunction& f, const Call& c, int nullOutput = -1)
{
    Outcome r;
    const size_t size = c.end >= c.start ? static_cast<size_t>(c.end - c.start + 1) : 0;
    r.out.assign(static_cast<size_t>(f.outputs), std::vector<double>(size + 1, std::nan("")));
    std::vector<double*> outs;
    for (int i = 0; i < f.outputs; ++i)
        outs.push_back(i == nullOutput ? nullptr : r.out[static_cast<size_t>(i)].data());
    r.rc = f.invoke(c, &r.beg, &r.nb, outs.data());
    return r;
}
