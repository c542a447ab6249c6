// Every function over 300 bars against a deliberately plain reference written
// from the indicator definitions: windows rescanned and re-summed per bar,
// recursions spelled out, variances in two passes.
#include <QtTest>

#include "tareference.h"

#include <algorithm>
#include <map>

using tareference::Outputs;
using tareference::Series;
using Reference = std::function<Outputs(const Bars&, int period)>;

namespace {

using namespace tareference;

const int kBars = 300;

std::map<std::string, Reference> references()
{
    std::map<std::string, Reference> r;
    r["MA_SMA"] = [](const Bars& b, int p) { return Outputs{smaOf(b.close, p)}; };
    r["MA_EMA"] = [](const Bars& b, int p) { return Outputs{maOf(b.close, p, TA_MAType_EMA)}; };
    r["DEMA"] = [](const Bars& b, int p) { return Outputs{demaOf(b.close, p)}; };
    r["KAMA"] = [](const Bars& b, int p) { return Outputs{kamaOf(b.close, p)}; };
    r["BBANDS"] = [](const Bars& b, int p) { return bbands(b, p, TA_MAType_SMA, 2.0, 1.5); };
    r["BBANDS_EMA"] = [](const Bars& b, int p) { return bbands(b, p, TA_MAType_EMA, 2.0, 2.0); };
    r["STDDEV"] = [](const Bars& b, int p) {
        Series out(b.size(), kNaN);
        for (int t = p - 1; t < b.size(); ++t)
            out[t] = 1.5 * deviationOf(b.close, t, p);
        return Outputs{out};
    };
    r["MOM"] = [](const Bars& b, int p) {
        Series out(b.size(), kNaN);
        for (int t = p; t < b.size(); ++t)
            out[t] = b.close[t] - b.close[t - p];
        return Outputs{out};
    };
    r["ROC"] = [](const Bars& b, int p) {
        Series out(b.size(), kNaN);
        for (int t = p; t < b.size(); ++t)
            out[t] = b.close[t - p] == 0 ? 0 : 100 * (b.close[t] / b.close[t - p] - 1);
        return Outputs{out};
    };
    r["RSI"] = [](const Bars& b, int p) {
        Series out(b.size(), kNaN);
        double gain = 0, loss = 0;
        for (int t = 1; t < b.size(); ++t) {
            const double change = b.close[t] - b.close[t - 1];
            const double g = std::max(change, 0.0), l = std::max(-change, 0.0);
            if (t < p) {
                gain += g;
                loss += l;
                continue;
            }
            if (t == p) {
                gain = (gain + g) / p;
                loss = (loss + l) / p;
            } else {
                gain = (gain * (p - 1) + g) / p;
                loss = (loss * (p - 1) + l) / p;
            }
            out[t] = std::fabs(gain + loss) < 1e-8 ? 0 : 100 * gain / (gain + loss);
        }
        return Outputs{out};
    };
    r["ATR"] = [](const Bars& b, int p) {
        Series out(b.size(), kNaN);
        double sum = 0;
        for (int t = 1; t <= p; ++t)
            sum += trueRangeAt(b, t);
        out[p] = sum / p;
        for (int t = p + 1; t < b.size(); ++t)
            out[t] = (out[t - 1] * (p - 1) + trueRangeAt(b, t)) / p;
        return Outputs{out};
    };
    r["PLUS_DI"] = [](const Bars& b, int p) { return Outputs{directional(b, p).plusDI}; };
    r["MINUS_DI"] = [](const Bars& b, int p) { return Outputs{directional(b, p).minusDI}; };
    r["DX"] = [](const Bars& b, int p) { return Outputs{directional(b, p).dx}; };
    r["ADX"] = [](const Bars& b, int p) { return Outputs{adxOf(b, p)}; };
    r["AROON"] = [](const Bars& b, int p) {
        Series down(b.size(), kNaN), up(b.size(), kNaN);
        for (int t = p; t < b.size(); ++t) {
            int hi = t - p, lo = t - p;
            for (int i = t - p; i <= t; ++i) {
                if (b.high[i] >= b.high[hi])
                    hi = i;
                if (b.low[i] <= b.low[lo])
                    lo = i;
            }
            up[t] = 100.0 * (p - (t - hi)) / p;
            down[t] = 100.0 * (p - (t - lo)) / p;
        }
        return Outputs{down, up};
    };
    r["CCI"] = [](const Bars& b, int p) {
        Series out(b.size(), kNaN);
        for (int t = p - 1; t < b.size(); ++t) {
            double sum = 0;
            for (int i = t - p + 1; i <= t; ++i)
                sum += typical(b, i);
            const double mean = sum / p;
            double deviation = 0;
            for (int i = t - p + 1; i <= t; ++i)
                deviation += std::fabs(typical(b, i) - mean);
            deviation /= p;
            const double distance = typical(b, t) - mean;
            out[t] = (distance == 0 || deviation == 0) ? 0 : distance / (0.015 * deviation);
        }
        return Outputs{out};
    };
    r["MFI"] = [](const Bars& b, int p) {
        Series out(b.size(), kNaN);
        for (int t = p; t < b.size(); ++t) {
            double positive = 0, negative = 0;
            for (int i = t - p + 1; i <= t; ++i) {
                const double flow = typical(b, i) * b.volume[i];
                if (typical(b, i) > typical(b, i - 1))
                    positive += flow;
                else if (typical(b, i) < typical(b, i - 1))
                    negative += flow;
            }
            out[t] = positive + negative < 1 ? 0 : 100 * positive / (positive + negative);
        }
        return Outputs{out};
    };
    r["WILLR"] = [](const Bars& b, int p) {
        Series out(b.size(), kNaN);
        for (int t = p - 1; t < b.size(); ++t) {
            const double hh = highest(b.high, t - p + 1, t);
            const double ll = lowest(b.low, t - p + 1, t);
            out[t] = hh == ll ? 0 : -100 * (hh - b.close[t]) / (hh - ll);
        }
        return Outputs{out};
    };
    r["STOCHF"] = [](const Bars& b, int p) {
        const Series k = fastKOf(b, p);
        const Series d = maOf(k, 3, TA_MAType_SMA);
        return Outputs{k, d};
    };
    r["STOCHF_EMA"] = [](const Bars& b, int p) {
        const Series k = fastKOf(b, p);
        return Outputs{k, maOf(k, 3, TA_MAType_EMA)};
    };
    r["STOCH"] = [](const Bars& b, int p) {
        const Series k = maOf(fastKOf(b, p), 3, TA_MAType_SMA);
        return Outputs{k, maOf(k, 4, TA_MAType_SMA)};
    };
    r["STOCH_EMA"] = [](const Bars& b, int p) {
        const Series k = maOf(fastKOf(b, p), 3, TA_MAType_EMA);
        return Outputs{k, maOf(k, 4, TA_MAType_EMA)};
    };
    r["MACDFIX"] = [](const Bars& b, int signal) {
        Series fast(b.size(), kNaN), slow(b.size(), kNaN), macd(b.size(), kNaN);
        fast[25] = windowMean(b.close, 25, 12);
        slow[25] = windowMean(b.close, 25, 26);
        for (int t = 26; t < b.size(); ++t) {
            fast[t] = fast[t - 1] + 0.15 * (b.close[t] - fast[t - 1]);
            slow[t] = slow[t - 1] + 0.075 * (b.close[t] - slow[t - 1]);
        }
        for (int t = 25; t < b.size(); ++t)
            macd[t] = fast[t] - slow[t];
        const Series line = emaOf(macd, signal, 2.0 / (signal + 1));
        Series hist(b.size(), kNaN);
        for (int t = 0; t < b.size(); ++t)
            hist[t] = macd[t] - line[t];
        return Outputs{macd, line, hist};
    };
    r["SAR"] = [](const Bars& b, int) { return Outputs{sarOf(b, 0.02, 0.2)}; };
    return r;
}

// 150 bars falling then 150 rising: the extremes leave the window on almost every bar.
Bars trendBars()
{
    Bars b;
    for (int i = 0; i < kBars; ++i) {
        const double mid = i < 150 ? 200.0 - 0.5 * i : 125.0 + 0.75 * (i - 150);
        b.high.push_back(mid + 1 + 0.25 * (i % 3));
        b.low.push_back(mid - 1 - 0.25 * (i % 2));
        b.close.push_back(mid + 0.5 * ((i % 5) - 2));
        b.volume.push_back(1000 + 7 * (i % 11));
    }
    return b;
}

bool close(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max({std::fabs(a), std::fabs(b), 1e-3});
}

} // namespace

Q_DECLARE_METATYPE(Bars)

class tst_TaReference : public QObject
{
    Q_OBJECT

private slots:
    void matchesReference_data()
    {
        QTest::addColumn<int>("fn");
        QTest::addColumn<Bars>("bars");
        QTest::addColumn<int>("period");
        const Bars walk = makeBars(kBars, 777);
        const Bars trend = trendBars();
        for (int i = 0; i < taFunctionCount(); ++i) {
            const TaFunction& f = taFunction(i);
            std::vector<int> periods = {2, 5, 14};
            if (f.minPeriod == 0)
                periods = {0};
            else if (f.minPeriod == 1)
                periods.insert(periods.begin(), 1);
            for (int p : periods) {
                const std::string tag = f.name + " " + std::to_string(p);
                QTest::newRow((tag + " walk").c_str()) << i << walk << p;
                QTest::newRow((tag + " trend").c_str()) << i << trend << p;
            }
        }
    }
    void matchesReference()
    {
        QFETCH(int, fn);
        QFETCH(Bars, bars);
        QFETCH(int, period);
        static const std::map<std::string, Reference> refs = references();
        const TaFunction& f = taFunction(fn);
        const auto ref = refs.find(f.name);
        QVERIFY2(ref != refs.end(), "no reference");
        const Outputs expected = ref->second(bars, period);

        const Outcome r = runCall(f, callOver(bars, 0, kBars - 1, period));
        QCOMPARE(r.rc, TA_SUCCESS);
        // All outputs start where the last of the reference's outputs has its first value.
        int first = 0;
        for (const Series& e : expected)
            first = std::max(first, firstValid(e));
        QCOMPARE(r.beg, first);
        QCOMPARE(r.nb, kBars - r.beg);
        for (int o = 0; o < f.outputs; ++o)
            for (int k = 0; k < r.nb; ++k)
                if (!close(r.out[o][k], expected[o][r.beg + k]))
                    QFAIL(qPrintable(QString("output %1 at bar %2: got %3, want %4")
                                             .arg(o)
                                             .arg(r.beg + k)
                                             .arg(r.out[o][k], 0, 'g', 17)
                                             .arg(expected[o][r.beg + k], 0, 'g', 17)));
    }
};

QTEST_GUILESS_MAIN(tst_TaReference)
#include "tst_tareference.moc"
