// The TA adapters against direct calls of the functions they wrap: the kept
// output, its order and length, the period floor, the outlier filters and what
// missing, short, uneven and failed inputs give.
#include <QtTest>

#include "kutaadapters.h"
#include "ta_libc.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

using Series = QVector<double>;
using Inputs = std::array<kuTaInput, 4>;
using AdapterCall = std::function<Series(const Inputs&, int period)>;

// The kept output of one direct TA call, oldest first.
struct Direct
{
    bool ok = false;
    Series values;
};
using DirectCall = std::function<Direct(const Inputs&, int n, int period)>;
using Lookback = std::function<int(int period)>;

Q_DECLARE_METATYPE(AdapterCall)
Q_DECLARE_METATYPE(DirectCall)
Q_DECLARE_METATYPE(Lookback)

namespace {

const int kPeriod = 7; // no TA default, so a parameter left out shows
const int kSlow = 4;
const double kDeviation = 1.5;
const double kStep = 0.03;
const double kMaximum = 0.25;
const int kBars = 200;
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Which of the bars an adapter reads, in its argument order; the value is the count.
enum InputKind
{
    CloseOnly = 1,
    HighLow = 2,
    Hlc = 3,
    Hlcv = 4
};

struct Bars
{
    Series high, low, close, volume;

    int size() const { return close.size(); }
    Inputs inputs(int kind) const
    {
        const Inputs hlcv{&high, &low, &close, &volume};
        return kind == CloseOnly ? Inputs{&close, nullptr, nullptr, nullptr} : hlcv;
    }
    Series& input(int kind, int i)
    {
        if (kind == CloseOnly)
            return close;
        Series* all[] = {&high, &low, &close, &volume};
        return *all[i];
    }
};

// A random walk on a 0.25 grid: ties, flat bars and reversals all occur.
Bars makeBars(int n, uint32_t seed = 2024)
{
    uint32_t state = seed;
    auto next = [&state](int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<uint32_t>(range));
    };
    Bars b;
    double close = 100.0;
    for (int i = 0; i < n; ++i) {
        const double open = close;
        close = open + 0.25 * (next(17) - 8);
        b.high.append(std::max(open, close) + 0.25 * next(6));
        b.low.append(std::min(open, close) - 0.25 * next(6));
        b.close.append(close);
        b.volume.append(100.0 + 10.0 * next(50));
    }
    return b;
}

// Output buffers of one direct call.
struct Outputs
{
    explicit Outputs(int n, int count = 1) : buffers(count, Series(std::max(n, 1))) {}
    double* operator[](int i) { return buffers[i].data(); }
    Direct kept(TA_RetCode rc, int i) const
    {
        Direct d;
        d.ok = rc == TA_SUCCESS;
        if (d.ok)
            d.values = buffers[i].mid(0, count);
        return d;
    }
    std::vector<Series> buffers;
    int begIdx = 0;
    int count = 0;
};

using HlcFunction = TA_RetCode (*)(int, int, const double*, const double*, const double*, int, int*, int*, double*);
using RealFunction = TA_RetCode (*)(int, int, const double*, int, int*, int*, double*);

DirectCall hlcDirect(HlcFunction f)
{
    return [f](const Inputs& in, int n, int p) {
        Outputs o(n);
        const TA_RetCode rc =
                f(0, n - 1, in[0]->constData(), in[1]->constData(), in[2]->constData(), p, &o.begIdx, &o.count, o[0]);
        return o.kept(rc, 0);
    };
}

DirectCall realDirect(RealFunction f)
{
    return [f](const Inputs& in, int n, int p) {
        Outputs o(n);
        return o.kept(f(0, n - 1, in[0]->constData(), p, &o.begIdx, &o.count, o[0]), 0);
    };
}

DirectCall aroonDirect(int kept)
{
    return [kept](const Inputs& in, int n, int p) {
        Outputs o(n, 2); // down, then up
        return o.kept(TA_AROON(0, n - 1, in[0]->constData(), in[1]->constData(), p, &o.begIdx, &o.count, o[0], o[1]),
                      kept);
    };
}

DirectCall bbandsDirect(int kept)
{
    return [kept](const Inputs& in, int n, int p) {
        Outputs o(n, 3);
        return o.kept(TA_BBANDS(0, n - 1, in[0]->constData(), p, kDeviation, kDeviation, TA_MAType_SMA, &o.begIdx,
                                &o.count, o[0], o[1], o[2]),
                      kept);
    };
}

DirectCall maDirect(TA_MAType type)
{
    return [type](const Inputs& in, int n, int p) {
        Outputs o(n);
        return o.kept(TA_MA(0, n - 1, in[0]->constData(), p, type, &o.begIdx, &o.count, o[0]), 0);
    };
}

DirectCall macdDirect(int kept)
{
    return [kept](const Inputs& in, int n, int p) {
        Outputs o(n, 3);
        return o.kept(TA_MACDFIX(0, n - 1, in[0]->constData(), p, &o.begIdx, &o.count, o[0], o[1], o[2]), kept);
    };
}

DirectCall stochDirect(int kept)
{
    return [kept](const Inputs& in, int n, int p) {
        Outputs o(n, 2);
        return o.kept(TA_STOCH(0, n - 1, in[0]->constData(), in[1]->constData(), in[2]->constData(), p, kSlow,
                               TA_MAType_SMA, kSlow, TA_MAType_SMA, &o.begIdx, &o.count, o[0], o[1]),
                      kept);
    };
}

DirectCall stochfDirect(int kept)
{
    return [kept](const Inputs& in, int n, int p) {
        Outputs o(n, 2);
        return o.kept(TA_STOCHF(0, n - 1, in[0]->constData(), in[1]->constData(), in[2]->constData(), p, kSlow,
                                TA_MAType_SMA, &o.begIdx, &o.count, o[0], o[1]),
                      kept);
    };
}

// One row per adapter: its inputs, the adapter, the TA call it stands for,
// the look-back, whether it takes a period, and its filter's bounds.
void addAdapters()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<AdapterCall>("adapter");
    QTest::addColumn<DirectCall>("direct");
    QTest::addColumn<Lookback>("lookback");
    QTest::addColumn<bool>("hasPeriod");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");

    auto row = [](const char* name, int kind, AdapterCall adapter, DirectCall direct, Lookback lookback,
                  double low = -kInf, double high = kInf, bool hasPeriod = true) {
        QTest::newRow(name) << kind << adapter << direct << lookback << hasPeriod << low << high;
    };
    const auto H = [](const Inputs& in) { return in[0]; };
    const auto L = [](const Inputs& in) { return in[1]; };
    const auto C = [](const Inputs& in) { return in[2]; };
    const auto V = [](const Inputs& in) { return in[3]; };
    const auto S = [](const Inputs& in) { return in[0]; };

    row(
            "taAdx", Hlc, [=](const Inputs& in, int p) { return taAdx(H(in), L(in), C(in), p); }, hlcDirect(TA_ADX),
            TA_ADX_Lookback);
    row(
            "taAroonUp", HighLow, [=](const Inputs& in, int p) { return taAroonUp(H(in), L(in), p); }, aroonDirect(1),
            TA_AROON_Lookback);
    row(
            "taAroonDown", HighLow, [=](const Inputs& in, int p) { return taAroonDown(H(in), L(in), p); },
            aroonDirect(0), TA_AROON_Lookback);
    row(
            "taAtr", Hlc, [=](const Inputs& in, int p) { return taAtr(H(in), L(in), C(in), p); }, hlcDirect(TA_ATR),
            TA_ATR_Lookback);
    const Lookback bbLookback = [](int p) { return TA_BBANDS_Lookback(p, kDeviation, kDeviation, TA_MAType_SMA); };
    row(
            "taBbandsUpper", CloseOnly, [=](const Inputs& in, int p) { return taBbandsUpper(S(in), p, kDeviation); },
            bbandsDirect(0), bbLookback);
    row(
            "taBbandsMiddle", CloseOnly, [=](const Inputs& in, int p) { return taBbandsMiddle(S(in), p, kDeviation); },
            bbandsDirect(1), bbLookback);
    row(
            "taBbandsLower", CloseOnly, [=](const Inputs& in, int p) { return taBbandsLower(S(in), p, kDeviation); },
            bbandsDirect(2), bbLookback);
    row(
            "taCci", Hlc, [=](const Inputs& in, int p) { return taCci(H(in), L(in), C(in), p); }, hlcDirect(TA_CCI),
            TA_CCI_Lookback);
    row(
            "taDema", CloseOnly, [=](const Inputs& in, int p) { return taDema(S(in), p); }, realDirect(TA_DEMA),
            TA_DEMA_Lookback);
    row(
            "taDx", Hlc, [=](const Inputs& in, int p) { return taDx(H(in), L(in), C(in), p); }, hlcDirect(TA_DX),
            TA_DX_Lookback);
    row(
            "taEma", CloseOnly, [=](const Inputs& in, int p) { return taEma(S(in), p); }, maDirect(TA_MAType_EMA),
            [](int p) { return TA_MA_Lookback(p, TA_MAType_EMA); });
    row(
            "taKama", CloseOnly, [=](const Inputs& in, int p) { return taKama(S(in), p); }, realDirect(TA_KAMA),
            TA_KAMA_Lookback);
    row(
            "taMacdSignal", CloseOnly, [=](const Inputs& in, int p) { return taMacdSignal(S(in), p); }, macdDirect(1),
            TA_MACDFIX_Lookback);
    row(
            "taMacdHist", CloseOnly, [=](const Inputs& in, int p) { return taMacdHist(S(in), p); }, macdDirect(2),
            TA_MACDFIX_Lookback);
    row(
            "taMfi", Hlcv, [=](const Inputs& in, int p) { return taMfi(H(in), L(in), C(in), V(in), p); },
            [](const Inputs& in, int n, int p) {
                Outputs o(n);
                return o.kept(TA_MFI(0, n - 1, in[0]->constData(), in[1]->constData(), in[2]->constData(),
                                     in[3]->constData(), p, &o.begIdx, &o.count, o[0]),
                              0);
            },
            TA_MFI_Lookback);
    row(
            "taMinusDi", Hlc, [=](const Inputs& in, int p) { return taMinusDi(H(in), L(in), C(in), p); },
            hlcDirect(TA_MINUS_DI), TA_MINUS_DI_Lookback);
    row(
            "taMom", CloseOnly, [=](const Inputs& in, int p) { return taMom(S(in), p); }, realDirect(TA_MOM),
            TA_MOM_Lookback);
    row(
            "taPlusDi", Hlc, [=](const Inputs& in, int p) { return taPlusDi(H(in), L(in), C(in), p); },
            hlcDirect(TA_PLUS_DI), TA_PLUS_DI_Lookback);
    row(
            "taSar", HighLow, [=](const Inputs& in, int) { return taSar(H(in), L(in), kStep, kMaximum); },
            [](const Inputs& in, int n, int) {
                Outputs o(n);
                return o.kept(TA_SAR(0, n - 1, in[0]->constData(), in[1]->constData(), kStep, kMaximum, &o.begIdx,
                                     &o.count, o[0]),
                              0);
            },
            [](int) { return TA_SAR_Lookback(kStep, kMaximum); }, -kInf, kInf, false);
    row(
            "taRoc", CloseOnly, [=](const Inputs& in, int p) { return taRoc(S(in), p); }, realDirect(TA_ROC),
            TA_ROC_Lookback);
    row(
            "taRsi", CloseOnly, [=](const Inputs& in, int p) { return taRsi(S(in), p); }, realDirect(TA_RSI),
            TA_RSI_Lookback);
    row(
            "taStddev", CloseOnly, [=](const Inputs& in, int p) { return taStddev(S(in), p); },
            [](const Inputs& in, int n, int p) {
                Outputs o(n);
                // The period doubles as the number of deviations.
                return o.kept(TA_STDDEV(0, n - 1, in[0]->constData(), p, double(p), &o.begIdx, &o.count, o[0]), 0);
            },
            [](int p) { return TA_STDDEV_Lookback(p, double(p)); });
    row(
            "taSma", CloseOnly, [=](const Inputs& in, int p) { return taSma(S(in), p); }, maDirect(TA_MAType_SMA),
            [](int p) { return TA_MA_Lookback(p, TA_MAType_SMA); });
    row(
            "taMacd", CloseOnly, [=](const Inputs& in, int p) { return taMacd(S(in), p); }, macdDirect(0),
            TA_MACDFIX_Lookback, -100000.0, 100000.0);
    const Lookback stochLookback = [](int p) {
        return TA_STOCH_Lookback(p, kSlow, TA_MAType_SMA, kSlow, TA_MAType_SMA);
    };
    const Lookback stochfLookback = [](int p) { return TA_STOCHF_Lookback(p, kSlow, TA_MAType_SMA); };
    row(
            "taStochSlowK", Hlc, [=](const Inputs& in, int p) { return taStochSlowK(H(in), L(in), C(in), p, kSlow); },
            stochDirect(0), stochLookback, -10000.0, 10000.0);
    row(
            "taStochSlowD", Hlc, [=](const Inputs& in, int p) { return taStochSlowD(H(in), L(in), C(in), p, kSlow); },
            stochDirect(1), stochLookback, -10000.0, 10000.0);
    row(
            "taStochFastK", Hlc, [=](const Inputs& in, int p) { return taStochFastK(H(in), L(in), C(in), p, kSlow); },
            stochfDirect(0), stochfLookback, -10000.0, 10000.0);
    row(
            "taStochFastD", Hlc, [=](const Inputs& in, int p) { return taStochFastD(H(in), L(in), C(in), p, kSlow); },
            stochfDirect(1), stochfLookback, -10000.0, 10000.0);
    row(
            "taWillr", Hlc, [=](const Inputs& in, int p) { return taWillr(H(in), L(in), C(in), p); },
            hlcDirect(TA_WILLR), TA_WILLR_Lookback, -100.0, 0.0);
}

// What the adapter should return for a direct call's output: newest first, filtered.
Series expectedFrom(const Series& oldestFirst, double low, double high)
{
    Series out;
    for (int i = oldestFirst.size() - 1; i >= 0; --i) {
        const double v = oldestFirst[i];
        out.append(v >= low && v <= high ? v : 0.0);
    }
    return out;
}

// Bars whose high and low stay at 100 and 0, so that Williams' %R is close - 100
// and fast %K is the close itself.
Bars fixedRange(const Series& closes)
{
    Bars b;
    for (double c : closes) {
        b.high.append(100.0);
        b.low.append(0.0);
        b.close.append(c);
        b.volume.append(1.0);
    }
    return b;
}

const int kMacdSignal = 2;

double rawMacd(const Series& s)
{
    const int n = s.size();
    Outputs o(n, 3);
    if (TA_MACDFIX(0, n - 1, s.constData(), kMacdSignal, &o.begIdx, &o.count, o[0], o[1], o[2]) != TA_SUCCESS ||
        o.count == 0)
        return kNaN;
    return o.buffers[0][o.count - 1];
}

// Zeros, then `before` and `last`: the newest MACD line is close to a fixed
// share of `last`.
Series macdSeries(double before, double last)
{
    Series s(40, 0.0);
    s << before << last;
    return s;
}

// A series whose newest MACD line is exactly `line`, empty when none is found.
// The factors make the line of zeros and one value skip some results, so the
// value before the last one varies too.
Series seriesWithMacd(double line)
{
    const double share = rawMacd(macdSeries(0.0, 1000.0)) / 1000.0;
    for (int before = 1; before < 100; ++before) {
        double x = line / share;
        x -= (rawMacd(macdSeries(before, x)) - line) / share;
        for (int i = 0; i < 16; ++i)
            x = std::nextafter(x, -kInf);
        for (int i = 0; i < 32; ++i, x = std::nextafter(x, kInf)) {
            const Series s = macdSeries(before, x);
            if (rawMacd(s) == line)
                return s;
        }
    }
    return {};
}

} // namespace

using BarsCall = std::function<Series(const Bars&)>;
Q_DECLARE_METATYPE(BarsCall)

class tst_TaAdapters : public QObject
{
    Q_OBJECT

private slots:
    void keptOutputMatchesDirectCall_data() { addAdapters(); }
    void keptOutputMatchesDirectCall()
    {
        QFETCH(int, kind);
        QFETCH(AdapterCall, adapter);
        QFETCH(DirectCall, direct);
        QFETCH(Lookback, lookback);
        QFETCH(double, low);
        QFETCH(double, high);
        const Bars bars = makeBars(kBars);
        const Inputs in = bars.inputs(kind);

        const Direct d = direct(in, kBars, kPeriod);
        QVERIFY(d.ok);
        const Series result = adapter(in, kPeriod);
        const int lb = lookback(kPeriod);
        QVERIFY(lb > 0);
        QCOMPARE(result.size(), kBars - lb);
        QCOMPARE(result, expectedFrom(d.values, low, high));
        // Index 0 is the newest candle.
        QCOMPARE(result.first(), expectedFrom(d.values.mid(d.values.size() - 1), low, high).first());
    }

    void periodFloor_data() { addAdapters(); }
    void periodFloor()
    {
        QFETCH(int, kind);
        QFETCH(AdapterCall, adapter);
        QFETCH(bool, hasPeriod);
        if (!hasPeriod)
            QSKIP("takes no period");
        const Bars bars = makeBars(kBars);
        const Inputs in = bars.inputs(kind);
        const Series atTwo = adapter(in, 2);
        QVERIFY(!atTwo.isEmpty());
        QVERIFY(atTwo != adapter(in, 3));
        for (int p : {1, 0, -1, -100, INT_MIN})
            QVERIFY2(adapter(in, p) == atTwo, qPrintable(QString("period %1").arg(p)));
    }

    void emptyAndShortInputs_data() { addAdapters(); }
    void emptyAndShortInputs()
    {
        QFETCH(int, kind);
        QFETCH(AdapterCall, adapter);
        QFETCH(DirectCall, direct);
        QFETCH(Lookback, lookback);
        QFETCH(double, low);
        QFETCH(double, high);
        const int lb = lookback(kPeriod);

        const Bars empty;
        QVERIFY(adapter(empty.inputs(kind), kPeriod).isEmpty());

        // Exactly the look-back: TA succeeds with nothing to give.
        const Bars tooShort = makeBars(lb);
        QVERIFY(adapter(tooShort.inputs(kind), kPeriod).isEmpty());

        const Bars justEnough = makeBars(lb + 1);
        const Series one = adapter(justEnough.inputs(kind), kPeriod);
        QCOMPARE(one.size(), 1);
        QCOMPARE(one, expectedFrom(direct(justEnough.inputs(kind), lb + 1, kPeriod).values, low, high));
    }

    void nullInput_data() { addAdapters(); }
    void nullInput()
    {
        QFETCH(int, kind);
        QFETCH(AdapterCall, adapter);
        const Bars bars = makeBars(kBars);
        for (int i = 0; i < kind; ++i) {
            Inputs in = bars.inputs(kind);
            in[i] = nullptr;
            QVERIFY2(adapter(in, kPeriod).isEmpty(), qPrintable(QString("input %1").arg(i)));
        }
    }

    // Only the oldest values up to the shortest input's length are read.
    void unevenInputs_data() { addAdapters(); }
    void unevenInputs()
    {
        QFETCH(int, kind);
        QFETCH(AdapterCall, adapter);
        const Bars bars = makeBars(kBars);
        if (kind == CloseOnly)
            QSKIP("reads one input");
        const Series even = adapter(bars.inputs(kind), kPeriod);
        QVERIFY(!even.isEmpty());
        for (int i = 0; i < kind; ++i) {
            Bars longer = bars;
            Series& input = longer.input(kind, i);
            for (int k = 0; k < 5; ++k)
                input.append(1e6 * (k + 1));
            QVERIFY2(adapter(longer.inputs(kind), kPeriod) == even, qPrintable(QString("input %1").arg(i)));
        }
    }

    // A period TA refuses fails the call over data long enough for any period:
    // no values rather than a row of zeros.
    void failedCallGivesEmpty_data() { addAdapters(); }
    void failedCallGivesEmpty()
    {
        QFETCH(int, kind);
        QFETCH(AdapterCall, adapter);
        QFETCH(bool, hasPeriod);
        if (!hasPeriod)
            QSKIP("takes no period; see badParameters");
        const Bars bars = makeBars(100010);
        QVERIFY(adapter(bars.inputs(kind), 100001).isEmpty());
    }

    // The other parameters are passed as given; ones TA refuses, and TA's own
    // "use the default" markers, give no values.
    void badParameters_data()
    {
        QTest::addColumn<BarsCall>("call");
        const double realDefault = TA_REAL_DEFAULT;
        auto row = [](const char* name, BarsCall call) { QTest::newRow(name) << call; };
        row("bbands deviation NaN", [](const Bars& b) { return taBbandsUpper(&b.close, 5, kNaN); });
        row("bbands deviation default marker", [=](const Bars& b) { return taBbandsMiddle(&b.close, 5, realDefault); });
        row("sar negative step", [](const Bars& b) { return taSar(&b.high, &b.low, -0.02, 0.2); });
        row("sar step default marker", [=](const Bars& b) { return taSar(&b.high, &b.low, realDefault, 0.2); });
        row("sar maximum default marker", [=](const Bars& b) { return taSar(&b.high, &b.low, 0.02, realDefault); });
        row("slow K slowing 0", [](const Bars& b) { return taStochSlowK(&b.high, &b.low, &b.close, 5, 0); });
        row("slow D slowing -1", [](const Bars& b) { return taStochSlowD(&b.high, &b.low, &b.close, 5, -1); });
        row("fast K slowing 0", [](const Bars& b) { return taStochFastK(&b.high, &b.low, &b.close, 5, 0); });
        row("slow K slowing default marker",
            [](const Bars& b) { return taStochSlowK(&b.high, &b.low, &b.close, 5, TA_INTEGER_DEFAULT); });
        row("slow D slowing default marker",
            [](const Bars& b) { return taStochSlowD(&b.high, &b.low, &b.close, 5, TA_INTEGER_DEFAULT); });
        row("fast K slowing default marker",
            [](const Bars& b) { return taStochFastK(&b.high, &b.low, &b.close, 5, TA_INTEGER_DEFAULT); });
        row("fast D slowing default marker",
            [](const Bars& b) { return taStochFastD(&b.high, &b.low, &b.close, 5, TA_INTEGER_DEFAULT); });
    }
    void badParameters()
    {
        QFETCH(BarsCall, call);
        QVERIFY(call(makeBars(kBars)).isEmpty());
    }

    // Rising highs and lows: the newest high is the window's highest (up 100),
    // the oldest low its lowest (down 0).
    void aroonUpAndDown()
    {
        Bars b;
        for (int i = 0; i < 30; ++i) {
            b.high.append(10.0 + i);
            b.low.append(5.0 + i);
        }
        const Series up = taAroonUp(&b.high, &b.low, 14);
        const Series down = taAroonDown(&b.high, &b.low, 14);
        QCOMPARE(up.size(), 30 - 14);
        QCOMPARE(up, Series(up.size(), 100.0));
        QCOMPARE(down, Series(down.size(), 0.0));
    }

    // High 100 and low 0 throughout, period 2: %R is close - 100.
    void willrBounds_data()
    {
        QTest::addColumn<double>("close");
        QTest::addColumn<double>("expected");
        QTest::newRow("-100 passes") << 0.0 << -100.0;
        QTest::newRow("0 passes") << 100.0 << 0.0;
        QTest::newRow("inside") << 37.5 << -62.5;
        QTest::newRow("-100.5 dropped") << -0.5 << 0.0;
        QTest::newRow("0.5 dropped") << 100.5 << 0.0;
        QTest::newRow("NaN dropped") << kNaN << 0.0;
    }
    void willrBounds()
    {
        QFETCH(double, close);
        QFETCH(double, expected);
        const Bars b = fixedRange({50.0, close});
        Outputs raw(2);
        QCOMPARE(TA_WILLR(0, 1, b.high.constData(), b.low.constData(), b.close.constData(), 2, &raw.begIdx, &raw.count,
                          raw[0]),
                 TA_SUCCESS);
        QCOMPARE(raw.count, 1);
        if (!std::isnan(close))
            QCOMPARE(raw.buffers[0][0], close - 100.0);
        QCOMPARE(taWillr(&b.high, &b.low, &b.close, 2), Series({expected}));
    }

    // High 100 and low 0 throughout, period 2 and slowing 1: every %K and %D is the close.
    void stochBounds_data()
    {
        QTest::addColumn<double>("close");
        QTest::addColumn<double>("expected");
        QTest::newRow("10000 passes") << 10000.0 << 10000.0;
        QTest::newRow("-10000 passes") << -10000.0 << -10000.0;
        QTest::newRow("inside") << 42.0 << 42.0;
        QTest::newRow("10000.5 dropped") << 10000.5 << 0.0;
        QTest::newRow("-10000.5 dropped") << -10000.5 << 0.0;
    }
    void stochBounds()
    {
        QFETCH(double, close);
        QFETCH(double, expected);
        const Bars b = fixedRange({50.0, close});
        Outputs raw(2, 2);
        QCOMPARE(TA_STOCHF(0, 1, b.high.constData(), b.low.constData(), b.close.constData(), 2, 1, TA_MAType_SMA,
                           &raw.begIdx, &raw.count, raw[0], raw[1]),
                 TA_SUCCESS);
        QCOMPARE(raw.buffers[0][0], close);
        const Series want{expected};
        QCOMPARE(taStochSlowK(&b.high, &b.low, &b.close, 2, 1), want);
        QCOMPARE(taStochSlowD(&b.high, &b.low, &b.close, 2, 1), want);
        QCOMPARE(taStochFastK(&b.high, &b.low, &b.close, 2, 1), want);
        QCOMPARE(taStochFastD(&b.high, &b.low, &b.close, 2, 1), want);
    }

    void macdBounds_data()
    {
        QTest::addColumn<double>("line");
        QTest::addColumn<bool>("kept");
        QTest::newRow("100000 passes") << 100000.0 << true;
        QTest::newRow("-100000 passes") << -100000.0 << true;
        QTest::newRow("99999.5 passes") << 99999.5 << true;
        QTest::newRow("100000.5 dropped") << 100000.5 << false;
        QTest::newRow("-100000.5 dropped") << -100000.5 << false;
    }
    void macdBounds()
    {
        QFETCH(double, line);
        QFETCH(bool, kept);
        const Series s = seriesWithMacd(line);
        QVERIFY(!s.isEmpty());
        const Series result = taMacd(&s, kMacdSignal);
        QCOMPARE(result.size(), s.size() - TA_MACDFIX_Lookback(kMacdSignal));
        QCOMPARE(result.first(), kept ? line : 0.0);
    }
};

QTEST_GUILESS_MAIN(tst_TaAdapters)
#include "tst_taadapters.moc"
