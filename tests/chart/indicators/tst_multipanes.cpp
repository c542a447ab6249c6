// The five indicators with two or three plots in a pane of their own: every
// plot against a plain reference at every candle, defaults, ranges, texts,
// the slowing period of the stochastics and the saved state.
#include <QtTest>

#include "indicatorfixture.h"
#include "kuchartindicators.h"
#include "kuchartmultipanes.h"
#include "tareference.h"

#include <QGraphicsSimpleTextItem>
#include <QJsonDocument>

#include <functional>

using namespace tareference;

namespace {

const int kBars = 300;

bool near(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max({std::fabs(a), std::fabs(b), 1.0});
}

// The mean of x over the s values ending at t.
double meanAt(const Series& x, int t, int s)
{
    double sum = 0;
    for (int i = t - s + 1; i <= t; ++i)
        sum += x[size_t(i)];
    return sum / s;
}

// Simple average of s values, defined from `from` on.
Series smaFrom(const Series& x, int from, int s)
{
    Series out(x.size(), kNaN);
    for (int t = from + s - 1; t < int(x.size()); ++t)
        out[size_t(t)] = meanAt(x, t, s);
    return out;
}

// Everything before `first` unknown: the plot starts there.
Series startingAt(Series x, int first)
{
    for (int t = 0; t < std::min(first, int(x.size())); ++t)
        x[size_t(t)] = kNaN;
    return x;
}

// Slow stochastic with the fast-K period p and slowing s for both averages: {%K, %D}.
Outputs slowStoch(const Bars& b, int p, int s)
{
    const Series fastK = fastKOf(b, p);
    const Series k = smaFrom(fastK, p - 1, s);
    const Series d = smaFrom(k, p - 1 + s - 1, s);
    const int first = p - 1 + 2 * (s - 1);
    return {startingAt(k, first), startingAt(d, first)};
}

// Fast stochastic with the fast-K period p and the %D average s: {%K, %D}.
Outputs fastStoch(const Bars& b, int p, int s)
{
    const Series fastK = fastKOf(b, p);
    const int first = p - 1 + s - 1;
    return {startingAt(fastK, first), startingAt(smaFrom(fastK, p - 1, s), first)};
}

// MACD over 12 and 26 with TA-Lib's fixed factors 0.15 and 0.075, and the signal period q:
// {line, signal, histogram}.
Outputs macd(const Series& x, int q)
{
    const int n = int(x.size());
    const int start = 25;
    Series line(size_t(n), kNaN), signal(size_t(n), kNaN), hist(size_t(n), kNaN);
    double fast = meanAt(x, start, 12), slow = meanAt(x, start, 26);
    for (int t = start; t < n; ++t) {
        if (t > start) {
            fast = (x[size_t(t)] - fast) * 0.15 + fast;
            slow = (x[size_t(t)] - slow) * 0.075 + slow;
        }
        line[size_t(t)] = fast - slow;
    }
    const int first = start + q - 1;
    double sig = meanAt(line, first, q);
    for (int t = first; t < n; ++t) {
        if (t > first)
            sig = (line[size_t(t)] - sig) * (2.0 / (q + 1)) + sig;
        signal[size_t(t)] = sig;
        hist[size_t(t)] = line[size_t(t)] - sig;
    }
    return {startingAt(line, first), signal, hist};
}

// Aroon up and down over p: how recent the highest high and lowest low of the last p + 1 bars are.
Outputs aroon(const Bars& b, int p)
{
    Series up(b.close.size(), kNaN), down(b.close.size(), kNaN);
    for (int t = p; t < b.size(); ++t) {
        int hi = t - p, lo = t - p;
        for (int i = t - p; i <= t; ++i) {
            if (b.high[size_t(i)] >= b.high[size_t(hi)])
                hi = i;
            if (b.low[size_t(i)] <= b.low[size_t(lo)])
                lo = i;
        }
        up[size_t(t)] = (100.0 / p) * (p - (t - hi));
        down[size_t(t)] = (100.0 / p) * (p - (t - lo));
    }
    return {up, down};
}

using Make = std::function<kuChartAbstractTA*(kuChartCore*)>;
using Expect = std::function<Outputs(const Bars&)>;

template <class T>
Make make(int period, int dataSet = 0, QVector<int> slows = {})
{
    return [=](kuChartCore* core) -> kuChartAbstractTA* {
        auto* ta = new T(core, QJsonObject());
        ta->setPeriod(period);
        if (dataSet)
            ta->setChartDataSet(dataSet);
        for (int i = 0; i < slows.size(); ++i)
            static_cast<kuChartStochSeries*>(ta->children().at(i))->setSlow(slows.at(i));
        return ta;
    };
}

QStringList texts(const QList<double>& values)
{
    QStringList out;
    for (double v : values)
        out << QString::number(v);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Make)
Q_DECLARE_METATYPE(Expect)

class tst_MultiPanes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kuChartIndicators::registerIndicators(); }

    void matchesReference_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<Expect>("expect");
        // Periods, data sets and slowing away from the defaults, so a parameter left out shows.
        QTest::newRow("ADX 9") << make<kuChart_TA_ADX>(9) << Expect([](const Bars& b) {
            const Directional d = directional(b, 9);
            return Outputs{adxOf(b, 9), d.plusDI, d.minusDI};
        });
        QTest::newRow("AROON 11") << make<kuChart_TA_AROON>(11) << Expect([](const Bars& b) { return aroon(b, 11); });
        QTest::newRow("MACD high 7") << make<kuChart_TA_MACD>(7, dsHigh)
                                     << Expect([](const Bars& b) { return macd(b.high, 7); });
        // %K and %D each with a slowing of its own.
        QTest::newRow("STOCH 8, %K 4, %D 2") << make<kuChart_TA_STOCH>(8, 0, {4, 2}) << Expect([](const Bars& b) {
            return Outputs{slowStoch(b, 8, 4)[0], slowStoch(b, 8, 2)[1]};
        });
        QTest::newRow("STOCHF 6, %K 5, %D 3") << make<kuChart_TA_STOCHF>(6, 0, {5, 3}) << Expect([](const Bars& b) {
            return Outputs{fastStoch(b, 6, 5)[0], fastStoch(b, 6, 3)[1]};
        });
    }
    void matchesReference()
    {
        QFETCH(Make, make);
        QFETCH(Expect, expect);
        const Bars bars = makeBars(kBars, 4243);
        auto core = indicatorfixture::coreOver(bars);
        std::unique_ptr<kuChartAbstractTA> ta(make(core.get()));
        const Outputs want = expect(bars);
        QCOMPARE(ta->children().size(), int(want.size()));
        for (int plot = 0; plot < int(want.size()); ++plot) {
            const QVector<double>& got = ta->children().at(plot)->series();
            const int first = firstValid(want[size_t(plot)]);
            QVERIFY(first < kBars);
            QCOMPARE(got.size(), kBars - first);
            // Index 0 is the newest candle.
            for (int i = 0; i < got.size(); ++i) {
                const double w = want[size_t(plot)][size_t(kBars - 1 - i)];
                if (!near(got.at(i), w))
                    QFAIL(qPrintable(QString("plot %1, candle %2: got %3, want %4")
                                             .arg(plot)
                                             .arg(i)
                                             .arg(got.at(i), 0, 'g', 17)
                                             .arg(w, 0, 'g', 17)));
            }
        }
    }

    void defaults_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("period");
        QTest::addColumn<bool>("dataSet"); // offered in the settings
        QTest::addColumn<QList<double>>("levels");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<int>>("seriesKinds");
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<QList<QColor>>("colors");
        QTest::addColumn<QStringList>("colorLabels");
        QTest::addColumn<QStringList>("slowLabels"); // empty: no slowing period
        const int line = otLineSeries;
        QTest::newRow("ADX") << 0 << 13 << false << QList<double>{25, 50, 75} << "ADX (13)" << QList<int>{0, 1, 2}
                             << QList<int>{line, line, line} << QList<QColor>{Qt::blue, Qt::green, Qt::red}
                             << QStringList{"Цвет DX", "Цвет +DI", "Цвет -DI"} << QStringList{};
        QTest::newRow("AROON") << 1 << 25 << false << QList<double>{30, 50, 70} << "AROON (25)" << QList<int>{3, 4}
                               << QList<int>{line, line} << QList<QColor>{Qt::green, Qt::blue}
                               << QStringList{"UP Color", "Down Color"} << QStringList{};
        QTest::newRow("MACD") << 8 << 9 << true << QList<double>{0} << "MACD (9)" << QList<int>{9, 10, 11}
                              << QList<int>{line, line, int(otHistogram)} << QList<QColor>{Qt::blue, Qt::red, Qt::gray}
                              << QStringList{"Цвет MACD", "Цвет сигнальной линии", "Цвет гистограммы"}
                              << QStringList{};
        QTest::newRow("STOCH") << 15 << 5 << false << QList<double>{20, 50, 80} << "STOCH (5)" << QList<int>{17, 18}
                               << QList<int>{line, line} << QList<QColor>{Qt::darkCyan, Qt::darkYellow}
                               << QStringList{"Цвет %K", "Цвет %D"} << QStringList{"Замедление %K", "Замедление %D"};
        QTest::newRow("STOCHF") << 16 << 5 << false << QList<double>{20, 50, 80} << "STOCHF (5)" << QList<int>{19, 20}
                                << QList<int>{line, line} << QList<QColor>{Qt::darkGreen, Qt::darkRed}
                                << QStringList{"Цвет %K", "Цвет %D"} << QStringList{"Замедление %K", "Замедление %D"};
    }
    void defaults()
    {
        QFETCH(int, kind);
        QFETCH(int, period);
        QFETCH(bool, dataSet);
        QFETCH(QList<double>, levels);
        QFETCH(QString, caption);
        QFETCH(QList<int>, seriesKinds);
        QFETCH(QList<int>, types);
        QFETCH(QList<QColor>, colors);
        QFETCH(QStringList, colorLabels);
        QFETCH(QStringList, slowLabels);
        auto core = indicatorfixture::coreOver(makeBars(80));
        std::unique_ptr<kuChartAbstractTA> ta(kuChartIndicators::createById(kind, core.get(), QJsonObject()));
        indicatorfixture::checkSubPaneDefaults(ta.get(), kind, period, caption, dataSet);
        if (QTest::currentTestFailed())
            return;
        auto* withLevels = qobject_cast<kuChartAbstractAddTA*>(ta.get());
        QVERIFY(withLevels);
        QList<double> values;
        QStringList levelTexts;
        for (const auto& level : withLevels->levels()) {
            values << level.value;
            levelTexts << level.label->text();
        }
        QCOMPARE(values, levels);
        QCOMPARE(levelTexts, texts(levels));
        QCOMPARE(ta->children().size(), seriesKinds.size());
        for (int i = 0; i < seriesKinds.size(); ++i) {
            kuChartAbstractTA* series = ta->children().at(i);
            QCOMPARE(series->indicatorKind(), seriesKinds.at(i));
            QCOMPARE(series->objectType(), types.at(i));
            QCOMPARE(series->isPricePane(), 0);
            QCOMPARE(series->parentIndicator(), ta.get());
            QCOMPARE(series->period(), period);
            QCOMPARE(series->color(), colors.at(i));
            QVERIFY(!series->series().isEmpty());
            QCOMPARE(series->label(), QString("chartObject"));
            // The series offers its colour, and a stochastic its slowing period too.
            QStringList names;
            for (const QJsonValue& p : series->params())
                names << p.toObject().value("name").toString();
            const QStringList expected = slowLabels.isEmpty() ? QStringList{"color"} : QStringList{"color", "slow"};
            QCOMPARE(names, expected);
            const kuChartPropertyInfo info = series->propertyInfo("color");
            QCOMPARE(info.label, colorLabels.at(i));
            QVERIFY(!info.hidden);
            if (!slowLabels.isEmpty()) {
                QCOMPARE(series->propertyInfo("slow").label, slowLabels.at(i));
                QCOMPARE(series->property("slow").toInt(), 3);
            }
        }
        // For the settings dialog the whole-number parameters are marked, the series' too.
        QJsonObject json = ta->toJson();
        ta->markWholeNumbers(json);
        QStringList marked;
        auto collect = [&marked](const QJsonObject& owner) {
            for (const QJsonValue& p : owner.value("params").toArray()) {
                if (p.toObject().value("wholeNumber").toBool())
                    marked << p.toObject().value("name").toString();
            }
        };
        collect(json);
        for (const QJsonValue& child : json.value("childrenObject").toArray())
            collect(child.toObject());
        QStringList expected{"period"};
        if (dataSet)
            expected << "chartDataSet";
        for (int i = 0; i < seriesKinds.size() && !slowLabels.isEmpty(); ++i)
            expected << "slow";
        QCOMPARE(marked, expected);
        QVERIFY(!QJsonDocument(ta->toJson()).toJson().contains("wholeNumber"));
    }

    // Fixed scales whatever the data; MACD spans its plots and always shows zero.
    void paneRange_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("scale"); // the bars are scaled by it, so a range read from the data moves
        QTest::newRow("ADX") << 0 << 1.0;
        QTest::newRow("ADX, large prices") << 0 << 1000.0;
        QTest::newRow("AROON") << 1 << 1.0;
        QTest::newRow("STOCH") << 15 << 1000.0;
        QTest::newRow("STOCHF") << 16 << 0.01;
    }
    void paneRange()
    {
        QFETCH(int, kind);
        QFETCH(double, scale);
        Bars bars = makeBars(200);
        for (Series* s : {&bars.high, &bars.low, &bars.close})
            for (double& v : *s)
                v *= scale;
        auto core = indicatorfixture::coreOver(bars, 800, 600);
        auto* ta = kuChartIndicators::createById(kind, core.get(), QJsonObject());
        core->appendObject(ta);
        core->redraw();
        kuChartAbstractTA* series = ta->children().first();
        const double top = ta->paneTop() + 25, bottom = ta->paneTop() + ta->paneHeight() - 10;
        QVERIFY(std::fabs(series->valueToY(100) - top) < 1e-6);
        QVERIFY(std::fabs(series->valueToY(0) - bottom) < 1e-6);
    }
    void macdRangeReachesZero()
    {
        auto core = indicatorfixture::coreOver(makeBars(200), 800, 600);
        auto* ta = kuChartIndicators::createById(8, core.get(), QJsonObject());
        core->appendObject(ta);
        core->redraw();
        kuChartAbstractTA* line = ta->children().first();
        const double top = ta->paneTop() + 25, bottom = ta->paneTop() + ta->paneHeight() - 10;
        const double zero = line->valueToY(0);
        QVERIFY(zero >= top - 1e-6 && zero <= bottom + 1e-6);
        // The top is the largest visible value of the three plots, widened by 5 %.
        double most = 0;
        const int first = core->firstVisible();
        for (kuChartAbstractTA* plot : ta->children()) {
            const int end = std::min(first + core->visibleCount(), plot->series().size());
            for (int i = first; i < end; ++i)
                most = std::max(most, 1.05 * plot->series().at(i));
        }
        QVERIFY(std::fabs(line->valueToY(most) - top) < 1e-6);
    }

    void valueTexts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("pattern"); // a regular expression over the whole text
        const QString v = R"(-?\d+\.\d\d)";
        QTest::newRow("ADX inside") << 0 << 0 << QString("ADX \\(13\\) %1 \\+DI: %1 -DI: %1").arg(v);
        QTest::newRow("ADX between") << 0 << 60 << QString("ADX \\(13\\)  \\+DI: %1 -DI: %1").arg(v);
        QTest::newRow("ADX outside") << 0 << -1 << R"(ADX \(13\)   )";
        QTest::newRow("AROON inside") << 1 << 2 << QString("AROON \\(25\\) UP: %1 DOWN: %1").arg(v);
        QTest::newRow("MACD inside") << 8 << 0 << QString(" MACD \\(9\\) %1 SIGNAL %1 HISTOGRAM %1").arg(v);
        QTest::newRow("MACD past the values") << 8 << 80 << "   ";
        QTest::newRow("STOCH inside") << 15 << 1 << QString("STOCH \\(5\\) %K: %1 %D: %1").arg(v);
        QTest::newRow("STOCHF past the values") << 16 << 80 << R"(STOCHF \(5\)  )";
    }
    void valueTexts()
    {
        QFETCH(int, kind);
        QFETCH(int, index);
        QFETCH(QString, pattern);
        auto core = indicatorfixture::coreOver(makeBars(80));
        std::unique_ptr<kuChartAbstractTA> ta(kuChartIndicators::createById(kind, core.get(), QJsonObject()));
        const QString text = ta->valueText(index);
        QVERIFY2(QRegularExpression("\\A" + pattern + "\\z").match(text).hasMatch(), qPrintable(text));
        // Each plot's own value, with 2 decimals.
        for (kuChartAbstractTA* plot : ta->children()) {
            if (index >= 0 && index < plot->series().size())
                QVERIFY(text.contains(QString::number(plot->series().at(index), 'f', 2)));
        }
    }

    void setSlow_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("kept");
        QTest::newRow("-5") << -5 << 1;
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("5") << 5 << 5;
        QTest::newRow("20000") << 20000 << 10000;
    }
    // The slowing period is kept within bounds and recomputes its own plot alone.
    void setSlow()
    {
        QFETCH(int, asked);
        QFETCH(int, kept);
        auto core = indicatorfixture::coreOver(makeBars(120));
        kuChart_TA_STOCH stoch(core.get(), QJsonObject());
        auto* k = static_cast<kuChartStochSeries*>(stoch.children().at(0));
        auto* d = static_cast<kuChartStochSeries*>(stoch.children().at(1));
        const QVector<double> kBefore = k->series();
        const QVector<double> dBefore = d->series();
        d->setSlow(asked);
        QCOMPARE(d->slow(), kept);
        QCOMPARE(k->slow(), 3);
        QCOMPARE(k->series(), kBefore);
        if (kept == 3)
            QCOMPARE(d->series(), dBefore);
        else
            QVERIFY(d->series() != dBefore);
    }
    void equalSlowDoesNotRecalculate()
    {
        auto core = indicatorfixture::coreOver(makeBars(120));
        kuChart_TA_STOCHF stochf(core.get(), QJsonObject());
        auto* k = static_cast<kuChartStochSeries*>(stochf.children().at(0));
        // New candles: a recalculation would show them, keeping the old slowing must not.
        const QVector<double> before = k->series();
        core->setSeries({indicatorfixture::seriesOf(makeBars(150, 7))});
        k->setSlow(3);
        QCOMPARE(k->series(), before);
        k->setSlow(4);
        QVERIFY(k->series() != before);
    }

    // A new period reaches the label and every plot.
    void periodChange()
    {
        auto core = indicatorfixture::coreOver(makeBars(120));
        kuChart_TA_ADX adx(core.get(), QJsonObject());
        adx.setProperty("period", 20);
        QCOMPARE(adx.label(), QString("ADX (20)"));
        for (kuChartAbstractTA* plot : adx.children())
            QCOMPARE(plot->period(), 20);
        QCOMPARE(adx.children().at(0)->series().size(), 120 - 39);
        QCOMPARE(adx.children().at(1)->series().size(), 120 - 20);
    }

    // Saved by series kind: each plot takes the entry with its own kind, whatever the order.
    void jsonByKind()
    {
        auto core = indicatorfixture::coreOver(makeBars(80));
        kuChart_TA_STOCH stoch(core.get(), QJsonObject());
        stoch.setPeriod(7);
        stoch.children().at(0)->setColor(Qt::magenta);
        static_cast<kuChartStochSeries*>(stoch.children().at(1))->setSlow(6);
        QJsonObject json = stoch.toJson();
        QCOMPARE(json.value("indType").toInt(), 15);
        QJsonArray children = json.value("childrenObject").toArray();
        QCOMPARE(children.size(), 2);
        QCOMPARE(children.at(0).toObject().value("indType").toInt(), 17);
        QCOMPARE(children.at(1).toObject().value("indType").toInt(), 18);
        // Reversed on disk: the kinds still decide.
        json.insert("childrenObject", QJsonArray{children.at(1), children.at(0)});
        std::unique_ptr<kuChartAbstractTA> back(kuChartIndicators::createById(15, core.get(), json));
        QCOMPARE(back->period(), 7);
        QCOMPARE(back->children().at(0)->color(), QColor(Qt::magenta));
        QCOMPARE(back->children().at(1)->color(), QColor(Qt::darkYellow));
        QCOMPARE(back->children().at(0)->property("slow").toInt(), 3);
        QCOMPARE(back->children().at(1)->property("slow").toInt(), 6);
        QCOMPARE(back->children().at(1)->series(), stoch.children().at(1)->series());
        // MACD keeps its data set.
        kuChart_TA_MACD macd(core.get(), QJsonObject());
        macd.setChartDataSet(dsOpen);
        std::unique_ptr<kuChartAbstractTA> macdBack(kuChartIndicators::createById(8, core.get(), macd.toJson()));
        QCOMPARE(macdBack->chartDataSet(), int(dsOpen));
        QCOMPARE(macdBack->children().at(2)->series(), macd.children().at(2)->series());
    }
};

QTEST_MAIN(tst_MultiPanes)
#include "tst_multipanes.moc"
