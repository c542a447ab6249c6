// The price-pane overlays: each series against the plain reference at every
// candle, their defaults, clamps, captions, settings labels and JSON.
#include <QtTest>

#include "indicatorfixture.h"
#include "kuchartindicators.h"
#include "kuchartoverlays.h"
#include "tareference.h"

#include <functional>

using namespace tareference;

namespace {

const int kBars = 300;

// Makes the overlay with its settings; picks the series to check (a band for BB).
using Make = std::function<kuChartAbstractTA*(kuChartCore*)>;
using Pick = std::function<const QVector<double>&(kuChartAbstractTA*)>;
using Expect = std::function<Series(const Bars&)>;

const QVector<double>& own(kuChartAbstractTA* ta)
{
    return ta->series();
}

Pick band(int i)
{
    return [i](kuChartAbstractTA* ta) -> const QVector<double>& { return ta->children().at(i)->series(); };
}

Bars withClose(Bars b, const Series& close)
{
    b.close = close;
    return b;
}

bool near(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max({std::fabs(a), std::fabs(b), 1.0});
}

template <class T>
T* make(kuChartCore* core, std::function<void(T*)> set)
{
    auto* ta = new T(core, QJsonObject());
    set(ta);
    return ta;
}

} // namespace

Q_DECLARE_METATYPE(Make)
Q_DECLARE_METATYPE(Pick)
Q_DECLARE_METATYPE(Expect)

class tst_Overlays : public QObject
{
    Q_OBJECT

private slots:
    void matchesReference_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<Pick>("pick");
        QTest::addColumn<Expect>("expect");
        // Periods and data sets away from the defaults, so a parameter left out shows.
        auto sma = [](kuChartCore* c) {
            return make<kuChart_TA_SMA>(c, [](kuChart_TA_SMA* t) {
                t->setPeriod(9);
                t->setChartDataSet(dsHigh);
            });
        };
        QTest::newRow("SMA high 9") << Make(sma) << Pick(own) << Expect([](const Bars& b) { return smaOf(b.high, 9); });
        auto ema = [](kuChartCore* c) {
            return make<kuChart_TA_EMA>(c, [](kuChart_TA_EMA* t) {
                t->setPeriod(11);
                t->setChartDataSet(dsLow);
            });
        };
        QTest::newRow("EMA low 11") << Make(ema) << Pick(own)
                                    << Expect([](const Bars& b) { return maOf(b.low, 11, TA_MAType_EMA); });
        auto dema = [](kuChartCore* c) {
            return make<kuChart_TA_DEMA>(c, [](kuChart_TA_DEMA* t) { t->setPeriod(8); });
        };
        QTest::newRow("DEMA close 8") << Make(dema) << Pick(own)
                                      << Expect([](const Bars& b) { return demaOf(b.close, 8); });
        auto kama = [](kuChartCore* c) {
            return make<kuChart_TA_KAMA>(c, [](kuChart_TA_KAMA* t) {
                t->setPeriod(12);
                t->setChartDataSet(dsOpen);
            });
        };
        QTest::newRow("KAMA open 12") << Make(kama) << Pick(own) << Expect([](const Bars& b) {
            Series open(b.close.size());
            for (int i = 0; i < b.size(); ++i)
                open[i] = i > 0 ? b.close[i - 1] : b.close[i];
            return kamaOf(open, 12);
        });
        auto bb = [](kuChartCore* c) {
            return make<kuChart_TA_BB>(c, [](kuChart_TA_BB* t) {
                t->setPeriod(13);
                t->setVariation(1.5);
                t->setChartDataSet(dsHigh);
            });
        };
        for (int line : {0, 1, 2}) {
            const char* names[] = {"BB upper", "BB middle", "BB lower"};
            const Pick pick = line == 1 ? Pick(own) : band(line == 0 ? 0 : 1);
            QTest::newRow(names[line]) << Make(bb) << pick << Expect([line](const Bars& b) {
                return bbands(withClose(b, b.high), 13, TA_MAType_SMA, 1.5, 1.5)[line];
            });
        }
        auto sar = [](kuChartCore* c) {
            return make<kuChart_TA_PSAR>(c, [](kuChart_TA_PSAR* t) {
                t->setStep(0.03);
                t->setMaximum(0.25);
            });
        };
        QTest::newRow("PSAR") << Make(sar) << Pick(own) << Expect([](const Bars& b) { return sarOf(b, 0.03, 0.25); });
    }
    void matchesReference()
    {
        QFETCH(Make, make);
        QFETCH(Pick, pick);
        QFETCH(Expect, expect);
        const Bars bars = makeBars(kBars, 4242);
        auto core = indicatorfixture::coreOver(bars);
        std::unique_ptr<kuChartAbstractTA> ta(make(core.get()));
        const QVector<double>& got = pick(ta.get());
        const Series want = expect(bars);
        const int first = firstValid(want);
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
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("period");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("caption");
        QTest::newRow("SMA") << 17 << int(otLineSeries) << 14 << QColor(Qt::darkMagenta) << "SMA (14)";
        QTest::newRow("EMA") << 6 << int(otLineSeries) << 14 << QColor(Qt::cyan) << "EMA (14)";
        QTest::newRow("DEMA") << 5 << int(otLineSeries) << 21 << QColor(Qt::magenta) << "DEMA (21)";
        QTest::newRow("KAMA") << 7 << int(otLineSeries) << 10 << QColor(Qt::green) << "KAMA (10)";
        QTest::newRow("BB") << 3 << int(otLineSeries) << 10 << QColor(Qt::blue) << "BB (10)";
        QTest::newRow("PSAR") << 11 << int(otDots) << 2 << QColor(Qt::red) << "PSAR (0.1, 0.1)";
    }
    void defaults()
    {
        QFETCH(int, kind);
        QFETCH(int, type);
        QFETCH(int, period);
        QFETCH(QColor, color);
        QFETCH(QString, caption);
        auto core = indicatorfixture::coreOver(makeBars(50));
        std::unique_ptr<kuChartAbstractTA> ta(kuChartIndicators::createById(kind, core.get(), QJsonObject()));
        QVERIFY(ta);
        QCOMPARE(ta->indicatorKind(), kind);
        QCOMPARE(ta->objectType(), type);
        QCOMPARE(ta->isPricePane(), 1);
        QCOMPARE(ta->period(), period);
        QCOMPARE(ta->chartDataSet(), int(dsClose));
        QCOMPARE(ta->color(), color);
        QCOMPARE(ta->label(), caption);
        QVERIFY(!ta->series().isEmpty());
        QCOMPARE(ta->valueRange(), qMakePair(0.0, 0.0));
        for (kuChartAbstractTA* child : ta->children())
            QCOMPARE(child->valueRange(), qMakePair(0.0, 0.0));
    }

    void labels_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("names"); // as the settings list them
        QTest::addColumn<QStringList>("labels");
        const QStringList average{"color", "period", "chartDataSet"};
        const QStringList averageLabels{"Цвет", "Период", "Применить к"};
        QTest::newRow("SMA") << 17 << average << averageLabels;
        QTest::newRow("KAMA") << 7 << average << averageLabels;
        QTest::newRow("BB") << 3 << QStringList{"color", "period", "chartDataSet", "variation"}
                            << QStringList{"Цвет средней линии", "Период", "Применить к", "Отклонение"};
        QTest::newRow("PSAR") << 11 << QStringList{"color", "step", "maximum"}
                              << QStringList{"Цвет", "Шаг", "Максимум"};
    }
    void labels()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, names);
        QFETCH(QStringList, labels);
        auto core = indicatorfixture::coreOver(makeBars(50));
        std::unique_ptr<kuChartAbstractTA> ta(kuChartIndicators::createById(kind, core.get(), QJsonObject()));
        QStringList gotNames, gotLabels;
        for (const QJsonValue& p : ta->params()) {
            gotNames << p["name"].toString();
            gotLabels << p["label"].toString();
            QCOMPARE(p["hidden"].toBool(), false);
        }
        QCOMPARE(gotNames, names);
        QCOMPARE(gotLabels, labels);
        const QJsonObject choices = ta->propertyInfo("chartDataSet").availableValue.toJsonObject();
        QCOMPARE(choices.value("High").toInt(), int(dsHigh));
        QVERIFY(!choices.contains("Volume"));
    }

    void bandLabels()
    {
        auto core = indicatorfixture::coreOver(makeBars(50));
        kuChart_TA_BB bb(core.get(), QJsonObject());
        QCOMPARE(bb.children().size(), 2);
        QCOMPARE(bb.children().at(0)->propertyInfo("color").label, QString("Цвет верхней линии"));
        QCOMPARE(bb.children().at(1)->propertyInfo("color").label, QString("Цвет нижней линии"));
        QCOMPARE(bb.children().at(0)->label(), QString("chartObject"));
        QCOMPARE(bb.children().at(0)->params().size(), 1);
    }

    void clamps_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("stored");
        QTest::newRow("variation -3") << "variation" << -3.0 << 1.0;
        QTest::newRow("variation 25") << "variation" << 25.0 << 10.0;
        QTest::newRow("variation 0") << "variation" << 0.0 << 0.0;
        QTest::newRow("variation 3.5") << "variation" << 3.5 << 3.5;
        QTest::newRow("step 0") << "step" << 0.0 << 0.1;
        QTest::newRow("step -1") << "step" << -1.0 << 0.1;
        QTest::newRow("step 250") << "step" << 250.0 << 100.0;
        QTest::newRow("maximum 0") << "maximum" << 0.0 << 0.1;
        QTest::newRow("maximum -1") << "maximum" << -1.0 << 0.1;
        QTest::newRow("maximum 250") << "maximum" << 250.0 << 100.0;
        QTest::newRow("maximum 0.3") << "maximum" << 0.3 << 0.3;
    }
    void clamps()
    {
        QFETCH(QString, property);
        QFETCH(double, value);
        QFETCH(double, stored);
        auto core = indicatorfixture::coreOver(makeBars(50));
        std::unique_ptr<kuChartAbstractTA> ta(
                kuChartIndicators::createById(property == "variation" ? 3 : 11, core.get(), QJsonObject()));
        QVERIFY(ta->setProperty(qPrintable(property), value));
        QCOMPARE(ta->property(qPrintable(property)).toDouble(), stored);
        for (kuChartAbstractTA* child : ta->children())
            QCOMPARE(static_cast<kuChart_TA_BB_p*>(child)->variation(), stored);
    }

    // A zero variation puts both bands on the middle line.
    void zeroVariation()
    {
        auto core = indicatorfixture::coreOver(makeBars(60));
        kuChart_TA_BB bb(core.get(), QJsonObject());
        bb.setVariation(0);
        QCOMPARE(bb.children().at(0)->series(), bb.series());
        QCOMPARE(bb.children().at(1)->series(), bb.series());
    }

    void passesOnToBands()
    {
        auto core = indicatorfixture::coreOver(makeBars(60));
        kuChart_TA_BB bb(core.get(), QJsonObject());
        bb.setPeriod(20);
        bb.setChartDataSet(dsLow);
        for (kuChartAbstractTA* band : bb.children()) {
            QCOMPARE(band->period(), 20);
            QCOMPARE(band->chartDataSet(), int(dsLow));
            QCOMPARE(band->series().size(), 60 - 19);
        }
    }

    void json()
    {
        auto core = indicatorfixture::coreOver(makeBars(60));
        kuChart_TA_BB bb(core.get(), QJsonObject());
        bb.setPeriod(15);
        bb.setVariation(2.5);
        bb.children().at(0)->setColor(QColor("#112233"));
        bb.children().at(1)->setColor(QColor("#445566"));
        const QJsonObject saved = bb.toJson();
        QCOMPARE(saved["indType"].toInt(), 3);
        QCOMPARE(saved["type"].toInt(), int(otLineSeries));
        const QJsonArray children = saved["childrenObject"].toArray();
        QCOMPARE(children.size(), 2);
        QCOMPARE(children.at(0)["indType"].toInt(), 6);
        QCOMPARE(children.at(1)["indType"].toInt(), 7);

        std::unique_ptr<kuChartAbstractTA> back(kuChartIndicators::createById(3, core.get(), saved));
        auto* restored = static_cast<kuChart_TA_BB*>(back.get());
        QCOMPARE(restored->period(), 15);
        QCOMPARE(restored->variation(), 2.5);
        QCOMPARE(restored->children().at(0)->color(), QColor("#112233"));
        QCOMPARE(restored->children().at(1)->color(), QColor("#445566"));
        QCOMPARE(restored->children().at(1)->series(), bb.children().at(1)->series());
        QVERIFY(!saved.contains("childrenObject") ||
                !kuChart_TA_SMA(core.get(), {}).toJson().contains("childrenObject"));
    }

    // Saved settings are outside data: periods stay in range, unknown data sets are ignored.
    void savedValuesChecked_data()
    {
        QTest::addColumn<QJsonValue>("period");
        QTest::addColumn<QJsonValue>("dataSet");
        QTest::addColumn<int>("wantPeriod");
        QTest::addColumn<int>("wantDataSet");
        QTest::newRow("fine") << QJsonValue(30) << QJsonValue(3003) << 30 << int(dsHigh);
        QTest::newRow("huge period") << QJsonValue(250000) << QJsonValue(3002) << 100000 << int(dsClose);
        QTest::newRow("negative period") << QJsonValue(-5) << QJsonValue(3002) << 1 << int(dsClose);
        QTest::newRow("unknown data set") << QJsonValue(14) << QJsonValue(42) << 14 << int(dsClose);
        QTest::newRow("volume") << QJsonValue(14) << QJsonValue(3005) << 14 << int(dsVolume);
    }
    void savedValuesChecked()
    {
        QFETCH(QJsonValue, period);
        QFETCH(QJsonValue, dataSet);
        QFETCH(int, wantPeriod);
        QFETCH(int, wantDataSet);
        auto core = indicatorfixture::coreOver(makeBars(60));
        const QJsonObject json{{"indType", 17},
                               {"params", QJsonArray{QJsonObject{{"name", "period"}, {"value", period}},
                                                     QJsonObject{{"name", "chartDataSet"}, {"value", dataSet}}}}};
        kuChart_TA_SMA sma(core.get(), json);
        QCOMPARE(sma.period(), wantPeriod);
        QCOMPARE(sma.chartDataSet(), wantDataSet);
    }
};

QTEST_MAIN(tst_Overlays)
#include "tst_overlays.moc"
