// Moving averages and the functions built on them: MA, DEMA, KAMA, BBANDS,
// STDDEV and MACDFIX.
#include "tacommon.h"

#include <cmath>

using namespace velmoran_ta;

namespace {

constexpr int kMaPeriod = 30;
constexpr int kDemaPeriod = 30;
constexpr int kKamaPeriod = 30;
constexpr int kBbandsPeriod = 5;
constexpr double kBbandsDev = 2.0;
constexpr int kStddevPeriod = 5;
constexpr double kStddevDev = 1.0;
constexpr int kMacdSignal = 9;

// MACDFIX keeps TA-Lib's fixed factors rather than 2/(12+1) and 2/(26+1).
constexpr int kMacdFast = 12;
constexpr int kMacdSlow = 26;
constexpr double kMacdFastK = 0.15;
constexpr double kMacdSlowK = 0.075;

// Population variance of the window ending at each index, from running sums.
void varianceRun(const double* in, int first, int last, int period, double* out)
{
    int trailing = first - period + 1;
    double sum = 0.0;
    double sumSq = 0.0;
    for (int i = trailing; i < first; ++i) {
        sum += in[i];
        sumSq += in[i] * in[i];
    }
    for (int i = first; i <= last; ++i) {
        sum += in[i];
        sumSq += in[i] * in[i];
        const double mean = sum / period;
        const double meanSq = sumSq / period;
        sum -= in[trailing];
        sumSq -= in[trailing] * in[trailing];
        ++trailing;
        *out++ = meanSq - mean * mean;
    }
}

inline double deviation(double variance)
{
    return isZeroOrNeg(variance) ? 0.0 : std::sqrt(variance);
}

} // namespace

extern "C" {

int TA_MA_Lookback(int optInTimePeriod, TA_MAType optInMAType)
{
    if (!periodParam(optInTimePeriod, kMaPeriod, 1) || !maTypeParam(optInMAType) || !maSupported(optInMAType))
        return -1;
    return maLookback(optInTimePeriod);
}

TA_RetCode TA_MA(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, TA_MAType optInMAType,
                 int* outBegIdx, int* outNBElement, double outReal[])
{
    const bool valid = allSet(inReal, outBegIdx, outNBElement, outReal) && periodParam(optInTimePeriod, kMaPeriod, 1) &&
                       maTypeParam(optInMAType);
    const TA_RetCode rc = checkCall(startIdx, endIdx, outBegIdx, outNBElement, valid, maSupported(optInMAType));
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, maLookback(optInTimePeriod)))
        return rc;
    maRun(inReal, startIdx, endIdx, optInTimePeriod, optInMAType, outReal);
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_DEMA_Lookback(int optInTimePeriod)
{
    if (!periodParam(optInTimePeriod, kDemaPeriod, 2))
        return -1;
    return 2 * (optInTimePeriod - 1);
}

TA_RetCode TA_DEMA(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                   int* outNBElement, double outReal[])
{
    const TA_RetCode rc =
            checkRealCall(startIdx, endIdx, inReal, optInTimePeriod, kDemaPeriod, 2, outBegIdx, outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, TA_DEMA_Lookback(p)))
        return rc;

    // The first EMA starts p - 1 bars before the output; the second is seeded
    // with the plain average of the first EMA's first p values.
    const double k = emaFactor(p);
    const int first = startIdx - (p - 1);
    double sum = 0.0;
    for (int i = first - p + 1; i <= first; ++i)
        sum += inReal[i];
    double ema1 = sum / p;
    double sum2 = ema1;
    for (int i = first + 1; i <= startIdx; ++i) {
        ema1 = (inReal[i] - ema1) * k + ema1;
        sum2 += ema1;
    }
    double ema2 = sum2 / p;
    *outReal++ = 2.0 * ema1 - ema2;
    for (int i = startIdx + 1; i <= endIdx; ++i) {
        ema1 = (inReal[i] - ema1) * k + ema1;
        ema2 = (ema1 - ema2) * k + ema2;
        *outReal++ = 2.0 * ema1 - ema2;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_KAMA_Lookback(int optInTimePeriod)
{
    return periodLookback(optInTimePeriod, kKamaPeriod, 2, 0);
}

TA_RetCode TA_KAMA(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                   int* outNBElement, double outReal[])
{
    const TA_RetCode rc =
            checkRealCall(startIdx, endIdx, inReal, optInTimePeriod, kKamaPeriod, 2, outBegIdx, outNBElement, outReal);
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, TA_KAMA_Lookback(p)))
        return rc;

    const double slowest = 2.0 / (30 + 1);
    const double span = 2.0 / (2 + 1) - slowest;

    // Volatility: the sum of the p absolute one-bar changes ending at the bar.
    double volatility = 0.0;
    for (int i = startIdx - p; i < startIdx; ++i)
        volatility += std::fabs(inReal[i + 1] - inReal[i]);

    // The first value starts from the previous close.
    double kama = inReal[startIdx - 1];
    for (int i = startIdx; i <= endIdx; ++i) {
        if (i > startIdx) {
            volatility -= std::fabs(inReal[i - p] - inReal[i - p - 1]);
            volatility += std::fabs(inReal[i] - inReal[i - 1]);
        }
        const double change = inReal[i] - inReal[i - p];
        // A running sum can dip below the net change by rounding; both mean efficiency 1.
        const double efficiency = (volatility <= change || isZero(volatility)) ? 1.0 : std::fabs(change / volatility);
        double sc = efficiency * span + slowest;
        sc *= sc;
        kama = (inReal[i] - kama) * sc + kama;
        *outReal++ = kama;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_BBANDS_Lookback(int optInTimePeriod, double optInNbDevUp, double optInNbDevDn, TA_MAType optInMAType)
{
    if (!periodParam(optInTimePeriod, kBbandsPeriod, 2) || !realParam(optInNbDevUp, kBbandsDev, -kMaxReal, kMaxReal) ||
        !realParam(optInNbDevDn, kBbandsDev, -kMaxReal, kMaxReal) || !maTypeParam(optInMAType) ||
        !maSupported(optInMAType))
        return -1;
    return maLookback(optInTimePeriod);
}

TA_RetCode TA_BBANDS(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, double optInNbDevUp,
                     double optInNbDevDn, TA_MAType optInMAType, int* outBegIdx, int* outNBElement,
                     double outRealUpperBand[], double outRealMiddleBand[], double outRealLowerBand[])
{
    const bool valid = allSet(inReal, outBegIdx, outNBElement, outRealUpperBand, outRealMiddleBand, outRealLowerBand) &&
                       periodParam(optInTimePeriod, kBbandsPeriod, 2) &&
                       realParam(optInNbDevUp, kBbandsDev, -kMaxReal, kMaxReal) &&
                       realParam(optInNbDevDn, kBbandsDev, -kMaxReal, kMaxReal) && maTypeParam(optInMAType);
    const TA_RetCode rc = checkCall(startIdx, endIdx, outBegIdx, outNBElement, valid, maSupported(optInMAType));
    const int p = optInTimePeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, maLookback(p)))
        return rc;

    const int count = endIdx - startIdx + 1;
    maRun(inReal, startIdx, endIdx, p, optInMAType, outRealMiddleBand);
    // The lower band holds the variance until the bands are written.
    double* variance = outRealLowerBand;
    if (optInMAType == TA_MAType_SMA) {
        // The middle band is the window mean: only the squares need a running sum.
        int trailing = startIdx - p + 1;
        double sumSq = 0.0;
        for (int i = trailing; i < startIdx; ++i)
            sumSq += inReal[i] * inReal[i];
        for (int k = 0; k < count; ++k) {
            const double x = inReal[startIdx + k];
            sumSq += x * x;
            const double meanSq = sumSq / p;
            sumSq -= inReal[trailing] * inReal[trailing];
            ++trailing;
            variance[k] = meanSq - outRealMiddleBand[k] * outRealMiddleBand[k];
        }
    } else {
        varianceRun(inReal, startIdx, endIdx, p, variance);
    }
    for (int k = 0; k < count; ++k) {
        const double sd = deviation(variance[k]);
        outRealUpperBand[k] = outRealMiddleBand[k] + sd * optInNbDevUp;
        outRealLowerBand[k] = outRealMiddleBand[k] - sd * optInNbDevDn;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_STDDEV_Lookback(int optInTimePeriod, double optInNbDev)
{
    if (!periodParam(optInTimePeriod, kStddevPeriod, 2) || !realParam(optInNbDev, kStddevDev, -kMaxReal, kMaxReal))
        return -1;
    return optInTimePeriod - 1;
}

TA_RetCode TA_STDDEV(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, double optInNbDev,
                     int* outBegIdx, int* outNBElement, double outReal[])
{
    const TA_RetCode rc = checkCall(startIdx, endIdx, outBegIdx, outNBElement,
                                    allSet(inReal, outBegIdx, outNBElement, outReal) &&
                                            periodParam(optInTimePeriod, kStddevPeriod, 2) &&
                                            realParam(optInNbDev, kStddevDev, -kMaxReal, kMaxReal));
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, optInTimePeriod - 1))
        return rc;
    varianceRun(inReal, startIdx, endIdx, optInTimePeriod, outReal);
    for (int k = 0, count = endIdx - startIdx + 1; k < count; ++k) {
        const double sd = deviation(outReal[k]);
        outReal[k] = sd == 0.0 ? 0.0 : sd * optInNbDev; // no -0 for a negative multiplier
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

int TA_MACDFIX_Lookback(int optInSignalPeriod)
{
    if (!periodParam(optInSignalPeriod, kMacdSignal, 1))
        return -1;
    return (kMacdSlow - 1) + (optInSignalPeriod - 1);
}

TA_RetCode TA_MACDFIX(int startIdx, int endIdx, const double inReal[], int optInSignalPeriod, int* outBegIdx,
                      int* outNBElement, double outMACD[], double outMACDSignal[], double outMACDHist[])
{
    const TA_RetCode rc = checkCall(startIdx, endIdx, outBegIdx, outNBElement,
                                    allSet(inReal, outBegIdx, outNBElement, outMACD, outMACDSignal, outMACDHist) &&
                                            periodParam(optInSignalPeriod, kMacdSignal, 1));
    const int signal = optInSignalPeriod;
    if (rc != TA_SUCCESS || !firstOutput(startIdx, endIdx, TA_MACDFIX_Lookback(signal)))
        return rc;

    // Both EMAs begin on the same bar, signal - 1 bars before the first output,
    // each seeded with the plain average of its own period ending there; the
    // signal EMA is seeded with the average of the first `signal` MACD values.
    const int first = startIdx - (signal - 1);
    double fastSum = 0.0;
    for (int i = first - kMacdFast + 1; i <= first; ++i)
        fastSum += inReal[i];
    double slowSum = 0.0;
    for (int i = first - kMacdSlow + 1; i <= first; ++i)
        slowSum += inReal[i];
    double fast = fastSum / kMacdFast;
    double slow = slowSum / kMacdSlow;
    double macd = fast - slow;
    double signalSum = macd;
    for (int i = first + 1; i <= startIdx; ++i) {
        fast = (inReal[i] - fast) * kMacdFastK + fast;
        slow = (inReal[i] - slow) * kMacdSlowK + slow;
        macd = fast - slow;
        signalSum += macd;
    }
    const double k = emaFactor(signal);
    double signalLine = signalSum / signal;
    for (int i = startIdx, o = 0;; ++o) {
        outMACD[o] = macd;
        outMACDSignal[o] = signalLine;
        outMACDHist[o] = macd - signalLine;
        if (++i > endIdx)
            break;
        fast = (inReal[i] - fast) * kMacdFastK + fast;
        slow = (inReal[i] - slow) * kMacdSlowK + slow;
        macd = fast - slow;
        signalLine = (macd - signalLine) * k + signalLine;
    }
    return done(startIdx, endIdx, outBegIdx, outNBElement);
}

} // extern "C"
