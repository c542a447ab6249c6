// Wilder's parabolic stop-and-reverse.
#include "tacommon.h"

using namespace velmoran_ta;

namespace {

constexpr double kAcceleration = 0.02;
constexpr double kMaximum = 0.2;

// A stop never sits inside the range of the last two bars: a short one not
// below their highs, a long one not above their lows.
inline double notBelow(double sar, double high1, double high2)
{
    if (sar < high1)
        sar = high1;
    if (sar < high2)
        sar = high2;
    return sar;
}

inline double notAbove(double sar, double low1, double low2)
{
    if (sar > low1)
        sar = low1;
    if (sar > low2)
        sar = low2;
    return sar;
}

// Each new extreme point raises the acceleration by one step, up to the maximum.
inline double accelerated(double af, double step, double maximum)
{
    af += step;
    return af > maximum ? maximum : af;
}

} // namespace

extern "C" {

int TA_SAR_Lookback(double optInAcceleration, double optInMaximum)
{
    if (!realParam(optInAcceleration, kAcceleration, 0.0, kMaxReal) ||
        !realParam(optInMaximum, kMaximum, 0.0, kMaxReal))
        return -1;
    return 1;
}

TA_RetCode TA_SAR(int startIdx, int endIdx, const double inHigh[], const double inLow[], double optInAcceleration,
                  double optInMaximum, int* outBegIdx, int* outNBElement, double outReal[])
{
    const TA_RetCode rc = checkCall(startIdx, endIdx, outBegIdx, outNBElement,
                                    allSet(inHigh, inLow, outBegIdx, outNBElement, outReal) &&
                                            realParam(optInAcceleration, kAcceleration, 0.0, kMaxReal) &&
                                            realParam(optInMaximum, kMaximum, 0.0, kMaxReal));
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, 1))
        return rc;

    double step = optInAcceleration;
    const double maximum = optInMaximum;
    if (step > maximum)
        step = maximum;
    double af = step;

    // Short only when the first bar's down move is positive and beats its up
    // move (a positive -DM); otherwise long.
    const double up = inHigh[startIdx] - inHigh[startIdx - 1];
    const double down = inLow[startIdx - 1] - inLow[startIdx];
    bool isLong = !(down > 0 && down > up);

    // Long starts below the previous bar's low with the bar's high as extreme point; short mirrors it.
    double sar = isLong ? inLow[startIdx - 1] : inHigh[startIdx - 1];
    double ep = isLong ? inHigh[startIdx] : inLow[startIdx];

    // On the first bar the "previous" bar is the bar itself.
    double newLow = inLow[startIdx];
    double newHigh = inHigh[startIdx];
    for (int t = startIdx; t <= endIdx; ++t) {
        const double prevLow = newLow;
        const double prevHigh = newHigh;
        newLow = inLow[t];
        newHigh = inHigh[t];
        if (isLong) {
            if (newLow <= sar) {
                // Reverse to short: the stop jumps to the extreme point.
                isLong = false;
                sar = notBelow(ep, prevHigh, newHigh);
                *outReal++ = sar;
                af = step;
                ep = newLow;
                sar = notBelow(sar + af * (ep - sar), prevHigh, newHigh);
            } else {
                *outReal++ = sar;
                if (newHigh > ep) {
                    ep = newHigh;
                    af = accelerated(af, step, maximum);
                }
                sar = notAbove(sar + af * (ep - sar), prevLow, newLow);
            }
        } else {
            if (newHigh >= sar) {
                isLong = true;
                sar = notAbove(ep, prevLow, newLow);
                *outReal++ = sar;
                af = step;
                ep = newHigh;
                sar = notAbove(sar + af * (ep - sar), prevLow, newLow);
            } else {
                *outReal++ = sar;
                if (newLow < ep) {
                    ep = newLow;
                    af = accelerated(af, step, maximum);
                }
                sar = notBelow(sar + af * (ep - sar), prevHigh, newHigh);
            }
        }
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

} // extern "C"
