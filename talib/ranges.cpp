// Functions over the high-low range of a window: WILLR, STOCHF, STOCH and AROON.
#include "mastream.h"
#include "slidingextreme.h"
#include "tacommon.h"

#include <cstddef>
#include <new>
#include <vector>

using namespace velmoran_ta;

namespace {

constexpr int kWillrPeriod = 14;
constexpr int kAroonPeriod = 14;
constexpr int kFastKPeriod = 5;
constexpr int kSlowPeriod = 3;

// Calls emit(t, highest, lowest) for every bar first..last with the indexes of
// the highest high and the lowest low over the `window` bars ending at t.
// The extremes come a block at a time, so that their loops and emit's run
// without each other's state. emit is taken by value and captures by value,
// so that its state stays in registers even where this is not inlined.
template <class Emit>
void extremesRun(const double* high, const double* low, int first, int last, int window, Emit emit)
{
    constexpr int kBlock = 256;
    int highest[kBlock];
    int lowest[kBlock];
    const int from = first - window + 1;
    SlidingExtreme<true> highs(high, window, from);
    SlidingExtreme<false> lows(low, window, from);
    for (int t = from; t < first; t += kBlock) {
        const int end = first - 1 < t + kBlock - 1 ? first - 1 : t + kBlock - 1;
        highs.run(t, end, highest);
        lows.run(t, end, lowest);
    }
    for (int t = first; t <= last; t += kBlock) {
        const int end = last < t + kBlock - 1 ? last : t + kBlock - 1;
        highs.run(t, end, highest);
        lows.run(t, end, lowest);
        for (int k = 0; k <= end - t; ++k)
            emit(t + k, highest[k], lowest[k]);
    }
}

// Fast %K of bar t: where the close sits in the range of the bars from lo and
// hi on, 0 when that range is empty.
inline double fastKAt(const double* high, const double* low, const double* close, int t, int hi, int lo)
{
    const double range = (high[hi] - low[lo]) / 100.0;
    return range != 0.0 ? (close[t] - low[lo]) / range : 0.0;
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
        extremesRun(inHigh, inLow, startIdx, endIdx, p, [=](int t, int hi, int lo) {
            const double range = (inHigh[hi] - inLow[lo]) / -100.0;
            outReal[t - startIdx] = range != 0.0 ? (inHigh[hi] - inClose[t]) / range : 0.0;
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
        extremesRun(inHigh, inLow, startIdx - lookbackD, endIdx, optInFastK_Period, [=](int t, int hi, int lo) mutable {
            const double k = fastKAt(inHigh, inLow, inClose, t, hi, lo);
            double d;
            if (fastD.push(k, d)) {
                outFastK[t - startIdx] = k;
                outFastD[t - startIdx] = d;
            }
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
        // average, slow %D as the average of slow %K; computed bar by bar, so
        // no buffer grows with the input.
        std::vector<double> ring(static_cast<std::size_t>(optInSlowK_Period) + optInSlowD_Period);
        MaStream slowK(optInSlowK_Period, optInSlowK_MAType, ring.data());
        MaStream slowD(optInSlowD_Period, optInSlowD_MAType, ring.data() + optInSlowK_Period);
        extremesRun(inHigh, inLow, startIdx - lookbackK - lookbackD, endIdx, optInFastK_Period,
                    [=](int t, int hi, int lo) mutable {
                        double k;
                        double d;
                        if (slowK.push(fastKAt(inHigh, inLow, inClose, t, hi, lo), k) && slowD.push(k, d)) {
                            outSlowK[t - startIdx] = k;
                            outSlowD[t - startIdx] = d;
                        }
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
        extremesRun(inHigh, inLow, startIdx, endIdx, p + 1, [=](int t, int hi, int lo) {
            outAroonUp[t - startIdx] = factor * (p - (t - hi));
            outAroonDown[t - startIdx] = factor * (p - (t - lo));
        });
    } catch (const std::bad_alloc&) {
        return TA_ALLOC_ERR;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

} // extern "C"
