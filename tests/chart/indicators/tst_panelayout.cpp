// Panes of their own in low views: each pane clips what it draws to its own
// rectangle, its values map inside it without going flat, and a pane too low
// for all its level labels keeps the outermost that fit, and a pane lower than a
// label shows neither labels nor caption.
#include <QtTest>

#include "indicatorfixture.h"
#include "kuchartabstractaddta.h"
#include "kuchartgraphicsitem.h"
#include "kuchartindicators.h"
#include "kuchartmakers.h"
#include "kuchartobjectvolume.h"
#include "kugraphicsscene.h"

#include <QGraphicsLineItem>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>

#include <algorithm>
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

    // A pane too low for all its level labels keeps those that fit, the outermost first (the
    // scale's reach), rather than none; a pane lower than a label shows none of them and no
    // caption: nothing is cut at its edge or drawn over the next pane.
    void lowPaneKeepsOutermostLabels_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QSize>("view");
        QTest::addColumn<QStringList>("shown"); // "kind:label" of each pane's shown labels, top down
        QTest::addColumn<QList<bool>>("captions");
        const QList<bool> thirteen = QVector<bool>(13, true).toList();
        QTest::newRow("all thirteen, 1590 x 970, 38 pixels each")
                << 13 << QSize(1590, 970)
                << QStringList{"0:75", "1:70", "4:100", "8:0", "9:80", "10:0", "12:0", "13:70", "15:80", "16:80", "18:-20"}
                << thirteen;
        QTest::newRow("two, 800 x 455, 70 pixels each")
                << 2 << QSize(800, 455) << QStringList{"0:75", "0:25", "1:70", "1:30"} << QList<bool>{true, true};
        QTest::newRow("four, 800 x 455, 55 pixels each")
                << 4 << QSize(800, 455) << QStringList{"0:75", "1:70", "4:100", "4:-100"}
                << QList<bool>{true, true, true, true};
        QTest::newRow("five, 790 x 200, 16 pixels each")
                << 5 << QSize(790, 200) << QStringList{"0:75", "1:70", "4:100", "8:0"}
                << QList<bool>{false, false, false, false, false};
        QTest::newRow("five, 790 x 170, a few pixels each")
                << 5 << QSize(790, 170) << QStringList{} << QList<bool>{false, false, false, false, false};
        QTest::newRow("one, 1590 x 970") << 1 << QSize(1590, 970) << QStringList{"0:75", "0:50", "0:25"}
                                         << QList<bool>{true};
    }

    void lowPaneKeepsOutermostLabels()
    {
        QFETCH(int, count);
        QFETCH(QSize, view);
        QFETCH(QStringList, shown);
        QFETCH(QList<bool>, captions);
        auto core = indicatorfixture::coreOver(makeBars(400), view.width(), view.height());
        const QVector<kuChartAbstractTA*> panes = addPanes(core.get(), count);
        QStringList texts;
        QList<bool> captionShown;
        for (kuChartAbstractTA* pane : panes) {
            const QString name = pane->label();
            const double top = pane->paneTop();
            const double bottom = top + pane->paneHeight();
            const QRectF caption = pane->caption()->sceneBoundingRect();
            QCOMPARE(pane->caption()->isVisible(), caption.bottom() <= bottom);
            captionShown << pane->caption()->isVisible();
            auto* withLevels = qobject_cast<kuChartAbstractAddTA*>(pane);
            if (!withLevels)
                continue;
            // The levels in the pane, top down, taken outermost first.
            QVector<const kuChartAbstractAddTA::Level*> inPane;
            for (const kuChartAbstractAddTA::Level& level : withLevels->levels()) {
                if (level.line->isVisible())
                    inPane << &level;
            }
            std::sort(inPane.begin(), inPane.end(), [](auto* a, auto* b) { return a->line->line().y1() < b->line->line().y1(); });
            QVector<const kuChartAbstractAddTA::Level*> order;
            for (int lo = 0, hi = inPane.size() - 1; lo <= hi; ++lo, --hi) {
                order << inPane.at(lo);
                if (hi != lo)
                    order << inPane.at(hi);
            }
            QVector<QRectF> kept;
            for (const kuChartAbstractAddTA::Level* level : order) {
                const QRectF r = level->label->sceneBoundingRect();
                bool fits = r.top() >= top - 1e-6 && r.bottom() <= bottom + 1e-6;
                for (const QRectF& k : kept)
                    fits = fits && !k.intersects(r);
                QVERIFY2(level->label->isVisible() == fits, qPrintable(name + " " + level->label->text()));
                if (fits)
                    kept << r;
            }
            for (const kuChartAbstractAddTA::Level* level : inPane) {
                if (level->label->isVisible())
                    texts << QStringLiteral("%1:%2").arg(pane->indicatorKind()).arg(level->label->text());
            }
        }
        QCOMPARE(texts, shown);
        QCOMPARE(captionShown, captions);
    }

    // A redraw moves only what changed: with nothing new (a poll that brings nothing shown)
    // the scene reports no change, so the view repaints nothing; a new close is drawn.
    void redrawChangesOnlyWhatIsNew_data()
    {
        QTest::addColumn<bool>("newClose");
        QTest::newRow("nothing new") << false;
        QTest::newRow("new close") << true;
    }

    void redrawChangesOnlyWhatIsNew()
    {
        QFETCH(bool, newClose);
        // Every core then makes its volume pane, as in the program; only for this test.
        kuChartMakers::setVolumeMaker([](kuChartCore* core, const QJsonObject& json) -> kuChartObject* {
            return new kuChartObjectVolume(core, json);
        });
        auto core = indicatorfixture::coreOver(makeBars(400), 1590, 970);
        kuChartMakers::setVolumeMaker({});
        QVERIFY(core->volumeObject());
        core->volumeObject()->setVisible(true);
        for (const int kind : {17, 3, 13, 8, 15}) // SMA, BB, RSI, MACD, STOCH
            core->appendObject(kuChartIndicators::createById(kind, core.get(), QJsonObject()));
        QList<QRectF> changed;
        connect(core->scene(), &QGraphicsScene::changed,
                [&changed](const QList<QRectF>& rects) { changed += rects; });
        // The scene gathers the changes on one turn of the event loop and reports them on the next.
        auto settle = [] {
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        };
        core->redraw();
        settle();
        QVERIFY(!changed.isEmpty());
        changed.clear();

        if (newClose) {
            kuChartCandle& newest = core->currentSeries()->candles.first();
            newest.close = newest.close == newest.high ? newest.low : newest.high;
        }
        core->redraw();
        settle();
        QCOMPARE(!changed.isEmpty(), newClose);
    }
};

QTEST_MAIN(tst_PaneLayout)
#include "tst_panelayout.moc"
