// Wilder's parabolic stop-and-reverse.
#include "tacommon.h"

using namespace velmoran_ta;

namespace {

constexpr double kAcceleration = 0.02;
constexpr double kMaximum = 0.2;

} // namespace

extern "C" {

int TA_SAR_Lookback(double optInAcceleration, double optInMaximum)
{
    if (!realParam(optInAcceleration, kAcceleration, 0.0, kMaxReal) || !realParam(optInMaximum, kMaximum, 0.0, kMaxReal))
        return -1;
    return 1;
}

TA_RetCode TA_SAR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                  double optInAcceleration, double optInMaximum, int *outBegIdx,
                  int *outNBElement, double outReal[])
{
    clearCounts(outBegIdx, outNBElement);
    const TA_RetCode rc = checkIndexes(startIdx, endIdx);
    if (rc != TA_SUCCESS)
        return rc;
    if (!allSet(inHigh, inLow, outBegIdx, outNBElement, outReal)
        || !realParam(optInAcceleration, kAcceleration, 0.0, kMaxReal)
        || !realParam(optInMaximum, kMaximum, 0.0, kMaxReal))
        return TA_BAD_PARAM;
    if (!firstOutput(startIdx, endIdx, 1))
        return TA_SUCCESS;

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
                sar = ep;
                if (sar < prevHigh)
                    sar = prevHigh;
                if (sar < newHigh)
                    sar = newHigh;
                *outReal++ = sar;
                af = step;
                ep = newLow;
                sar = sar + af * (ep - sar);
                if (sar < prevHigh)
                    sar = prevHigh;
                if (sar < newHigh)
                    sar = newHigh;
            } else {
                *outReal++ = sar;
                if (newHigh > ep) {
                    ep = newHigh;
                    af += step;
                    if (af > maximum)
                        af = maximum;
                }
                sar = sar + af * (ep - sar);
                // Never inside the range of the last two bars.
                if (sar > prevLow)
                    sar = prevLow;
                if (sar > newLow)
                    sar = newLow;
            }
        } else {
            if (newHigh >= sar) {
                isLong = true;
                sar = ep;
                if (sar > prevLow)
                    sar = prevLow;
                if (sar > newLow)
                    sar = newLow;
                *outReal++ = sar;
                af = step;
                ep = newHigh;
                sar = sar + af * (ep - sar);
                if (sar > prevLow)
                    sar = prevLow;
                if (sar > newLow)
                    sar = newLow;
            } else {
                *outReal++ = sar;
                if (newLow < ep) {
                    ep = newLow;
                    af += step;
                    if (af > maximum)
                        af = maximum;
                }
                sar = sar + af * (ep - sar);
                if (sar < prevHigh)
                    sar = prevHigh;
                if (sar < newHigh)
                    sar = newHigh;
            }
        }
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

} // extern "C"
