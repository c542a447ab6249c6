// The level lines of the sub-pane indicators and the eight single-line
// indicators: values against plain references at every candle, defaults,
// ranges, texts and JSON.
#include <QtTest>

#include "indicatorfixture.h"
#include "kuchartabstractaddta.h"
#include "kuchartindicators.h"
#include "kuchartsubpanes.h"
#include "kutaadapters.h"
#include "tareference.h"

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>

#include <functional>
#include <limits>

using namespace tareference;

namespace {

const int kBars = 300;

bool near(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max({std::fabs(a), std::fabs(b), 1.0});
}

QVector<double> vec(const Series& s)
{
    return QVector<double>(s.begin(), s.end());
}

// An adapter's result (newest first) as a reference series (oldest first).
Series oldestFirst(const QVector<double>& newestFirst, int n)
{
    Series s(size_t(n), kNaN);
    for (int i = 0; i < newestFirst.size(); ++i)
        s[size_t(n - 1 - i)] = newestFirst.at(i);
    return s;
}

Series openOf(const Bars& b)
{
    Series open(b.close.size());
    for (int i = 0; i < b.size(); ++i)
        open[size_t(i)] = i > 0 ? b.close[size_t(i - 1)] : b.close[size_t(i)];
    return open;
}

using Make = std::function<kuChartAbstractTA*(kuChartCore*)>;
using Expect = std::function<Series(const Bars&)>;

template <class T>
Make make(int period, int dataSet = 0)
{
    return [=](kuChartCore* core) -> kuChartAbstractTA* {
        auto* ta = new T(core, QJsonObject());
        ta->setPeriod(period);
        if (dataSet)
            ta->setChartDataSet(dataSet);
        return ta;
    };
}

} // namespace

Q_DECLARE_METATYPE(Make)
Q_DECLARE_METATYPE(Expect)

class tst_SubPanes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kuChartIndicators::registerIndicators(); }

    void levelsFollowTheIndicator()
    {
        auto core = indicatorfixture::coreOver(makeBars(60), 800, 600);
        auto* rsi = new kuChart_TA_RSI(core.get(), QJsonObject());
        core->appendObject(rsi);
        core->redraw();
        for (const auto& level : rsi->levels())
            QVERIFY(level.line->isVisible());
        rsi->setVisible(false);
        for (const auto& level : rsi->levels())
            QVERIFY(!level.line->isVisible() && !level.label->isVisible());
        rsi->setVisible(true);
        core->redraw();
        rsi->slot_onClose();
        QVERIFY(rsi->isDeleted());
        for (const auto& level : rsi->levels())
            QVERIFY(!level.line->isVisible() && !level.label->isVisible());
    }

    void matchesReference_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<Expect>("expect");
        // Periods and data sets away from the defaults, so a parameter left out shows.
        QTest::newRow("MOM high 9") << make<kuChart_TA_MOM>(9, dsHigh) << Expect([](const Bars& b) {
            Series s(b.close.size(), kNaN);
            for (int t = 9; t < b.size(); ++t)
                s[size_t(t)] = b.high[size_t(t)] - b.high[size_t(t - 9)];
            return s;
        });
        QTest::newRow("ROC low 7") << make<kuChart_TA_ROC>(7, dsLow) << Expect([](const Bars& b) {
            Series s(b.close.size(), kNaN);
            for (int t = 7; t < b.size(); ++t)
                s[size_t(t)] = (b.low[size_t(t)] / b.low[size_t(t - 7)] - 1) * 100;
            return s;
        });
        QTest::newRow("STDDEV open 11") << make<kuChart_TA_STDDEV>(11, dsOpen) << Expect([](const Bars& b) {
            const Series open = openOf(b);
            Series s(b.close.size(), kNaN);
            for (int t = 10; t < b.size(); ++t)
                s[size_t(t)] = deviationOf(open, t, 11);
            return s;
        });
        QTest::newRow("WILLR 10") << make<kuChart_TA_WILLR>(10) << Expect([](const Bars& b) {
            Series s(b.close.size(), kNaN);
            for (int t = 9; t < b.size(); ++t) {
                const double hh = highest(b.high, t - 9, t), ll = lowest(b.low, t - 9, t);
                s[size_t(t)] = hh == ll ? 0 : -100 * (hh - b.close[size_t(t)]) / (hh - ll);
            }
            return s;
        });
        QTest::newRow("CCI 12") << make<kuChart_TA_CCI>(12) << Expect([](const Bars& b) {
            Series s(b.close.size(), kNaN);
            for (int t = 11; t < b.size(); ++t) {
                double mean = 0;
                for (int i = t - 11; i <= t; ++i)
                    mean += typical(b, i);
                mean /= 12;
                double dev = 0;
                for (int i = t - 11; i <= t; ++i)
                    dev += std::fabs(typical(b, i) - mean);
                dev /= 12;
                const double d = typical(b, t) - mean;
                s[size_t(t)] = d != 0 && dev != 0 ? d / (0.015 * dev) : 0;
            }
            return s;
        });
        // No plain reference of these three: the adapter over the same inputs.
        QTest::newRow("ATR 9") << make<kuChart_TA_ATR>(9) << Expect([](const Bars& b) {
            const QVector<double> h = vec(b.high), l = vec(b.low), c = vec(b.close);
            return oldestFirst(taAtr(&h, &l, &c, 9), b.size());
        });
        QTest::newRow("MFI 8") << make<kuChart_TA_MFI>(8) << Expect([](const Bars& b) {
            const QVector<double> h = vec(b.high), l = vec(b.low), c = vec(b.close), v = vec(b.volume);
            return oldestFirst(taMfi(&h, &l, &c, &v, 8), b.size());
        });
        QTest::newRow("RSI open 15") << make<kuChart_TA_RSI>(15, dsOpen) << Expect([](const Bars& b) {
            const QVector<double> open = vec(openOf(b));
            return oldestFirst(taRsi(&open, 15), b.size());
        });
    }
    void matchesReference()
    {
        QFETCH(Make, make);
        QFETCH(Expect, expect);
        const Bars bars = makeBars(kBars, 4242);
        auto core = indicatorfixture::coreOver(bars);
        std::unique_ptr<kuChartAbstractTA> ta(make(core.get()));
        QCOMPARE(ta->children().size(), 1);
        const QVector<double>& got = ta->children().first()->series();
        const Series want = expect(bars);
        const int first = firstValid(want);
        QVERIFY(first < kBars);
        QCOMPARE(got.size(), kBars - first);
        // Index 0 is the newest candle.
        for (int i = 0; i < got.size(); ++i) {
            const double w = want[size_t(kBars - 1 - i)];
            if (!near(got.at(i), w))
                QFAIL(qPrintable(
                        QString("candle %1: got %2, want %3").arg(i).arg(got.at(i), 0, 'g', 17).arg(w, 0, 'g', 17)));
        }
    }

    void defaults_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("seriesKind");
        QTest::addColumn<int>("period");
        QTest::addColumn<bool>("dataSet"); // offered in the settings
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QVector<double>>("levels");
        QTest::addColumn<QStringList>("levelTexts");
        QTest::addColumn<QString>("caption");
        QTest::newRow("ATR") << 2 << 5 << 14 << false << QColor(Qt::magenta) << QVector<double>{} << QStringList{}
                             << "ATR (14)";
        QTest::newRow("CCI") << 4 << 8 << 20 << false << QColor(Qt::cyan) << QVector<double>{-100, 100}
                             << QStringList{"-100", "100"} << "CCI (20)";
        QTest::newRow("MFI") << 9 << 12 << 14 << false << QColor(Qt::green) << QVector<double>{20, 50, 80}
                             << QStringList{"20", "50", "80"} << "MFI (14)";
        QTest::newRow("MOM") << 10 << 13 << 12 << true << QColor(Qt::blue) << QVector<double>{0} << QStringList{"0"}
                             << "MOM (12)";
        QTest::newRow("ROC") << 12 << 14 << 10 << true << QColor(Qt::cyan) << QVector<double>{0} << QStringList{"0"}
                             << "ROC (10)";
        QTest::newRow("RSI") << 13 << 15 << 20 << true << QColor(Qt::green) << QVector<double>{30, 70}
                             << QStringList{"30", "70"} << "RSI (20)";
        QTest::newRow("STDDEV") << 14 << 16 << 20 << true << QColor(Qt::darkGray) << QVector<double>{} << QStringList{}
                                << "STDDEV (20)";
        QTest::newRow("WILLR") << 18 << 21 << 14 << false << QColor(Qt::darkBlue) << QVector<double>{-20, -80}
                               << QStringList{"-20", "-80"} << "WILLR (14)";
    }
    void defaults()
    {
        QFETCH(int, kind);
        QFETCH(int, seriesKind);
        QFETCH(int, period);
        QFETCH(bool, dataSet);
        QFETCH(QColor, color);
        QFETCH(QVector<double>, levels);
        QFETCH(QStringList, levelTexts);
        QFETCH(QString, caption);
        auto core = indicatorfixture::coreOver(makeBars(80));
        std::unique_ptr<kuChartAbstractTA> ta(kuChartIndicators::createById(kind, core.get(), QJsonObject()));
        indicatorfixture::checkSubPaneDefaults(ta.get(), kind, period, caption, dataSet);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(ta->metaObject()->indexOfProperty("period") >= 0, true);
        QCOMPARE(ta->children().size(), 1);
        kuChartAbstractTA* series = ta->children().first();
        QCOMPARE(series->indicatorKind(), seriesKind);
        QCOMPARE(series->objectType(), int(otLineSeries));
        QCOMPARE(series->isPricePane(), 0);
        QCOMPARE(series->parentIndicator(), ta.get());
        QCOMPARE(series->period(), period);
        QCOMPARE(series->color(), color);
        QVERIFY(!series->series().isEmpty());
        // The series offers its colour alone.
        QJsonArray params = series->params();
        QCOMPARE(params.size(), 1);
        const kuChartPropertyInfo info = series->propertyInfo("color");
        QCOMPARE(info.label, QString("Цвет"));
        QVERIFY(!info.hidden);
        auto* withLevels = qobject_cast<kuChartAbstractAddTA*>(ta.get());
        QCOMPARE(withLevels != nullptr, !levels.isEmpty());
        QVector<double> values;
        QStringList texts;
        if (withLevels) {
            for (const auto& level : withLevels->levels()) {
                values << level.value;
                texts << level.label->text();
            }
        }
        QCOMPARE(values, levels);
        QCOMPARE(texts, levelTexts);
    }

    // Fixed scales whatever the data; ATR and STDDEV keep a floor of 0.
    void paneRange_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("max"); // NaN: the series' own
        QTest::addColumn<double>("min");
        const double own = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("MFI") << 9 << 100.0 << 0.0;
        QTest::newRow("RSI") << 13 << 100.0 << 0.0;
        QTest::newRow("WILLR") << 18 << 0.0 << -100.0;
        QTest::newRow("ATR") << 2 << own << 0.0;
        QTest::newRow("STDDEV") << 14 << own << 0.0;
        QTest::newRow("MOM") << 10 << own << own;
    }
    void paneRange()
    {
        QFETCH(int, kind);
        QFETCH(double, max);
        QFETCH(double, min);
        auto core = indicatorfixture::coreOver(makeBars(200), 800, 600);
        auto* ta = kuChartIndicators::createById(kind, core.get(), QJsonObject());
        core->appendObject(ta);
        core->redraw();
        // Before any pointer move the pane names its indicator.
        QCOMPARE(ta->caption()->text(), ta->label());
        kuChartAbstractTA* series = ta->children().first();
        // The pane's range as its series maps it: value at the top and bottom of the plot area.
        const double top = ta->paneTop() + 25, bottom = ta->paneTop() + ta->paneHeight() - 10;
        const double y0 = series->valueToY(0), y1 = series->valueToY(1);
        const double atTop = (top - y0) / (y1 - y0), atBottom = (bottom - y0) / (y1 - y0);
        // The series' own range: its visible values, widened by 5 %.
        double seriesMax = -1e300, seriesMin = 1e300;
        const int end = std::min(core->firstVisible() + core->visibleCount(), series->series().size());
        for (int i = core->firstVisible(); i < end; ++i) {
            seriesMax = std::max(seriesMax, 1.05 * series->series().at(i));
            seriesMin = std::min(seriesMin, 1.05 * series->series().at(i));
        }
        QVERIFY(std::fabs(atTop - (std::isnan(max) ? seriesMax : max)) < 1e-6 * std::max(1.0, std::fabs(atTop)));
        QVERIFY(std::fabs(atBottom - (std::isnan(min) ? seriesMin : min)) < 1e-6 * std::max(1.0, std::fabs(atBottom)));
    }

    void valueTexts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("pattern"); // a regular expression over the whole text
        QTest::newRow("RSI inside") << 13 << 0 << R"(RSI \(20\) -?\d+\.\d\d)";
        QTest::newRow("RSI outside") << 13 << -1 << R"(RSI \(20\) )";
        QTest::newRow("RSI past the values") << 13 << 80 << R"(RSI \(20\) )";
        QTest::newRow("CCI inside") << 4 << 3 << R"( CCI \(20\) -?\d+\.\d\d)";
        QTest::newRow("CCI outside") << 4 << -1 << R"( )";
        QTest::newRow("WILLR inside") << 18 << 5 << R"(WILLR \(14\) -?\d+\.\d\d)";
        QTest::newRow("STDDEV past the values") << 14 << 61 << R"(STDDEV \(20\) )";
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
        kuChartAbstractTA* series = ta->children().first();
        if (index >= 0 && index < series->series().size() && kind != 4)
            QVERIFY(text.endsWith(QString::number(series->series().at(index), 'f', 2)));
    }

    // A value that rounds to zero at two decimals reads "0.00", in every pane's caption
    // (a cheap share's MACD showed "-0.00"); what rounds away from zero keeps its sign.
    void captionWithoutNegativeZero_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("MACD") << 8 << -0.001 << " MACD (9) 0.00 SIGNAL 0.00 HISTOGRAM 0.00";
        QTest::newRow("MACD just below") << 8 << -0.006 << " MACD (9) -0.01 SIGNAL -0.01 HISTOGRAM -0.01";
        QTest::newRow("RSI") << 13 << -0.004 << "RSI (20) 0.00";
        QTest::newRow("CCI") << 4 << -0.001 << " CCI (20) 0.00";
        QTest::newRow("STOCH") << 15 << -0.001 << "STOCH (5) %K: 0.00 %D: 0.00";
        QTest::newRow("ADX") << 0 << -0.001 << "ADX (13) 0.00 +DI: 0.00 -DI: 0.00";
    }
    void captionWithoutNegativeZero()
    {
        QFETCH(int, kind);
        QFETCH(double, value);
        QFETCH(QString, text);
        auto core = indicatorfixture::coreOver(makeBars(80));
        std::unique_ptr<kuChartAbstractTA> ta(kuChartIndicators::createById(kind, core.get(), QJsonObject()));
        for (kuChartAbstractTA* plot : ta->children())
            plot->setSeries([value] { return QVector<double>{value}; });
        QCOMPARE(ta->valueText(0), text);
    }

    // A new period reaches the label, the series' text and its values at once.
    void periodChange()
    {
        auto core = indicatorfixture::coreOver(makeBars(120));
        kuChart_TA_CCI cci(core.get(), QJsonObject());
        const QVector<double> before = cci.children().first()->series();
        cci.setProperty("period", 30);
        QCOMPARE(cci.label(), QString("CCI (30)"));
        QVERIFY(cci.children().first()->valueText(0).startsWith("CCI (30) "));
        QCOMPARE(cci.children().first()->series().size(), before.size() - 10);
    }

    void clamps_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("kept");
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("-5") << -5 << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("above the maximum") << kuChartAbstractTA::maxPeriod + 1 << kuChartAbstractTA::maxPeriod;
    }
    void clamps()
    {
        QFETCH(int, asked);
        QFETCH(int, kept);
        auto core = indicatorfixture::coreOver(makeBars(50));
        kuChart_TA_RSI rsi(core.get(), QJsonObject());
        rsi.setPeriod(asked);
        QCOMPARE(rsi.period(), kept);
        QCOMPARE(rsi.children().first()->period(), kept);
        QCOMPARE(rsi.label(), QString("RSI (%1)").arg(kept));
    }

    void jsonRoundTrip()
    {
        auto core = indicatorfixture::coreOver(makeBars(80));
        kuChart_TA_MFI mfi(core.get(), QJsonObject());
        mfi.setPeriod(9);
        mfi.children().first()->setColor(Qt::red);
        const QJsonObject json = mfi.toJson();
        QCOMPARE(json.value("indType").toInt(), 9);
        QCOMPARE(json.value("type").toInt(), int(otIndicatorPane));
        const QJsonArray children = json.value("childrenObject").toArray();
        QCOMPARE(children.size(), 1);
        QCOMPARE(children.first().toObject().value("indType").toInt(), 12);
        std::unique_ptr<kuChartAbstractTA> back(kuChartIndicators::createById(9, core.get(), json));
        QCOMPARE(back->period(), 9);
        QCOMPARE(back->children().first()->period(), 9);
        QCOMPARE(back->children().first()->color(), QColor(Qt::red));
        QCOMPARE(back->children().first()->series(), mfi.children().first()->series());
    }
};

QTEST_MAIN(tst_SubPanes)
#include "tst_subpanes.moc"
