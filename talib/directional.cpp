// Wilder's directional movement family: ATR, PLUS_DI, MINUS_DI, DX and ADX.
#include "tacommon.h"

#include <cmath>

using namespace velmoran_ta;

namespace {

constexpr int kPeriod = 14;

struct Move
{
    double plusDM;
    double minusDM;
    double tr;
};

// The movement of bar t over bar t - 1; only the larger of an up and a down move counts.
inline Move moveAt(const double* high, const double* low, const double* close, int t)
{
    const double up = high[t] - high[t - 1];
    const double down = low[t - 1] - low[t];
    // (up > 0 && up > down) ? up : 0, and so for down, without the branches
    // random data would mispredict.
    Move m;
    m.plusDM = ifGreater(up, down, greaterOf(up, 0.0));
    m.minusDM = ifGreater(down, up, greaterOf(down, 0.0));
    m.tr = trueRange(high[t], low[t], close[t - 1]);
    return m;
}

// Wilder-smoothed sums of +DM, -DM and TR. As in TA-Lib, the moves of the
// first p - 1 bars after `base` are summed plainly, then every bar from
// base + p on takes sum - sum / p + move; emit(t, sums) sees those bars up to last.
template <class Emit>
void smoothedMoves(const double* high, const double* low, const double* close, int base, int last, int p, Emit&& emit)
{
    Move sum = {0.0, 0.0, 0.0};
    int t = base + 1;
    for (; t < base + p; ++t) {
        const Move m = moveAt(high, low, close, t);
        sum.plusDM += m.plusDM;
        sum.minusDM += m.minusDM;
        sum.tr += m.tr;
    }
    for (; t <= last; ++t) {
        const Move m = moveAt(high, low, close, t);
        sum.plusDM = sum.plusDM - sum.plusDM / p + m.plusDM;
        sum.minusDM = sum.minusDM - sum.minusDM / p + m.minusDM;
        sum.tr = sum.tr - sum.tr / p + m.tr;
        emit(t, sum);
    }
}

inline double di(double dm, double tr)
{
    return isZero(tr) ? 0.0 : 100.0 * (dm / tr);
}

// DX from the smoothed sums; false when the sums carry no direction.
inline bool dxOf(const Move& sum, double& dx)
{
    if (isZero(sum.tr))
        return false;
    const double minusDI = 100.0 * (sum.minusDM / sum.tr);
    const double plusDI = 100.0 * (sum.plusDM / sum.tr);
    const double total = minusDI + plusDI;
    if (isZero(total))
        return false;
    dx = 100.0 * (std::fabs(minusDI - plusDI) / total);
    return true;
}

// A template, so that each of PLUS_DI and MINUS_DI gets a loop of its own.
template <bool Plus>
TA_RetCode directionalIndex(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                            const double inClose[], int optInTimePeriod, int* outBegIdx, int* outNBElement,
                            double outReal[])
{
    const TA_RetCode rc = checkHlcCall(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod, kPeriod, 1, outBegIdx,
                                       outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p))
        return rc;
    smoothedMoves(inHigh, inLow, inClose, startIdx - p, endIdx, p,
                  [&](int, const Move& sum) { *outReal++ = di(Plus ? sum.plusDM : sum.minusDM, sum.tr); });
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

} // namespace

extern "C" {

int TA_ATR_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kPeriod, 1, 0);
}

TA_RetCode TA_ATR(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                  int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[])
{
    const TA_RetCode rc = checkHlcCall(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod, kPeriod, 1, outBegIdx,
                                       outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p))
        return rc;

    // Period 1 is the true range itself.
    if (p == 1) {
        for (int t = startIdx; t <= endIdx; ++t)
            *outReal++ = trueRange(inHigh[t], inLow[t], inClose[t - 1]);
        return done(startIdx, endIdx, outBegIdx, outNBElement);
    }
    // The first value is the plain average of the p true ranges ending at startIdx.
    double sum = 0.0;
    for (int t = startIdx - p + 1; t <= startIdx; ++t)
        sum += trueRange(inHigh[t], inLow[t], inClose[t - 1]);
    double atr = sum / p;
    *outReal++ = atr;
    for (int t = startIdx + 1; t <= endIdx; ++t) {
        atr = wilderAverage(atr, trueRange(inHigh[t], inLow[t], inClose[t - 1]), p);
        *outReal++ = atr;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_PLUS_DI_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kPeriod, 1, 0);
}

TA_RetCode TA_PLUS_DI(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                      int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[])
{
    return directionalIndex<true>(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod, outBegIdx, outNBElement,
                                  outReal);
}

int TA_MINUS_DI_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kPeriod, 1, 0);
}

TA_RetCode TA_MINUS_DI(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                       int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[])
{
    return directionalIndex<false>(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod, outBegIdx, outNBElement,
                                   outReal);
}

int TA_DX_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kPeriod, 2, 0);
}

TA_RetCode TA_DX(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                 int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[])
{
    const TA_RetCode rc = checkHlcCall(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod, kPeriod, 2, outBegIdx,
                                       outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p))
        return rc;
    // Without direction the first value is 0 and later ones repeat the previous one.
    double prev = 0.0;
    smoothedMoves(inHigh, inLow, inClose, startIdx - p, endIdx, p, [&](int, const Move& sum) {
        double dx;
        if (dxOf(sum, dx))
            prev = dx;
        *outReal++ = prev;
    });
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_ADX_Lookback(int optInTimePeriod)
{
    if (!periodParam(optInTimePeriod, kPeriod, 2))
        return -1;
    return 2 * optInTimePeriod - 1;
}

TA_RetCode TA_ADX(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                  int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[])
{
    const TA_RetCode rc = checkHlcCall(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod, kPeriod, 2, outBegIdx,
                                       outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, TA_ADX_Lookback(p)))
        return rc;
    // The first ADX averages the p DX values ending at startIdx (a DX without
    // direction counts as 0); later ones are Wilder averages that skip such DX.
    double sumDX = 0.0;
    double adx = 0.0;
    smoothedMoves(inHigh, inLow, inClose, startIdx - (2 * p - 1), endIdx, p, [&](int t, const Move& sum) {
        double dx;
        const bool directed = dxOf(sum, dx);
        if (t < startIdx) {
            if (directed)
                sumDX += dx;
            return;
        }
        if (t == startIdx) {
            if (directed)
                sumDX += dx;
            adx = sumDX / p;
        } else if (directed) {
            adx = wilderAverage(adx, dx, p);
        }
        *outReal++ = adx;
    });
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

} // extern "C"
