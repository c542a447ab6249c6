#pragma once

// Deliberately plain references written from the indicator definitions:
// windows rescanned and re-summed per bar, recursions spelled out, variances
// in two passes. Shared by the TA tests and the chart indicator tests.
#include "tatable.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tareference {

using Series = std::vector<double>;
using Outputs = std::vector<Series>;

inline const double kNaN = std::nan("");

inline int firstValid(const Series& x)
{
    int f = 0;
    while (f < static_cast<int>(x.size()) && std::isnan(x[f]))
        ++f;
    return f;
}

inline double windowMean(const Series& x, int last, int p)
{
    double sum = 0;
    for (int i = last - p + 1; i <= last; ++i)
        sum += x[i];
    return sum / p;
}

inline Series smaOf(const Series& x, int p)
{
    Series out(x.size(), kNaN);
    for (int t = firstValid(x) + p - 1; t < static_cast<int>(x.size()); ++t)
        out[t] = windowMean(x, t, p);
    return out;
}

// Seeded with the mean of the first p values.
inline Series emaOf(const Series& x, int p, double k)
{
    Series out(x.size(), kNaN);
    const int seed = firstValid(x) + p - 1;
    if (seed >= static_cast<int>(x.size()))
        return out;
    out[seed] = windowMean(x, seed, p);
    for (int t = seed + 1; t < static_cast<int>(x.size()); ++t)
        out[t] = out[t - 1] + k * (x[t] - out[t - 1]);
    return out;
}

inline Series maOf(const Series& x, int p, TA_MAType type)
{
    if (p == 1)
        return x;
    return type == TA_MAType_EMA ? emaOf(x, p, 2.0 / (p + 1)) : smaOf(x, p);
}

inline double deviationOf(const Series& x, int last, int p)
{
    const double mean = windowMean(x, last, p);
    double squares = 0;
    for (int i = last - p + 1; i <= last; ++i)
        squares += (x[i] - mean) * (x[i] - mean);
    const double variance = squares / p;
    return variance < 1e-8 ? 0.0 : std::sqrt(variance);
}

inline Outputs bbands(const Bars& b, int p, TA_MAType type, double up, double down)
{
    const Series mid = maOf(b.close, p, type);
    Series upper(mid.size(), kNaN), lower(mid.size(), kNaN);
    for (int t = p - 1; t < b.size(); ++t) {
        const double sd = deviationOf(b.close, t, p);
        upper[t] = mid[t] + up * sd;
        lower[t] = mid[t] - down * sd;
    }
    return {upper, mid, lower};
}

inline double trueRangeAt(const Bars& b, int t)
{
    return std::max(
            {b.high[t] - b.low[t], std::fabs(b.high[t] - b.close[t - 1]), std::fabs(b.low[t] - b.close[t - 1])});
}

struct Directional
{
    Series plusDI, minusDI, dx;
    std::vector<bool> directed;
};

// +DM / -DM / TR per bar; Wilder sums seeded with bars 1..p-1 and stepped from bar p.
inline Directional directional(const Bars& b, int p)
{
    const int n = b.size();
    Series pdm(n, 0), mdm(n, 0), tr(n, 0);
    for (int t = 1; t < n; ++t) {
        const double up = b.high[t] - b.high[t - 1];
        const double down = b.low[t - 1] - b.low[t];
        if (up > 0 && up > down)
            pdm[t] = up;
        if (down > 0 && down > up)
            mdm[t] = down;
        tr[t] = trueRangeAt(b, t);
    }
    Directional d{Series(n, kNaN), Series(n, kNaN), Series(n, kNaN), std::vector<bool>(n, false)};
    double sp = 0, sm = 0, st = 0;
    for (int t = 1; t < p; ++t) {
        sp += pdm[t];
        sm += mdm[t];
        st += tr[t];
    }
    double lastDx = 0;
    for (int t = p; t < n; ++t) {
        sp = sp - sp / p + pdm[t];
        sm = sm - sm / p + mdm[t];
        st = st - st / p + tr[t];
        const bool trZero = std::fabs(st) < 1e-8;
        d.plusDI[t] = trZero ? 0 : 100 * sp / st;
        d.minusDI[t] = trZero ? 0 : 100 * sm / st;
        const double total = d.plusDI[t] + d.minusDI[t];
        d.directed[t] = !trZero && std::fabs(total) >= 1e-8;
        if (d.directed[t])
            lastDx = 100 * std::fabs(d.minusDI[t] - d.plusDI[t]) / total;
        d.dx[t] = lastDx;
    }
    return d;
}

inline Series adxOf(const Bars& b, int p)
{
    const Directional d = directional(b, p);
    Series out(b.size(), kNaN);
    const int first = 2 * p - 1;
    if (first >= b.size())
        return out;
    double sum = 0;
    for (int t = p; t <= first; ++t)
        sum += d.directed[t] ? d.dx[t] : 0;
    out[first] = sum / p;
    for (int t = first + 1; t < b.size(); ++t)
        out[t] = d.directed[t] ? (out[t - 1] * (p - 1) + d.dx[t]) / p : out[t - 1];
    return out;
}

inline double highest(const Series& x, int from, int to)
{
    return *std::max_element(x.begin() + from, x.begin() + to + 1);
}
inline double lowest(const Series& x, int from, int to)
{
    return *std::min_element(x.begin() + from, x.begin() + to + 1);
}

inline Series fastKOf(const Bars& b, int p)
{
    Series out(b.size(), kNaN);
    for (int t = p - 1; t < b.size(); ++t) {
        const double hh = highest(b.high, t - p + 1, t);
        const double ll = lowest(b.low, t - p + 1, t);
        out[t] = hh == ll ? 0 : 100 * (b.close[t] - ll) / (hh - ll);
    }
    return out;
}

inline double typical(const Bars& b, int t)
{
    return (b.high[t] + b.low[t] + b.close[t]) / 3;
}

inline Series sarOf(const Bars& b, double step, double maximum)
{
    Series out(b.size(), kNaN);
    const double up = b.high[1] - b.high[0];
    const double down = b.low[0] - b.low[1];
    bool isLong = !(down > 0 && down > up);
    double stop = isLong ? b.low[0] : b.high[0];
    double extreme = isLong ? b.high[1] : b.low[1];
    double af = step;
    for (int t = 1; t < b.size(); ++t) {
        const int prev = t == 1 ? 1 : t - 1; // bar 1 has no earlier bar of its own trend
        const double floor = std::min(b.low[prev], b.low[t]);
        const double ceiling = std::max(b.high[prev], b.high[t]);
        if (isLong && b.low[t] <= stop) {
            isLong = false;
            out[t] = std::max(extreme, ceiling);
            af = step;
            extreme = b.low[t];
            stop = std::max(out[t] + af * (extreme - out[t]), ceiling);
        } else if (!isLong && b.high[t] >= stop) {
            isLong = true;
            out[t] = std::min(extreme, floor);
            af = step;
            extreme = b.high[t];
            stop = std::min(out[t] + af * (extreme - out[t]), floor);
        } else {
            out[t] = stop;
            if (isLong ? b.high[t] > extreme : b.low[t] < extreme) {
                extreme = isLong ? b.high[t] : b.low[t];
                af = std::min(af + step, maximum);
            }
            const double next = stop + af * (extreme - stop);
            stop = isLong ? std::min(next, floor) : std::max(next, ceiling);
        }
    }
    return out;
}

inline Series demaOf(const Series& x, int p)
{
    const double k = 2.0 / (p + 1);
    const Series e1 = emaOf(x, p, k);
    const Series e2 = emaOf(e1, p, k);
    Series out(x.size(), kNaN);
    for (size_t t = 0; t < x.size(); ++t)
        out[t] = 2 * e1[t] - e2[t];
    return out;
}

inline Series kamaOf(const Series& x, int p)
{
    const int n = static_cast<int>(x.size());
    Series out(x.size(), kNaN);
    double prior = p - 1 < n ? x[p - 1] : 0;
    for (int t = p; t < n; ++t) {
        double volatility = 0;
        for (int i = t - p + 1; i <= t; ++i)
            volatility += std::fabs(x[i] - x[i - 1]);
        const double change = x[t] - x[t - p];
        const double er = (volatility <= change || std::fabs(volatility) < 1e-8) ? 1 : std::fabs(change / volatility);
        const double sc = std::pow(er * (2.0 / 3 - 2.0 / 31) + 2.0 / 31, 2);
        prior = prior + sc * (x[t] - prior);
        out[t] = prior;
    }
    return out;
}

} // namespace tareference
