// Every function of the library behind one calling shape, so that the checks
// that hold for all of them run as one table.
#ifndef VELMORAN_TESTS_TATABLE_H
#define VELMORAN_TESTS_TATABLE_H

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

enum InputMask { UsesHigh = 1, UsesLow = 2, UsesClose = 4, UsesVolume = 8 };

struct Call
{
    int start = 0;
    int end = 0;
    const double *high = nullptr;
    const double *low = nullptr;
    const double *close = nullptr; // also the single input series
    const double *volume = nullptr;
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
    std::function<TA_RetCode(const Call &, int *beg, int *nb, double *const *outs)> invoke;
};

inline std::vector<TaFunction> taFunctions()
{
    using Outs = double *const *;
    std::vector<TaFunction> f;
    f.push_back({"ADX", UsesHigh | UsesLow | UsesClose, 1, 2, 14, TA_ADX_Lookback,
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_ADX(c.start, c.end, c.high, c.low, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"AROON", UsesHigh | UsesLow, 2, 2, 14, TA_AROON_Lookback, [](const Call &c, int *b, int *n, Outs o) {
                     return TA_AROON(c.start, c.end, c.high, c.low, c.period, b, n, o[0], o[1]);
                 }});
    f.push_back({"ATR", UsesHigh | UsesLow | UsesClose, 1, 1, 14, TA_ATR_Lookback,
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_ATR(c.start, c.end, c.high, c.low, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"BBANDS", UsesClose, 3, 2, 5, [](int p) { return TA_BBANDS_Lookback(p, 2.0, 1.5, TA_MAType_SMA); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_BBANDS(c.start, c.end, c.close, c.period, 2.0, 1.5, TA_MAType_SMA, b, n, o[0], o[1], o[2]);
                 }});
    f.push_back({"BBANDS_EMA", UsesClose, 3, 2, 5, [](int p) { return TA_BBANDS_Lookback(p, 2.0, 2.0, TA_MAType_EMA); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_BBANDS(c.start, c.end, c.close, c.period, 2.0, 2.0, TA_MAType_EMA, b, n, o[0], o[1], o[2]);
                 }});
    f.push_back({"CCI", UsesHigh | UsesLow | UsesClose, 1, 2, 14, TA_CCI_Lookback,
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_CCI(c.start, c.end, c.high, c.low, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"DEMA", UsesClose, 1, 2, 30, TA_DEMA_Lookback, [](const Call &c, int *b, int *n, Outs o) {
                     return TA_DEMA(c.start, c.end, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"DX", UsesHigh | UsesLow | UsesClose, 1, 2, 14, TA_DX_Lookback,
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_DX(c.start, c.end, c.high, c.low, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"KAMA", UsesClose, 1, 2, 30, TA_KAMA_Lookback, [](const Call &c, int *b, int *n, Outs o) {
                     return TA_KAMA(c.start, c.end, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"MA_SMA", UsesClose, 1, 1, 30, [](int p) { return TA_MA_Lookback(p, TA_MAType_SMA); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_MA(c.start, c.end, c.close, c.period, TA_MAType_SMA, b, n, o[0]);
                 }});
    f.push_back({"MA_EMA", UsesClose, 1, 1, 30, [](int p) { return TA_MA_Lookback(p, TA_MAType_EMA); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_MA(c.start, c.end, c.close, c.period, TA_MAType_EMA, b, n, o[0]);
                 }});
    f.push_back({"MACDFIX", UsesClose, 3, 1, 9, TA_MACDFIX_Lookback, [](const Call &c, int *b, int *n, Outs o) {
                     return TA_MACDFIX(c.start, c.end, c.close, c.period, b, n, o[0], o[1], o[2]);
                 }});
    f.push_back({"MFI", UsesHigh | UsesLow | UsesClose | UsesVolume, 1, 2, 14, TA_MFI_Lookback,
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_MFI(c.start, c.end, c.high, c.low, c.close, c.volume, c.period, b, n, o[0]);
                 }});
    f.push_back({"MINUS_DI", UsesHigh | UsesLow | UsesClose, 1, 1, 14, TA_MINUS_DI_Lookback,
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_MINUS_DI(c.start, c.end, c.high, c.low, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"MOM", UsesClose, 1, 1, 10, TA_MOM_Lookback, [](const Call &c, int *b, int *n, Outs o) {
                     return TA_MOM(c.start, c.end, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"PLUS_DI", UsesHigh | UsesLow | UsesClose, 1, 1, 14, TA_PLUS_DI_Lookback,
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_PLUS_DI(c.start, c.end, c.high, c.low, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"ROC", UsesClose, 1, 1, 10, TA_ROC_Lookback, [](const Call &c, int *b, int *n, Outs o) {
                     return TA_ROC(c.start, c.end, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"RSI", UsesClose, 1, 2, 14, TA_RSI_Lookback, [](const Call &c, int *b, int *n, Outs o) {
                     return TA_RSI(c.start, c.end, c.close, c.period, b, n, o[0]);
                 }});
    f.push_back({"SAR", UsesHigh | UsesLow, 1, 0, 0, [](int) { return TA_SAR_Lookback(0.02, 0.2); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_SAR(c.start, c.end, c.high, c.low, 0.02, 0.2, b, n, o[0]);
                 }});
    f.push_back({"STDDEV", UsesClose, 1, 2, 5, [](int p) { return TA_STDDEV_Lookback(p, 1.5); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_STDDEV(c.start, c.end, c.close, c.period, 1.5, b, n, o[0]);
                 }});
    f.push_back({"STOCH", UsesHigh | UsesLow | UsesClose, 2, 1, 5,
                 [](int p) { return TA_STOCH_Lookback(p, 3, TA_MAType_SMA, 4, TA_MAType_SMA); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_STOCH(c.start, c.end, c.high, c.low, c.close, c.period, 3, TA_MAType_SMA, 4,
                                     TA_MAType_SMA, b, n, o[0], o[1]);
                 }});
    f.push_back({"STOCH_EMA", UsesHigh | UsesLow | UsesClose, 2, 1, 5,
                 [](int p) { return TA_STOCH_Lookback(p, 3, TA_MAType_EMA, 4, TA_MAType_EMA); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_STOCH(c.start, c.end, c.high, c.low, c.close, c.period, 3, TA_MAType_EMA, 4,
                                     TA_MAType_EMA, b, n, o[0], o[1]);
                 }});
    f.push_back({"STOCHF", UsesHigh | UsesLow | UsesClose, 2, 1, 5,
                 [](int p) { return TA_STOCHF_Lookback(p, 3, TA_MAType_SMA); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_STOCHF(c.start, c.end, c.high, c.low, c.close, c.period, 3, TA_MAType_SMA, b, n, o[0],
                                      o[1]);
                 }});
    f.push_back({"STOCHF_EMA", UsesHigh | UsesLow | UsesClose, 2, 1, 5,
                 [](int p) { return TA_STOCHF_Lookback(p, 3, TA_MAType_EMA); },
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_STOCHF(c.start, c.end, c.high, c.low, c.close, c.period, 3, TA_MAType_EMA, b, n, o[0],
                                      o[1]);
                 }});
    f.push_back({"WILLR", UsesHigh | UsesLow | UsesClose, 1, 2, 14, TA_WILLR_Lookback,
                 [](const Call &c, int *b, int *n, Outs o) {
                     return TA_WILLR(c.start, c.end, c.high, c.low, c.close, c.period, b, n, o[0]);
                 }});
    return f;
}

inline const TaFunction &taFunction(int index)
{
    static const std::vector<TaFunction> all = taFunctions();
    return all.at(static_cast<size_t>(index));
}

inline int taFunctionCount() { return static_cast<int>(taFunctions().size()); }

struct Outcome
{
    TA_RetCode rc = TA_SUCCESS;
    int beg = -1;
    int nb = -1;
    std::vector<std::vector<double>> out; // each as long as the range, NaN where nothing was written
};

inline Call callOver(const Bars &bars, int start, int end, int period)
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
inline Outcome runCall(const TaFunction &f, const Call &c, int nullOutput = -1)
{
    Outcome r;
    const size_t size = c.end >= c.start ? static_cast<size_t>(c.end - c.start + 1) : 0;
    r.out.assign(static_cast<size_t>(f.outputs), std::vector<double>(size + 1, std::nan("")));
    std::vector<double *> outs;
    for (int i = 0; i < f.outputs; ++i)
        outs.push_back(i == nullOutput ? nullptr : r.out[static_cast<size_t>(i)].data());
    r.rc = f.invoke(c, &r.beg, &r.nb, outs.data());
    return r;
}

#endif
