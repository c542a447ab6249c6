// Argument checks, look-backs and output placement that every function shares.
#include <QtTest>

#include "tatable.h"

Q_DECLARE_METATYPE(std::function<TA_RetCode()>)
Q_DECLARE_METATYPE(std::function<std::vector<double>(bool)>)

namespace {

const int kPeriod = 5;

void addPerFunction()
{
    QTest::addColumn<int>("fn");
    for (int i = 0; i < taFunctionCount(); ++i)
        QTest::newRow(taFunction(i).name.c_str()) << i;
}

bool sameValues(const std::vector<double>& a, const std::vector<double>& b, int count)
{
    for (int k = 0; k < count; ++k)
        if (!(a[k] == b[k]))
            return false;
    return true;
}

} // namespace

class tst_TaChecks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(TA_Initialize(), TA_SUCCESS); }
    void cleanupTestCase() { QCOMPARE(TA_Shutdown(), TA_SUCCESS); }

    void indexChecks_data()
    {
        QTest::addColumn<int>("fn");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("expected");
        for (int i = 0; i < taFunctionCount(); ++i) {
            const std::string n = taFunction(i).name;
            QTest::newRow((n + " start -1").c_str()) << i << -1 << 50 << int(TA_OUT_OF_RANGE_START_INDEX);
            QTest::newRow((n + " both -1").c_str()) << i << -1 << -1 << int(TA_OUT_OF_RANGE_START_INDEX);
            QTest::newRow((n + " end -1").c_str()) << i << 0 << -1 << int(TA_OUT_OF_RANGE_END_INDEX);
            QTest::newRow((n + " end before start").c_str()) << i << 40 << 39 << int(TA_OUT_OF_RANGE_END_INDEX);
        }
    }
    void indexChecks()
    {
        QFETCH(int, fn);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, expected);
        const Bars bars = makeBars(60);
        const Outcome r = runCall(taFunction(fn), callOver(bars, start, end, kPeriod));
        QCOMPARE(int(r.rc), expected);
        QCOMPARE(r.beg, 0);
        QCOMPARE(r.nb, 0);
    }

    void periodChecks_data()
    {
        QTest::addColumn<int>("fn");
        QTest::addColumn<int>("period");
        for (int i = 0; i < taFunctionCount(); ++i) {
            const TaFunction& f = taFunction(i);
            if (f.minPeriod == 0)
                continue;
            QTest::newRow((f.name + " below minimum").c_str()) << i << f.minPeriod - 1;
            QTest::newRow((f.name + " negative").c_str()) << i << -3;
            QTest::newRow((f.name + " above 100000").c_str()) << i << 100001;
        }
    }
    void periodChecks()
    {
        QFETCH(int, fn);
        QFETCH(int, period);
        const TaFunction& f = taFunction(fn);
        const Bars bars = makeBars(60);
        const Outcome r = runCall(f, callOver(bars, 0, 59, period));
        QCOMPARE(int(r.rc), int(TA_BAD_PARAM));
        QCOMPARE(r.nb, 0);
        QCOMPARE(f.lookback(period), -1);
    }

    // The largest period is accepted; over short data it yields nothing.
    void largestPeriod_data() { addPerFunction(); }
    void largestPeriod()
    {
        QFETCH(int, fn);
        const TaFunction& f = taFunction(fn);
        if (f.minPeriod == 0)
            QSKIP("no period option");
        const Bars bars = makeBars(60);
        const Outcome r = runCall(f, callOver(bars, 0, 59, 100000));
        QCOMPARE(r.rc, TA_SUCCESS);
        QCOMPARE(r.beg, 0);
        QCOMPARE(r.nb, 0);
        QVERIFY(f.lookback(100000) >= 99999);
    }

    void nullArrays_data() { addPerFunction(); }
    void nullArrays()
    {
        QFETCH(int, fn);
        const TaFunction& f = taFunction(fn);
        const Bars bars = makeBars(60);
        const Call full = callOver(bars, 0, 59, kPeriod);
        const std::pair<int, const double * Call::*> inputs[] = {
                {UsesHigh, &Call::high}, {UsesLow, &Call::low}, {UsesClose, &Call::close}, {UsesVolume, &Call::volume}};
        for (const auto& input : inputs) {
            if (!(f.inputs & input.first))
                continue;
            Call c = full;
            c.*(input.second) = nullptr;
            QCOMPARE(runCall(f, c).rc, TA_BAD_PARAM);
        }
        for (int o = 0; o < f.outputs; ++o)
            QCOMPARE(runCall(f, full, o).rc, TA_BAD_PARAM);

        std::vector<std::vector<double>> storage(static_cast<size_t>(f.outputs), std::vector<double>(60));
        std::vector<double*> outs;
        for (auto& s : storage)
            outs.push_back(s.data());
        int count = -1;
        QCOMPARE(f.invoke(full, nullptr, &count, outs.data()), TA_BAD_PARAM);
        QCOMPARE(count, 0);
        int beg = -1;
        QCOMPARE(f.invoke(full, &beg, nullptr, outs.data()), TA_BAD_PARAM);
        QCOMPARE(beg, 0);
    }

    void defaultSentinel_data() { addPerFunction(); }
    void defaultSentinel()
    {
        QFETCH(int, fn);
        const TaFunction& f = taFunction(fn);
        if (f.minPeriod == 0)
            QSKIP("no period option");
        const Bars bars = makeBars(120);
        const Outcome byDefault = runCall(f, callOver(bars, 0, 119, TA_INTEGER_DEFAULT));
        const Outcome explicitly = runCall(f, callOver(bars, 0, 119, f.defaultPeriod));
        QCOMPARE(byDefault.rc, TA_SUCCESS);
        QCOMPARE(byDefault.beg, explicitly.beg);
        QCOMPARE(byDefault.nb, explicitly.nb);
        QVERIFY(byDefault.nb > 0);
        for (int o = 0; o < f.outputs; ++o)
            QVERIFY(sameValues(byDefault.out[o], explicitly.out[o], byDefault.nb));
        QCOMPARE(f.lookback(TA_INTEGER_DEFAULT), f.lookback(f.defaultPeriod));
    }

    // Exactly as many bars as the look-back: success without a value.
    void shortInput_data() { addPerFunction(); }
    void shortInput()
    {
        QFETCH(int, fn);
        const TaFunction& f = taFunction(fn);
        const int lookback = f.lookback(kPeriod);
        QVERIFY(lookback >= 1);
        const Bars bars = makeBars(lookback);
        const Outcome r = runCall(f, callOver(bars, 0, lookback - 1, kPeriod));
        QCOMPARE(r.rc, TA_SUCCESS);
        QCOMPARE(r.beg, 0);
        QCOMPARE(r.nb, 0);
        for (const auto& out : r.out)
            QVERIFY(std::isnan(out[0]));
    }

    // One bar more than the look-back: one value, the same a longer run has there.
    void oneElement_data() { addPerFunction(); }
    void oneElement()
    {
        QFETCH(int, fn);
        const TaFunction& f = taFunction(fn);
        const int lookback = f.lookback(kPeriod);
        const Bars bars = makeBars(lookback + 30);
        const Outcome one = runCall(f, callOver(bars, 0, lookback, kPeriod));
        QCOMPARE(one.rc, TA_SUCCESS);
        QCOMPARE(one.beg, lookback);
        QCOMPARE(one.nb, 1);
        const Outcome longer = runCall(f, callOver(bars, 0, lookback + 29, kPeriod));
        QCOMPARE(longer.beg, lookback);
        for (int o = 0; o < f.outputs; ++o) {
            QVERIFY(std::isfinite(one.out[o][0]));
            QCOMPARE(one.out[o][0], longer.out[o][0]);
            QVERIFY(std::isnan(one.out[o][1]));
        }
    }

    // A call starting at s computes as if the data began s - lookback bars in,
    // writes exactly endIdx - s + 1 values, and a start inside the look-back is raised.
    void laterStart_data() { addPerFunction(); }
    void laterStart()
    {
        QFETCH(int, fn);
        const TaFunction& f = taFunction(fn);
        const int lookback = f.lookback(kPeriod);
        const Bars bars = makeBars(200);
        const int start = lookback + 17;
        const int end = 180;
        const Outcome late = runCall(f, callOver(bars, start, end, kPeriod));
        QCOMPARE(late.rc, TA_SUCCESS);
        QCOMPARE(late.beg, start);
        QCOMPARE(late.nb, end - start + 1);
        const Bars shifted = bars.tail(start - lookback);
        const Outcome fromZero = runCall(f, callOver(shifted, 0, end - start + lookback, kPeriod));
        QCOMPARE(fromZero.beg, lookback);
        QCOMPARE(fromZero.nb, late.nb);
        for (int o = 0; o < f.outputs; ++o) {
            QVERIFY(sameValues(late.out[o], fromZero.out[o], late.nb));
            QVERIFY(std::isnan(late.out[o][late.nb]));
        }

        const Outcome raised = runCall(f, callOver(bars, lookback > 1 ? 1 : 0, end, kPeriod));
        QCOMPARE(raised.beg, lookback);
        QCOMPARE(raised.nb, end - lookback + 1);
    }

    void lookbacks_data()
    {
        QTest::addColumn<int>("actual");
        QTest::addColumn<int>("expected");
        QTest::newRow("SMA") << TA_MA_Lookback(7, TA_MAType_SMA) << 6;
        QTest::newRow("EMA") << TA_MA_Lookback(7, TA_MAType_EMA) << 6;
        QTest::newRow("MA period 1") << TA_MA_Lookback(1, TA_MAType_EMA) << 0;
        QTest::newRow("MA default") << TA_MA_Lookback(TA_INTEGER_DEFAULT, TA_MAType(TA_INTEGER_DEFAULT)) << 29;
        QTest::newRow("DEMA") << TA_DEMA_Lookback(7) << 12;
        QTest::newRow("KAMA") << TA_KAMA_Lookback(7) << 7;
        QTest::newRow("BBANDS") << TA_BBANDS_Lookback(7, 2.0, 2.0, TA_MAType_SMA) << 6;
        QTest::newRow("BBANDS default") << TA_BBANDS_Lookback(TA_INTEGER_DEFAULT, TA_REAL_DEFAULT, TA_REAL_DEFAULT,
                                                              TA_MAType(TA_INTEGER_DEFAULT))
                                        << 4;
        QTest::newRow("STDDEV") << TA_STDDEV_Lookback(7, 1.0) << 6;
        QTest::newRow("SAR") << TA_SAR_Lookback(0.02, 0.2) << 1;
        QTest::newRow("SAR default") << TA_SAR_Lookback(TA_REAL_DEFAULT, TA_REAL_DEFAULT) << 1;
        QTest::newRow("ATR") << TA_ATR_Lookback(7) << 7;
        QTest::newRow("PLUS_DI") << TA_PLUS_DI_Lookback(7) << 7;
        QTest::newRow("MINUS_DI") << TA_MINUS_DI_Lookback(7) << 7;
        QTest::newRow("DX") << TA_DX_Lookback(7) << 7;
        QTest::newRow("ADX") << TA_ADX_Lookback(7) << 13;
        QTest::newRow("ADX default") << TA_ADX_Lookback(TA_INTEGER_DEFAULT) << 27;
        QTest::newRow("AROON") << TA_AROON_Lookback(7) << 7;
        QTest::newRow("CCI") << TA_CCI_Lookback(7) << 6;
        QTest::newRow("MFI") << TA_MFI_Lookback(7) << 7;
        QTest::newRow("MOM") << TA_MOM_Lookback(7) << 7;
        QTest::newRow("ROC") << TA_ROC_Lookback(7) << 7;
        QTest::newRow("RSI") << TA_RSI_Lookback(7) << 7;
        QTest::newRow("WILLR") << TA_WILLR_Lookback(7) << 6;
        QTest::newRow("MACDFIX") << TA_MACDFIX_Lookback(7) << 31;
        QTest::newRow("MACDFIX default") << TA_MACDFIX_Lookback(TA_INTEGER_DEFAULT) << 33;
        QTest::newRow("STOCH") << TA_STOCH_Lookback(7, 3, TA_MAType_SMA, 4, TA_MAType_EMA) << 11;
        QTest::newRow("STOCH default") << TA_STOCH_Lookback(TA_INTEGER_DEFAULT, TA_INTEGER_DEFAULT,
                                                            TA_MAType(TA_INTEGER_DEFAULT), TA_INTEGER_DEFAULT,
                                                            TA_MAType(TA_INTEGER_DEFAULT))
                                       << 8;
        QTest::newRow("STOCHF") << TA_STOCHF_Lookback(7, 4, TA_MAType_EMA) << 9;
        QTest::newRow("STOCHF default") << TA_STOCHF_Lookback(TA_INTEGER_DEFAULT, TA_INTEGER_DEFAULT,
                                                              TA_MAType(TA_INTEGER_DEFAULT))
                                        << 6;
        QTest::newRow("MA unsupported type") << TA_MA_Lookback(7, TA_MAType_WMA) << -1;
        QTest::newRow("MA type out of range") << TA_MA_Lookback(7, TA_MAType(9)) << -1;
        QTest::newRow("BBANDS deviation out of range") << TA_BBANDS_Lookback(7, 4e37, 2.0, TA_MAType_SMA) << -1;
        QTest::newRow("STDDEV deviation NaN") << TA_STDDEV_Lookback(7, std::nan("")) << -1;
        QTest::newRow("SAR negative acceleration") << TA_SAR_Lookback(-0.01, 0.2) << -1;
        QTest::newRow("STOCH slow D 0") << TA_STOCH_Lookback(7, 3, TA_MAType_SMA, 0, TA_MAType_SMA) << -1;
        QTest::newRow("STOCHF unsupported type") << TA_STOCHF_Lookback(7, 3, TA_MAType_T3) << -1;
    }
    void lookbacks()
    {
        QFETCH(int, actual);
        QFETCH(int, expected);
        QCOMPARE(actual, expected);
    }

    // Checks of the options besides the period.
    void optionChecks_data()
    {
        QTest::addColumn<std::function<TA_RetCode()>>("call");
        QTest::addColumn<int>("expected");
        static const Bars bars = makeBars(60);
        static std::vector<double> o1(60), o2(60), o3(60);
        static int beg, nb;
        const double *h = bars.high.data(), *l = bars.low.data(), *c = bars.close.data();
        auto row = [](const char* name, std::function<TA_RetCode()> call, TA_RetCode expected) {
            QTest::newRow(name) << call << int(expected);
        };
        row(
                "MA type -1", [=] { return TA_MA(0, 59, c, 5, TA_MAType(-1), &beg, &nb, o1.data()); }, TA_BAD_PARAM);
        row(
                "MA type 9", [=] { return TA_MA(0, 59, c, 5, TA_MAType(9), &beg, &nb, o1.data()); }, TA_BAD_PARAM);
        row(
                "MA WMA", [=] { return TA_MA(0, 59, c, 5, TA_MAType_WMA, &beg, &nb, o1.data()); }, TA_NOT_SUPPORTED);
        row(
                "MA T3", [=] { return TA_MA(0, 59, c, 5, TA_MAType_T3, &beg, &nb, o1.data()); }, TA_NOT_SUPPORTED);
        row(
                "BBANDS dev up 4e37",
                [=] {
                    return TA_BBANDS(0, 59, c, 5, 4e37, 2.0, TA_MAType_SMA, &beg, &nb, o1.data(), o2.data(), o3.data());
                },
                TA_BAD_PARAM);
        row(
                "BBANDS dev down NaN",
                [=] {
                    return TA_BBANDS(0, 59, c, 5, 2.0, std::nan(""), TA_MAType_SMA, &beg, &nb, o1.data(), o2.data(),
                                     o3.data());
                },
                TA_BAD_PARAM);
        row(
                "BBANDS negative dev",
                [=] {
                    return TA_BBANDS(0, 59, c, 5, -1.0, 0.0, TA_MAType_SMA, &beg, &nb, o1.data(), o2.data(), o3.data());
                },
                TA_SUCCESS);
        row(
                "BBANDS DEMA",
                [=] {
                    return TA_BBANDS(0, 59, c, 5, 2.0, 2.0, TA_MAType_DEMA, &beg, &nb, o1.data(), o2.data(), o3.data());
                },
                TA_NOT_SUPPORTED);
        row(
                "STDDEV dev -5e37", [=] { return TA_STDDEV(0, 59, c, 5, -5e37, &beg, &nb, o1.data()); }, TA_BAD_PARAM);
        row(
                "SAR acceleration -0.1", [=] { return TA_SAR(0, 59, h, l, -0.1, 0.2, &beg, &nb, o1.data()); },
                TA_BAD_PARAM);
        row(
                "SAR maximum NaN", [=] { return TA_SAR(0, 59, h, l, 0.02, std::nan(""), &beg, &nb, o1.data()); },
                TA_BAD_PARAM);
        row(
                "SAR zero acceleration", [=] { return TA_SAR(0, 59, h, l, 0.0, 0.0, &beg, &nb, o1.data()); },
                TA_SUCCESS);
        row(
                "STOCH slow K 0",
                [=] {
                    return TA_STOCH(0, 59, h, l, c, 5, 0, TA_MAType_SMA, 3, TA_MAType_SMA, &beg, &nb, o1.data(),
                                    o2.data());
                },
                TA_BAD_PARAM);
        row(
                "STOCH slow D 100001",
                [=] {
                    return TA_STOCH(0, 59, h, l, c, 5, 3, TA_MAType_SMA, 100001, TA_MAType_SMA, &beg, &nb, o1.data(),
                                    o2.data());
                },
                TA_BAD_PARAM);
        row(
                "STOCH slow K type 9",
                [=] {
                    return TA_STOCH(0, 59, h, l, c, 5, 3, TA_MAType(9), 3, TA_MAType_SMA, &beg, &nb, o1.data(),
                                    o2.data());
                },
                TA_BAD_PARAM);
        row(
                "STOCH slow D KAMA",
                [=] {
                    return TA_STOCH(0, 59, h, l, c, 5, 3, TA_MAType_SMA, 3, TA_MAType_KAMA, &beg, &nb, o1.data(),
                                    o2.data());
                },
                TA_NOT_SUPPORTED);
        row(
                "STOCHF fast D 0",
                [=] { return TA_STOCHF(0, 59, h, l, c, 5, 0, TA_MAType_SMA, &beg, &nb, o1.data(), o2.data()); },
                TA_BAD_PARAM);
        row(
                "STOCHF MAMA",
                [=] { return TA_STOCHF(0, 59, h, l, c, 5, 3, TA_MAType_MAMA, &beg, &nb, o1.data(), o2.data()); },
                TA_NOT_SUPPORTED);
        row(
                "MACDFIX signal 0", [=] { return TA_MACDFIX(0, 59, c, 0, &beg, &nb, o1.data(), o2.data(), o3.data()); },
                TA_BAD_PARAM);
    }
    void optionChecks()
    {
        QFETCH(std::function<TA_RetCode()>, call);
        QFETCH(int, expected);
        QCOMPARE(int(call()), expected);
    }

    // The default sentinels of the options besides the period.
    void optionDefaults_data()
    {
        QTest::addColumn<std::function<std::vector<double>(bool)>>("run");
        static const Bars bars = makeBars(80);
        const double *h = bars.high.data(), *l = bars.low.data(), *c = bars.close.data();
        auto collect = [](int nb, std::initializer_list<const std::vector<double>*> outs) {
            std::vector<double> all;
            for (const auto* o : outs)
                all.insert(all.end(), o->begin(), o->begin() + nb);
            return all;
        };
        QTest::newRow("MA: SMA") << std::function<std::vector<double>(bool)>([=](bool byDefault) {
            std::vector<double> o(80);
            int beg, nb;
            TA_MA(0, 79, c, 30, byDefault ? TA_MAType(TA_INTEGER_DEFAULT) : TA_MAType_SMA, &beg, &nb, o.data());
            return collect(nb, {&o});
        });
        QTest::newRow("BBANDS: 2, 2, SMA") << std::function<std::vector<double>(bool)>([=](bool byDefault) {
            std::vector<double> u(80), m(80), d(80);
            int beg, nb;
            if (byDefault)
                TA_BBANDS(0, 79, c, 5, TA_REAL_DEFAULT, TA_REAL_DEFAULT, TA_MAType(TA_INTEGER_DEFAULT), &beg, &nb,
                          u.data(), m.data(), d.data());
            else
                TA_BBANDS(0, 79, c, 5, 2.0, 2.0, TA_MAType_SMA, &beg, &nb, u.data(), m.data(), d.data());
            return collect(nb, {&u, &m, &d});
        });
        QTest::newRow("STDDEV: 1") << std::function<std::vector<double>(bool)>([=](bool byDefault) {
            std::vector<double> o(80);
            int beg, nb;
            TA_STDDEV(0, 79, c, 5, byDefault ? TA_REAL_DEFAULT : 1.0, &beg, &nb, o.data());
            return collect(nb, {&o});
        });
        QTest::newRow("SAR: 0.02, 0.2") << std::function<std::vector<double>(bool)>([=](bool byDefault) {
            std::vector<double> o(80);
            int beg, nb;
            TA_SAR(0, 79, h, l, byDefault ? TA_REAL_DEFAULT : 0.02, byDefault ? TA_REAL_DEFAULT : 0.2, &beg, &nb,
                   o.data());
            return collect(nb, {&o});
        });
        QTest::newRow("STOCH: 3 SMA, 3 SMA") << std::function<std::vector<double>(bool)>([=](bool byDefault) {
            std::vector<double> k(80), d(80);
            int beg, nb;
            const int p = byDefault ? TA_INTEGER_DEFAULT : 3;
            const TA_MAType t = byDefault ? TA_MAType(TA_INTEGER_DEFAULT) : TA_MAType_SMA;
            TA_STOCH(0, 79, h, l, c, 5, p, t, p, t, &beg, &nb, k.data(), d.data());
            return collect(nb, {&k, &d});
        });
        QTest::newRow("STOCHF: 3 SMA") << std::function<std::vector<double>(bool)>([=](bool byDefault) {
            std::vector<double> k(80), d(80);
            int beg, nb;
            TA_STOCHF(0, 79, h, l, c, 5, byDefault ? TA_INTEGER_DEFAULT : 3,
                      byDefault ? TA_MAType(TA_INTEGER_DEFAULT) : TA_MAType_SMA, &beg, &nb, k.data(), d.data());
            return collect(nb, {&k, &d});
        });
        // An acceleration above the maximum is lowered to it.
        QTest::newRow("SAR: acceleration capped") << std::function<std::vector<double>(bool)>([=](bool capped) {
            std::vector<double> o(80);
            int beg, nb;
            TA_SAR(0, 79, h, l, capped ? 0.5 : 0.1, 0.1, &beg, &nb, o.data());
            return collect(nb, {&o});
        });
    }
    void optionDefaults()
    {
        QFETCH(std::function<std::vector<double>(bool)>, run);
        const std::vector<double> byDefault = run(true);
        QVERIFY(!byDefault.empty());
        QCOMPARE(byDefault, run(false));
    }
};

QTEST_GUILESS_MAIN(tst_TaChecks)
#include "tst_tachecks.moc"
