// Argument checks and running kernels shared by the indicator functions.
#pragma once

#include "ta_libc.h"

#include <cmath>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velmoran_ta {

constexpr int kMaxPeriod = 100000;
constexpr double kMaxReal = 3e37;

// TA-Lib's tolerance for sums and variances that should be zero.
inline bool isZero(double v)
{
    return -1e-8 < v && v < 1e-8;
}
inline bool isZeroOrNeg(double v)
{
    return v < 1e-8;
}

inline bool allSet()
{
    return true;
}
template <class P, class... Rest>
inline bool allSet(P p, Rest... rest)
{
    return p != nullptr && allSet(rest...);
}

// Zeroes the counters so that every failure leaves them empty.
inline void clearCounts(int* outBegIdx, int* outNBElement)
{
    if (outBegIdx)
        *outBegIdx = 0;
    if (outNBElement)
        *outNBElement = 0;
}

inline TA_RetCode checkIndexes(int startIdx, int endIdx)
{
    if (startIdx < 0)
        return TA_OUT_OF_RANGE_START_INDEX;
    if (endIdx < 0 || endIdx < startIdx)
        return TA_OUT_OF_RANGE_END_INDEX;
    return TA_SUCCESS;
}

// The opening every function shares, in TA-Lib's order: the counters
// cleared, the index range, then the pointers and options (`valid`), then
// whether the options are implemented.
inline TA_RetCode checkCall(int startIdx, int endIdx, int* outBegIdx, int* outNBElement, bool valid,
                            bool supported = true)
{
    clearCounts(outBegIdx, outNBElement);
    const TA_RetCode rc = checkIndexes(startIdx, endIdx);
    if (rc != TA_SUCCESS)
        return rc;
    if (!valid)
        return TA_BAD_PARAM;
    return supported ? TA_SUCCESS : TA_NOT_SUPPORTED;
}

// Resolves the default sentinel and checks the range.
inline bool periodParam(int& value, int defaultValue, int minimum)
{
    if (value == TA_INTEGER_DEFAULT) {
        value = defaultValue;
        return true;
    }
    return value >= minimum && value <= kMaxPeriod;
}

// checkCall for the functions over one series with one period and one output.
inline TA_RetCode checkRealCall(int startIdx, int endIdx, const double* in, int& period, int defaultValue, int minimum,
                                int* outBegIdx, int* outNBElement, const double* out)
{
    return checkCall(startIdx, endIdx, outBegIdx, outNBElement,
                     allSet(in, outBegIdx, outNBElement, out) && periodParam(period, defaultValue, minimum));
}

// checkCall for the functions over high, low and close with one period and one output.
inline TA_RetCode checkHlcCall(int startIdx, int endIdx, const double* high, const double* low, const double* close,
                               int& period, int defaultValue, int minimum, int* outBegIdx, int* outNBElement,
                               const double* out)
{
    return checkCall(startIdx, endIdx, outBegIdx, outNBElement,
                     allSet(high, low, close, outBegIdx, outNBElement, out) &&
                             periodParam(period, defaultValue, minimum));
}

// Look-back of a function whose only option is its period: period + offset, -1 for a bad period.
inline int periodLookback(int period, int defaultValue, int minimum, int offset)
{
    return periodParam(period, defaultValue, minimum) ? period + offset : -1;
}

// NaN fails the range test as well.
inline bool realParam(double& value, double defaultValue, double minimum, double maximum)
{
    if (value == TA_REAL_DEFAULT) {
        value = defaultValue;
        return true;
    }
    return value >= minimum && value <= maximum;
}

inline bool maTypeParam(TA_MAType& type)
{
    if (static_cast<int>(type) == TA_INTEGER_DEFAULT) {
        type = TA_MAType_SMA;
        return true;
    }
    return type >= TA_MAType_SMA && type <= TA_MAType_T3;
}

inline bool maSupported(TA_MAType type)
{
    return type == TA_MAType_SMA || type == TA_MAType_EMA;
}

// Look-back of the supported averages (both p - 1).
inline int maLookback(int period)
{
    return period - 1;
}

// Raises startIdx to the look-back; false when no value is left to compute.
inline bool firstOutput(int& startIdx, int endIdx, int lookback)
{
    if (startIdx < lookback)
        startIdx = lookback;
    return startIdx <= endIdx;
}

inline TA_RetCode done(int startIdx, int endIdx, int* outBegIdx, int* outNBElement)
{
    *outBegIdx = startIdx;
    *outNBElement = endIdx - startIdx + 1;
    return TA_SUCCESS;
}

inline double emaFactor(int period)
{
    return 2.0 / (period + 1);
}

// Wilder's smoothing: the previous average weighted p - 1 against one new value.
inline double wilderAverage(double prev, double value, int period)
{
    return (prev * (period - 1) + value) / period;
}

// a > b ? a : b and a < b ? a : b (b when unordered) as single instructions
// where there are such: the compiler turns the plain form into a branch,
// which random data mispredicts half the time.
inline double greaterOf(double a, double b)
{
#ifdef __SSE2__
    return _mm_cvtsd_f64(_mm_max_sd(_mm_set_sd(a), _mm_set_sd(b)));
#else
    return a > b ? a : b;
#endif
}
inline double lesserOf(double a, double b)
{
#ifdef __SSE2__
    return _mm_cvtsd_f64(_mm_min_sd(_mm_set_sd(a), _mm_set_sd(b)));
#else
    return a < b ? a : b;
#endif
}
// a > b ? x : 0.0, branch-free likewise.
inline double ifGreater(double a, double b, double x)
{
#ifdef __SSE2__
    return _mm_cvtsd_f64(_mm_and_pd(_mm_cmpgt_sd(_mm_set_sd(a), _mm_set_sd(b)), _mm_set_sd(x)));
#else
    return a > b ? x : 0.0;
#endif
}

// The distances to the previous close are fabs rather than a branch on which
// side it lies: the same value (x - y is exactly -(y - x)), and a NaN, whatever
// its sign, never replaces the range.
inline double trueRange(double high, double low, double prevClose)
{
    double range = high - low;
    range = greaterOf(std::fabs(high - prevClose), range);
    range = greaterOf(std::fabs(low - prevClose), range);
    return range;
}

// The kernels write the values of input indexes first..last to out[0..];
// first must be at least the kernel's look-back.
void smaRun(const double* in, int first, int last, int period, double* out);
// Seeded with the plain average of the period ending at first.
void emaRun(const double* in, int first, int last, int period, double k, double* out);
// SMA or EMA; period 1 copies the input.
void maRun(const double* in, int first, int last, int period, TA_MAType type, double* out);

} // namespace velmoran_ta
