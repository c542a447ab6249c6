// Panes of their own in low views: each pane clips what it draws to its own
// rectangle, its values map inside it without going flat, and a pane too low
// for its level labels shows none of them.
#include <QtTest>

#include "indicatorfixture.h"
#include "kuchartabstractaddta.h"
#include "kuchartgraphicsitem.h"
#include "kuchartindicators.h"

#include <QGraphicsLineItem>
#include <QGraphicsProxyWidget>
#include <QGraphicsSimpleTextItem>

#include <limits>

namespace {

// Every indicator of the catalogue with a pane of its own.
const int paneKinds[] = {0, 1, 2, 4, 8, 9, 10, 12, 13, 14, 15, 16, 18};

// The value range a container spreads over its pane: its own, widened by its plots.
QPair<double, double> paneRange(kuChartAbstractTA* pane)
{
    QPair<double, double> range = pane->valueRange();
    for (kuChartAbstractTA* child : pane->children()) {
        if (child->objectType() == otDots)
            continue;
        const QPair<double, double> r = child->valueRange();
        range.first = std::max(range.first, r.first);
        range.second = std::min(range.second, r.second);
    }
    return range;
}

QVector<kuChartAbstractTA*> addPanes(kuChartCore* core, int count)
{
    QVector<kuChartAbstractTA*> panes;
    for (int i = 0; i < count; ++i) {
        kuChartAbstractTA* ta = kuChartIndicators::createById(paneKinds[i], core, QJsonObject());
        core->appendObject(ta);
        panes << ta;
    }
    core->redraw();
    return panes;
}

QList<QGraphicsSimpleTextItem*> shownLevelLabels(kuChartAbstractTA* pane)
{
    QList<QGraphicsSimpleTextItem*> labels;
    if (auto* withLevels = qobject_cast<kuChartAbstractAddTA*>(pane)) {
        for (const kuChartAbstractAddTA::Level& level : withLevels->levels()) {
            if (level.label->isVisible())
                labels << level.label;
        }
    }
    return labels;
}

} // namespace

class tst_PaneLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kuChartIndicators::registerIndicators(); }

    void panesKeepTheirDrawing_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QSize>("view");
        for (int count : {1, 2, 4, 7, 13}) {
            for (const QSize& view : {QSize(1590, 970), QSize(800, 455), QSize(600, 300)})
                QTest::addRow("%d panes, %dx%d", count, view.width(), view.height()) << count << view;
        }
    }

    void panesKeepTheirDrawing()
    {
        QFETCH(int, count);
        QFETCH(QSize, view);
        auto core = indicatorfixture::coreOver(makeBars(400), view.width(), view.height());
        const QVector<kuChartAbstractTA*> panes = addPanes(core.get(), count);
        double above = double(core->paneTop()) + core->paneHeight() + core->marginGap();
        for (kuChartAbstractTA* pane : panes) {
            const QString name = pane->label();
            const double top = pane->paneTop();
            const double height = pane->paneHeight();
            const double bottom = top + height;
            QVERIFY2(height > 0, qPrintable(name));
            QVERIFY2(top >= above - 1e-6, qPrintable(name)); // panes follow each other without overlap
            above = bottom;

            // Everything the pane draws is clipped to its own rectangle.
            QGraphicsItem* clip = pane->paneClip();
            QVERIFY(clip->flags() & QGraphicsItem::ItemClipsChildrenToShape);
            QCOMPARE(clip->boundingRect(),
                     QRectF(double(core->plotLeft()), top, core->viewWidth() - double(core->plotLeft()), height));
            QCOMPARE(pane->caption()->parentItem(), clip);
            for (QGraphicsProxyWidget* header : pane->headerWidgets())
                QCOMPARE(header->parentItem(), clip);

            // The range maps inside the pane over at least half of it: lines neither run out nor go flat.
            const QPair<double, double> range = paneRange(pane);
            for (kuChartAbstractTA* child : pane->children()) {
                const double yMax = child->valueToY(range.first);
                const double yMin = child->valueToY(range.second);
                QVERIFY2(yMax >= top && yMin <= bottom, qPrintable(name));
                QVERIFY2(yMin - yMax >= height / 2 - 1e-6, qPrintable(name));
                QVERIFY(child->usedCount() > 0);
                for (int i = 0; i < child->usedCount(); ++i) {
                    QGraphicsItem* item = child->itemPool().at(i)->graphicsItem();
                    QCOMPARE(item->parentItem(), clip);
                    if (!item->isVisible())
                        continue;
                    if (auto* line = dynamic_cast<kuChartGraphicsLineItem*>(item)) {
                        QVERIFY2(line->line().y1() >= top && line->line().y1() <= bottom, qPrintable(name));
                        QVERIFY2(line->line().y2() >= top && line->line().y2() <= bottom, qPrintable(name));
                    } else if (auto* bar = dynamic_cast<kuChartGraphicsRectItem*>(item)) {
                        QVERIFY2(bar->rect().top() >= top && bar->rect().bottom() <= bottom, qPrintable(name));
                    }
                }
            }

            // Level labels that show lie in the pane and apart from each other.
            const QList<QGraphicsSimpleTextItem*> labels = shownLevelLabels(pane);
            for (int i = 0; i < labels.size(); ++i) {
                const QRectF r = labels.at(i)->sceneBoundingRect();
                QVERIFY2(r.top() >= top - 1e-6 && r.bottom() <= bottom + 1e-6, qPrintable(name));
                for (int j = i + 1; j < labels.size(); ++j)
                    QVERIFY2(!r.intersects(labels.at(j)->sceneBoundingRect()), qPrintable(name));
            }
        }
        QVERIFY(above <= core->viewHeight() - 35 + 1e-6);
    }

    // All thirteen in a 1590 x 970 view leave each pane under 40 pixels: levels a fifth to
    // a third of the fixed scale apart lie a few pixels apart, so those panes show no label;
    // MACD's single level still shows. A pane of ordinary height keeps them all.
    void lowPaneShowsNoLevelLabels()
    {
        auto core = indicatorfixture::coreOver(makeBars(400), 1590, 970);
        const QVector<kuChartAbstractTA*> panes = addPanes(core.get(), 13);
        QVERIFY(panes.first()->paneHeight() < 40);
        for (kuChartAbstractTA* pane : panes) {
            const int shown = shownLevelLabels(pane).size();
            switch (pane->indicatorKind()) {
            case 0:  // ADX 25, 50, 75
            case 1:  // AROON 30, 50, 70
            case 9:  // MFI 20, 50, 80
            case 15: // STOCH 20, 50, 80
            case 16: // STOCHF
                QVERIFY2(shown == 0, qPrintable(pane->label()));
                break;
            case 8: // MACD's zero, always in its range
                QCOMPARE(shown, 1);
                break;
            default:
                break;
            }
        }

        auto tall = indicatorfixture::coreOver(makeBars(400), 1590, 970);
        kuChartAbstractTA* adx = addPanes(tall.get(), 1).first();
        QCOMPARE(adx->indicatorKind(), 0);
        QCOMPARE(shownLevelLabels(adx).size(), 3);
    }
};

QTEST_MAIN(tst_PaneLayout)
#include "tst_panelayout.moc"
