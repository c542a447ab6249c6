// Wilder's directional movement family: ATR, PLUS_DI, MINUS_DI, DX and ADX.
#include "tacommon.h"

#include <cmath>

using namespace velmoran_ta;

namespace {

constexpr int kPeriod = 14;

// +DM and -DM side by side: the same operations on both, so that one
// instruction does each pair of them (their divisions above all) where there
// are two-lane instructions. Lane-wise the results are those of the scalar code.
#ifdef __SSE2__
struct Pair
{
    __m128d v;
};
inline Pair pairOf(double plus, double minus)
{
    return {_mm_set_pd(minus, plus)};
}
inline Pair splat(double v)
{
    return {_mm_set1_pd(v)};
}
inline double plusOf(Pair p)
{
    return _mm_cvtsd_f64(p.v);
}
inline double minusOf(Pair p)
{
    return _mm_cvtsd_f64(_mm_unpackhi_pd(p.v, p.v));
}
inline Pair operator+(Pair a, Pair b)
{
    return {_mm_add_pd(a.v, b.v)};
}
inline Pair operator-(Pair a, Pair b)
{
    return {_mm_sub_pd(a.v, b.v)};
}
inline Pair operator*(Pair a, Pair b)
{
    return {_mm_mul_pd(a.v, b.v)};
}
inline Pair operator/(Pair a, Pair b)
{
    return {_mm_div_pd(a.v, b.v)};
}
// The lanes swapped.
inline Pair swapped(Pair p)
{
    return {_mm_shuffle_pd(p.v, p.v, 1)};
}
// a > b ? x : 0 per lane.
inline Pair ifGreater(Pair a, Pair b, Pair x)
{
    return {_mm_and_pd(_mm_cmpgt_pd(a.v, b.v), x.v)};
}
// a > 0 ? a : 0 per lane.
inline Pair positivePart(Pair a)
{
    return {_mm_max_pd(a.v, _mm_setzero_pd())};
}
#else
struct Pair
{
    double plus;
    double minus;
};
inline Pair pairOf(double plus, double minus)
{
    return {plus, minus};
}
inline Pair splat(double v)
{
    return {v, v};
}
inline double plusOf(Pair p)
{
    return p.plus;
}
inline double minusOf(Pair p)
{
    return p.minus;
}
inline Pair operator+(Pair a, Pair b)
{
    return {a.plus + b.plus, a.minus + b.minus};
}
inline Pair operator-(Pair a, Pair b)
{
    return {a.plus - b.plus, a.minus - b.minus};
}
inline Pair operator*(Pair a, Pair b)
{
    return {a.plus * b.plus, a.minus * b.minus};
}
inline Pair operator/(Pair a, Pair b)
{
    return {a.plus / b.plus, a.minus / b.minus};
}
inline Pair swapped(Pair p)
{
    return {p.minus, p.plus};
}
inline Pair ifGreater(Pair a, Pair b, Pair x)
{
    return {a.plus > b.plus ? x.plus : 0.0, a.minus > b.minus ? x.minus : 0.0};
}
inline Pair positivePart(Pair a)
{
    return {a.plus > 0.0 ? a.plus : 0.0, a.minus > 0.0 ? a.minus : 0.0};
}
#endif

struct Move
{
    Pair dm; // +DM, -DM
    double tr;
};

// The movement of bar t over bar t - 1; only the larger of an up and a down
// move counts: (up > 0 && up > down) ? up : 0, and so for down.
inline Move moveAt(const double* high, const double* low, const double* close, int t)
{
    const Pair move = pairOf(high[t], low[t - 1]) - pairOf(high[t - 1], low[t]); // up, down
    Move m;
    m.dm = ifGreater(move, swapped(move), positivePart(move));
    m.tr = trueRange(high[t], low[t], close[t - 1]);
    return m;
}

// Wilder-smoothed sums of +DM, -DM and TR. As in TA-Lib, the moves of the
// first p - 1 bars after `base` are summed plainly, then every bar from
// base + p on takes sum - sum / p + move; emit(t, sums) sees those bars up to last.
template <class Emit>
void smoothedMoves(const double* high, const double* low, const double* close, int base, int last, int p, Emit&& emit)
{
    Move sum = {splat(0.0), 0.0};
    int t = base + 1;
    for (; t < base + p; ++t) {
        const Move m = moveAt(high, low, close, t);
        sum.dm = sum.dm + m.dm;
        sum.tr += m.tr;
    }
    const Pair period = splat(p);
    for (; t <= last; ++t) {
        const Move m = moveAt(high, low, close, t);
        sum.dm = sum.dm - sum.dm / period + m.dm;
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
    const Pair di = splat(100.0) * (sum.dm / splat(sum.tr));
    const double minusDI = minusOf(di);
    const double plusDI = plusOf(di);
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
                  [&](int, const Move& sum) { *outReal++ = di(Plus ? plusOf(sum.dm) : minusOf(sum.dm), sum.tr); });
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
