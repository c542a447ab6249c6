// Functions over the high-low range of a window: WILLR, STOCHF, STOCH and AROON.
#include "mastream.h"
#include "slidingextreme.h"
#include "tacommon.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

using namespace velmoran_ta;

namespace {

constexpr int kWillrPeriod = 14;
constexpr int kAroonPeriod = 14;
constexpr int kFastKPeriod = 5;
constexpr int kSlowPeriod = 3;

constexpr int kBlock = 256;

// Calls block(t, n, highest, lowest) for the bars first..last, kBlock or fewer
// at a time from bar t on, with the highest high and the lowest low over the
// `window` bars ending at each: their values, or with Indexes their indexes.
// The extremes and what is computed from them run in loops of their own,
// each with its state in registers.
template <bool Indexes, class Block>
void extremesRun(const double* high, const double* low, int first, int last, int window, Block block)
{
    using Out = typename SlidingExtreme<true, Indexes>::Out;
    Out highest[kBlock];
    Out lowest[kBlock];
    const int from = first - window + 1;
    SlidingExtreme<true, Indexes> highs(high, window, from);
    SlidingExtreme<false, Indexes> lows(low, window, from);
    // The bars before `first` only fill the windows.
    for (int t = from; t < first; t += kBlock) {
        const int end = std::min(first - 1, t + kBlock - 1);
        highs.run(t, end, highest);
        lows.run(t, end, lowest);
    }
    for (int t = first; t <= last; t += kBlock) {
        const int end = std::min(last, t + kBlock - 1);
        highs.run(t, end, highest);
        lows.run(t, end, lowest);
        block(t, end - t + 1, highest, lowest);
    }
}

// The ratios are divided whatever the range, in a loop of their own, so that
// the divisions vectorise (the compiler keeps a division that is only needed
// on one side of a condition behind a branch); this sets those over an empty
// range to 0. No floating-point trap is enabled anywhere, so a division by 0
// here only sets a flag.
void zeroWhereEmpty(const double* range, int n, double* out)
{
    for (int k = 0; k < n; ++k)
        out[k] = range[k] != 0.0 ? out[k] : 0.0;
}

// Fast %K of n bars (close from the first of them): where the close sits in
// the range of its window, 0 when that range is empty.
void fastKBlock(const double* close, int n, const double* hi, const double* lo, double* out)
{
    double range[kBlock];
    for (int k = 0; k < n; ++k) {
        range[k] = (hi[k] - lo[k]) / 100.0;
        out[k] = (close[k] - lo[k]) / range[k];
    }
    zeroWhereEmpty(range, n, out);
}

void copyValues(const double* from, int n, double* to)
{
    std::memcpy(to, from, sizeof(double) * static_cast<std::size_t>(n));
}

} // namespace

extern "C" {

int TA_WILLR_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kWillrPeriod, 2, -1);
}

TA_RetCode TA_WILLR(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                    int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[])
{
    const TA_RetCode rc = checkHlcCall(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod, kWillrPeriod, 2,
                                       outBegIdx, outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p - 1))
        return rc;
    try {
        extremesRun<false>(inHigh, inLow, startIdx, endIdx, p, [=](int t, int n, const double* hi, const double* lo) {
            double* out = outReal + (t - startIdx);
            double range[kBlock];
            for (int k = 0; k < n; ++k) {
                range[k] = (hi[k] - lo[k]) / -100.0;
                out[k] = (hi[k] - inClose[t + k]) / range[k];
            }
            zeroWhereEmpty(range, n, out);
        });
    } catch (const std::bad_alloc&) {
        return TA_ALLOC_ERR;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_STOCHF_Lookback(int optInFastK_Period, int optInFastD_Period, TA_MAType optInFastD_MAType)
{
    if (!periodParam(optInFastK_Period, kFastKPeriod, 1) || !periodParam(optInFastD_Period, kSlowPeriod, 1) ||
        !maTypeParam(optInFastD_MAType) || !maSupported(optInFastD_MAType))
        return -1;
    return (optInFastK_Period - 1) + maLookback(optInFastD_Period);
}

TA_RetCode TA_STOCHF(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                     int optInFastK_Period, int optInFastD_Period, TA_MAType optInFastD_MAType, int* outBegIdx,
                     int* outNBElement, double outFastK[], double outFastD[])
{
    const bool valid = allSet(inHigh, inLow, inClose, outBegIdx, outNBElement, outFastK, outFastD) &&
                       periodParam(optInFastK_Period, kFastKPeriod, 1) &&
                       periodParam(optInFastD_Period, kSlowPeriod, 1) && maTypeParam(optInFastD_MAType);
    const TA_RetCode rc = checkCall(startIdx, endIdx, outBegIdx, outNBElement, valid, maSupported(optInFastD_MAType));
    if (rc != TA_SUCCESS)
        return rc;
    const int lookbackD = maLookback(optInFastD_Period);
    if (!firstOutput(startIdx, endIdx, (optInFastK_Period - 1) + lookbackD))
        return TA_SUCCESS;
    try {
        // %K from the first bar that %D's average needs; both outputs start at startIdx.
        std::vector<double> ring(static_cast<std::size_t>(optInFastD_Period));
        MaStream fastD(optInFastD_Period, optInFastD_MAType, ring.data());
        extremesRun<false>(inHigh, inLow, startIdx - lookbackD, endIdx, optInFastK_Period,
                           [&](int t, int n, const double* hi, const double* lo) {
                               double fastK[kBlock];
                               fastKBlock(inClose + t, n, hi, lo, fastK);
                               // The outputs are those of the block's bars from startIdx on.
                               const int at = std::max(t, startIdx) - startIdx;
                               const int m = fastD.run(fastK, n, outFastD + at);
                               copyValues(fastK + (n - m), m, outFastK + at);
                           });
    } catch (const std::bad_alloc&) {
        return TA_ALLOC_ERR;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_STOCH_Lookback(int optInFastK_Period, int optInSlowK_Period, TA_MAType optInSlowK_MAType, int optInSlowD_Period,
                      TA_MAType optInSlowD_MAType)
{
    if (!periodParam(optInFastK_Period, kFastKPeriod, 1) || !periodParam(optInSlowK_Period, kSlowPeriod, 1) ||
        !maTypeParam(optInSlowK_MAType) || !maSupported(optInSlowK_MAType) ||
        !periodParam(optInSlowD_Period, kSlowPeriod, 1) || !maTypeParam(optInSlowD_MAType) ||
        !maSupported(optInSlowD_MAType))
        return -1;
    return (optInFastK_Period - 1) + maLookback(optInSlowK_Period) + maLookback(optInSlowD_Period);
}

TA_RetCode TA_STOCH(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                    int optInFastK_Period, int optInSlowK_Period, TA_MAType optInSlowK_MAType, int optInSlowD_Period,
                    TA_MAType optInSlowD_MAType, int* outBegIdx, int* outNBElement, double outSlowK[],
                    double outSlowD[])
{
    const bool valid = allSet(inHigh, inLow, inClose, outBegIdx, outNBElement, outSlowK, outSlowD) &&
                       periodParam(optInFastK_Period, kFastKPeriod, 1) &&
                       periodParam(optInSlowK_Period, kSlowPeriod, 1) && maTypeParam(optInSlowK_MAType) &&
                       periodParam(optInSlowD_Period, kSlowPeriod, 1) && maTypeParam(optInSlowD_MAType);
    const TA_RetCode rc = checkCall(startIdx, endIdx, outBegIdx, outNBElement, valid,
                                    maSupported(optInSlowK_MAType) && maSupported(optInSlowD_MAType));
    if (rc != TA_SUCCESS)
        return rc;
    const int lookbackK = maLookback(optInSlowK_Period);
    const int lookbackD = maLookback(optInSlowD_Period);
    if (!firstOutput(startIdx, endIdx, (optInFastK_Period - 1) + lookbackK + lookbackD))
        return TA_SUCCESS;
    try {
        // Fast %K from the first bar the two averages need, slow %K as its
        // average, slow %D as the average of slow %K; a block of bars at a
        // time, so that no buffer grows with the input.
        std::vector<double> ring(static_cast<std::size_t>(optInSlowK_Period) + optInSlowD_Period);
        MaStream slowK(optInSlowK_Period, optInSlowK_MAType, ring.data());
        MaStream slowD(optInSlowD_Period, optInSlowD_MAType, ring.data() + optInSlowK_Period);
        extremesRun<false>(inHigh, inLow, startIdx - lookbackK - lookbackD, endIdx, optInFastK_Period,
                           [&](int t, int n, const double* hi, const double* lo) {
                               double fastK[kBlock];
                               double k[kBlock];
                               fastKBlock(inClose + t, n, hi, lo, fastK);
                               const int m = slowK.run(fastK, n, k);
                               // The outputs are those of the block's bars from startIdx on.
                               const int at = std::max(t, startIdx) - startIdx;
                               const int md = slowD.run(k, m, outSlowD + at);
                               copyValues(k + (m - md), md, outSlowK + at);
                           });
    } catch (const std::bad_alloc&) {
        return TA_ALLOC_ERR;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_AROON_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kAroonPeriod, 2, 0);
}

TA_RetCode TA_AROON(int startIdx, int endIdx, const double inHigh[], const double inLow[], int optInTimePeriod,
                    int* outBegIdx, int* outNBElement, double outAroonDown[], double outAroonUp[])
{
    const TA_RetCode rc = checkCall(startIdx, endIdx, outBegIdx, outNBElement,
                                    allSet(inHigh, inLow, outBegIdx, outNBElement, outAroonDown, outAroonUp) &&
                                            periodParam(optInTimePeriod, kAroonPeriod, 2));
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p))
        return rc;
    try {
        // The window spans p + 1 bars, so the extreme is 0..p bars old.
        const double factor = 100.0 / p;
        extremesRun<true>(inHigh, inLow, startIdx, endIdx, p + 1, [=](int t, int n, const int* hi, const int* lo) {
            double* up = outAroonUp + (t - startIdx);
            double* down = outAroonDown + (t - startIdx);
            for (int k = 0; k < n; ++k) {
                up[k] = factor * (p - (t + k - hi[k]));
                down[k] = factor * (p - (t + k - lo[k]));
            }
        });
    } catch (const std::bad_alloc&) {
        return TA_ALLOC_ERR;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

} // extern "C"
