// Small hand-worked cases that pin each function's seeding, look-back and
// special cases. Expected values are worked out in the comments.
#include <QtTest>

#include "ta_libc.h"

#include <cmath>
#include <functional>
#include <vector>

using Values = std::vector<double>;

struct Result
{
    TA_RetCode rc = TA_BAD_PARAM;
    int beg = -1;
    int nb = -1;
    std::vector<Values> out;
};
using Run = std::function<Result()>;

Q_DECLARE_METATYPE(Run)
Q_DECLARE_METATYPE(std::vector<Values>)

namespace {

struct Hlc
{
    Values high, low, close;
    int last() const { return static_cast<int>(close.size()) - 1; }
};

Hlc sameBars(const Values& prices)
{
    return {prices, prices, prices};
}

// Shared directional fixture; moves of bar t over t - 1 as (+DM, -DM, TR):
// 1: (1, 0, 2)  2: (2, 0, 3)  3: (0, 4, 5)  4: (0, 2, 3)  5: (2, 0, 2.5)  6: (0, 0, 4), an equal up and down move.
const Hlc kTrend = {{10, 11, 13, 12, 6, 8, 9}, {8, 9, 11, 7, 5, 6, 5}, {9, 10, 12, 8, 5.5, 7.5, 6}};

// Range fixture: b0 (10, 6, 8), b1 (12, 7, 11), b2 (11, 8, 9), b3 (13, 9, 12), b4 (14, 10, 10), b5 (12, 11, 11.5).
const Hlc kRange = {{10, 12, 11, 13, 14, 12}, {6, 7, 8, 9, 10, 11}, {8, 11, 9, 12, 10, 11.5}};

using RealFn = TA_RetCode (*)(int, int, const double*, int, int*, int*, double*);
using HlcFn = TA_RetCode (*)(int, int, const double*, const double*, const double*, int, int*, int*, double*);

Run real(RealFn fn, Values x, int period, int start = 0, int end = -1)
{
    return [=] {
        Result r;
        r.out.assign(1, Values(x.size()));
        r.rc = fn(start, end < 0 ? static_cast<int>(x.size()) - 1 : end, x.data(), period, &r.beg, &r.nb,
                  r.out[0].data());
        return r;
    };
}

Run hlc(HlcFn fn, Hlc bars, int period, int start = 0)
{
    return [=] {
        Result r;
        r.out.assign(1, Values(bars.close.size()));
        r.rc = fn(start, bars.last(), bars.high.data(), bars.low.data(), bars.close.data(), period, &r.beg, &r.nb,
                  r.out[0].data());
        return r;
    };
}

Run ma(Values x, int period, TA_MAType type, int start = 0, int end = -1)
{
    return [=] {
        Result r;
        r.out.assign(1, Values(x.size()));
        r.rc = TA_MA(start, end < 0 ? static_cast<int>(x.size()) - 1 : end, x.data(), period, type, &r.beg, &r.nb,
                     r.out[0].data());
        return r;
    };
}

Run bbands(Values x, int period, double up, double down, TA_MAType type)
{
    return [=] {
        Result r;
        r.out.assign(3, Values(x.size()));
        r.rc = TA_BBANDS(0, static_cast<int>(x.size()) - 1, x.data(), period, up, down, type, &r.beg, &r.nb,
                         r.out[0].data(), r.out[1].data(), r.out[2].data());
        return r;
    };
}

Run stddev(Values x, int period, double dev)
{
    return [=] {
        Result r;
        r.out.assign(1, Values(x.size()));
        r.rc = TA_STDDEV(0, static_cast<int>(x.size()) - 1, x.data(), period, dev, &r.beg, &r.nb, r.out[0].data());
        return r;
    };
}

Run sar(Values high, Values low, double acceleration, double maximum)
{
    return [=] {
        Result r;
        r.out.assign(1, Values(high.size()));
        r.rc = TA_SAR(0, static_cast<int>(high.size()) - 1, high.data(), low.data(), acceleration, maximum, &r.beg,
                      &r.nb, r.out[0].data());
        return r;
    };
}

Run aroon(Values high, Values low, int period)
{
    return [=] {
        Result r;
        r.out.assign(2, Values(high.size()));
        r.rc = TA_AROON(0, static_cast<int>(high.size()) - 1, high.data(), low.data(), period, &r.beg, &r.nb,
                        r.out[0].data(), r.out[1].data());
        return r;
    };
}

Run mfi(Values price, Values volume, int period)
{
    return [=] {
        Result r;
        r.out.assign(1, Values(price.size()));
        r.rc = TA_MFI(0, static_cast<int>(price.size()) - 1, price.data(), price.data(), price.data(), volume.data(),
                      period, &r.beg, &r.nb, r.out[0].data());
        return r;
    };
}

Run stochf(Hlc bars, int fastK, int fastD, TA_MAType type)
{
    return [=] {
        Result r;
        r.out.assign(2, Values(bars.close.size()));
        r.rc = TA_STOCHF(0, bars.last(), bars.high.data(), bars.low.data(), bars.close.data(), fastK, fastD, type,
                         &r.beg, &r.nb, r.out[0].data(), r.out[1].data());
        return r;
    };
}

Run stoch(Hlc bars, int fastK, int slowK, TA_MAType kType, int slowD, TA_MAType dType)
{
    return [=] {
        Result r;
        r.out.assign(2, Values(bars.close.size()));
        r.rc = TA_STOCH(0, bars.last(), bars.high.data(), bars.low.data(), bars.close.data(), fastK, slowK, kType,
                        slowD, dType, &r.beg, &r.nb, r.out[0].data(), r.out[1].data());
        return r;
    };
}

Run macdfix(Values x, int signal)
{
    return [=] {
        Result r;
        r.out.assign(3, Values(x.size()));
        r.rc = TA_MACDFIX(0, static_cast<int>(x.size()) - 1, x.data(), signal, &r.beg, &r.nb, r.out[0].data(),
                          r.out[1].data(), r.out[2].data());
        return r;
    };
}

Values ramp(int n)
{
    Values x;
    for (int i = 0; i < n; ++i)
        x.push_back(i);
    return x;
}

void row(const char* name, Run run, int beg, std::vector<Values> expected)
{
    QTest::newRow(name) << run << beg << expected;
}

} // namespace

class tst_TaFixtures : public QObject
{
    Q_OBJECT

private slots:
    void fixtures_data()
    {
        QTest::addColumn<Run>("run");
        QTest::addColumn<int>("beg");
        QTest::addColumn<std::vector<Values>>("expected");

        // Averages.
        row("SMA 3", ma({1, 2, 3, 4, 5, 6}, 3, TA_MAType_SMA), 2, {{2, 3, 4, 5}});
        row("SMA 3 from 3 to 4", ma({1, 2, 3, 4, 5, 6}, 3, TA_MAType_SMA, 3, 4), 3, {{3, 4}});
        // k = 0.5, seed (2 + 4 + 6) / 3 = 4, then 4 + (10 - 4) / 2 = 7, 7 + (2 - 7) / 2, 4.5 + (8 - 4.5) / 2.
        row("EMA 3", ma({2, 4, 6, 10, 2, 8}, 3, TA_MAType_EMA), 2, {{4, 7, 4.5, 6.25}});
        // Starting later seeds with the average of the period ending at the start: (4 + 6 + 10) / 3.
        row("EMA 3 from 3", ma({2, 4, 6, 10, 2, 8}, 3, TA_MAType_EMA, 3), 3, {{20.0 / 3, 13.0 / 3, 37.0 / 6}});
        // Period 1 copies the input exactly.
        row("EMA 1", ma({0.1, 0.7, 0.3}, 1, TA_MAType_EMA), 0, {{0.1, 0.7, 0.3}});
        // k = 2/3; EMA1 from bar 1: 4.5, 7.5, 4.5, 5.5; EMA2 seeded (4.5 + 7.5) / 2 = 6, then 5, 16/3.
        row("DEMA 2", real(TA_DEMA, {3, 6, 9, 3, 6}, 2), 2, {{2 * 7.5 - 6, 2 * 4.5 - 5, 2 * 5.5 - 16.0 / 3}});
        // Smoothing constant (er * (2/3 - 2/31) + 2/31)^2, span 56/93. Bar 2 starts from
        // the previous close 11 with er = 0 / 2; bar 3 er = 1 / 3, sc = (74/279)^2;
        // bar 4 change 3 equals the volatility 3, so er = 1 and sc = 4/9.
        {
            const double k2 = 11 - 4.0 / 961;
            const double k3 = k2 + (12 - k2) * (74.0 / 279) * (74.0 / 279);
            const double k4 = k3 + (13 - k3) * 4.0 / 9;
            row("KAMA 2", real(TA_KAMA, {10, 11, 10, 12, 13}, 2), 2, {{k2, k3, k4}});
        }
        // Windows [1,2,3] [2,3,5] [3,5,5] [5,5,5]: means 2, 10/3, 13/3, 5; population
        // variances 2/3, 14/9, 8/9, 0. Upper band 2 deviations, lower 1.
        {
            const Values sd = {std::sqrt(2.0 / 3), std::sqrt(14.0) / 3, std::sqrt(8.0) / 3, 0};
            const Values mid = {2, 10.0 / 3, 13.0 / 3, 5};
            Values up, down, twice;
            for (size_t i = 0; i < mid.size(); ++i) {
                up.push_back(mid[i] + 2 * sd[i]);
                down.push_back(mid[i] - sd[i]);
                twice.push_back(2 * sd[i]);
            }
            row("BBANDS 3 SMA", bbands({1, 2, 3, 5, 5, 5}, 3, 2.0, 1.0, TA_MAType_SMA), 2, {up, mid, down});
            row("STDDEV 3 x2", stddev({1, 2, 3, 5, 5, 5}, 3, 2.0), 2, {twice});
            // The middle band is the EMA (2, 3.5, 4.25, 4.625); the width stays the window's deviation.
            const Values ema = {2, 3.5, 4.25, 4.625};
            Values emaUp, emaDown;
            for (size_t i = 0; i < ema.size(); ++i) {
                emaUp.push_back(ema[i] + 2 * sd[i]);
                emaDown.push_back(ema[i] - sd[i]);
            }
            row("BBANDS 3 EMA", bbands({1, 2, 3, 5, 5, 5}, 3, 2.0, 1.0, TA_MAType_EMA), 2, {emaUp, ema, emaDown});
        }
        // A variance below 1e-8 counts as 0 (here about 2.2e-9); 2e-6/9 does not.
        row("STDDEV below threshold", stddev({100, 100, 100.0001}, 3, 1.0), 2, {{0}});
        row("STDDEV above threshold", stddev({0, 0, 0.001}, 3, 1.0), 2, {{std::sqrt(2e-6 / 9)}});
        // Both EMAs start on bar 25 from plain averages: fast (14..25) = 19.5, slow (0..25) = 12.5,
        // MACD 7; bar 26: fast 19.5 + 0.15 * 6.5, slow 12.5 + 0.075 * 13.5, MACD 6.9625; the signal
        // (period 2) is seeded with (7 + 6.9625) / 2; bar 27: MACD 6.9296875, signal 6.946875.
        row("MACDFIX 2 on a ramp", macdfix(ramp(28), 2), 26,
            {{6.9625, 6.9296875}, {6.98125, 6.946875}, {-0.01875, -0.0171875}});
        row("MACDFIX 1 on a ramp", macdfix(ramp(27), 1), 25, {{7, 6.9625}, {7, 6.9625}, {0, 0}});

        // Wilder family over kTrend. ATR: first the average of TR 1..2, then (prev + TR) / 2.
        row("ATR 2", hlc(TA_ATR, kTrend, 2), 2, {{2.5, 3.75, 3.375, 2.9375, 3.46875}});
        row("ATR 2 from 4", hlc(TA_ATR, kTrend, 2, 4), 4, {{4, 3.25, 3.625}});
        row("ATR 1", hlc(TA_ATR, kTrend, 1), 1, {{2, 3, 5, 3, 2.5, 4}});
        // Sums start from bar 1's moves (p - 1 bars), then sum - sum / 2 + move from bar 2:
        // +DM 2.5, 1.25, 0.625, 2.3125, 1.15625; -DM 0, 4, 4, 2, 1; TR 4, 7, 6.5, 5.75, 6.875.
        row("PLUS_DI 2", hlc(TA_PLUS_DI, kTrend, 2), 2,
            {{250 / 4.0, 125 / 7.0, 62.5 / 6.5, 231.25 / 5.75, 115.625 / 6.875}});
        row("MINUS_DI 2", hlc(TA_MINUS_DI, kTrend, 2), 2, {{0, 400 / 7.0, 400 / 6.5, 200 / 5.75, 100 / 6.875}});
        row("PLUS_DI 1", hlc(TA_PLUS_DI, kTrend, 1), 1, {{50, 200 / 3.0, 0, 0, 80, 0}});
        row("MINUS_DI 1", hlc(TA_MINUS_DI, kTrend, 1), 1, {{0, 0, 80, 200 / 3.0, 0, 0}});
        // DX = 100 |-DM - +DM| / (-DM + +DM) of the smoothed sums.
        {
            const Values dx = {100, 100 * 2.75 / 5.25, 100 * 3.375 / 4.625, 100 * 0.3125 / 4.3125,
                               100 * 0.15625 / 2.15625};
            row("DX 2", hlc(TA_DX, kTrend, 2), 2, {dx});
            const double a3 = (dx[0] + dx[1]) / 2;
            const double a4 = (a3 + dx[2]) / 2;
            const double a5 = (a4 + dx[3]) / 2;
            row("ADX 2", hlc(TA_ADX, kTrend, 2), 3, {{a3, a4, a5, (a5 + dx[4]) / 2}});
        }
        {
            const Hlc flat = sameBars({5, 5, 5, 5, 5, 5});
            row("PLUS_DI flat", hlc(TA_PLUS_DI, flat, 2), 2, {{0, 0, 0, 0}});
            row("DX flat", hlc(TA_DX, flat, 2), 2, {{0, 0, 0, 0}});
            row("ADX flat", hlc(TA_ADX, flat, 2), 3, {{0, 0, 0}});
            row("WILLR flat", hlc(TA_WILLR, flat, 2), 1, {{0, 0, 0, 0, 0}});
            row("STOCHF flat", stochf(flat, 2, 1, TA_MAType_SMA), 1, {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}});
        }

        // Windows of 3 bars: highs 5 7 7 | 7 7 4 | 7 4 6, lows 3 2 4 | 2 4 2 | 4 2 5;
        // the latest of equal extremes counts; 50 points per bar of age.
        row("AROON 2", aroon({5, 7, 7, 4, 6}, {3, 2, 4, 2, 5}, 2), 2, {{50, 100, 50}, {100, 50, 0}});

        // Typical prices 1 2 3 6 6 6 5 7 6 over 3 bars: mean deviations 2/3, 14/9, 4/3, 0, 4/9, 2/3, 2/3.
        row("CCI 3", hlc(TA_CCI, sameBars({1, 2, 3, 6, 6, 6, 5, 7, 6}), 3), 2, {{100, 100, 50, 0, -100, 100, 0}});
        // A flat window's mean can miss the price by rounding; it still gives 0.
        row("CCI flat at 0.03", hlc(TA_CCI, sameBars(Values(16, 0.03)), 14), 13, {{0, 0, 0}});

        // Flows: bar 1 +22, bar 2 -30, bar 3 none (unchanged), bar 4 +60.
        row("MFI 2", mfi({10, 11, 10, 10, 12}, {1, 2, 3, 4, 5}, 2), 2, {{100 * 22.0 / 52, 0, 100}});
        // A summed flow under 1 gives 0.
        row("MFI small flow", mfi({10, 11, 12}, {0.01, 0.01, 0.01}, 2), 2, {{0}});

        row("MOM 2", real(TA_MOM, {1, 4, 2, 8}, 2), 2, {{1, 4}});
        row("ROC 1", real(TA_ROC, {0, 5, 10, 5}, 1), 1, {{0, 100, -50}});
        // Changes +2 -1 0 +3: gain 1, loss 0.5; then (1 + 0) / 2, (0.5 + 0) / 2; then (0.5 + 3) / 2, 0.25 / 2.
        row("RSI 2", real(TA_RSI, {10, 12, 11, 11, 14}, 2), 2, {{200 / 3.0, 200 / 3.0, 100 * 1.75 / 1.875}});
        row("RSI flat", real(TA_RSI, {5, 5, 5}, 2), 2, {{0}});

        // kRange: highest / lowest / close over 3 bars: 12/6/9, 13/7/12, 14/8/10, 14/9/11.5.
        row("WILLR 3", hlc(TA_WILLR, kRange, 3), 2, {{-50, -100 / 6.0, -400 / 6.0, -50}});
        // Fast %K 50, 250/3, 100/3, 50 from bar 2.
        row("STOCHF 3 2 SMA", stochf(kRange, 3, 2, TA_MAType_SMA), 3,
            {{250 / 3.0, 100 / 3.0, 50}, {200 / 3.0, 175 / 3.0, 125 / 3.0}});
        row("STOCH 3 2 SMA 2 SMA", stoch(kRange, 3, 2, TA_MAType_SMA, 2, TA_MAType_SMA), 4,
            {{175 / 3.0, 125 / 3.0}, {62.5, 50}});
        // Slow %K as an EMA (k = 2/3) seeded with (50 + 250/3) / 2 = 200/3: 400/9, 1300/27.
        row("STOCH 3 2 EMA 2 SMA", stoch(kRange, 3, 2, TA_MAType_EMA, 2, TA_MAType_SMA), 4,
            {{400 / 9.0, 1300 / 27.0}, {500 / 9.0, 1250 / 27.0}});

        // SAR with step 0.1 and maximum 0.2. Bar 1 moves up: long from bar 0's low 8 with
        // extreme 11; bar 2 pulls the SAR up to 9.04, held under bar 1's low 9; bar 3's
        // 9.7 is held under its own low 9.5, which bar 4 breaks: short at the extreme 12.5;
        // bar 5: 12.5 + 0.2 * (7 - 12.5) = 11.4; bar 6 breaks it: long at the extreme 7.
        row("SAR long start", sar({10, 11, 12, 12.5, 11, 10, 11.6}, {8, 9, 10, 9.5, 8, 7, 9}, 0.1, 0.2), 1,
            {{8, 8.3, 9, 12.5, 12.5, 7}});
        // Bar 1 moves down: short from bar 0's high 10 with extreme 6; 9.6; 8.68 held above 9.5.
        row("SAR short start", sar({10, 9.5, 9, 8}, {8, 6, 5, 4.5}, 0.1, 0.2), 1, {{10, 9.6, 9.5}});
        // Equal up and down moves start long, so bar 1's low reverses at once to its high.
        row("SAR tie starts long", sar({10, 11}, {8, 7}, 0.1, 0.2), 1, {{11}});
    }
    void fixtures()
    {
        QFETCH(Run, run);
        QFETCH(int, beg);
        QFETCH(std::vector<Values>, expected);
        const Result r = run();
        QCOMPARE(r.rc, TA_SUCCESS);
        QCOMPARE(r.beg, beg);
        QCOMPARE(r.nb, static_cast<int>(expected[0].size()));
        QCOMPARE(r.out.size(), expected.size());
        for (size_t o = 0; o < expected.size(); ++o)
            for (size_t k = 0; k < expected[o].size(); ++k) {
                const double want = expected[o][k];
                const double got = r.out[o][k];
                if (!(std::fabs(got - want) <= 1e-12 * std::max(1.0, std::fabs(want))))
                    QFAIL(qPrintable(QString("output %1 value %2: got %3, want %4")
                                             .arg(o)
                                             .arg(k)
                                             .arg(got, 0, 'g', 17)
                                             .arg(want, 0, 'g', 17)));
            }
    }
};

QTEST_GUILESS_MAIN(tst_TaFixtures)
#include "tst_tafixtures.moc"
