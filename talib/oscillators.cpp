// Oscillators over one series or the typical price: RSI, MOM, ROC, CCI and MFI.
#include "tacommon.h"

#include <cmath>
#include <new>
#include <vector>

using namespace velmoran_ta;

namespace {

constexpr int kRsiPeriod = 14;
constexpr int kMomPeriod = 10;
constexpr int kRocPeriod = 10;
constexpr int kCciPeriod = 14;
constexpr int kMfiPeriod = 14;

inline double typicalPrice(const double* high, const double* low, const double* close, int t)
{
    return (high[t] + low[t] + close[t]) / 3;
}

// CCI of a bar from its window (p typical prices, any order), its own typical
// price and the window's average and summed absolute deviations.
inline double cciValue(const double* window, int p, double last, double average, double deviations)
{
    const double distance = last - average;
    if (distance == 0.0 || deviations == 0.0)
        return 0.0;
    // A flat window would otherwise divide rounding noise by rounding noise.
    for (int j = 0; j < p; ++j) {
        if (window[j] != last)
            return distance / (0.015 * (deviations / p));
    }
    return 0.0;
}

} // namespace

extern "C" {

int TA_RSI_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kRsiPeriod, 2, 0);
}

TA_RetCode TA_RSI(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                  int* outNBElement, double outReal[])
{
    const TA_RetCode rc =
            checkRealCall(startIdx, endIdx, inReal, optInTimePeriod, kRsiPeriod, 2, outBegIdx, outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p))
        return rc;

    // Plain averages of the first p gains and losses, then Wilder's averages.
    double gain = 0.0;
    double loss = 0.0;
    for (int t = startIdx - p + 1; t <= startIdx; ++t) {
        const double change = inReal[t] - inReal[t - 1];
        if (change < 0)
            loss -= change;
        else
            gain += change;
    }
    gain /= p;
    loss /= p;
    for (int t = startIdx;;) {
        const double total = gain + loss;
        *outReal++ = isZero(total) ? 0.0 : 100.0 * (gain / total);
        if (++t > endIdx)
            break;
        // Adding 0 to the side that did not move leaves it as it was (neither
        // sum is ever -0), so both sides take a select rather than a branch
        // that random data would mispredict half the time.
        const double change = inReal[t] - inReal[t - 1];
        const double up = greaterOf(0.0, change);  // change < 0 ? 0 : change
        const double down = lesserOf(change, 0.0); // change < 0 ? change : 0
        gain = (gain * (p - 1) + up) / p;
        loss = (loss * (p - 1) - down) / p;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_MOM_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kMomPeriod, 1, 0);
}

TA_RetCode TA_MOM(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                  int* outNBElement, double outReal[])
{
    const TA_RetCode rc =
            checkRealCall(startIdx, endIdx, inReal, optInTimePeriod, kMomPeriod, 1, outBegIdx, outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p))
        return rc;
    for (int t = startIdx; t <= endIdx; ++t)
        *outReal++ = inReal[t] - inReal[t - p];
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_ROC_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kRocPeriod, 1, 0);
}

TA_RetCode TA_ROC(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                  int* outNBElement, double outReal[])
{
    const TA_RetCode rc =
            checkRealCall(startIdx, endIdx, inReal, optInTimePeriod, kRocPeriod, 1, outBegIdx, outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p))
        return rc;
    for (int t = startIdx; t <= endIdx; ++t) {
        const double old = inReal[t - p];
        *outReal++ = old != 0.0 ? (inReal[t] / old - 1.0) * 100.0 : 0.0;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_CCI_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kCciPeriod, 2, -1);
}

TA_RetCode TA_CCI(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                  int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[])
{
    const TA_RetCode rc = checkHlcCall(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod, kCciPeriod, 2,
                                       outBegIdx, outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p - 1))
        return rc;

    std::vector<double> ring;
    try {
        ring.resize(static_cast<size_t>(p));
    } catch (const std::bad_alloc&) {
        return TA_ALLOC_ERR;
    }
    double* window = ring.data();
    // Typical prices in a ring; slot of bar t is (t - oldest) mod p. Every sum
    // runs over the slots from 0 up, so the values stay the same to the bit
    // however the work below is arranged:
    // - slots 0 up to the newest bar's hold the same bars for every bar of one
    //   round of the ring, so that part of the sum is carried from bar to bar;
    // - bars go in pairs, whose windows differ in one slot: the additions of
    //   the two bars are independent chains that the processor runs side by side.
    int slot = 0;
    for (int t = startIdx - p + 1; t < startIdx; ++t)
        window[slot++] = typicalPrice(inHigh, inLow, inClose, t);
    // Sum of the slots below `slot`, from slot 0 up.
    double head = 0.0;
    for (int j = 0; j < slot; ++j)
        head += window[j];
    int t = startIdx;
    for (; t < endIdx; t += 2) {
        const int a = slot;
        const int b = a + 1 == p ? 0 : a + 1;
        const double lastA = typicalPrice(inHigh, inLow, inClose, t);
        const double lastB = typicalPrice(inHigh, inLow, inClose, t + 1);
        // Bar b's slot still holds the bar that leaves with it: bar a's oldest.
        const double leaving = window[b];
        window[a] = lastA;
        const double headA = (a == 0 ? 0.0 : head) + lastA;
        const double headB = (b == 0 ? 0.0 : headA) + lastB;
        double sumA = headA;
        double sumB = headB;
        if (b != 0) {
            sumA += leaving;
            for (int j = b + 1; j < p; ++j) {
                sumA += window[j];
                sumB += window[j];
            }
        } else {
            // Bar a closes a round: bar b opens the next one.
            for (int j = 1; j < p; ++j)
                sumB += window[j];
        }
        const double averageA = sumA / p;
        const double averageB = sumB / p;
        double deviationsA = 0.0;
        double deviationsB = 0.0;
        for (int j = 0; j < b; ++j) {
            deviationsA += std::fabs(window[j] - averageA);
            deviationsB += std::fabs(window[j] - averageB);
        }
        deviationsA += std::fabs(leaving - averageA);
        deviationsB += std::fabs(lastB - averageB);
        for (int j = b + 1; j < p; ++j) {
            deviationsA += std::fabs(window[j] - averageA);
            deviationsB += std::fabs(window[j] - averageB);
        }
        *outReal++ = cciValue(window, p, lastA, averageA, deviationsA);
        window[b] = lastB;
        *outReal++ = cciValue(window, p, lastB, averageB, deviationsB);
        head = headB;
        slot = b + 1 == p ? 0 : b + 1;
    }
    if (t == endIdx) {
        const double last = typicalPrice(inHigh, inLow, inClose, t);
        window[slot] = last;
        double sum = (slot == 0 ? 0.0 : head) + last;
        for (int j = slot + 1; j < p; ++j)
            sum += window[j];
        const double average = sum / p;
        double deviations = 0.0;
        for (int j = 0; j < p; ++j)
            deviations += std::fabs(window[j] - average);
        *outReal++ = cciValue(window, p, last, average, deviations);
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_MFI_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kMfiPeriod, 2, 0);
}

TA_RetCode TA_MFI(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                  const double inVolume[], int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[])
{
    const TA_RetCode rc = checkCall(startIdx, endIdx, outBegIdx, outNBElement,
                                    allSet(inHigh, inLow, inClose, inVolume, outBegIdx, outNBElement, outReal) &&
                                            periodParam(optInTimePeriod, kMfiPeriod, 2));
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, p))
        return rc;

    // Ring of the last p flows: positive in even slots, negative in odd ones.
    std::vector<double> flows;
    try {
        flows.resize(2 * static_cast<size_t>(p));
    } catch (const std::bad_alloc&) {
        return TA_ALLOC_ERR;
    }
    double positive = 0.0;
    double negative = 0.0;
    double prevPrice = typicalPrice(inHigh, inLow, inClose, startIdx - p);
    int slot = 0;
    for (int t = startIdx - p + 1; t <= endIdx; ++t) {
        if (t > startIdx) {
            positive -= flows[2 * slot];
            negative -= flows[2 * slot + 1];
        }
        const double price = typicalPrice(inHigh, inLow, inClose, t);
        const double change = price - prevPrice;
        prevPrice = price;
        const double flow = price * inVolume[t];
        flows[2 * slot] = change > 0 ? flow : 0.0;
        flows[2 * slot + 1] = change < 0 ? flow : 0.0;
        positive += flows[2 * slot];
        negative += flows[2 * slot + 1];
        if (++slot == p)
            slot = 0;
        if (t >= startIdx) {
            const double total = positive + negative;
            *outReal++ = total < 1.0 ? 0.0 : 100.0 * (positive / total);
        }
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

} // extern "C"
