// The mouse on every drawing tool as a trader uses it, through the chart's
// scene (and its view for the cursor): a double click never moves a tool, a
// drag keeps the offset between the pointer and what it drags, and lines,
// markers and levels take the mouse within a few pixels of their stroke.
#include <QtTest>

#include "kuchartgrabitems.h"
#include "kuchartobjectfibo.h"
#include "kuchartobjectfiboarcs.h"
#include "kuchartobjectfibochanel.h"
#include "kuchartobjecthline.h"
#include "kuchartobjecttext.h"
#include "kuchartobjecttline.h"
#include "kuchartobjectvline.h"
#include "kutextobjectdialog.h"
#include "objectfixture.h"

#include <QGraphicsView>
#include <QMouseEvent>

#include <cmath>
#include <functional>

using namespace objectfixture;

namespace {

// One placed tool on the chart, and the part of it a drag takes.
struct Tool
{
    kuChartObject* object = nullptr;
    // The item a press drags: the line of a one-anchor tool, else a marker.
    QGraphicsItem* handle = nullptr;
    // Where the dragged anchor stands in the scene.
    std::function<QPointF()> anchor;
    bool movesX = true;
    bool movesY = true;
    // A point of the handle off its anchor: 3 pixels off a line's stroke, or
    // 3 pixels from a marker's anchor, away from the rest of the tool.
    QPointF grab;
    // Further out the same way (6 pixels off a line): no part of the tool.
    QPointF miss;
};

QJsonObject paramsJson(const QVariantMap& values)
{
    QJsonArray params;
    for (auto it = values.begin(); it != values.end(); ++it)
        params.append(QJsonObject{{"name", it.key()}, {"value", QJsonValue::fromVariant(it.value())}});
    return QJsonObject{{"params", params}};
}

// The date-time text of the visible candle at the position.
QString candleText(kuChartCore* core, int position)
{
    return kuChartAnchor::toText(candleTime(core, core->firstVisible() + position));
}

// A marker is dragged from beside its anchor, on the side away from the
// tool's other anchor `from`, where no other part of the tool lies.
void grabMarker(Tool& tool, QGraphicsRectItem* marker, std::function<QPointF()> anchor, QPointF from)
{
    tool.handle = marker;
    tool.anchor = std::move(anchor);
    const QLineF out = QLineF(from, tool.anchor()).unitVector();
    const QPointF step = out.p2() - out.p1();
    tool.grab = tool.anchor() + 3 * step;
    tool.miss = tool.anchor() + 10 * step;
}

Tool make(kuChartCore* core, const QString& kind)
{
    Tool tool;
    if (kind == "horizontal line") {
        auto* line = new kuChartObjectHLine(core, paramsJson({{"price", 120.0}}));
        core->appendObject(line);
        line->repaint();
        tool.object = line;
        tool.handle = line->lineItem();
        tool.anchor = [core, line] { return QPointF(0, core->priceToY(line->price())); };
        tool.movesX = false;
        // Over the body of candle 11 (119.5 to 120.5): a candle takes no mouse from a tool.
        const double y = line->lineItem()->line().y1();
        tool.grab = QPointF(kuChartAnchor::slotCentre(core, 11), y + 3);
        tool.miss = QPointF(tool.grab.x(), y + 6);
    } else if (kind == "vertical line") {
        auto* line = new kuChartObjectVLine(core, paramsJson({{"trailerCandleText", candleText(core, 10)}}));
        core->appendObject(line);
        line->repaint();
        tool.object = line;
        tool.handle = line->lineItem();
        tool.anchor = [core, line] { return QPointF(kuChartAnchor::xForDateTime(core, line->lineDateTime()), 0); };
        tool.movesY = false;
        // Over the body of its own candle.
        const kuChartCandle& candle = core->candles().at(core->firstVisible() + 10);
        const double x = line->lineItem()->line().x1();
        const double y = core->priceToY((candle.open + candle.close) / 2);
        tool.grab = QPointF(x - 3, y);
        tool.miss = QPointF(x - 6, y);
    } else if (kind == "text") {
        auto* text = new kuChartObjectText(
                core,
                paramsJson({{"text", "Метка уровня"}, {"price", 120.0}, {"candleDateTime", candleText(core, 14)}}));
        core->appendObject(text);
        text->repaint();
        tool.object = text;
        tool.handle = text->textItem();
        tool.anchor = [text] { return text->anchorPoint(text->anchorDateTime(), text->price()); };
        // Well inside the label, far from the corner that is its anchor.
        const QRectF box = text->textItem()->sceneBoundingRect();
        tool.grab = QPointF(box.left() + 0.7 * box.width(), box.center().y());
        tool.miss = QPointF(box.right() + 6, box.center().y());
    } else if (kind == "trend line") {
        auto* line = new kuChartObjectTLine(core, paramsJson({{"priceLeft", 115.0},
                                                              {"candleDateTimeLeft", candleText(core, 16)},
                                                              {"priceRight", 121.0},
                                                              {"candleDateTimeRight", candleText(core, 6)}}));
        core->appendObject(line);
        line->repaint();
        tool.object = line;
        grabMarker(
                tool, line->rightMarker(), [line] { return line->rightPoint(); }, line->leftPoint());
    } else if (kind == "Fibonacci retracement") {
        auto* fibo = new kuChartObjectFibo(
                core,
                paramsJson({{"priceTop", 121.0}, {"priceBottom", 112.0}, {"x1", kuChartAnchor::slotCentre(core, 12)}}));
        core->appendObject(fibo);
        fibo->repaint();
        tool.object = fibo;
        grabMarker(
                tool, fibo->topMarker(), [fibo] { return fibo->topPoint(); }, fibo->bottomPoint());
    } else if (kind == "Fibonacci arcs") {
        auto* arcs = new kuChartObjectFiboArcs(core, paramsJson({{"priceLeft", 114.0},
                                                                 {"candleDateTimeLeft", candleText(core, 16)},
                                                                 {"priceRight", 118.0},
                                                                 {"candleDateTimeRight", candleText(core, 10)}}));
        core->appendObject(arcs);
        arcs->repaint();
        tool.object = arcs;
        grabMarker(
                tool, arcs->rightMarker(), [arcs] { return arcs->rightPoint(); }, arcs->leftPoint());
    } else {
        auto* channel =
                new kuChartObjectFiboChanel(core, paramsJson({{"priceBottomLeft", 112.0},
                                                              {"candleDateTimeBottomLeft", candleText(core, 17)},
                                                              {"priceBottomRight", 114.0},
                                                              {"candleDateTimeBottomRight", candleText(core, 6)},
                                                              {"priceTopLeft", 120.0},
                                                              {"candleDateTimeTopLeft", candleText(core, 15)}}));
        core->appendObject(channel);
        channel->repaint();
        tool.object = channel;
        grabMarker(
                tool, channel->bottomRightMarker(), [channel] { return channel->bottomRightPoint(); },
                channel->bottomLeftPoint());
    }
    return tool;
}

const QStringList kinds{"horizontal line", "vertical line",    "text", "trend line", "Fibonacci retracement",
                        "Fibonacci arcs",  "Fibonacci channel"};

// A double click given to the scene as the view gives it: press, release,
// double click, release.
void doubleClick(kuChartCore* core, QPointF first, QPointF second)
{
    sendToScene(core, QEvent::GraphicsSceneMousePress, first);
    sendToScene(core, QEvent::GraphicsSceneMouseRelease, second);
    sendToScene(core, QEvent::GraphicsSceneMouseDoubleClick, first);
    sendToScene(core, QEvent::GraphicsSceneMouseRelease, second);
}

// The pointer leaves every tool.
void away(kuChartCore* core)
{
    sendToScene(core, QEvent::GraphicsSceneMouseMove, QPointF(double(core->plotLeft()) + 1, double(core->paneTop())));
}

// The lines, markers and levels of the tool, as shown now (a circle of no
// radius is no stroke).
QList<QGraphicsItem*> strokeItems(kuChartCore* core)
{
    QList<QGraphicsItem*> found;
    for (QGraphicsItem* item : core->scene()->items()) {
        if (!item->isVisible())
            continue;
        if (auto* circle = dynamic_cast<kuChartGrabEllipseItem*>(item)) {
            if (circle->rect().width() > 0)
                found << item;
        } else if (dynamic_cast<kuChartGrabLineItem*>(item) || dynamic_cast<kuChartGrabRectItem*>(item)) {
            found << item;
        }
    }
    return found;
}

// A point d pixels off the item's stroke, outwards, and one inside a circle.
QPointF offStroke(QGraphicsItem* item, double d)
{
    if (auto* line = dynamic_cast<QGraphicsLineItem*>(item)) {
        const QLineF l = line->line();
        const QLineF normal = l.normalVector().unitVector();
        return l.center() + (normal.p2() - normal.p1()) * d;
    }
    if (auto* ellipse = dynamic_cast<QGraphicsEllipseItem*>(item)) {
        const QRectF r = ellipse->rect();
        const double reach = r.width() / 2 + d;
        return r.center() + QPointF(reach, reach) / std::sqrt(2.0);
    }
    const QRectF r = static_cast<QGraphicsRectItem*>(item)->rect();
    return QPointF(r.right() + d, r.center().y());
}

} // namespace

class tst_ChartObjectGestures : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { kuTextObjectDialog::setRunner(nullptr); }

    void doubleClickNeverMoves_data();
    void doubleClickNeverMoves();
    void dragKeepsOffset_data();
    void dragKeepsOffset();
    void grabWithinFourPixels_data();
    void grabWithinFourPixels();
    void hoverCursor_data();
    void hoverCursor();
};

void tst_ChartObjectGestures::doubleClickNeverMoves_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QPointF>("shake");
    for (const QString& kind : kinds) {
        QTest::addRow("%s, steady", qPrintable(kind)) << kind << QPointF();
        // The hand moves a pixel between the press and the release of the first click.
        QTest::addRow("%s, shaking", qPrintable(kind)) << kind << QPointF(1, 1);
    }
}

// A double click off the anchor opens the tool's dialog and leaves every anchor where it was.
void tst_ChartObjectGestures::doubleClickNeverMoves()
{
    QFETCH(QString, kind);
    QFETCH(QPointF, shake);
    auto core = chart();
    CursorGuard guard;
    const Tool tool = make(core.get(), kind);
    const QJsonArray before = tool.object->params();
    const QPointF anchor = tool.anchor();
    int dialogs = 0;
    kuTextObjectDialog::setRunner([&dialogs](kuTextObjectDialog* d) {
        ++dialogs;
        d->reject();
        return d->result();
    });
    QSignalSpy edits(core.get(), &kuChartCore::signal_onModifyObject);

    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab);
    QCOMPARE(tool.object->graphicsItem()->opacity(), 0.5);
    doubleClick(core.get(), tool.grab, tool.grab + shake);
    QCOMPARE(dialogs + edits.count(), 1);
    QCOMPARE(tool.object->params(), before);
    core->redraw();
    QCOMPARE(tool.anchor(), anchor);
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectGestures::dragKeepsOffset_data()
{
    QTest::addColumn<QString>("kind");
    for (const QString& kind : kinds)
        QTest::addRow("%s", qPrintable(kind)) << kind;
}

// Dragged from a point off its anchor, the anchor moves by the pointer's
// travel: three candles left and 15 pixels down; the chart does not scroll.
void tst_ChartObjectGestures::dragKeepsOffset()
{
    QFETCH(QString, kind);
    auto core = chart();
    CursorGuard guard;
    const Tool tool = make(core.get(), kind);
    const int first = core->firstVisible();
    const QPointF from = tool.anchor();
    const double slot = kuChartAnchor::slotCentre(core.get(), 0) - kuChartAnchor::slotCentre(core.get(), 1);
    const QPointF travel(-3 * slot, 15);

    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab);
    sendToScene(core.get(), QEvent::GraphicsSceneMousePress, tool.grab);
    QVERIFY(core->scene()->isGrabbed());
    QVERIFY(!core->scene()->isPanning());
    // Half way: already off by the same offset.
    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab + travel / 2);
    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab + travel);
    sendToScene(core.get(), QEvent::GraphicsSceneMouseRelease, tool.grab + travel);
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
    QCOMPARE(core->firstVisible(), first);

    core->redraw();
    const QPointF to = tool.anchor();
    const QPointF want = from + travel;
    if (tool.movesX)
        QVERIFY2(std::abs(to.x() - want.x()) < 1e-6,
                 qPrintable(QStringLiteral("x %1, want %2").arg(to.x()).arg(want.x())));
    // Prices come from whole pixels.
    if (tool.movesY)
        QVERIFY2(std::abs(to.y() - want.y()) < 1.0,
                 qPrintable(QStringLiteral("y %1, want %2").arg(to.y()).arg(want.y())));
    QVERIFY(tool.handle->isVisible());
}

void tst_ChartObjectGestures::grabWithinFourPixels_data()
{
    dragKeepsOffset_data();
}

// Every line, marker and level takes the mouse within 4 pixels of its stroke
// and not 6 pixels off (nor inside a circle); the handle 3 pixels off is
// hovered and a press there grabs the tool, 6 pixels off it pans the chart.
void tst_ChartObjectGestures::grabWithinFourPixels()
{
    QFETCH(QString, kind);
    auto core = chart();
    CursorGuard guard;
    const Tool tool = make(core.get(), kind);
    QGraphicsScene* scene = core->scene();

    const QList<QGraphicsItem*> items = strokeItems(core.get());
    QVERIFY(kind == "text" || !items.isEmpty());
    for (QGraphicsItem* item : items) {
        for (double d : {0.0, 3.0, 4.0, -4.0})
            QVERIFY2(scene->items(offStroke(item, d)).contains(item), qPrintable(QStringLiteral("%1 px").arg(d)));
        QVERIFY(!scene->items(offStroke(item, 6)).contains(item));
        if (auto* circle = dynamic_cast<QGraphicsEllipseItem*>(item); circle && circle->rect().width() > 20)
            QVERIFY(!scene->items(circle->rect().center()).contains(item));
    }

    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.miss);
    QCOMPARE(tool.object->graphicsItem()->opacity(), 1.0);
    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.grab);
    QCOMPARE(tool.object->graphicsItem()->opacity(), 0.5);
    sendToScene(core.get(), QEvent::GraphicsSceneMousePress, tool.grab);
    QVERIFY(core->scene()->isGrabbed());
    QVERIFY(!core->scene()->isPanning());
    sendToScene(core.get(), QEvent::GraphicsSceneMouseRelease, tool.grab);
    QVERIFY(CursorGuard::balanced());

    away(core.get());
    const QJsonArray before = tool.object->params();
    sendToScene(core.get(), QEvent::GraphicsSceneMouseMove, tool.miss);
    sendToScene(core.get(), QEvent::GraphicsSceneMousePress, tool.miss);
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(core->scene()->isPanning());
    sendToScene(core.get(), QEvent::GraphicsSceneMouseRelease, tool.miss);
    QCOMPARE(tool.object->params(), before);
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectGestures::hoverCursor_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("shape");
    const int drag = kuChartGrab::dragCursor;
    QTest::newRow("horizontal line") << "horizontal line" << int(Qt::SizeVerCursor);
    QTest::newRow("vertical line") << "vertical line" << int(Qt::SizeHorCursor);
    for (const QString& kind : kinds.mid(2))
        QTest::addRow("%s", qPrintable(kind)) << kind << drag;
}

// In the chart's view the pointer over the handle, 3 pixels off its stroke,
// shows that a press there drags; 6 pixels off it is the view's own again.
void tst_ChartObjectGestures::hoverCursor()
{
    QFETCH(QString, kind);
    QFETCH(int, shape);
    auto core = chart();
    const Tool tool = make(core.get(), kind);
    QGraphicsView view(core->scene());
    view.setSceneRect(core->scene()->sceneRect());
    view.resize(core->viewWidth() + 20, core->viewHeight() + 20);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto moveTo = [&view](QPointF scenePos) {
        const QPoint at = view.mapFromScene(scenePos);
        QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
    };
    moveTo(tool.grab);
    QCOMPARE(int(view.viewport()->cursor().shape()), shape);
    moveTo(tool.miss);
    QCOMPARE(view.viewport()->cursor().shape(), Qt::ArrowCursor);
}

QTEST_MAIN(tst_ChartObjectGestures)
#include "tst_chartobjectgestures.moc"
