// Level lines: placement inside and outside the pane, their look, and a
// level that leaves and re-enters the automatic range.
#include <QtTest>

#include "indicatorfixture.h"
#include "kuchartabstractaddta.h"
#include "kugraphicsscene.h"

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>

#include <cmath>

namespace {

// A pane with a fixed scale of 0..100 and a child whose values may widen it.
class LevelProbe : public kuChartAbstractAddTA
{
public:
    class Line : public kuChartAbstractTA
    {
    public:
        explicit Line(kuChartCore* core) : kuChartAbstractTA(core) { setObjectType(otLineSeries); }
        void recalculate() override
        {
            const QVector<double> v = values;
            setSeries([v] { return v; });
        }
        int indicatorKind() const override { return 1; }
        QVector<double> values{50, 60};
    };

    explicit LevelProbe(kuChartCore* core) : kuChartAbstractAddTA(core)
    {
        setObjectType(otIndicatorPane);
        line = new Line(core);
        appendChild(line);
        recalculate();
    }
    void recalculate() override { line->recalculate(); }
    QPair<double, double> valueRange() override { return {100.0, 0.0}; }
    int indicatorKind() const override { return 0; }

    Line* line;
};

// The value that valueToY puts at a y of the pane.
double valueAtY(const kuChartAbstractTA& ta, double y)
{
    const double y0 = ta.valueToY(0), y100 = ta.valueToY(100);
    return (y - y0) / (y100 - y0) * 100;
}

} // namespace

class tst_IndicatorLevels : public QObject
{
    Q_OBJECT

private slots:
    // Levels inside the pane, its edges included, are shown; beyond it they are hidden.
    void levelPlacement_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("shown");
        QTest::newRow("range maximum") << "max" << true;
        QTest::newRow("range minimum") << "min" << true;
        QTest::newRow("pane top") << "top" << true;
        QTest::newRow("pane bottom") << "bottom" << true;
        QTest::newRow("above the pane") << "above" << false;
        QTest::newRow("below the pane") << "below" << false;
    }
    void levelPlacement()
    {
        QFETCH(QString, where);
        QFETCH(bool, shown);
        auto core = indicatorfixture::coreOver(makeBars(60), 800, 600);
        auto* probe = new LevelProbe(core.get());
        core->appendObject(probe);
        core->redraw();
        const double top = probe->paneTop(), bottom = top + probe->paneHeight();
        QVERIFY(probe->paneHeight() > 40);
        const QMap<QString, double> values{{"max", 100},
                                           {"min", 0},
                                           {"top", valueAtY(*probe, top)},
                                           {"bottom", valueAtY(*probe, bottom)},
                                           {"above", valueAtY(*probe, top - 1)},
                                           {"below", valueAtY(*probe, bottom + 1)}};
        double value = values.value(where);
        // Land exactly on the edge despite rounding in the inverse.
        if (where == "top" && probe->valueToY(value) < top)
            value = std::nextafter(value, -1e9);
        if (where == "bottom" && probe->valueToY(value) > bottom)
            value = std::nextafter(value, 1e9);
        probe->addLevels(&value, 1, 0);
        core->redraw();
        const kuChartAbstractAddTA::Level& level = probe->levels().first();
        QCOMPARE(level.line->isVisible(), shown);
        QCOMPARE(level.label->isVisible(), shown);
        if (where == "max")
            QCOMPARE(level.line->line().y1(), top + 25);
    }

    void levelLook()
    {
        auto core = indicatorfixture::coreOver(makeBars(60), 800, 600);
        auto* probe = new LevelProbe(core.get());
        const double values[] = {30, -100.4, 70, -0.4};
        probe->addLevels(values, 4, 0);
        core->appendObject(probe);
        core->redraw();
        QCOMPARE(probe->levels().size(), 4);
        QStringList texts;
        for (const kuChartAbstractAddTA::Level& level : probe->levels()) {
            texts << level.label->text();
            QCOMPARE(level.label->parentItem(), level.line);
            QCOMPARE(level.line->scene(), static_cast<QGraphicsScene*>(core->scene()));
            QCOMPARE(level.label->font(), probe->caption()->font());
            QCOMPARE(level.line->pen().color(), core->gridColor());
            const double y = probe->valueToY(level.value);
            QCOMPARE(level.line->line(), QLineF(double(core->plotLeft()), y, double(core->plotRight()), y));
            QCOMPARE(level.label->pos(), QPointF(core->axisLabelX() + 2, y - 10));
        }
        // No level reads as a negative zero.
        QCOMPARE(texts, (QStringList{"30", "-100", "70", "0"}));
    }

    // A level beyond the automatic range hides, and shows again once the values reach it.
    void levelComesBack()
    {
        auto core = indicatorfixture::coreOver(makeBars(60), 800, 600);
        auto* probe = new LevelProbe(core.get());
        const double far = 500;
        probe->addLevels(&far, 1, 0);
        core->appendObject(probe);
        core->redraw();
        QGraphicsLineItem* line = probe->levels().first().line;
        QVERIFY(!line->isVisible());
        probe->line->values = {1000, 900};
        probe->recalculate();
        core->redraw();
        QVERIFY(line->isVisible());
        probe->line->values = {50, 60};
        probe->recalculate();
        core->redraw();
        QVERIFY(!line->isVisible());
    }
};

QTEST_MAIN(tst_IndicatorLevels)
#include "tst_indicatorlevels.moc"
