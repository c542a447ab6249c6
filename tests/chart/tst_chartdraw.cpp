#include "chartfixture.h"
#include "kuchart.h"
#include "kucharteventfilter.h"
#include "kuchartgraphicsitem.h"
#include "kufunctions.h"
#include "kugraphicsscene.h"
#include "kugraphicstextitem.h"

#include <QApplication>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QTextDocument>
#include <QtTest>

using namespace chartfixture;

Q_DECLARE_METATYPE(QVector<kuChartCandle>)
Q_DECLARE_METATYPE(kuChartSeries)

namespace {

const QChar blank(QLatin1Char(' '));

QDateTime exchangeTime(int y, int m, int d, int h = 0, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min), Qt::OffsetFromUTC, 10800);
}

// count candles of the time frame back from the newest, one per period.
kuChartSeries periodSeries(int timeFrame, const QDateTime& newest, int count)
{
    QVector<kuChartCandle> list;
    for (int i = 0; i < count; ++i) {
        QDateTime t = newest;
        if (timeFrame == 90)
            t = newest.addMonths(-i);
        else if (timeFrame == 1440)
            t = newest.addDays(-i);
        else
            t = newest.addSecs(-60LL * timeFrame * i);
        list.append(candle(100, 102, 99, 101, quint64(t.toSecsSinceEpoch())));
    }
    return seriesFrom(timeFrame, list);
}

// Candles of the time frame from firstHour to lastHour of each day, newest first.
kuChartSeries sessionSeries(int timeFrame, const QDateTime& newest, int count, int firstHour, int lastHour)
{
    QVector<kuChartCandle> list;
    for (QDateTime t = newest; list.size() < count; t = t.addSecs(-60LL * timeFrame)) {
        if (t.time().hour() >= firstHour && t.time().hour() <= lastHour)
            list.append(candle(100, 102, 99, 101, quint64(t.toSecsSinceEpoch())));
    }
    return seriesFrom(timeFrame, list);
}

void zoomTo(kuChartCore& core, int width)
{
    while (core.candleWidth() > width)
        core.zoomOut();
    while (core.candleWidth() < width)
        core.zoomIn();
}

// The caption's lines as the reader sees them, without the text items' margins.
QRectF textRect(const QGraphicsTextItem* item)
{
    const double m = item->document()->documentMargin();
    return item->sceneBoundingRect().adjusted(m, m, -m, -m);
}

bool isVertical(const kuChartGraphicsLineItem* line)
{
    return line->line().x1() == line->line().x2() && line->line().y1() != line->line().y2();
}

// Visible date lines as "text@x", "(hidden)" after a label that does not show.
QStringList dateLabels(const kuChartCore& core)
{
    QStringList out;
    for (const kuChartCore::GridEntry& entry : core.gridPool()) {
        if (!entry.line->isVisible() || !isVertical(entry.line))
            continue;
        QString text = entry.label->toPlainText() + QStringLiteral("@%1").arg(entry.line->line().x1());
        if (!entry.label->isVisible())
            text += QStringLiteral("(hidden)");
        out << text;
    }
    return out;
}

// Visible price lines as their label texts, bottom up.
QList<const kuChartCore::GridEntry*> priceLines(const kuChartCore& core)
{
    QList<const kuChartCore::GridEntry*> out;
    for (const kuChartCore::GridEntry& entry : core.gridPool()) {
        if (entry.line->isVisible() && !isVertical(entry.line))
            out << &entry;
    }
    return out;
}

QSet<QGraphicsItem*> sceneItems(const kuChartCore& core)
{
    const QList<QGraphicsItem*> items = core.scene()->items();
    return QSet<QGraphicsItem*>(items.begin(), items.end());
}

QImage render(const kuChartCore& core)
{
    QImage image(core.viewWidth(), core.viewHeight(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    core.scene()->render(&painter, QRectF(image.rect()), QRectF(image.rect()));
    return image;
}

} // namespace

class tst_ChartDraw : public QObject
{
    Q_OBJECT

private slots:
    // Pens and brushes by style and direction: the newest candle goes up, the next down, the third is flat.
    void seriesItems_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("type");
        QTest::addColumn<QColor>("penColor");
        QTest::addColumn<double>("penWidth");
        QTest::addColumn<QColor>("brushColor");
        QTest::newRow("up candle") << 200 << 0 << 65636 << QColor(Qt::black) << 1.0 << QColor(Qt::green);
        QTest::newRow("down candle") << 200 << 1 << 65636 << QColor(Qt::black) << 1.0 << QColor(Qt::red);
        QTest::newRow("flat candle") << 200 << 2 << 65636 << QColor(Qt::black) << 1.0 << QColor(Qt::red);
        QTest::newRow("bar") << 201 << 0 << 65637 << QColor(Qt::green) << 2.0 << QColor();
        QTest::newRow("line") << 202 << 0 << 65638 << QColor(Qt::blue) << 2.0 << QColor();
    }

    void seriesItems()
    {
        QFETCH(int, style);
        QFETCH(int, slot);
        QFETCH(int, type);
        QFETCH(QColor, penColor);
        QFETCH(double, penWidth);
        QFETCH(QColor, brushColor);
        auto core = coreWith(
                seriesFrom(1, {candle(100, 106, 98, 104), candle(104, 105, 99, 101), candle(101, 101, 101, 101)}));
        core->setShadowUpColor(Qt::black);
        core->setChartStyle(style);
        QCOMPARE(core->usedCount(), style == 202 ? 2 : 3);
        kuChartGraphicsItem* item = core->itemPool().at(slot);
        QCOMPARE(item->graphicsItem()->type(), type);
        QVERIFY(item->graphicsItem()->isVisible());
        QCOMPARE(item->graphicsItem()->zValue(), 0.1);
        auto* shape = dynamic_cast<QAbstractGraphicsShapeItem*>(item->graphicsItem());
        QCOMPARE(shape->pen().color(), penColor);
        QCOMPARE(shape->pen().widthF(), penWidth);
        if (brushColor.isValid())
            QCOMPARE(shape->brush().color(), brushColor);
        if (style != 200)
            QCOMPARE(shape->pen().capStyle(), Qt::SquareCap);
    }

    // The newest candle sits in the rightmost slot; the geometry follows the candle.
    void candleGeometry()
    {
        auto core = coreWith(
                seriesFrom(1, {candle(100, 106, 98, 104), candle(104, 105, 99, 101), candle(101, 101, 101, 101)}));
        auto* up = static_cast<kuChartGraphicsCandleItem*>(core->itemPool().at(0));
        QCOMPARE(up->rect(), QRectF(316, core->priceToY(104), 10, core->priceToY(100) - core->priceToY(104)));
        QCOMPARE(up->candle().upperShadow, core->priceToY(104) - core->priceToY(106));
        QCOMPARE(up->candle().lowerShadow, core->priceToY(98) - core->priceToY(100));
        QVERIFY(!up->candle().isDown);
        QCOMPARE(up->closePrice(), 104.0);
        // The bounding rectangle holds the shadows.
        QVERIFY(up->boundingRect().top() <= core->priceToY(106) - 1);
        QVERIFY(up->boundingRect().bottom() >= core->priceToY(98) + 1);
        auto* flat = static_cast<kuChartGraphicsCandleItem*>(core->itemPool().at(2));
        QVERIFY(flat->candle().isDown);
        QCOMPARE(flat->rect().height(), 1.0);
        QCOMPARE(flat->rect().x(), 286.0);
    }

    void barAndLineEdges()
    {
        auto core = coreWith(seriesFrom(1, {candle(100, 100, 100, 100), candle(101, 104, 99, 102)}));
        core->setChartStyle(201);
        auto* bar = static_cast<kuChartGraphicsBarItem*>(core->itemPool().at(0));
        const QPainterPath path = bar->path();
        QCOMPARE(path.elementAt(1).y - path.elementAt(0).y, 1.0); // high = low: one pixel
        QCOMPARE(path.elementAt(2).x, path.elementAt(3).x - 3);   // open tick to the left
        QCOMPARE(path.elementAt(4).x, path.elementAt(5).x + 3);   // close tick to the right
        QCOMPARE(path.elementAt(0).x, 316 + (10 - 2) * 0.5);

        core->setChartStyle(202);
        auto* line = static_cast<kuChartGraphicsLineItem*>(core->itemPool().at(0));
        QCOMPARE(line->line(), QLineF(321, core->priceToY(100), 306, core->priceToY(102)));

        auto single = coreWith(seriesFrom(1, {candle(100, 101, 99, 100)}));
        single->setChartStyle(202);
        QCOMPARE(single->usedCount(), 0);
        QCOMPARE(single->poolSize(), 0);
    }

    // 100 visible candles, then 60, then 100 again: the same items, the spare ones collapsed.
    void poolReuse()
    {
        auto core = coreWith(seriesOf(1, 200), 1571);
        QCOMPARE(core->visibleCount(), 100);
        const QVector<kuChartGraphicsItem*> items = core->itemPool();
        const QSet<QGraphicsItem*> before = sceneItems(*core);
        QCOMPARE(items.size(), 100);

        core->setViewSize(971, 455);
        core->redraw();
        QCOMPARE(core->usedCount(), 60);
        QCOMPARE(core->poolSize(), 100);
        QCOMPARE(core->itemPool(), items);
        for (int i = 60; i < 100; ++i) {
            auto* candle = static_cast<kuChartGraphicsCandleItem*>(items.at(i));
            QVERIFY(candle->rect().isNull());
            QVERIFY(!candle->isVisible());
        }

        core->setViewSize(1571, 455);
        core->redraw();
        core->scrollBack(3);
        core->zoomIn();
        core->zoomOut();
        QCOMPARE(core->itemPool(), items);
        QCOMPARE(sceneItems(*core), before); // warm redraws make no item
        for (kuChartGraphicsItem* item : items)
            QVERIFY(item->graphicsItem()->isVisible());

        core->rebuild();
        QCOMPARE(core->itemPool().size(), 100);
        QCOMPARE(core->poolSize(), 100);
    }

    // A slot holding another class gets its new item in place: nothing moves past the slots in use.
    void wrongClassReplacedInPlace()
    {
        auto core = coreWith(seriesOf(1, 200), 1571);
        core->setViewSize(971, 455);
        core->redraw();
        core->drawBars();
        QCOMPARE(core->itemPool().size(), 100);
        QCOMPARE(core->poolSize(), 100);
        QCOMPARE(core->itemPool().at(59)->graphicsItem()->type(), int(kuChartGraphicsBarItem::Type));
        QCOMPARE(core->itemPool().at(60)->graphicsItem()->type(), int(kuChartGraphicsCandleItem::Type));
        core->hideUnusedItems();
        QVERIFY(!core->itemPool().at(60)->graphicsItem()->isVisible());
    }

    void hover_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("widens");
        QTest::newRow("candle") << 0 << true;
        QTest::newRow("bar") << 1 << true;
        QTest::newRow("line") << 2 << false;
        QTest::newRow("rectangle") << 3 << true;
        QTest::newRow("ellipse") << 4 << false;
    }

    void hover()
    {
        QFETCH(int, kind);
        QFETCH(bool, widens);
        QGraphicsScene scene; // outlives the item, which leaves it when deleted
        std::unique_ptr<kuChartGraphicsItem> item;
        switch (kind) {
        case 0:
            item = std::make_unique<kuChartGraphicsCandleItem>();
            break;
        case 1:
            item = std::make_unique<kuChartGraphicsBarItem>();
            break;
        case 2:
            item = std::make_unique<kuChartGraphicsLineItem>();
            break;
        case 3:
            item = std::make_unique<kuChartGraphicsRectItem>();
            break;
        default:
            item = std::make_unique<kuChartGraphicsEllipseItem>();
            break;
        }
        QCOMPARE(item->graphicsItem()->type(), QGraphicsItem::UserType + 100 + kind);
        item->addToScene(&scene);
        item->addToScene(nullptr);
        QCOMPARE(item->scene(), &scene);
        item->setGeometry(10, 10, 20, 20);
        auto* shape = dynamic_cast<QAbstractGraphicsShapeItem*>(item->graphicsItem());
        shape->setPen(QPen(Qt::black, 1));
        QGraphicsSceneHoverEvent enter(QEvent::GraphicsSceneHoverEnter);
        scene.sendEvent(item->graphicsItem(), &enter);
        QCOMPARE(shape->pen().widthF(), widens ? 2.0 : 1.0);
        QGraphicsSceneHoverEvent leave(QEvent::GraphicsSceneHoverLeave);
        scene.sendEvent(item->graphicsItem(), &leave);
        QCOMPARE(shape->pen().widthF(), 1.0);
    }

    // Price lines from the scale's bottom up to y = 20, each labelled with its price; the top label.
    void priceGrid_data()
    {
        QTest::addColumn<QVector<kuChartCandle>>("candles");
        QTest::newRow("rising") << seriesOf(1, 30).candles;
        QTest::newRow("narrow at 100000") << QVector<kuChartCandle>{candle(100000, 100000.5, 99999.5, 100000),
                                                                    candle(100000, 100000.3, 99999.8, 100000)};
    }

    void priceGrid()
    {
        QFETCH(QVector<kuChartCandle>, candles);
        auto core = coreWith(seriesFrom(1, candles));
        const double tick = core->priceTick();
        const QList<const kuChartCore::GridEntry*> lines = priceLines(*core);
        QVERIFY(lines.size() >= 2);
        const qint64 step = core->gridStep();
        qint64 expected = ((core->bottomTicks() + step - 1) / step) * step;
        for (const kuChartCore::GridEntry* entry : lines) {
            const double y = entry->line->line().y1();
            QVERIFY(y >= 20);
            QCOMPARE(entry->line->line().x1(), double(core->plotLeft()));
            QCOMPARE(entry->line->line().x2(), double(core->plotRight()));
            QCOMPARE(entry->line->pen().style(), Qt::DotLine);
            QCOMPARE(entry->label->toPlainText(), formatNumber(double(expected) * tick, 2, blank));
            QCOMPARE(entry->label->pos(), QPointF(core->axisLabelX(), y - 10));
            // Shown but where the last price's box covers it.
            const QRectF lastBox = core->priceLabel()->mapRectToScene(core->priceLabel()->boxRect());
            QCOMPARE(entry->label->isVisible(), !textRect(entry->label).intersects(lastBox));
            expected += step;
        }
        // The next value would lie above y = 20.
        QVERIFY(core->priceToY(double(expected) * tick) < 20 + core->pixelsPerTick() + 1e-9);
        QGraphicsTextItem* top = core->gridPool().first().topLabel;
        QVERIFY(top && top->isVisible());
        QCOMPARE(top->toPlainText(), formatNumber(double(core->topTicks()) * tick, 2, blank));

        core->setShowGrid(false);
        core->redraw();
        QVERIFY(priceLines(*core).isEmpty());
        QVERIFY(!top->isVisible());
    }

    // In a low pane the price labels of close lines are thinned out, never printed over each other.
    void priceLabelsApart_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("subPanes");
        QTest::newRow("455") << 455 << 0;
        QTest::newRow("160") << 160 << 0;
        QTest::newRow("120, a sub-pane") << 120 << 1;
        QTest::newRow("110, four sub-panes") << 110 << 4;
        QTest::newRow("90, four sub-panes") << 90 << 4;
    }

    void priceLabelsApart()
    {
        QFETCH(int, height);
        QFETCH(int, subPanes);
        auto core = coreWith(seriesOf(1, 30, chartrows::t0, 994), 400, height, 1);
        for (int i = 0; i < subPanes; ++i)
            addProbe(core.get(), otIndicatorPane);
        core->redraw();
        // The last price's box counts among them: a low pane may show it alone.
        QList<QPair<QString, QRectF>> shown{
                {core->priceLabel()->toPlainText(), core->priceLabel()->mapRectToScene(core->priceLabel()->boxRect())}};
        for (const kuChartCore::GridEntry* entry : priceLines(*core)) {
            for (QGraphicsTextItem* label : {entry->label, entry->topLabel}) {
                if (label && label->isVisible())
                    shown.append({label->toPlainText(), textRect(label)});
            }
        }
        QVERIFY(core->priceLabel()->isVisible());
        for (int i = 0; i < shown.size(); ++i) {
            for (int j = i + 1; j < shown.size(); ++j)
                QVERIFY2(!shown.at(i).second.intersects(shown.at(j).second),
                         qPrintable(shown.at(i).first + " / " + shown.at(j).first));
        }
    }

    // The last price's box and the pointer's price matter more than the grid: a price label under
    // either is not drawn, and the pointer's price gives way to the last price. A label is left
    // out for nothing else than these and its grid neighbours, and comes back once they move off.
    void axisLabelsGiveWay_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("pointer"); // where the pointer is, by the last price's y
        QTest::addColumn<bool>("cursorShown");
        QTest::newRow("away") << 455 << "none" << false;
        QTest::newRow("on the last price") << 455 << "+0" << false;
        QTest::newRow("a line above it") << 455 << "-12" << false;
        QTest::newRow("clear above it") << 455 << "-40" << true;
        QTest::newRow("clear below it") << 455 << "+33" << true;
        QTest::newRow("low pane, clear above") << 160 << "-30" << true;
    }

    void axisLabelsGiveWay()
    {
        QFETCH(int, height);
        QFETCH(QString, pointer);
        QFETCH(bool, cursorShown);
        // The newest close in the middle of the scale, older candles swinging around it.
        QVector<kuChartCandle> list{candle(100, 100.4, 99.6, 100)};
        for (int i = 1; i < 40; ++i)
            list.append(i % 2 ? candle(100, 110, 99, 109) : candle(100, 101, 90, 91));
        auto core = coreWith(seriesFrom(1, list), 400, height);
        kuGraphicsTextItem* last = core->priceLabel();
        const QRectF box = last->mapRectToScene(last->boxRect());
        const double lastY = core->priceToY(100);
        QVERIFY(lastY > core->paneTop() + 40 && lastY < core->paneBottom() - 40);
        if (pointer != "none")
            core->followPointer(QPointF(100, lastY + pointer.toDouble()));
        for (int pass = 0; pass < 2; ++pass) {
            QGraphicsTextItem* cursor = core->cursorLabel();
            QCOMPARE(cursor->isVisible(), cursorShown);
            QVERIFY(!cursor->isVisible() || !textRect(cursor).intersects(box));
            QList<QGraphicsTextItem*> shown, hidden;
            for (const kuChartCore::GridEntry* entry : priceLines(*core)) {
                for (QGraphicsTextItem* label : {entry->label, entry->topLabel}) {
                    if (label)
                        (label->isVisible() ? shown : hidden) << label;
                }
            }
            QVERIFY(shown.size() >= 2);
            for (QGraphicsTextItem* label : shown) {
                QVERIFY2(!textRect(label).intersects(box), qPrintable(label->toPlainText()));
                QVERIFY2(!cursor->isVisible() || !textRect(label).intersects(textRect(cursor)),
                         qPrintable(label->toPlainText()));
            }
            for (QGraphicsTextItem* label : hidden) {
                const QRectF r = textRect(label);
                const bool underMore = r.intersects(box) || (cursor->isVisible() && r.intersects(textRect(cursor)));
                const bool underNeighbour = std::any_of(shown.cbegin(), shown.cend(), [&](QGraphicsTextItem* other) {
                    return textRect(other).intersects(r);
                });
                QVERIFY2(underMore || underNeighbour, qPrintable(label->toPlainText()));
            }
            core->redraw(); // a redraw keeps it so
        }
        // The pointer gone, what it covered shows again.
        core->hidePriceMarker();
        QVERIFY(!core->cursorLabel()->isVisible());
        for (const kuChartCore::GridEntry* entry : priceLines(*core)) {
            if (!entry->label->isVisible())
                QVERIFY(textRect(entry->label).intersects(box) || !entry->labelFits);
        }
    }

    void oneCandleNoGrid()
    {
        auto core = coreWith(seriesOf(1, 30));
        QVERIFY(core->gridCount() > 0);
        core->setSeries({seriesOf(5, 1)});
        core->setTimeFrame(5);
        for (const kuChartCore::GridEntry& entry : core->gridPool()) {
            QVERIFY(!entry.line->isVisible());
            QVERIFY(!entry.label->isVisible());
            QCOMPARE(entry.line->line(), QLineF());
        }
    }

    // 40 slots (view 671, plot right 601): boundary x = 600 - 15 j, body x 4 more.
    void dateGrid_data()
    {
        QTest::addColumn<kuChartSeries>("series");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("5 minutes across midnight")
                << periodSeries(5, exchangeTime(2024, 3, 2, 0, 55), 60)
                << QStringList{"00:35@529", "00:10@454(hidden)", "02/03@424", "23:20@304",
                               "22:55@229", "22:30@154",         "22:05@79"};
        QTest::newRow("1 minute, the day at the right edge")
                << periodSeries(1, exchangeTime(2024, 3, 2), 60)
                << QStringList{"02/03@589(hidden)", "23:51@454", "23:46@379", "23:41@304",
                               "23:36@229",         "23:31@154", "23:26@79"};
        QTest::newRow("days") << periodSeries(1440, exchangeTime(2024, 3, 10), 60)
                              << QStringList{"Mar 2024@450", "Feb 2024@15"};
        QTest::newRow("months") << periodSeries(90, exchangeTime(2025, 6, 1), 30) << QStringList{"2025@510"};
        QTest::newRow("weeks") << periodSeries(10080, exchangeTime(2025, 2, 24), 30) << QStringList{"2025@480"};
    }

    void dateGrid()
    {
        QFETCH(kuChartSeries, series);
        QFETCH(QStringList, labels);
        auto core = coreWith(series, 671);
        QCOMPARE(core->visibleCount(), 40);
        QCOMPARE(dateLabels(*core), labels);
        for (const kuChartCore::GridEntry& entry : core->gridPool()) {
            if (entry.line->isVisible() && isVertical(entry.line)) {
                QCOMPARE(entry.line->line().y1(), double(core->paneTop()));
                QCOMPARE(entry.line->line().y2(), 455.0 - 35 - 5);
                QCOMPARE(entry.label->y(), double(core->paneBottom() - 15));
            }
        }
    }

    // Whatever the time frame and zoom, no two labels of the time axis overlap; a label is
    // left out only for a neighbour it would overlap (a period label only for another one)
    // or at the plot's right end.
    void dateLabelsApart_data()
    {
        QTest::addColumn<kuChartSeries>("series");
        QTest::addColumn<int>("width");
        const QDateTime night = exchangeTime(2024, 3, 2, 0, 55);
        struct Frame
        {
            const char* name;
            kuChartSeries series;
        };
        const Frame frames[] = {
                {"1 minute", periodSeries(1, night, 3000)},
                {"5 minutes", periodSeries(5, night, 3000)},
                {"10 minutes", periodSeries(10, night, 3000)},
                {"15 minutes", periodSeries(15, night, 3000)},
                {"30 minutes", periodSeries(30, night, 3000)},
                {"hours", periodSeries(60, night, 3000)},
                {"30 minutes, 10:00 to 18:59", sessionSeries(30, exchangeTime(2024, 3, 2, 18, 30), 3000, 10, 18)},
                {"hours, 10:00 to 18:00", sessionSeries(60, exchangeTime(2024, 3, 2, 18), 3000, 10, 18)},
                {"days", periodSeries(1440, exchangeTime(2024, 3, 10), 3000)},
                {"weeks", periodSeries(10080, exchangeTime(2025, 2, 24), 600)},
                {"months", periodSeries(90, exchangeTime(2025, 6, 1), 600)},
        };
        for (const Frame& frame : frames) {
            for (int width : {2, 3, 5, 10, 25})
                QTest::addRow("%s, width %d", frame.name, width) << frame.series << width;
        }
    }

    void dateLabelsApart()
    {
        QFETCH(kuChartSeries, series);
        QFETCH(int, width);
        auto core = coreWith(series, 1200);
        zoomTo(*core, width);
        struct Label
        {
            QRectF rect;
            bool shown;
            bool period;
            bool atRightEnd;
        };
        QVector<Label> labels;
        for (const kuChartCore::GridEntry& entry : core->gridPool()) {
            if (!entry.line->isVisible() || !isVertical(entry.line))
                continue;
            const QRectF r = entry.label->sceneBoundingRect();
            labels.append({r, entry.label->isVisible(), !entry.label->toPlainText().contains(':'),
                           entry.line->line().x1() > double(core->plotRight()) - r.width()});
        }
        QVERIFY(std::any_of(labels.cbegin(), labels.cend(), [](const Label& l) { return l.shown; }));
        for (int i = 0; i < labels.size(); ++i) {
            const Label& a = labels.at(i);
            bool overlapsShown = false;
            bool overlapsShownPeriod = false;
            for (int j = 0; j < labels.size(); ++j) {
                const Label& b = labels.at(j);
                if (i == j || !b.shown || !a.rect.intersects(b.rect))
                    continue;
                QVERIFY2(!a.shown, qPrintable(QStringLiteral("labels %1 and %2 overlap").arg(i).arg(j)));
                overlapsShown = true;
                overlapsShownPeriod = overlapsShownPeriod || b.period;
            }
            if (!a.shown && !a.atRightEnd)
                QVERIFY2(a.period ? overlapsShownPeriod : overlapsShown, qPrintable(QString::number(i)));
        }
    }

    void priceMarker_data()
    {
        QTest::addColumn<qint64>("y");
        QTest::addColumn<qint64>("shownAt");
        QTest::newRow("inside") << qint64(100) << qint64(100);
        QTest::newRow("below the pane") << qint64(1000) << qint64(420);
        QTest::newRow("above the pane") << qint64(-5) << qint64(10);
    }

    void priceMarker()
    {
        QFETCH(qint64, y);
        QFETCH(qint64, shownAt);
        auto core = coreWith(seriesOf(1, 30));
        core->showPriceMarker(y);
        QCOMPARE(core->cursorY(), double(shownAt));
        QCOMPARE(core->cursorLabel()->toPlainText(), formatNumber(core->yToPrice(shownAt), 2, blank));
        QCOMPARE(core->cursorLabel()->pos(), QPointF(core->axisLabelX(), double(shownAt - 10)));
        core->redraw(); // the marker stays where it was
        QCOMPARE(core->cursorY(), double(shownAt));
    }

    // The marker shows the price under the pointer only while the pointer is over the price pane;
    // never at start, over the caption, a sub-pane or beside the view.
    void priceMarkerFollowsPointer_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("shown");
        QTest::newRow("inside") << "inside" << true;
        QTest::newRow("pane top") << "top" << true;
        QTest::newRow("pane bottom") << "bottom" << true;
        QTest::newRow("over the caption") << "caption" << false;
        QTest::newRow("over a sub-pane") << "sub-pane" << false;
        QTest::newRow("right of the view") << "right" << false;
    }

    void priceMarkerFollowsPointer()
    {
        QFETCH(QString, where);
        QFETCH(bool, shown);
        auto core = coreWith(seriesOf(1, 30));
        core->setCaption(QStringLiteral("ABCD - 1 минута"), QStringLiteral("Issuer"));
        addProbe(core.get(), otIndicatorPane);
        core->redraw();
        QGraphicsTextItem* label = core->cursorLabel();
        QVERIFY(!label->isVisible());
        const double x = 100;
        const double top = double(core->paneTop()), bottom = double(core->paneBottom());
        QVERIFY(top > 10); // below the caption
        const QMap<QString, QPointF> points{
                {"inside", {x, top + 50}},      {"top", {x, top}},
                {"bottom", {x, bottom}},        {"caption", {x, top - 5}},
                {"sub-pane", {x, bottom + 20}}, {"right", {core->viewWidth() + 1.0, top + 50}}};
        const QPointF p = points.value(where);
        core->followPointer(QPointF(x, top + 60));
        QVERIFY(label->isVisible());
        core->followPointer(p);
        QCOMPARE(label->isVisible(), shown);
        if (shown) {
            QCOMPARE(core->cursorY(), p.y());
            QCOMPARE(label->toPlainText(), formatNumber(core->yToPrice(qint64(p.y())), 2, blank));
            QCOMPARE(label->pos(), QPointF(core->axisLabelX(), p.y() - 10));
        }
        core->redraw();
        QCOMPARE(label->isVisible(), shown);
    }

    // Through the chart window: a move over the pane shows the marker, leaving the view hides it.
    void priceMarkerLeavesWithPointer()
    {
        kuChart chart;
        kuChartCore* core = chart.chartCore();
        QGraphicsView* view = chart.graphicsView();
        QObject* filter = view->findChild<kuChartEventFilter*>();
        core->setSeries({seriesOf(1, 30)});
        core->setChartReady(true);
        core->setTimeFrame(1);
        QVERIFY(!core->cursorLabel()->isVisible());
        QGraphicsSceneMouseEvent move(QEvent::GraphicsSceneMouseMove);
        move.setScenePos(QPointF(50, double(core->paneTop() + 40)));
        QCoreApplication::sendEvent(core->scene(), &move);
        QVERIFY(core->cursorLabel()->isVisible());
        QEvent leave(QEvent::Leave);
        filter->eventFilter(view, &leave);
        QVERIFY(!core->cursorLabel()->isVisible());
    }

    // The price pane starts below the two-line caption at every size: no candle reaches it.
    void plotBelowCaption_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("subPanes");
        QTest::newRow("200 x 150") << QSize(200, 150) << 0;
        QTest::newRow("300 x 200, a sub-pane") << QSize(300, 200) << 1;
        QTest::newRow("400 x 300") << QSize(400, 300) << 0;
        QTest::newRow("790 x 430, two sub-panes") << QSize(790, 430) << 2;
        QTest::newRow("1590 x 970") << QSize(1590, 970) << 0;
    }

    void plotBelowCaption()
    {
        QFETCH(QSize, size);
        QFETCH(int, subPanes);
        // Rising candles: the newest, at the right, reach the top of the scale.
        auto core = coreWith(seriesOf(1, 400), size.width(), size.height());
        core->setCaption(QStringLiteral("ABCD - 30 минут"), QStringLiteral("ПАО \"Очень длинное название эмитента\""));
        for (int i = 0; i < subPanes; ++i)
            addProbe(core.get(), otIndicatorPane);
        core->redraw();
        const QRectF title = textRect(core->titleItem()).united(textRect(core->subtitleItem()));
        QVERIFY(double(core->paneTop()) >= title.bottom());
        QCOMPARE(core->pricePaneClip()->boundingRect().top(), double(core->paneTop()));
        QVERIFY(core->usedCount() > 0);
        for (int i = 0; i < core->usedCount(); ++i) {
            const QGraphicsItem* item = core->itemPool().at(i)->graphicsItem();
            QVERIFY2(!item->sceneBoundingRect().intersects(title), qPrintable(QString::number(i)));
            QCOMPARE(item->parentItem(), core->pricePaneClip());
        }
        // The price lines keep a gap below the pane's top, as they did below the top margin.
        for (const kuChartCore::GridEntry* entry : priceLines(*core))
            QVERIFY(entry->line->line().y1() >= double(core->paneTop() + 10));
    }

    void lastPrice()
    {
        auto core = coreWith(seriesFrom(1, {candle(100, 1201, 99, 1200.5), candle(100, 101, 99, 100)}));
        kuGraphicsTextItem* label = core->priceLabel();
        QCOMPARE(label->toPlainText(), QString("1 200.50"));
        QCOMPARE(label->pos(), QPointF(core->axisLabelX() + 5, core->priceToY(1200.5) - 10));
        QCOMPARE(label->lineLength(), int(core->plotLeft() - core->plotRight()));
        QCOMPARE(label->zValue(), 1.0);
        QCOMPARE(label->backgroundColor(), QColor(Qt::green));
        // The dashed line runs left across the plot.
        QVERIFY(label->mapToScene(label->boundingRect().topLeft()).x() <= core->plotLeft() + 13);

        core->setSeries({seriesFrom(1, {})});
        core->redraw();
        QCOMPARE(label->toPlainText(), QString("0.00"));
        QCOMPARE(label->y(), double(core->paneBottom() - 10));
        QCOMPARE(core->paneBottom(), qint64(420));
    }

    void fixedItems()
    {
        auto core = coreWith(seriesOf(1, 30));
        QCOMPARE(core->axisLabelX(), 338.0);
        QCOMPARE(core->separatorLine()->line(), QLineF(1, 425, 400, 425));
        QCOMPARE(core->priceAxisLine()->line(), QLineF(333, 0, 333, 455));
        QCOMPARE(core->leftBorderLine()->line(), QLineF(1, 0, 1, 455));
        QCOMPARE(core->hintItem()->pos(), QPointF(9, 430));
    }

    void contrastColor()
    {
        auto core = coreWith(seriesOf(1, 3));
        QCOMPARE(core->contrastColor(), QColor("#60a0a1"));
    }

    // The hint and every object's value follow the candle under the mouse.
    void cursorInfo()
    {
        auto core = coreWith(seriesOf(1, 30));
        Probe* valued = addProbe(core.get());
        valued->value = QStringLiteral("v%1");
        Probe* silent = addProbe(core.get());
        silent->caption()->setText(QStringLiteral("keep"));
        core->showCursorInfo(315);
        QCOMPARE(core->hintItem()->toPlainText(), candleHint(core->candles().at(1), 1, 2));
        QCOMPARE(core->hintItem()->defaultTextColor(), core->textColor());
        QCOMPARE(valued->caption()->text(), QString("v1"));
        QCOMPARE(silent->caption()->text(), QString("keep"));
        core->showCursorInfo(390);
        QCOMPARE(core->hintItem()->toPlainText(), QString(" "));
        QCOMPARE(valued->caption()->text(), QString("v-1"));

        QSignalSpy spy(core.get(), &kuChartCore::signal_onModifyObject);
        core->editObject(nullptr);
        core->editObject(valued);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().at(0).toInt(), 0);
        QCOMPARE(spy.first().at(1).toString(), valued->objectName());
    }

    // Bodies, shadows and the background where they must be in the rendered picture.
    void renderedPixels()
    {
        auto core = coreWith(seriesFrom(1, {candle(100, 108, 96, 104), candle(104, 106, 98, 100)}));
        const QImage image = render(*core);
        const auto at = [&](int x, double price) { return QColor(image.pixel(x, int(core->priceToY(price)))); };
        QCOMPARE(at(321, 102), QColor(Qt::green)); // up body, newest slot
        QCOMPARE(at(306, 102), QColor(Qt::red));   // down body, next slot
        QCOMPARE(at(321, 107), QColor(Qt::black)); // upper shadow
        QCOMPARE(at(321, 97), QColor(Qt::black));  // lower shadow
        QCOMPARE(at(200, 102), QColor(Qt::white)); // empty slots
        QCOMPARE(at(306, 107), QColor(Qt::white)); // above the down candle's high

        core->setCandleUpColor(Qt::blue);
        core->redraw();
        QCOMPARE(QColor(render(*core).pixel(321, int(core->priceToY(102)))), QColor(Qt::blue));
    }

    void eventFilter()
    {
        kuChart chart;
        kuChartCore* core = chart.chartCore();
        QGraphicsView* view = chart.graphicsView();
        QObject* filter = view->findChild<kuChartEventFilter*>();
        QVERIFY(filter);
        Probe* probe = addProbe(core);

        view->resize(300, 200);
        QResizeEvent same(QSize(300, 200), QSize(300, 200));
        QVERIFY(filter->eventFilter(view, &same));
        QCOMPARE(probe->repaints, 0);

        // Before the first load: scene and size follow, no redraw.
        QResizeEvent grown(QSize(300, 200), QSize(100, 100));
        QVERIFY(!filter->eventFilter(view, &grown));
        QCOMPARE(view->sceneRect(), QRectF(0, 0, 295, 195));
        QCOMPARE(core->viewWidth(), 295);
        QCOMPARE(core->viewHeight(), 195);
        QCOMPARE(core->titleItem()->pos(), QPointF(1, 1));
        QCOMPARE(core->subtitleItem()->pos(), QPointF(1, 18));
        QCOMPARE(probe->repaints, 0);

        core->setSeries({seriesOf(1, 30)});
        core->setChartReady(true);
        core->setTimeFrame(1);
        const int repaints = probe->repaints;
        view->resize(500, 300);
        QResizeEvent ready(QSize(500, 300), QSize(300, 200));
        QVERIFY(!filter->eventFilter(view, &ready));
        QCOMPARE(probe->repaints, repaints + 1);
        QCOMPARE(core->plotRight(), qint64(425));

        // Another widget, or a view outside a chart, is left alone.
        QResizeEvent other(QSize(10, 10), QSize(5, 5));
        QVERIFY(!filter->eventFilter(&chart, &other));
        QGraphicsView stray;
        QVERIFY(!filter->eventFilter(&stray, &same));

        chart.rebuildChart();
        QCOMPARE(probe->repaints, repaints + 2);
    }
};

int main(int argc, char** argv)
{
    // Month names of the day labels come from the system locale.
    qputenv("LC_ALL", "C");
    qputenv("LANG", "C");
    QApplication app(argc, argv);
    tst_ChartDraw test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_chartdraw.moc"
