// The indicator base: value range, the pane layout and its guards, passing
// settings down the tree, JSON of children, the item pool and the overlay caption.
#include <QtTest>

#include "indicatorfixture.h"
#include "kuchartgraphicsitem.h"
#include "kuchartoverlays.h"
#include "kugraphicsscene.h"

#include <QGraphicsLineItem>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSimpleTextItem>
#include <cmath>
#include <limits>

namespace {

// A series with given values (newest first) that counts its recalculations.
class Probe : public kuChartAbstractTA
{
public:
    Probe(kuChartCore* core, int type, int kind = 1, QVector<double> values = {})
        : kuChartAbstractTA(core), m_kind(kind), m_values(std::move(values))
    {
        setObjectType(type);
        recalculate();
        recalculations = 0;
    }
    void recalculate() override
    {
        ++recalculations;
        const QVector<double> values = m_values;
        setSeries([values] { return values; });
    }
    int indicatorKind() const override { return m_kind; }
    void setValues(QVector<double> values)
    {
        m_values = std::move(values);
        recalculate();
    }
    QString label() override { return QStringLiteral("Probe"); }
    kuChartPropertyInfo propertyInfo(const QString& name) override
    {
        if (name == QLatin1String("color"))
            return {QStringLiteral("Цвет"), false, QVariant(QJsonObject())};
        return kuChartAbstractTA::propertyInfo(name);
    }

    int recalculations = 0;

private:
    int m_kind;
    QVector<double> m_values;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

Bars flatBars(int n)
{
    return makeBars(n, 99);
}

// The indicator's own items that are shown, of one kind.
int drawn(const kuChartAbstractTA& ta, int type)
{
    int count = 0;
    for (kuChartGraphicsItem* item : ta.itemPool()) {
        const QGraphicsItem* g = item->graphicsItem();
        if (g->type() == type && g->isVisible() && !g->boundingRect().isEmpty())
            ++count;
    }
    return count;
}

// A core whose newest candle leaves room for a caption right of it.
std::unique_ptr<kuChartCore> roomyCore(int bars)
{
    auto core = indicatorfixture::coreOver(flatBars(bars));
    core->currentSeries()->rightSpace = 150;
    core->redraw();
    return core;
}

} // namespace

using Range = QPair<double, double>;
Q_DECLARE_METATYPE(Range)

class tst_IndicatorBase : public QObject
{
    Q_OBJECT

private slots:
    void valueRange_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVector<double>>("values");
        QTest::addColumn<int>("firstVisible");
        QTest::addColumn<Range>("range");
        const Range none = kuChartAbstractTA::noDataRange;
        QTest::newRow("no series") << int(otLineSeries) << QVector<double>{} << 0 << none;
        QTest::newRow("line") << int(otLineSeries) << QVector<double>{2, -4, 10} << 0 << Range(10.5, -4.2);
        QTest::newRow("bars positive") << int(otHistogram) << QVector<double>{2, 4, 10} << 0 << Range(10.5, 0);
        QTest::newRow("bars negative") << int(otHistogram) << QVector<double>{-2, -4, -10} << 0 << Range(0, -10.5);
        QTest::newRow("bars mixed") << int(otHistogram) << QVector<double>{-2, 4} << 0 << Range(4.2, -2.1);
        QTest::newRow("volume bars") << int(otVolumeBars) << QVector<double>{2, 4} << 0 << Range(4.2, 0);
        QTest::newRow("dots") << int(otDots) << QVector<double>{1, 2} << 0 << Range(2.1, 1.05);
        QTest::newRow("window past the series")
                << int(otLineSeries) << QVector<double>{1, 2, 3, 4} << 2 << Range(4.2, 3.15);
        QTest::newRow("window beyond the series") << int(otLineSeries) << QVector<double>{1, 2} << 5 << none;
        QTest::newRow("not numbers skipped")
                << int(otLineSeries) << QVector<double>{kNaN, 3, kInf} << 0 << Range(3.15, 3.15);
        QTest::newRow("only not numbers") << int(otLineSeries) << QVector<double>{kNaN, -kInf} << 0 << none;
    }
    void valueRange()
    {
        QFETCH(int, type);
        QFETCH(QVector<double>, values);
        QFETCH(int, firstVisible);
        QFETCH(Range, range);
        auto core = indicatorfixture::coreOver(flatBars(40));
        core->currentSeries()->firstVisible = firstVisible;
        Probe probe(core.get(), type, 1, values);
        const Range got = probe.valueRange();
        QCOMPARE(got.first, range.first);
        QCOMPARE(got.second, range.second);
    }

    // Larger values higher up, whatever the pane's height; never a value that is no number.
    void valueToY_data()
    {
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("min");
        QTest::newRow("normal") << 200.0 << 10.0 << 0.0;
        QTest::newRow("exactly the margins") << 35.0 << 10.0 << 0.0;
        QTest::newRow("below the margins") << 20.0 << 10.0 << 0.0;
        QTest::newRow("no height") << 0.0 << 10.0 << 0.0;
        QTest::newRow("negative height") << -50.0 << 10.0 << 0.0;
        QTest::newRow("flat range") << 200.0 << 5.0 << 5.0;
        QTest::newRow("no data") << 200.0 << kuChartAbstractTA::noDataRange.first
                                 << kuChartAbstractTA::noDataRange.second;
        QTest::newRow("not a number") << 200.0 << kNaN << 0.0;
    }
    void valueToY()
    {
        QFETCH(double, height);
        QFETCH(double, max);
        QFETCH(double, min);
        Probe probe(nullptr, otLineSeries);
        probe.setPaneTop(100);
        probe.setPaneHeight(height);
        probe.setRange(max, min);
        const double high = probe.valueToY(10);
        const double low = probe.valueToY(0);
        QVERIFY(std::isfinite(high) && std::isfinite(low));
        QVERIFY(high <= low);
    }

    void valueToYScale()
    {
        Probe probe(nullptr, otLineSeries);
        probe.setPaneTop(100);
        probe.setPaneHeight(235);
        probe.setRange(20, 0);
        QCOMPARE(probe.valueToY(0), 325.0);
        QCOMPARE(probe.valueToY(20), 125.0);
    }

    // Panes that do not fit are not laid out: no upside-down pane, nothing that is no number.
    void paneLayoutGuards_data()
    {
        QTest::addColumn<int>("viewHeight");
        QTest::addColumn<int>("panes");
        QTest::addColumn<bool>("laidOut");
        QTest::newRow("room") << 600 << 1 << true;
        QTest::newRow("three panes") << 600 << 3 << true;
        QTest::newRow("tiny view") << 40 << 1 << false;
        QTest::newRow("tiny view, many panes") << 30 << 4 << false;
    }
    void paneLayoutGuards()
    {
        QFETCH(int, viewHeight);
        QFETCH(int, panes);
        QFETCH(bool, laidOut);
        auto core = indicatorfixture::coreOver(flatBars(40), 400, viewHeight);
        QVector<Probe*> containers;
        for (int i = 0; i < panes; ++i) {
            auto* pane = new Probe(core.get(), otIndicatorPane, 1);
            auto* child = new Probe(core.get(), otLineSeries, 2, {1, 2, 3, 4, 5});
            pane->appendChild(child);
            core->appendObject(pane);
            containers << pane;
        }
        core->redraw();
        double lastTop = -1;
        for (Probe* pane : containers) {
            QVERIFY(std::isfinite(pane->paneHeight()) && std::isfinite(pane->paneTop()));
            QCOMPARE(pane->paneHeight() > 0, laidOut);
            if (!laidOut) {
                QCOMPARE(pane->separator()->line(), QLineF());
                continue;
            }
            QVERIFY(pane->paneTop() > lastTop);
            lastTop = pane->paneTop();
            QCOMPARE(pane->separator()->line().y1(), pane->paneTop() + pane->paneHeight());
            Probe* child = static_cast<Probe*>(pane->children().first());
            QCOMPARE(child->paneTop(), pane->paneTop());
            const double y = child->valueToY(3);
            QVERIFY(y > pane->paneTop() && y < pane->paneTop() + pane->paneHeight());
        }
    }

    void setPeriodPropagates()
    {
        Probe root(nullptr, otIndicatorPane);
        auto* child = new Probe(nullptr, otLineSeries);
        auto* grandChild = new Probe(nullptr, otLineSeries);
        child->appendChild(grandChild);
        root.appendChild(child);
        root.setPeriod(2); // the current value
        QCOMPARE(root.recalculations + child->recalculations + grandChild->recalculations, 0);
        root.setPeriod(9);
        for (Probe* p : {&root, child, grandChild}) {
            QCOMPARE(p->period(), 9);
            QCOMPARE(p->recalculations, 1);
        }
        root.setChartDataSet(dsHigh);
        QCOMPARE(grandChild->chartDataSet(), int(dsHigh));
        QCOMPARE(grandChild->recalculations, 2);
        root.setChartDataSet(dsHigh);
        root.setChartDataSet(1234);
        QCOMPARE(grandChild->recalculations, 2);
        QCOMPARE(root.chartDataSet(), int(dsHigh));
    }

    void fromJsonChildren()
    {
        Probe root(nullptr, otIndicatorPane, 1);
        auto* a = new Probe(nullptr, otLineSeries, 6);
        auto* b = new Probe(nullptr, otLineSeries, 6);
        auto* c = new Probe(nullptr, otLineSeries, 7);
        for (Probe* p : {a, b, c})
            root.appendChild(p);
        const QJsonObject colour{{"params", QJsonArray{QJsonObject{{"name", "color"}, {"value", "#abcdef"}}}}};
        QJsonObject withKind = colour;
        withKind["indType"] = 6;
        QJsonObject noMatch = colour;
        noMatch["indType"] = 9;
        root.fromJson(QJsonObject{{"childrenObject", QJsonArray{noMatch, withKind}}});
        QCOMPARE(a->color(), QColor("#abcdef"));
        QCOMPARE(b->color(), QColor("#abcdef"));
        QCOMPARE(c->color(), QColor(Qt::black));
        QCOMPARE(root.color(), QColor(Qt::black));

        const QJsonObject saved = root.toJson();
        QCOMPARE(saved["indType"].toInt(), 1);
        QCOMPARE(saved["childrenObject"].toArray().size(), 3);
        QVERIFY(!a->toJson().contains("childrenObject"));
    }

    // A pass takes the pool's items of its kind where they are and puts new ones in between.
    void poolReuse()
    {
        auto core = indicatorfixture::coreOver(flatBars(60));
        kuChart_TA_SMA sma(core.get(), QJsonObject());
        sma.repaint();
        const int lines = sma.usedCount();
        QVERIFY(lines > 10);
        const int pooled = sma.itemPool().size();
        sma.repaint();
        QCOMPARE(sma.itemPool().size(), pooled);
        QCOMPARE(drawn(sma, kuChartGraphicsLineItem::Type), lines);

        sma.setObjectType(otDots);
        sma.repaint();
        const int dots = drawn(sma, kuChartGraphicsEllipseItem::Type);
        QVERIFY(dots > 10);
        QCOMPARE(drawn(sma, kuChartGraphicsLineItem::Type), 0);
        QCOMPARE(sma.itemPool().size(), pooled + dots);
        QCOMPARE(sma.usedCount(), std::max(lines, dots));
        sma.repaint();
        QCOMPARE(sma.itemPool().size(), pooled + dots);
    }

    void destroyedIndicatorLeavesNoItems()
    {
        auto core = indicatorfixture::coreOver(flatBars(60));
        const int before = core->scene()->items().size();
        auto* bb = new kuChart_TA_BB(core.get(), QJsonObject());
        bb->repaint();
        QVERIFY(core->scene()->items().size() > before + 10);
        delete bb;
        QCOMPARE(core->scene()->items().size(), before);
    }

    void overlayCaption()
    {
        auto core = roomyCore(60);
        kuChart_TA_SMA sma(core.get(), QJsonObject());
        sma.repaint();
        QGraphicsSimpleTextItem* caption = sma.caption();
        QVERIFY(caption->isVisible());
        QCOMPARE(caption->text(), QString("SMA (14)"));
        const double w = core->candleWidth();
        const double x0 = core->plotLeft() + core->plotWidth() - core->candleSpacing() * w + 1 + 0.4 * w;
        const double y0 = core->priceToY(sma.series().first());
        QCOMPARE(caption->pos(), QPointF(x0 + 5, y0 - 12));
        QCOMPARE(caption->pen().color(), QColor(Qt::darkMagenta));

        // Scrolled away from the newest candle.
        core->currentSeries()->firstVisible = 3;
        sma.repaint();
        QVERIFY(!caption->isVisible());
        core->currentSeries()->firstVisible = 0;
        sma.repaint();
        QVERIFY(caption->isVisible());
    }

    void captionKeptLeftOfTheAxis()
    {
        auto core = indicatorfixture::coreOver(flatBars(60));
        core->currentSeries()->rightSpace = 0;
        core->redraw();
        kuChart_TA_SMA sma(core.get(), QJsonObject());
        sma.repaint();
        QVERIFY(!sma.caption()->isVisible());
        QVERIFY(sma.usedCount() > 0);
    }

    // Without points an overlay leaves nothing of an earlier picture, its bands included.
    void overlayWithoutPoints()
    {
        auto core = roomyCore(40);
        kuChart_TA_BB bb(core.get(), QJsonObject());
        bb.repaint();
        QVERIFY(bb.caption()->isVisible());
        for (const kuChartAbstractTA* ta :
             {static_cast<kuChartAbstractTA*>(&bb), bb.children().at(0), bb.children().at(1)})
            QVERIFY(drawn(*ta, kuChartGraphicsLineItem::Type) > 0);
        bb.setPeriod(100); // more than the candles
        QVERIFY(bb.series().isEmpty());
        bb.repaint();
        QVERIFY(!bb.caption()->isVisible());
        for (const kuChartAbstractTA* ta :
             {static_cast<kuChartAbstractTA*>(&bb), bb.children().at(0), bb.children().at(1)})
            QCOMPARE(drawn(*ta, kuChartGraphicsLineItem::Type), 0);
    }

    void hoverDimsTheLines()
    {
        auto core = indicatorfixture::coreOver(flatBars(60));
        kuChart_TA_BB bb(core.get(), QJsonObject());
        bb.repaint();
        bb.setHovered(true);
        QCOMPARE(bb.itemPool().first()->graphicsItem()->opacity(), 0.5);
        QCOMPARE(bb.children().first()->itemPool().first()->graphicsItem()->opacity(), 0.5);
        QCOMPARE(bb.caption()->opacity(), 1.0);
        bb.setHovered(false);
        QCOMPARE(bb.itemPool().first()->graphicsItem()->opacity(), 1.0);
    }

    void doubleClickOnCaptionEdits()
    {
        auto core = indicatorfixture::coreOver(flatBars(60));
        kuChart_TA_SMA sma(core.get(), QJsonObject());
        sma.repaint();
        QSignalSpy spy(core.get(), &kuChartCore::signal_onModifyObject);
        QGraphicsSceneMouseEvent event(QEvent::GraphicsSceneMouseDoubleClick);
        core->scene()->sendEvent(sma.caption(), &event);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(1).toString(), sma.objectName());
    }

    void dotsStopAtZero()
    {
        auto core = indicatorfixture::coreOver(flatBars(60));
        const double p = core->closeSeries()->last();
        Probe dots(core.get(), otDots, 1, {p, p, p, 0, p, p});
        dots.setPricePane(1);
        dots.repaint();
        QCOMPARE(drawn(dots, kuChartGraphicsEllipseItem::Type), 3);
        Probe line(core.get(), otLineSeries, 1, {p, p, p, 0, p, p});
        line.setPricePane(1);
        line.repaint();
        QCOMPARE(drawn(line, kuChartGraphicsLineItem::Type), 2);
    }
};

QTEST_MAIN(tst_IndicatorBase)
#include "tst_indicatorbase.moc"
