// Functions over the high-low range of a window: WILLR, STOCHF, STOCH and AROON.
#include "slidingextreme.h"
#include "tacommon.h"

#include <algorithm>
#include <new>
#include <vector>

using namespace velmoran_ta;

namespace {

constexpr int kWillrPeriod = 14;
constexpr int kAroonPeriod = 14;
constexpr int kFastKPeriod = 5;
constexpr int kSlowPeriod = 3;

// Fast %K of bars first..last into out: where the close sits in the range of
// the last fastK bars, 0 when that range is empty.
void fastKRun(const double *high, const double *low, const double *close, int first, int last, int fastK,
              double *out)
{
    SlidingExtreme<true> highest(high, fastK);
    SlidingExtreme<false> lowest(low, fastK);
    for (int t = first - fastK + 1; t < first; ++t) {
        highest.push(t);
        lowest.push(t);
    }
    for (int t = first; t <= last; ++t) {
        const double hh = high[highest.push(t)];
        const double ll = low[lowest.push(t)];
        const double range = (hh - ll) / 100.0;
        *out++ = range != 0.0 ? (close[t] - ll) / range : 0.0;
    }
}

} // namespace

extern "C" {

int TA_WILLR_Lookback(int optInTimePeriod)
{
    if (!periodParam(optInTimePeriod, kWillrPeriod, 2))
        return -1;
    return optInTimePeriod - 1;
}

TA_RetCode TA_WILLR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                    const double inClose[], int optInTimePeriod, int *outBegIdx,
                    int *outNBElement, double outReal[])
{
    clearCounts(outBegIdx, outNBElement);
    const TA_RetCode rc = checkIndexes(startIdx, endIdx);
    if (rc != TA_SUCCESS)
        return rc;
    if (!allSet(inHigh, inLow, inClose, outBegIdx, outNBElement, outReal)
        || !periodParam(optInTimePeriod, kWillrPeriod, 2))
        return TA_BAD_PARAM;
    const int p = optInTimePeriod;
    if (!firstOutput(startIdx, endIdx, p - 1))
        return TA_SUCCESS;
    try {
        SlidingExtreme<true> highest(inHigh, p);
        SlidingExtreme<false> lowest(inLow, p);
        for (int t = startIdx - p + 1; t < startIdx; ++t) {
            highest.push(t);
            lowest.push(t);
        }
        for (int t = startIdx; t <= endIdx; ++t) {
            const double hh = inHigh[highest.push(t)];
            const double ll = inLow[lowest.push(t)];
            const double range = (hh - ll) / -100.0;
            *outReal++ = range != 0.0 ? (hh - inClose[t]) / range : 0.0;
        }
    } catch (const std::bad_alloc &) {
        return TA_ALLOC_ERR;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_STOCHF_Lookback(int optInFastK_Period, int optInFastD_Period, TA_MAType optInFastD_MAType)
{
    if (!periodParam(optInFastK_Period, kFastKPeriod, 1) || !periodParam(optInFastD_Period, kSlowPeriod, 1)
        || !maTypeParam(optInFastD_MAType) || !maSupported(optInFastD_MAType))
        return -1;
    return (optInFastK_Period - 1) + maLookback(optInFastD_Period);
}

TA_RetCode TA_STOCHF(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                     const double inClose[], int optInFastK_Period, int optInFastD_Period,
                     TA_MAType optInFastD_MAType, int *outBegIdx, int *outNBElement,
                     double outFastK[], double outFastD[])
{
    clearCounts(outBegIdx, outNBElement);
    const TA_RetCode rc = checkIndexes(startIdx, endIdx);
    if (rc != TA_SUCCESS)
        return rc;
    if (!allSet(inHigh, inLow, inClose, outBegIdx, outNBElement, outFastK, outFastD)
        || !periodParam(optInFastK_Period, kFastKPeriod, 1) || !periodParam(optInFastD_Period, kSlowPeriod, 1)
        || !maTypeParam(optInFastD_MAType))
        return TA_BAD_PARAM;
    if (!maSupported(optInFastD_MAType))
        return TA_NOT_SUPPORTED;
    const int lookbackD = maLookback(optInFastD_Period);
    if (!firstOutput(startIdx, endIdx, (optInFastK_Period - 1) + lookbackD))
        return TA_SUCCESS;
    try {
        // %K from the first bar that %D's average needs.
        const int first = startIdx - lookbackD;
        std::vector<double> fastK(static_cast<size_t>(endIdx - first + 1));
        fastKRun(inHigh, inLow, inClose, first, endIdx, optInFastK_Period, fastK.data());
        maRun(fastK.data(), lookbackD, static_cast<int>(fastK.size()) - 1, optInFastD_Period, optInFastD_MAType,
              outFastD);
        std::copy(fastK.begin() + lookbackD, fastK.end(), outFastK);
    } catch (const std::bad_alloc &) {
        return TA_ALLOC_ERR;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_STOCH_Lookback(int optInFastK_Period, int optInSlowK_Period, TA_MAType optInSlowK_MAType,
                      int optInSlowD_Period, TA_MAType optInSlowD_MAType)
{
    if (!periodParam(optInFastK_Period, kFastKPeriod, 1) || !periodParam(optInSlowK_Period, kSlowPeriod, 1)
        || !maTypeParam(optInSlowK_MAType) || !maSupported(optInSlowK_MAType)
        || !periodParam(optInSlowD_Period, kSlowPeriod, 1) || !maTypeParam(optInSlowD_MAType)
        || !maSupported(optInSlowD_MAType))
        return -1;
    return (optInFastK_Period - 1) + maLookback(optInSlowK_Period) + maLookback(optInSlowD_Period);
}

TA_RetCode TA_STOCH(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                    const double inClose[], int optInFastK_Period, int optInSlowK_Period,
                    TA_MAType optInSlowK_MAType, int optInSlowD_Period,
                    TA_MAType optInSlowD_MAType, int *outBegIdx, int *outNBElement,
                    double outSlowK[], double outSlowD[])
{
    clearCounts(outBegIdx, outNBElement);
    const TA_RetCode rc = checkIndexes(startIdx, endIdx);
    if (rc != TA_SUCCESS)
        return rc;
    if (!allSet(inHigh, inLow, inClose, outBegIdx, outNBElement, outSlowK, outSlowD)
        || !periodParam(optInFastK_Period, kFastKPeriod, 1) || !periodParam(optInSlowK_Period, kSlowPeriod, 1)
        || !maTypeParam(optInSlowK_MAType) || !periodParam(optInSlowD_Period, kSlowPeriod, 1)
        || !maTypeParam(optInSlowD_MAType))
        return TA_BAD_PARAM;
    if (!maSupported(optInSlowK_MAType) || !maSupported(optInSlowD_MAType))
        return TA_NOT_SUPPORTED;
    const int lookbackK = maLookback(optInSlowK_Period);
    const int lookbackD = maLookback(optInSlowD_Period);
    if (!firstOutput(startIdx, endIdx, (optInFastK_Period - 1) + lookbackK + lookbackD))
        return TA_SUCCESS;
    try {
        // Fast %K from the first bar the two averages need, slow %K as its
        // average, slow %D as the average of slow %K.
        const int first = startIdx - lookbackK - lookbackD;
        std::vector<double> fastK(static_cast<size_t>(endIdx - first + 1));
        fastKRun(inHigh, inLow, inClose, first, endIdx, optInFastK_Period, fastK.data());
        std::vector<double> slowK(fastK.size() - lookbackK);
        maRun(fastK.data(), lookbackK, static_cast<int>(fastK.size()) - 1, optInSlowK_Period, optInSlowK_MAType,
              slowK.data());
        maRun(slowK.data(), lookbackD, static_cast<int>(slowK.size()) - 1, optInSlowD_Period, optInSlowD_MAType,
              outSlowD);
        std::copy(slowK.begin() + lookbackD, slowK.end(), outSlowK);
    } catch (const std::bad_alloc &) {
        return TA_ALLOC_ERR;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_AROON_Lookback(int optInTimePeriod)
{
    if (!periodParam(optInTimePeriod, kAroonPeriod, 2))
        return -1;
    return optInTimePeriod;
}

TA_RetCode TA_AROON(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                    int optInTimePeriod, int *outBegIdx, int *outNBElement,
                    double outAroonDown[], double outAroonUp[])
{
    clearCounts(outBegIdx, outNBElement);
    const TA_RetCode rc = checkIndexes(startIdx, endIdx);
    if (rc != TA_SUCCESS)
        return rc;
    if (!allSet(inHigh, inLow, outBegIdx, outNBElement, outAroonDown, outAroonUp)
        || !periodParam(optInTimePeriod, kAroonPeriod, 2))
        return TA_BAD_PARAM;
    const int p = optInTimePeriod;
    if (!firstOutput(startIdx, endIdx, p))
        return TA_SUCCESS;
    try {
        // The window spans p + 1 bars, so the extreme is 0..p bars old.
        SlidingExtreme<true> highest(inHigh, p + 1);
        SlidingExtreme<false> lowest(inLow, p + 1);
        for (int t = startIdx - p; t < startIdx; ++t) {
            highest.push(t);
            lowest.push(t);
        }
        const double factor = 100.0 / p;
        for (int t = startIdx; t <= endIdx; ++t) {
            *outAroonUp++ = factor * (p - (t - highest.push(t)));
            *outAroonDown++ = factor * (p - (t - lowest.push(t)));
        }
    } catch (const std::bad_alloc &) {
        return TA_ALLOC_ERR;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

} // extern "C"
