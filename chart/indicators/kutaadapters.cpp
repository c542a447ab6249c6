#include "kutaadapters.h"

#include "ta_libc.h"

#include <algorithm>
#include <array>
#include <climits>
#include <initializer_list>
#include <new>
#include <vector>

namespace {

constexpr int kMaxOutputs = 3;
using Outputs = std::array<double*, kMaxOutputs>;

using HlcFunction = TA_RetCode (*)(int, int, const double*, const double*, const double*, int, int*, int*, double*);
using RealFunction = TA_RetCode (*)(int, int, const double*, int, int*, int*, double*);

int floorPeriod(int period)
{
    return period <= 1 ? 2 : period;
}

// The shortest input, -1 when one is missing.
int inputSize(std::initializer_list<kuTaInput> inputs)
{
    int n = INT_MAX;
    for (kuTaInput in : inputs) {
        if (!in)
            return -1;
        n = std::min(n, in->size());
    }
    return n;
}

// TA takes these sentinels for "use my default"; the adapters pass every
// parameter themselves, so a caller's value that happens to equal one fails.
bool isDefault(int value)
{
    return value == TA_INTEGER_DEFAULT;
}
bool isDefault(double value)
{
    return value == TA_REAL_DEFAULT;
}

// Room for the outputs that are not returned, kept per thread: the series are
// long and recomputed on every data change, and a buffer freed each time would
// be handed back to the system and faulted in again on the next call.
double* scratch(int slot, int n)
{
    thread_local std::array<std::vector<double>, kMaxOutputs> buffers;
    std::vector<double>& buffer = buffers[slot];
    const std::size_t needed = static_cast<std::size_t>(n) + 1;
    if (buffer.size() < needed)
        buffer.resize(needed);
    return buffer.data();
}

// Runs `call(outputs, &outBegIdx, &outNBElement)` with output `kept` of
// `outputs` written straight into the result, then turns it newest first.
template <class Call>
QVector<double> runKept(int n, int outputs, int kept, Call call)
{
    if (n <= 0)
        return {};
    try {
        QVector<double> result(n);
        Outputs out{};
        for (int i = 0; i < outputs; ++i)
            out[i] = i == kept ? result.data() : scratch(i, n);
        int begIdx = 0;
        int count = 0;
        // A failure would otherwise leave n zeros, drawn as a line at zero.
        if (call(out, &begIdx, &count) != TA_SUCCESS || count < 0 || count > n)
            return {};
        result.resize(count);
        std::reverse(result.begin(), result.end());
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// As runKept, with every output in scratch and the kept one copied newest
// first; values outside [low, high] (NaN too) become 0.
template <class Call>
QVector<double> runFiltered(int n, int outputs, int kept, double low, double high, Call call)
{
    if (n <= 0)
        return {};
    try {
        Outputs out{};
        for (int i = 0; i < outputs; ++i)
            out[i] = scratch(i, n);
        int begIdx = 0;
        int count = 0;
        if (call(out, &begIdx, &count) != TA_SUCCESS || count < 0 || count > n)
            return {};
        QVector<double> result(count);
        double* to = result.data();
        const double* from = out[kept] + count - 1;
        for (int i = 0; i < count; ++i) {
            const double v = *from--;
            to[i] = v >= low && v <= high ? v : 0.0;
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QVector<double> hlcKept(HlcFunction function, kuTaInput high, kuTaInput low, kuTaInput close, int period)
{
    period = floorPeriod(period);
    const int n = inputSize({high, low, close});
    return runKept(n, 1, 0, [&](const Outputs& out, int* begIdx, int* count) {
        return function(0, n - 1, high->constData(), low->constData(), close->constData(), period, begIdx, count,
                        out[0]);
    });
}

QVector<double> realKept(RealFunction function, kuTaInput series, int period)
{
    period = floorPeriod(period);
    const int n = inputSize({series});
    return runKept(n, 1, 0, [&](const Outputs& out, int* begIdx, int* count) {
        return function(0, n - 1, series->constData(), period, begIdx, count, out[0]);
    });
}

enum AroonOutput
{
    AroonDown,
    AroonUp
};

QVector<double> aroon(kuTaInput high, kuTaInput low, int period, AroonOutput kept)
{
    period = floorPeriod(period);
    const int n = inputSize({high, low});
    return runKept(n, 2, kept, [&](const Outputs& out, int* begIdx, int* count) {
        // TA writes down before up.
        return TA_AROON(0, n - 1, high->constData(), low->constData(), period, begIdx, count, out[AroonDown],
                        out[AroonUp]);
    });
}

enum BandOutput
{
    BandUpper,
    BandMiddle,
    BandLower
};

QVector<double> bbands(kuTaInput series, int period, double deviation, BandOutput kept)
{
    period = floorPeriod(period);
    if (isDefault(deviation))
        return {};
    const int n = inputSize({series});
    return runKept(n, 3, kept, [&](const Outputs& out, int* begIdx, int* count) {
        return TA_BBANDS(0, n - 1, series->constData(), period, deviation, deviation, TA_MAType_SMA, begIdx, count,
                         out[BandUpper], out[BandMiddle], out[BandLower]);
    });
}

QVector<double> movingAverage(kuTaInput series, int period, TA_MAType type)
{
    period = floorPeriod(period);
    const int n = inputSize({series});
    return runKept(n, 1, 0, [&](const Outputs& out, int* begIdx, int* count) {
        return TA_MA(0, n - 1, series->constData(), period, type, begIdx, count, out[0]);
    });
}

enum MacdOutput
{
    MacdLine,
    MacdSignal,
    MacdHist
};

auto macdCall(kuTaInput series, int n, int period)
{
    return [=](const Outputs& out, int* begIdx, int* count) {
        return TA_MACDFIX(0, n - 1, series->constData(), period, begIdx, count, out[MacdLine], out[MacdSignal],
                          out[MacdHist]);
    };
}

QVector<double> macdKept(kuTaInput series, int period, MacdOutput kept)
{
    period = floorPeriod(period);
    const int n = inputSize({series});
    return runKept(n, 3, kept, macdCall(series, n, period));
}

constexpr double kMacdBound = 100000.0;
constexpr double kStochBound = 10000.0;

enum StochOutput
{
    StochK,
    StochD
};

QVector<double> stochSlow(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow, StochOutput kept)
{
    period = floorPeriod(period);
    if (isDefault(slow))
        return {};
    const int n = inputSize({high, low, close});
    return runFiltered(n, 2, kept, -kStochBound, kStochBound, [&](const Outputs& out, int* begIdx, int* count) {
        return TA_STOCH(0, n - 1, high->constData(), low->constData(), close->constData(), period, slow, TA_MAType_SMA,
                        slow, TA_MAType_SMA, begIdx, count, out[StochK], out[StochD]);
    });
}

QVector<double> stochFast(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow, StochOutput kept)
{
    period = floorPeriod(period);
    if (isDefault(slow))
        return {};
    const int n = inputSize({high, low, close});
    return runFiltered(n, 2, kept, -kStochBound, kStochBound, [&](const Outputs& out, int* begIdx, int* count) {
        return TA_STOCHF(0, n - 1, high->constData(), low->constData(), close->constData(), period, slow, TA_MAType_SMA,
                         begIdx, count, out[StochK], out[StochD]);
    });
}

} // namespace

QVector<double> taAdx(kuTaInput high, kuTaInput low, kuTaInput close, int period)
{
    return hlcKept(TA_ADX, high, low, close, period);
}

QVector<double> taAroonUp(kuTaInput high, kuTaInput low, int period)
{
    return aroon(high, low, period, AroonUp);
}

QVector<double> taAroonDown(kuTaInput high, kuTaInput low, int period)
{
    return aroon(high, low, period, AroonDown);
}

QVector<double> taAtr(kuTaInput high, kuTaInput low, kuTaInput close, int period)
{
    return hlcKept(TA_ATR, high, low, close, period);
}

QVector<double> taBbandsUpper(kuTaInput series, int period, double deviation)
{
    return bbands(series, period, deviation, BandUpper);
}

QVector<double> taBbandsMiddle(kuTaInput series, int period, double deviation)
{
    return bbands(series, period, deviation, BandMiddle);
}

QVector<double> taBbandsLower(kuTaInput series, int period, double deviation)
{
    return bbands(series, period, deviation, BandLower);
}

QVector<double> taCci(kuTaInput high, kuTaInput low, kuTaInput close, int period)
{
    return hlcKept(TA_CCI, high, low, close, period);
}

QVector<double> taDema(kuTaInput series, int period)
{
    return realKept(TA_DEMA, series, period);
}

QVector<double> taDx(kuTaInput high, kuTaInput low, kuTaInput close, int period)
{
    return hlcKept(TA_DX, high, low, close, period);
}

QVector<double> taEma(kuTaInput series, int period)
{
    return movingAverage(series, period, TA_MAType_EMA);
}

QVector<double> taKama(kuTaInput series, int period)
{
    return realKept(TA_KAMA, series, period);
}

QVector<double> taMacdSignal(kuTaInput series, int period)
{
    return macdKept(series, period, MacdSignal);
}

QVector<double> taMacdHist(kuTaInput series, int period)
{
    return macdKept(series, period, MacdHist);
}

QVector<double> taMfi(kuTaInput high, kuTaInput low, kuTaInput close, kuTaInput volume, int period)
{
    period = floorPeriod(period);
    const int n = inputSize({high, low, close, volume});
    return runKept(n, 1, 0, [&](const Outputs& out, int* begIdx, int* count) {
        return TA_MFI(0, n - 1, high->constData(), low->constData(), close->constData(), volume->constData(), period,
                      begIdx, count, out[0]);
    });
}

QVector<double> taMinusDi(kuTaInput high, kuTaInput low, kuTaInput close, int period)
{
    return hlcKept(TA_MINUS_DI, high, low, close, period);
}

QVector<double> taMom(kuTaInput series, int period)
{
    return realKept(TA_MOM, series, period);
}

QVector<double> taPlusDi(kuTaInput high, kuTaInput low, kuTaInput close, int period)
{
    return hlcKept(TA_PLUS_DI, high, low, close, period);
}

QVector<double> taSar(kuTaInput high, kuTaInput low, double step, double maximum)
{
    if (isDefault(step) || isDefault(maximum))
        return {};
    const int n = inputSize({high, low});
    return runKept(n, 1, 0, [&](const Outputs& out, int* begIdx, int* count) {
        return TA_SAR(0, n - 1, high->constData(), low->constData(), step, maximum, begIdx, count, out[0]);
    });
}

QVector<double> taRoc(kuTaInput series, int period)
{
    return realKept(TA_ROC, series, period);
}

QVector<double> taRsi(kuTaInput series, int period)
{
    return realKept(TA_RSI, series, period);
}

QVector<double> taStddev(kuTaInput series, int period)
{
    return taStddev(series, period, static_cast<double>(floorPeriod(period)));
}

QVector<double> taStddev(kuTaInput series, int period, double deviations)
{
    period = floorPeriod(period);
    const int n = inputSize({series});
    return runKept(n, 1, 0, [&](const Outputs& out, int* begIdx, int* count) {
        return TA_STDDEV(0, n - 1, series->constData(), period, deviations, begIdx, count, out[0]);
    });
}

QVector<double> taSma(kuTaInput series, int period)
{
    return movingAverage(series, period, TA_MAType_SMA);
}

QVector<double> taMacd(kuTaInput series, int period)
{
    period = floorPeriod(period);
    const int n = inputSize({series});
    return runFiltered(n, 3, MacdLine, -kMacdBound, kMacdBound, macdCall(series, n, period));
}

QVector<double> taStochSlowK(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow)
{
    return stochSlow(high, low, close, period, slow, StochK);
}

QVector<double> taStochSlowD(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow)
{
    return stochSlow(high, low, close, period, slow, StochD);
}

QVector<double> taStochFastK(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow)
{
    return stochFast(high, low, close, period, slow, StochK);
}

QVector<double> taStochFastD(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow)
{
    return stochFast(high, low, close, period, slow, StochD);
}

QVector<double> taWillr(kuTaInput high, kuTaInput low, kuTaInput close, int period)
{
    period = floorPeriod(period);
    const int n = inputSize({high, low, close});
    return runFiltered(n, 1, 0, -100.0, 0.0, [&](const Outputs& out, int* begIdx, int* count) {
        return TA_WILLR(0, n - 1, high->constData(), low->constData(), close->constData(), period, begIdx, count,
                        out[0]);
    });
}
