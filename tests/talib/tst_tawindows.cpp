// The range functions bar for bar against plain models, compared exactly:
// windows longer than the blocks the library works in, trends that push the
// extreme out of the window on every bar, ties, NaN bars, and chained averages
// that span blocks. CCI likewise, against its sums in the order they have
// always been added.
#include <QtTest>

#include "slidingextreme.h"
#include "tatable.h"

#include <cstring>
#include <deque>

using Series = std::vector<double>;

Q_DECLARE_METATYPE(Bars)

namespace {

const double kNaN = std::nan("");

Bars shapedBars(const QString& shape, int n)
{
    Bars b = makeBars(n, 4242);
    for (int i = 0; i < n; ++i) {
        double mid = 0;
        if (shape == "falling")
            mid = 5000.0 - 0.5 * i;
        else if (shape == "rising")
            mid = 100.0 + 0.5 * i;
        else if (shape == "flat")
            mid = 100.0;
        else
            continue;
        b.high[i] = shape == "flat" ? mid : mid + 1;
        b.low[i] = shape == "flat" ? mid : mid - 1;
        b.close[i] = mid + (shape == "flat" ? 0.0 : 0.25 * (i % 3));
    }
    if (shape == "nan") {
        // NaN in each series, twice in a row once, and a -0 beside a +0.
        for (int i : {40, 41, 300, 777})
            b.high[i] = kNaN;
        for (int i : {90, 512, 1000})
            b.low[i] = kNaN;
        b.close[600] = kNaN;
        b.high[200] = b.low[200] = 0.0;
        b.high[201] = b.low[201] = -0.0;
    }
    return b;
}

// The extreme over the window ending at t as a running window has always
// given it: a monotonic queue filled from the window's bars (among equal
// values the latest; a NaN stays until it leaves the window).
int extremeAt(const Series& x, int t, int window, bool highest)
{
    std::deque<int> queue;
    for (int j = std::max(0, t - window + 1); j <= t; ++j) {
        while (!queue.empty() && (highest ? x[j] >= x[queue.back()] : x[j] <= x[queue.back()]))
            queue.pop_back();
        queue.push_back(j);
    }
    return queue.front();
}

// Equal bits, or both NaN.
bool same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// First index where got and want differ, or -1.
int firstDifference(const double* got, const double* want, int n)
{
    for (int i = 0; i < n; ++i)
        if (!same(got[i], want[i]))
            return i;
    return -1;
}

// Fast %K for the bars p - 1 .. n - 1.
Series fastKOf(const Bars& b, int p)
{
    Series k;
    for (int t = p - 1; t < b.size(); ++t) {
        const double highest = b.high[extremeAt(b.high, t, p, true)];
        const double lowest = b.low[extremeAt(b.low, t, p, false)];
        const double range = (highest - lowest) / 100.0;
        k.push_back(range != 0.0 ? (b.close[t] - lowest) / range : 0.0);
    }
    return k;
}

// TA_MA over x: the averages from x's look-back on.
Series maOf(const Series& x, int period, TA_MAType type)
{
    Series out(x.size());
    int beg = 0;
    int nb = 0;
    if (TA_MA(0, static_cast<int>(x.size()) - 1, x.data(), period, type, &beg, &nb, out.data()) != TA_SUCCESS)
        return {};
    out.resize(static_cast<size_t>(nb));
    return out;
}

// CCI of the bars beg .. n - 1 as one bar at a time has always given it: the
// typical prices in a ring whose slot of bar u is (u - oldest) mod p, oldest
// being the first bar the call reads, and every sum added from slot 0 up.
Series cciOf(const Bars& b, int beg, int p)
{
    Series ring(static_cast<size_t>(p));
    const int oldest = beg - p + 1;
    Series out;
    for (int t = oldest; t < b.size(); ++t) {
        const double last = (b.high[t] + b.low[t] + b.close[t]) / 3;
        ring[(t - oldest) % p] = last;
        if (t < beg)
            continue;
        double sum = 0.0;
        for (double v : ring)
            sum += v;
        const double average = sum / p;
        double deviations = 0.0;
        bool flat = true;
        for (double v : ring) {
            deviations += std::fabs(v - average);
            flat = flat && v == last;
        }
        const double distance = last - average;
        out.push_back(distance != 0.0 && deviations != 0.0 && !flat ? distance / (0.015 * (deviations / p)) : 0.0);
    }
    return out;
}

} // namespace

class tst_TaWindows : public QObject
{
    Q_OBJECT

private slots:
    void extremes_data()
    {
        QTest::addColumn<Bars>("bars");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("start");
        for (const char* shape : {"walk", "falling", "rising", "flat", "nan"})
            for (int p : {2, 5, 14, 255, 256, 600})
                for (int start : {0, 700})
                    QTest::addRow("%s %d from %d", shape, p, start) << shapedBars(shape, 1300) << p << start;
    }
    // AROON gives the extremes' indexes, WILLR their values.
    void extremes()
    {
        QFETCH(Bars, bars);
        QFETCH(int, period);
        QFETCH(int, start);
        const int n = bars.size();
        Series down(n), up(n), willr(n);
        int beg = 0;
        int nb = 0;
        QCOMPARE(TA_AROON(start, n - 1, bars.high.data(), bars.low.data(), period, &beg, &nb, down.data(), up.data()),
                 TA_SUCCESS);
        QCOMPARE(beg, std::max(start, period));
        Series wantDown, wantUp;
        const double factor = 100.0 / period;
        for (int t = beg; t < n; ++t) {
            wantUp.push_back(factor * (period - (t - extremeAt(bars.high, t, period + 1, true))));
            wantDown.push_back(factor * (period - (t - extremeAt(bars.low, t, period + 1, false))));
        }
        QCOMPARE(nb, static_cast<int>(wantUp.size()));
        QCOMPARE(firstDifference(up.data(), wantUp.data(), nb), -1);
        QCOMPARE(firstDifference(down.data(), wantDown.data(), nb), -1);

        QCOMPARE(TA_WILLR(start, n - 1, bars.high.data(), bars.low.data(), bars.close.data(), period, &beg, &nb,
                          willr.data()),
                 TA_SUCCESS);
        QCOMPARE(beg, std::max(start, period - 1));
        Series want;
        for (int t = beg; t < n; ++t) {
            const double highest = bars.high[extremeAt(bars.high, t, period, true)];
            const double lowest = bars.low[extremeAt(bars.low, t, period, false)];
            const double range = (highest - lowest) / -100.0;
            want.push_back(range != 0.0 ? (highest - bars.close[t]) / range : 0.0);
        }
        QCOMPARE(nb, static_cast<int>(want.size()));
        QCOMPARE(firstDifference(willr.data(), want.data(), nb), -1);
    }

    // The extremes' values alone keep no index vector at all: the run must not
    // reach into it. Pushed in uneven pieces, as a caller does.
    void valuesWithoutIndexes_data()
    {
        QTest::addColumn<Bars>("bars");
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("first");
        for (const char* shape : {"walk", "nan"})
            for (int window : {1, 3, 256, 600})
                for (int first : {0, 10})
                    QTest::addRow("%s %d from %d", shape, window, first) << shapedBars(shape, 1300) << window << first;
    }
    void valuesWithoutIndexes()
    {
        QFETCH(Bars, bars);
        QFETCH(int, window);
        QFETCH(int, first);
        velmoran_ta::SlidingExtreme<true, false> highs(bars.high.data(), window, first);
        velmoran_ta::SlidingExtreme<false, false> lows(bars.low.data(), window, first);
        const int n = bars.size();
        Series highest(n), lowest(n), wantHighest, wantLowest;
        for (int from = first, piece = 1; from < n; from += piece, piece = piece % 97 + 13) {
            const int to = std::min(n - 1, from + piece - 1);
            highs.run(from, to, highest.data() + from - first);
            lows.run(from, to, lowest.data() + from - first);
        }
        const Series high(bars.high.begin() + first, bars.high.end());
        const Series low(bars.low.begin() + first, bars.low.end());
        for (int t = 0; t < n - first; ++t) {
            wantHighest.push_back(high[extremeAt(high, t, window, true)]);
            wantLowest.push_back(low[extremeAt(low, t, window, false)]);
        }
        QCOMPARE(firstDifference(highest.data(), wantHighest.data(), n - first), -1);
        QCOMPARE(firstDifference(lowest.data(), wantLowest.data(), n - first), -1);
    }

    void chainedAverages_data()
    {
        QTest::addColumn<Bars>("bars");
        QTest::addColumn<int>("fastK");
        QTest::addColumn<int>("slow");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("start");
        for (const char* shape : {"walk", "nan"})
            for (int fastK : {1, 5, 300})
                for (int slow : {1, 3, 300})
                    for (TA_MAType type : {TA_MAType_SMA, TA_MAType_EMA})
                        for (int start : {0, 1100})
                            QTest::addRow("%s %d,%d %s from %d", shape, fastK, slow,
                                          type == TA_MAType_SMA ? "SMA" : "EMA", start)
                                    << shapedBars(shape, 1500) << fastK << slow << int(type) << start;
    }
    // Slow %K, slow %D and fast %D are TA_MA over fast %K and over each other,
    // seeded from the first bar the call's first output needs.
    void chainedAverages()
    {
        QFETCH(Bars, bars);
        QFETCH(int, fastK);
        QFETCH(int, slow);
        QFETCH(int, type);
        QFETCH(int, start);
        const TA_MAType ma = TA_MAType(type);
        const int n = bars.size();
        const Series k = fastKOf(bars, fastK); // bars fastK - 1 ..
        // Fast %K from bar `from` on.
        auto fastKFrom = [&](int from) { return Series(k.begin() + (from - (fastK - 1)), k.end()); };
        // Slow %D over a shorter period than slow %K, so that the two differ.
        const int slowD = std::max(1, slow - 1);
        const int lookbackK = TA_MA_Lookback(slow, ma);
        const int lookbackD = TA_MA_Lookback(slowD, ma);

        Series outK(n), outD(n);
        int beg = 0;
        int nb = 0;
        QCOMPARE(TA_STOCH(start, n - 1, bars.high.data(), bars.low.data(), bars.close.data(), fastK, slow, ma, slowD,
                          ma, &beg, &nb, outK.data(), outD.data()),
                 TA_SUCCESS);
        QCOMPARE(beg, std::max(start, fastK - 1 + lookbackK + lookbackD));
        QCOMPARE(nb, n - beg);
        const Series slowKs = maOf(fastKFrom(beg - lookbackK - lookbackD), slow, ma);
        const Series slowDs = maOf(slowKs, slowD, ma);
        QCOMPARE(firstDifference(outK.data(), slowKs.data() + lookbackD, nb), -1);
        QCOMPARE(firstDifference(outD.data(), slowDs.data(), nb), -1);

        QCOMPARE(TA_STOCHF(start, n - 1, bars.high.data(), bars.low.data(), bars.close.data(), fastK, slow, ma, &beg,
                           &nb, outK.data(), outD.data()),
                 TA_SUCCESS);
        QCOMPARE(beg, std::max(start, fastK - 1 + lookbackK));
        QCOMPARE(nb, n - beg);
        const Series fastKs = fastKFrom(beg - lookbackK);
        const Series fastDs = maOf(fastKs, slow, ma);
        QCOMPARE(firstDifference(outK.data(), fastKs.data() + lookbackK, nb), -1);
        QCOMPARE(firstDifference(outD.data(), fastDs.data(), nb), -1);
    }

    void cci_data()
    {
        QTest::addColumn<Bars>("bars");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("start");
        // Both parities of the first bar and of the bar count, and rings that
        // wrap on either bar of a pair.
        for (const char* shape : {"walk", "flat", "nan"})
            for (int p : {2, 3, 14, 15, 600})
                for (int start : {0, 700, 701})
                    for (int n : {1300, 1301})
                        QTest::addRow("%s %d from %d of %d", shape, p, start, n) << shapedBars(shape, n) << p << start;
    }
    void cci()
    {
        QFETCH(Bars, bars);
        QFETCH(int, period);
        QFETCH(int, start);
        const int n = bars.size();
        Series out(n);
        int beg = 0;
        int nb = 0;
        QCOMPARE(TA_CCI(start, n - 1, bars.high.data(), bars.low.data(), bars.close.data(), period, &beg, &nb,
                        out.data()),
                 TA_SUCCESS);
        QCOMPARE(beg, std::max(start, period - 1));
        const Series want = cciOf(bars, beg, period);
        QCOMPARE(nb, static_cast<int>(want.size()));
        QCOMPARE(firstDifference(out.data(), want.data(), nb), -1);
    }
};

QTEST_GUILESS_MAIN(tst_TaWindows)
#include "tst_tawindows.moc"
